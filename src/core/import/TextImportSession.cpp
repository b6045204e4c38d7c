#include "core/import/TextImportSession.h"

#include "core/base/RunTimeError.h"
#include "core/import/FieldSplitter.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/ImportWords.h"
#include "core/import/LineSource.h"
#include "core/import/MappingCodes.h"
#include "core/import/ProductImporter.h"
#include "core/import/RememberedMapping.h"
#include "core/import/SourceFile.h"
#include "core/journal/JournalRun.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void TextImportSession::open(const QString& path, const QString& encodingName) {
    // A device or a pipe would be read as if it were missing, or never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        throw RunTimeError(ErrorNumber::BadFileName, SourceFile::notPlainFile(path, u"The file"_s));
    m_lines = TextFileLines::open(path, encodingName, ImportMessages::PreviewLineCount);
    m_path = path;
    m_encodingName = encodingName;
    m_startLine = 0;
    m_startLineText = m_lines.line(0);
    m_divider.reset();
    m_mapping = FieldMapping();
}

QString TextImportSession::bareFileName() const {
    return ImportValueRules::bareFileName(m_path);
}

QStringList TextImportSession::preview() const {
    return m_lines.heldLines(0, ImportMessages::PreviewLineCount);
}

QString TextImportSession::previewMessage() const {
    return ImportMessages::preview(
        int(qMin<qsizetype>(m_lines.lineCount(), ImportMessages::PreviewLineCount)));
}

bool TextImportSession::chooseStartLine(qsizetype index) {
    if (index < 0 || index >= m_lines.lineCount())
        return false;
    m_startLine = index;
    m_startLineText = m_lines.line(index);
    return true;
}

QString TextImportSession::startLineText() const {
    return m_startLineText;
}

std::optional<Divider> TextImportSession::proposal() const {
    return Divider::propose(m_startLineText);
}

QString TextImportSession::proposalMessage() const {
    const std::optional<Divider> proposed = proposal();
    return proposed ? ImportMessages::dividerProposal(proposed->kind()) : QString();
}

bool TextImportSession::acceptProposal() {
    const std::optional<Divider> proposed = proposal();
    if (!proposed)
        return false;
    m_divider = proposed;
    return true;
}

TextImportSession::DividerFit TextImportSession::fitOf(const Divider& divider) const {
    DividerFit fit{divider};
    LineSource source = m_lines.from(m_startLine);
    const FieldSplitter splitter(divider);
    ImportItem item;
    bool first = true;
    for (int read = 0; read < FitItems && splitter.readItem(source, item); ++read) {
        // A blank line is no item of any width.
        if (item.fieldCount() <= 1 && item.field(0).isEmpty())
            continue;
        fit.fewestFields = first ? item.fieldCount() : qMin(fit.fewestFields, item.fieldCount());
        fit.mostFields = qMax(fit.mostFields, item.fieldCount());
        first = false;
    }
    return fit;
}

QList<TextImportSession::DividerFit> TextImportSession::candidateFits() const {
    QList<DividerFit> fits;
    for (const Divider& candidate : Divider::candidates(m_startLineText))
        fits.append(fitOf(candidate));
    return fits;
}

TextImportSession::DividerOutcome TextImportSession::takeIfFits(const Divider& divider) {
    m_lastTried = divider.text();
    if (!divider.fits(m_startLineText)) {
        // A quoted first field with line breaks carries the first divider onto a later line
        // of the item; the divider fits when it cuts the item into fields.
        LineSource source = m_lines.from(m_startLine);
        ImportItem first;
        FieldSplitter(divider).readItem(source, first);
        if (first.fieldCount() < 2)
            return DividerOutcome::WrongSeparator;
    }
    m_divider = divider;
    return DividerOutcome::Accepted;
}

// A divider the user chose reads quoted fields whatever it is; a proposal does so only for
// commas.
TextImportSession::DividerOutcome TextImportSession::chooseDivider(const Divider& divider) {
    return takeIfFits(divider.withQuotes(true));
}

TextImportSession::DividerOutcome TextImportSession::chooseTypedDivider(const QString& typed) {
    const std::optional<Divider> divider = Divider::fromTypedText(typed);
    if (!divider)
        return DividerOutcome::InvalidChoice;
    return takeIfFits(divider->withQuotes(true));
}

TextImportSession::DividerOutcome TextImportSession::chooseLinesPerItem(const QString& answer) {
    std::optional<int> lines;
    try {
        lines = Divider::linesPerItemFromAnswer(answer);
    } catch (const RunTimeError&) {
        // A number beyond 16 bits is no answer either.
    }
    if (!lines)
        return DividerOutcome::InvalidChoice;
    m_divider = Divider::separateLines(*lines);
    return DividerOutcome::Accepted;
}

QString TextImportSession::otherDividerPrompt() {
    return ImportMessages::otherDividerPrompt();
}

