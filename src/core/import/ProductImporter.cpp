#include "core/import/ProductImporter.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/import/Divider.h"
#include "core/import/FieldSplitter.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/LineSource.h"
#include "core/import/MappingCodes.h"
#include "core/import/RepeatedStockNumbers.h"
#include "core/journal/JournalRun.h"
#include "core/margins/Margin.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"
#include "core/storage/StorageStatement.h"
#include "core/text/DateText.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QHash>
#include <QScopeGuard>
#include <QStringList>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr int NotesColumn = CatalogueSchema::ProductsColumn::Notes;
constexpr int StockColumn = CatalogueSchema::ProductsColumn::StockNo;
constexpr int NameColumn = CatalogueSchema::ProductsColumn::ProdName;
constexpr int CostColumn = CatalogueSchema::ProductsColumn::Cost1;
constexpr int RetailColumn = CatalogueSchema::ProductsColumn::Retail;
constexpr int PriceColumn = CatalogueSchema::ProductsColumn::Price;
// From this many rows added or edited on, the catalogue is settled after the run.
constexpr qint64 ManyRows = 10000;

quint32 bit(int column) {
    return quint32(1) << column;
}

bool importable(int code) {
    return code > 0 && code < MappingCodes::Count && !MappingCodes::isRefused(code);
}

// Notes with a block added after them: the block starts on a line of its own.
QString appendToNotes(const QString& notes, const QString& block) {
    if (notes.isEmpty() || notes.endsWith(u'\n'))
        return notes + block;
    return notes + u"\r\n"_s + block;
}

// Lays the non-empty fields of a later item of the same stock number over `merged`: the later
// item wins, and a field it leaves empty keeps the value an earlier item gave (variant rows of
// shop exports repeat the stock number with only some fields filled).
void overlay(ImportItem& merged, const ImportItem& later) {
    for (int position = 0; position < later.fieldCount(); ++position) {
        while (merged.fieldCount() <= position)
            merged.append(QString());
        if (!later.field(position).isEmpty() || merged.field(position).isEmpty())
            merged.setField(position, later.field(position));
    }
}

} // namespace

ProductImporter::ProductImporter(CatalogueDatabase& db, const FieldMap& map, ImportOptions options)
    : m_db(db), m_options(std::move(options)) {
    m_stockIndex = map.stockFieldIndex();
    if (m_stockIndex < 0)
        throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                           u"No field is mapped to the stock number"_s);
    // Read before anything is written: an unreadable setting refuses the whole run.
    m_margins = m_options.margins ? *m_options.margins : MarginSettings::fromProgram();
    m_summary.minimumPercent = m_margins.minimumPercent;
    m_summary.keepMargins = m_options.keepMargins;
    if (m_options.commitEvery < 1)
        m_options.commitEvery = 1;
    // A trial run keeps everything in the one transaction it rolls back.
    if (m_options.dryRun)
        m_options.commitEvery = std::numeric_limits<int>::max();

    m_table = CatalogueDatabase::quoteName(db.tableName(u"Products"_s));
    const QList<ColumnInfo>& columns = db.columns(u"Products"_s);
    if (columns.size() < ColumnCount)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The Products table of this catalogue lacks columns"_s);
    for (int i = 0; i < ColumnCount; ++i) {
        m_columns[i].name = columns.at(i).name;
        m_columns[i].quotedName = CatalogueDatabase::quoteName(columns.at(i).name);
        m_columns[i].kind = columns.at(i).kind;
    }

    for (int position = 0; position < FieldMap::Positions; ++position) {
        const int code = map.code(position);
        if (!importable(code))
            continue;
        m_fields.push_back({position, code});
        if (code == MappingCodes::Supplier)
            m_supplierMapped = true;
    }

    // The lookup reads the stored values of every column the import may change.
    quint32 read = 0;
    for (const MappedField& field : m_fields)
        read |= bit(field.code);
    if (!m_options.supplier.isEmpty())
        read |= bit(MappingCodes::Supplier);
    // The notes of an edited row are written whole, so that the note block starts on a line of
    // its own.
    read |= bit(NotesColumn);
    // The margin summary compares the cost and selling price before and after, by name.
    read |= bit(NameColumn) | bit(CostColumn) | bit(RetailColumn) | bit(PriceColumn);
    QString selected = u"rowid, "_s + m_columns[0].quotedName;
    int selectIndex = 2;
    for (int column = 1; column < ColumnCount; ++column) {
        if (!(read & bit(column)))
            continue;
        selected += u", "_s + m_columns[column].quotedName;
        m_columns[column].selectIndex = selectIndex++;
    }
    m_placeColumn = selectIndex;
    const QString& stockColumn = m_columns[StockColumn].quotedName;
    m_find = db.prepare(u"SELECT "_s + selected + u" FROM "_s + m_table + u" WHERE "_s +
                        stockColumn + u" = ? LIMIT 1"_s);
    const QString each = db.dialect().firstRowOfEach(selected, m_table, stockColumn);
    if (!each.isEmpty())
        m_findEach = db.prepare(each);
    m_editsTogether = m_findEach != nullptr;

    m_transaction = std::make_unique<BatchedTransaction>(db, m_options.commitEvery);
    m_waiting.reserve(MostWaiting);
    if (!m_options.dryRun)
        m_run = std::make_unique<JournalRun>(db, m_options.runKind, m_options.runSource);
}

// A run that ended in a failure rolls back here, while the group whose answers the connection
// may still hold is there for it to drop.
ProductImporter::~ProductImporter() {
    m_transaction.reset();
}

void ProductImporter::setProgress(ProgressCallback progress, qint64 maximum) {
    m_progressCallback = std::move(progress);
    m_progress.maximum = maximum;
}

QString ProductImporter::nextKeyExpression() {
    return u"NULL"_s;
}

QString ProductImporter::addedNote(const QString& note) {
    if (note.isEmpty())
        return QString();
    return note + ImportMessages::addedThisItem() + u"\r\n"_s;
}

QString ProductImporter::editedNote(const QString& note, const QDate& today,
                                    const QString& changes) {
    const QString heading = note.isEmpty() ? TextRules::formatDate(today, u"MM/DD/YY"_s) : note;
    return heading + ImportMessages::editedThisItem() + u"\r\n"_s + changes;
}

bool ProductImporter::process(ImportItem& item, qint64 progressValue) {
    Waiting waiting;
    waiting.progressValue = progressValue;
    waiting.place = m_place;
    if (takesPart(item)) {
        waiting.kind = Waiting::Kind::Item;
        waiting.stockNumber = item.field(m_stockIndex);
        waiting.item = item;
    } else {
        waiting.kind = Waiting::Kind::PassedOver;
    }
    addWaiting(std::move(waiting));
    return !m_stopped;
}

bool ProductImporter::tellProgress(qint64 progressValue) {
    if (!m_progressCallback)
        return true;
    m_progress.value = progressValue;
    m_progress.counts = counts();
    return m_progressCallback(m_progress);
}

bool ProductImporter::takesPart(ImportItem& item) const {
    if (ImportValueRules::skipsStockNumber(item.field(m_stockIndex)))
        return false;
    ImportValueRules::clearDashFields(item);
    if (m_options.skipDiscontinued)
        for (const MappedField& field : m_fields)
            if (field.code == MappingCodes::Discontinued &&
                ImportValueRules::isDiscontinued(item.field(field.position)))
                return false;
    return true;
}

bool ProductImporter::toStorage(int code, const QString& value, QVariant& storage) {
    const Column& column = m_columns[code];
    try {
        // A numeric value is always a number by now; handing over the number spares reading
        // the text a second time. Money is read from its digits, which a double may not hold.
        if (MappingCodes::isNumeric(code) && isNumericKind(column.kind) &&
            column.kind != ColumnKind::Money)
            storage =
                ColumnValues::toStorage(column.kind, QVariant(TextRules::CDbl(value)), column.name);
        else
            storage = ColumnValues::toStorage(column.kind, value, column.name);
    } catch (const RunTimeError& error) {
        reportError(
            RunTimeError(error.number(), ImportMessages::refusedValue(m_stockNumber, column.name,
                                                                      error.description())));
        return false;
    }
    return true;
}