QString TextImportSession::invalidChoice() {
    return ImportMessages::invalidChoice();
}

QString TextImportSession::linesPerItemPrompt() {
    return ImportMessages::linesPerItemPrompt();
}

QString TextImportSession::wrongSeparatorTitle() const {
    return ImportMessages::wrongSeparatorTitle();
}

QString TextImportSession::wrongSeparator() const {
    return ImportMessages::wrongSeparator(m_lastTried);
}

QString TextImportSession::noteTitle() const {
    return ImportMessages::noteTitle();
}

QString TextImportSession::notePrompt() const {
    return ImportMessages::notePrompt();
}

QString TextImportSession::noteDefault(const QDate& today) const {
    return ImportMessages::noteDefault(today, bareFileName());
}

void TextImportSession::readFirstItem() {
    if (!m_divider)
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, u"No divider chosen yet"_s);
    LineSource source = m_lines.from(m_startLine);
    ImportItem first;
    FieldSplitter(*m_divider).readItem(source, first);
    m_mapping.setFields(first);
}

QString TextImportSession::firstField() const {
    return m_mapping.label(0);
}

std::optional<QString> TextImportSession::decimalCommaSign() const {
    if (!m_divider || m_options.decimalComma)
        return std::nullopt;
    const FieldMap& map = m_mapping.map();
    QList<int> moneyPositions;
    for (int position = 0; position < FieldMap::Positions; ++position)
        if (MappingCodes::isNumeric(map.code(position)))
            moneyPositions.append(position);
    if (moneyPositions.isEmpty())
        return std::nullopt;
    QStringList values;
    LineSource source = m_lines.from(m_startLine);
    const FieldSplitter splitter(*m_divider);
    ImportItem item;
    for (int items = 0; items < DecimalCommaSample && splitter.readItem(source, item); ++items)
        for (int position : moneyPositions)
            values.append(item.field(position));
    return ImportValueRules::decimalCommaSign(values);
}

std::optional<QString> TextImportSession::stockNumberOutOfReach() const {
    const int stockIndex = m_mapping.map().stockFieldIndex();
    if (!m_divider || stockIndex < 0)
        return std::nullopt;
    LineSource source = m_lines.from(m_startLine);
    const FieldSplitter splitter(*m_divider);
    ImportItem item;
    int mostFields = 0;
    for (int items = 0; items < FitItems && splitter.readItem(source, item); ++items)
        mostFields = qMax(mostFields, item.fieldCount());
    if (stockIndex < mostFields)
        return std::nullopt;
    return ImportMessages::stockNumberPastFields(stockIndex, mostFields);
}

bool TextImportSession::readyToRun() const {
    return m_divider.has_value() && m_mapping.hasStockNumber();
}

QString TextImportSession::caption() const {
    return ImportMessages::gettingInformationFrom(bareFileName());
}

ImportOutcome TextImportSession::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    if (!m_divider)
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, u"No divider chosen yet"_s);
    if (!m_mapping.hasStockNumber())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                           ImportMessages::stockNumberRequired());
    if (const std::optional<QString> refusal = stockNumberOutOfReach())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, *refusal);
    ImportOptions options = m_options;
    options.skipDiscontinued = options.skipDiscontinued || m_mapping.skipDiscontinued();
    options.runKind = JournalRun::TextImport;
    options.runSource = m_path;
    return ProductImporter::importFile(db, m_path, m_encodingName, m_startLine, *m_divider,
                                       m_mapping.map(), options, progress);
}

bool TextImportSession::takeRemembered(const RememberedMapping& kept) {
    const std::optional<Divider> divider = ImportWords::readDivider(kept.divider).divider;
    if (!divider || !chooseStartLine(kept.startLine) ||
        chooseDivider(*divider) != DividerOutcome::Accepted)
        return false;
    readFirstItem();
    // An item short of fields gets slots up to the kept mapping's width, as the user would
    // have added them.
    const int own = m_mapping.ownFieldCount();
    if (kept.fieldCount > own)
        m_mapping.addSlots(QString::number(kept.fieldCount - own));
    if (m_mapping.fieldCount() != kept.fieldCount)
        return false;
    m_mapping.setMap(kept.map);
    m_mapping.finish();
    return m_mapping.hasStockNumber();
}

RememberedMapping TextImportSession::remembered() const {
    RememberedMapping kept(bareFileName());
    kept.startLine = m_startLine;
    if (m_divider)
        kept.divider = ImportWords::dividerWord(*m_divider);
    kept.heading = RememberedMapping::headingOf(m_lines, m_startLine);
    kept.fieldCount = m_mapping.fieldCount();
    kept.ownFields = m_mapping.ownFieldCount();
    kept.map = m_mapping.map();
    return kept;
}

} // namespace tovin