void ProductImporter::editValue(int code, const QString& raw) {
    // Only a changed value is converted for the file (and may be refused by its column).
    const std::optional<QString> converted = ImportValueRules::convert(
        code, raw, ImportValueRules::Target::ExistingRow, m_options.decimalComma);
    if (!converted) {
        passOver(code, raw);
        return;
    }
    const QString& value = *converted;
    // The stored value as text is needed twice (comparison and change line); it is made once.
    const QVariant& current = m_current[code];
    const QString stored = TextRules::toText(current);
    if (!ImportValueRules::differs(current.isNull() ? QVariant() : QVariant(stored), value))
        return;
    QVariant storage;
    if (!toStorage(code, value, storage))
        return;
    const QString line = ImportValueRules::changeLine(m_columns[code].name, stored, value);
    m_changes += line;
    if (m_options.report)
        m_options.report->addChange(m_stockNumber, line.chopped(2));
    m_current[code] = value;
    m_write[code] = storage;
    m_mask |= bit(code);
}

bool ProductImporter::gives(const ImportItem& item, int code) const {
    for (const MappedField& field : m_fields)
        if (field.code == code && !item.field(field.position).isEmpty())
            return true;
    return false;
}

MarginProduct::Kept ProductImporter::keepMargin(const ImportItem& item,
                                                const std::array<QVariant, 3>& before,
                                                std::optional<Money>& movedFrom) {
    const auto& [oldCost, oldRetail, oldPrice] = before;
    if (!(m_mask & bit(CostColumn)))
        return MarginProduct::Kept::NotAsked;
    // A price the item gives is the shop's (or the supplier's) own choice and is not moved.
    const Margin::Column selling = Margin::sellingColumn(oldPrice, oldRetail);
    if (gives(item, PriceColumn) ||
        (selling == Margin::Column::Retail && gives(item, RetailColumn)))
        return MarginProduct::Kept::NotAsked;
    const std::optional<Money> newCost = Money::fromValue(m_current[CostColumn]);
    const std::optional<Money> oldSelling = Margin::sellingPrice(oldPrice, oldRetail);
    if (!newCost || !oldSelling)
        return MarginProduct::Kept::Unmovable;
    const std::optional<Money> kept =
        Margin::keptPrice(*oldSelling, Margin::cost(oldCost), *newCost, m_margins.ending);
    if (!kept)
        return MarginProduct::Kept::Unmovable;
    if (*kept == *oldSelling)
        return MarginProduct::Kept::NotAsked;
    const int code = selling == Margin::Column::Price ? PriceColumn : RetailColumn;
    const QString value = kept->toText();
    QVariant storage;
    if (!toStorage(code, value, storage))
        return MarginProduct::Kept::Unmovable;
    // Told and journalled as one more change of the item, written with its cost.
    const QString line = ImportValueRules::changeLine(m_columns[code].name,
                                                      TextRules::toText(m_current[code]), value);
    m_changes += line;
    if (m_options.report)
        m_options.report->addChange(m_stockNumber, line.chopped(2));
    m_current[code] = value;
    m_write[code] = storage;
    m_mask |= bit(code);
    movedFrom = oldSelling;
    return MarginProduct::Kept::Moved;
}

void ProductImporter::editRow(const ImportItem& item, qint64 rowId) {
    m_changes.clear();
    m_mask = 0;
    const std::array<QVariant, 3> before{m_current[CostColumn], m_current[RetailColumn],
                                         m_current[PriceColumn]};
    bool supplierGiven = false;
    for (const MappedField& field : m_fields) {
        const QString& raw = item.field(field.position);
        if (raw.isEmpty())
            continue;
        supplierGiven |= field.code == MappingCodes::Supplier;
        editValue(field.code, raw);
    }
    if (!supplierGiven && !m_options.supplier.isEmpty())
        editValue(MappingCodes::Supplier, m_options.supplier);
    std::optional<Money> movedFrom;
    const MarginProduct::Kept kept =
        m_options.keepMargins ? keepMargin(item, before, movedFrom) : MarginProduct::Kept::NotAsked;

    ++m_rowsChecked;
    if (!m_changes.isEmpty()) {
        m_writing->margin =
            MarginProduct{m_stockNumber,
                          TextRules::toText(m_current[NameColumn]),
                          Margin::cost(before[0]),
                          Margin::cost(m_current[CostColumn]),
                          Margin::sellingPrice(m_current[PriceColumn], m_current[RetailColumn]),
                          movedFrom,
                          kept};
        const quint32 mask = m_mask & ~bit(NotesColumn);
        std::vector<QVariant> values;
        for (int column = 1; column < ColumnCount; ++column)
            if (column != NotesColumn && (m_mask & bit(column)))
                values.push_back(m_write[column]);
        // m_current holds the notes as stored, or the new value of a changed Notes field.
        values.push_back(
            QVariant(appendToNotes(TextRules::toText(m_current[NotesColumn]),
                                   editedNote(m_options.note, m_options.today, m_changes))));
        values.push_back(QVariant(qlonglong(rowId)));
        if (m_editsTogether)
            m_edited.push_back({m_writing, mask, std::move(values)});
        else
            m_writes.push_back(
                {&updateStatement(mask, 1), std::move(values), {}, refusalOf(*m_writing)});
        m_writing->written = Waiting::Written::Edited;
        ++m_rowsEdited;
    }
}

void ProductImporter::addRow(const ImportItem& item) {
    m_mask = 0;
    QVariant storage;
    bool supplierGiven = false;
    auto take = [&](int code, const QString& raw) {
        const std::optional<QString> value = ImportValueRules::convert(
            code, raw, ImportValueRules::Target::NewRow, m_options.decimalComma);
        if (!value) {
            passOver(code, raw);
            return;
        }
        if (!toStorage(code, *value, storage))
            return;
        m_write[code] = storage;
        m_mask |= bit(code);
    };
    for (const MappedField& field : m_fields) {
        const QString& raw = item.field(field.position);
        if (raw.isEmpty())
            continue;
        supplierGiven |= field.code == MappingCodes::Supplier;
        take(field.code, raw);
    }
    if (!supplierGiven && !m_options.supplier.isEmpty())
        take(MappingCodes::Supplier, m_options.supplier);
    const QString note = addedNote(m_options.note);
    if (!note.isEmpty()) {
        const QString mapped =
            (m_mask & bit(NotesColumn)) ? m_write[NotesColumn].toString() : QString();
        m_write[NotesColumn] = appendToNotes(mapped, note);
        m_mask |= bit(NotesColumn);
    }

    // A money column the item does not give takes the column's default of 0.
    auto amount = [this](int column) {
        return QVariant::fromValue(
            (m_mask & bit(column)) ? Money::fromStored(m_write[column].toLongLong()) : Money());
    };
    m_writing->margin =
        MarginProduct{m_stockNumber,
                      (m_mask & bit(NameColumn)) ? m_write[NameColumn].toString() : QString(),
                      std::nullopt,
                      Margin::cost(amount(CostColumn)),
                      Margin::sellingPrice(amount(PriceColumn), amount(RetailColumn)),
                      std::nullopt,
                      MarginProduct::Kept::NotAsked};

    std::vector<QVariant> values;
    for (int column = 1; column < ColumnCount; ++column)
        if (m_mask & bit(column))
            values.push_back(m_write[column]);
    m_added.push_back({m_writing, m_mask, std::move(values)});
    m_writing->written = Waiting::Written::Added;
    ++m_rowsChecked;
    ++m_rowsAdded;
}

StorageStatement& ProductImporter::updateStatement(quint32 mask, int rows) {
    const quint64 key = quint64(rows) << 32 | mask;
    auto it = m_updates.find(key);
    if (it != m_updates.end())
        return *it->second;
    QString sql = u"UPDATE "_s + m_table + u" SET "_s;
    if (rows == 1) {
        for (int column = 1; column < ColumnCount; ++column)
            if (mask & bit(column))
                sql += m_columns[column].quotedName + u" = ?, "_s;
        sql += m_columns[NotesColumn].quotedName + u" = ? WHERE rowid = ?"_s;
        return *m_updates.emplace(key, m_db.prepare(sql)).first->second;
    }
    // The rows' values as a table joined to Products by key: each column takes the value of
    // its row, as the one-row statement's parameters give it.
    QStringList names;
    for (int column = 1; column < ColumnCount; ++column) {
        if (!(mask & bit(column)))
            continue;
        names << u"v"_s + QString::number(column);
        sql += m_columns[column].quotedName + u" = given."_s + names.back() + u", "_s;
    }
    names << u"notes"_s << u"k"_s;
    sql += m_columns[NotesColumn].quotedName + u" = given.notes"_s;
    const QString marks = u'(' + QStringList(names.size(), u"?"_s).join(u", "_s) + u')';
    sql += u" FROM (VALUES "_s + QStringList(rows, marks).join(u", "_s) + u") AS given("_s +
           names.join(u", "_s) + u") WHERE "_s + m_table + u".rowid = given.k"_s;
    return *m_updates.emplace(key, m_db.prepare(sql)).first->second;
}

StorageStatement& ProductImporter::insertStatement(quint32 mask, int rows) {
    const quint64 key = quint64(rows) << 32 | mask;
    auto it = m_inserts.find(key);
    if (it != m_inserts.end())
        return *it->second;
    QString names = m_columns[0].quotedName;
    QString marks = nextKeyExpression();
    for (int column = 1; column < ColumnCount; ++column) {
        if (!(mask & bit(column)))
            continue;
        names += u", "_s + m_columns[column].quotedName;
        marks += u", ?"_s;
    }
    QStringList rowsOfMarks;
    for (int row = 0; row < rows; ++row)
        rowsOfMarks << u'(' + marks + u')';
    const QString sql =
        u"INSERT INTO "_s + m_table + u" ("_s + names + u") VALUES "_s + rowsOfMarks.join(u", "_s);
    return *m_inserts.emplace(key, m_db.prepare(sql)).first->second;
}

void ProductImporter::passOver(int code, const QString& raw) {
    ++m_passedOver;
    const QString named =
        ImportMessages::priceLeft(m_writing ? m_writing->place : -1, m_placesAreRows, m_stockNumber,
                                  m_columns[code].name, raw);
    if (m_passedOverNamed.size() < ImportReport::Kept)
        m_passedOverNamed.append(named);
    if (m_options.report)
        m_options.report->addPassedOver(named);
}

void ProductImporter::reportError(const RunTimeError& error) {
    if (m_writing) {
        m_writing->errors.append(error);
        return;
    }
    ++m_errors;
    if (m_options.onError)
        m_options.onError(error);
    else
        ReportError(ImportMessages::errorLabel(u"GetFiles"_s), error);
}

ImportCounts ProductImporter::counts() const {
    ImportCounts c;
    c.checked = int(m_rowsChecked);
    c.added = int(m_rowsAdded);
    c.edited = int(m_rowsEdited);
    return c;
}

ImportOutcome ProductImporter::finish(bool cancelled) {
    // The items still waiting came before the end or the stop.
    if (!m_stopped && !writeGroup())
        cancelled = true;
    sendHeld();
    const ImportCounts totals = counts();
    // The values left as they were are named under the totals, so that the run's entry still
    // tells which prices to look at once the screen or the command's output is gone.
    if (m_run && m_transaction)
        m_run->setTotals(
            (QStringList{ImportMessages::totals(totals.checked, totals.added, totals.edited)} +
             ImportMessages::pricesLeftBlock(m_passedOver, m_passedOverNamed))
                .join(u'\n'));
    if (m_transaction) {
        // A trial run's transaction rolls back as it goes.
        if (!m_options.dryRun)
            m_transaction->commit();
        m_transaction.reset();
        if (!m_options.dryRun && m_rowsAdded + m_rowsEdited >= ManyRows)
            m_db.settleAfterManyWrites({m_db.tableName(u"Products"_s)});
    }
    ImportOutcome outcome;
    outcome.counts = counts();
    outcome.totals =
        ImportMessages::totals(outcome.counts.checked, outcome.counts.added, outcome.counts.edited);
    outcome.cancelled = cancelled;
    outcome.errors = m_errors;
    outcome.passedOver = m_passedOver;
    outcome.passedOverNamed = m_passedOverNamed;
    outcome.repeatedCount = m_repeats.count();
    outcome.repeated = m_repeats.messages(ImportReport::Kept);
    outcome.margins = m_summary;
    return outcome;
}

ImportOutcome ProductImporter::importLines(LineSource first,
                                           const std::function<LineSource()>& reopen,
                                           qsizetype startLine, const Divider& divider,
                                           const ProgressCallback& progress) {
    const FieldSplitter splitter(divider);
    ImportItem item;
    // A first reading finds the stock numbers that stand on several items: only the last of
    // them is imported. It keeps a few numbers per stock number, never the items.
    RepeatedStockNumbers repeats;
    qsizetype lineCount = startLine;
    for (;;) {
        const qsizetype line = first.position();
        if (!splitter.readItem(first, item)) {
            lineCount = first.position();
            break;
        }
        const QString& stockNumber = item.field(m_stockIndex);
        if (!ImportValueRules::skipsStockNumber(stockNumber))
            repeats.add(stockNumber, line);
    }
    setRepeats(std::move(repeats));
    setProgress(progress, qMax<qsizetype>(0, lineCount - startLine));
    {
        // The first reading's text goes before the second reading's comes.
        const LineSource done = std::move(first);
    }
    LineSource source = reopen();
    bool cancelled = false;
    for (;;) {
        const qsizetype line = source.position();
        if (!splitter.readItem(source, item))
            break;
        if (!processInOrder(item, line, source.position() - startLine)) {
            cancelled = true;
            break;
        }
    }
    return finish(cancelled);
}

ImportOutcome ProductImporter::importText(CatalogueDatabase& db, const TextFile& file,
                                          qsizetype startLine, const Divider& divider,
                                          const FieldMap& map, ImportOptions options,
                                          const ProgressCallback& progress) {
    ProductImporter importer(db, map, std::move(options));
    const auto open = [&] { return LineSource(file, startLine); };
    return importer.importLines(open(), open, startLine, divider, progress);
}

ImportOutcome ProductImporter::importFile(CatalogueDatabase& db, const QString& path,
                                          const QString& encodingName, qsizetype startLine,
                                          const Divider& divider, const FieldMap& map,
                                          ImportOptions options, const ProgressCallback& progress) {
    // The file is opened before the run starts, so that a file that cannot be read leaves no
    // run behind, as with a file read whole.
    const auto open = [&] { return LineSource(path, encodingName, startLine); };
    LineSource first = open();
    ProductImporter importer(db, map, std::move(options));
    return importer.importLines(std::move(first), open, startLine, divider, progress);
}

bool ProductImporter::processInOrder(ImportItem& item, qsizetype position, qint64 progressValue) {
    const QString stockNumber = item.field(m_stockIndex);
    m_place = position;
    const auto forget = qScopeGuard([this] { m_place = -1; });
    if (!m_repeats.isRepeated(stockNumber))
        return process(item, progressValue);
    const QString key = RepeatedStockNumbers::key(stockNumber);
    ImportItem& merged = m_earlier[key];
    overlay(merged, item);
    if (m_repeats.hasLaterItem(stockNumber, position)) {
        Waiting waiting;
        waiting.progressValue = progressValue;
        addWaiting(std::move(waiting));
        return !m_stopped;
    }
    ImportItem last = std::move(merged);
    m_earlier.remove(key);
    return process(last, progressValue);
}

} // namespace tovin
