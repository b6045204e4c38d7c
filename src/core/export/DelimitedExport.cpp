#include "core/export/DelimitedExport.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/ProductSelection.h"
#include "core/files/OutputFile.h"
#include "core/import/Divider.h"
#include "core/storage/StorageStatement.h"
#include "core/text/Money.h"
#include "core/text/ValueText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr int ProductsColumnCount = CatalogueSchema::ProductsColumn::Count;

const std::array<QString, ProductsColumnCount> Captions{u""_s,
                                                        u"Supplier"_s,
                                                        u"Stock Number"_s,
                                                        u"Product Name"_s,
                                                        u"Detailed Description"_s,
                                                        u"Page Number"_s,
                                                        u"Packaging"_s,
                                                        u"Cost 1"_s,
                                                        u"Cost 2"_s,
                                                        u"Cost 3"_s,
                                                        u"Cost 4"_s,
                                                        u"Cost 5"_s,
                                                        u"Retail Price"_s,
                                                        u"Selling Price"_s,
                                                        u"Weight"_s,
                                                        u"Minimum Order Wholesale"_s,
                                                        u"Minimum Order Retail"_s,
                                                        u"Picture Path"_s,
                                                        u"Category Number"_s,
                                                        u"On Special"_s,
                                                        u"Out Of Stock"_s,
                                                        u"Discontinued"_s,
                                                        u"Orderable"_s,
                                                        u"Number In Inventory"_s,
                                                        u"Number On Order"_s,
                                                        u"Re-Order Level"_s,
                                                        u"Number Sold"_s,
                                                        u"Shipping Fee 1"_s,
                                                        u"Shipping Fee 2"_s,
                                                        u"Notes"_s,
                                                        u"Taxable"_s};

constexpr int StockNoColumn = 2;
// How many unwritable products a refused export names.
constexpr int NamedItems = 3;

// Rows are encoded and handed to the file in blocks of this many characters.
constexpr qsizetype FlushAt = 256 * 1024;

// A value as text, the way the platform converts it (TextRules::toText), with quick paths for
// the numbers that fill most of a catalogue: money is exact to four decimals, counts are whole.
QString valueText(const QVariant& value, ColumnKind kind) {
    if (value.isNull())
        return QString();
    if (kind == ColumnKind::Money) {
        if (value.metaType() == QMetaType::fromType<Money>())
            return value.value<Money>().toText();
        QString text = QString::number(value.toDouble(), 'f', 4);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
        return text == u"-0"_s ? u"0"_s : text;
    }
    if (kind == ColumnKind::Number || kind == ColumnKind::Counter) {
        const double number = value.toDouble();
        if (number == double(qint64(number)) && std::abs(number) < 1e15)
            return QString::number(qint64(number));
    }
    if (kind == ColumnKind::Text || kind == ColumnKind::Memo)
        return value.toString();
    return TextRules::toText(value);
}

// True when every character of `text` survives the single-byte code page: a character it lacks
// would be written as a substitute byte and read back as something else. Each check has
// converters of its own: resetState() leaves the error mark of an earlier failure in place,
// which would blame every later product with a non-ASCII character.
bool fitsCodePage(const QString& text) {
    const bool plain =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (plain)
        return true;
    QStringEncoder encoder("windows-1252");
    QStringDecoder decoder("windows-1252");
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && QString(decoder.decode(bytes)) == text;
}

QString unencodableMessage(int count, const QStringList& named) {
    QString items = named.join(u", "_s);
    if (count > named.size())
        items += u", ..."_s;
    return (count == 1 ? u"1 product holds"_s : QString::number(count) + u" products hold"_s) +
           u" characters Windows-1252 cannot hold ("_s + items +
           u"); nothing was written. Export in UTF-8 to keep every character."_s;
}

} // namespace

DelimitedExport::Unencodable::Unencodable(int count, const QStringList& named)
    : RunTimeError(ErrorNumber::InvalidProcedureCall, unencodableMessage(count, named)),
      products(count), firstItems(named) {}

QString DelimitedExport::columnCaption(int column) {
    return column >= 1 && column < ProductsColumnCount ? Captions[size_t(column)] : QString();
}

QString DelimitedExport::optionCaption(int option) {
    static const QStringList captions{u"Comma Delimited"_s, u"Tab Delimited"_s,
                                      u"Space Delimited"_s, u"Bracket Delimted   -  ]"_s,
                                      u"Other"_s};
    return captions.value(option);
}

QString DelimitedExport::optionDivider(int option) {
    static const QStringList dividers{u","_s, u"\t"_s, u"  "_s, u"]"_s};
    return dividers.value(option);
}

QString DelimitedExport::instruction() {
    return u"Check The Box Beside Each Field You Want To Include In The Export!"_s;
}
QString DelimitedExport::nameTitle() {
    return u"Export Name"_s;
}
QString DelimitedExport::namePrompt() {
    return u"Enter The Name To Save File As - Do NOT Include The Extension, Like '.txt'"_s;
}
QString DelimitedExport::nameDefault() {
    return u"export"_s;
}
QString DelimitedExport::extensionRefused() {
    return u"Do NOT Use ANY Extensions After The File Name, Only Type The Files Name"_s;
}
QString DelimitedExport::otherTitle() {
    return u"Seperator"_s;
}
QString DelimitedExport::otherPrompt() {
    return u"Type What You Want To Use To Seperate The Data Fields With"_s;
}

bool DelimitedExport::nameHasExtension(const QString& name) {
    return name.contains(u'.');
}

QString DelimitedExport::filePath(const QString& appFolder, const QString& name) {
    return appFolder + name + u".txt"_s;
}

QString DelimitedExport::progress(int count) {
    return u"Exporting: "_s + QString::number(count);
}

QString DelimitedExport::columnsText(const QList<int>& columns) {
    QStringList parts;
    for (int column : columns)
        parts << QString::number(column);
    return parts.join(u',');
}

QList<int> DelimitedExport::columnsFromText(const QString& text) {
    QList<int> columns;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int column = part.trimmed().toInt(&ok);
        if (ok && column >= 1 && column < ProductsColumnCount && !columns.contains(column))
            columns << column;
    }
    return columns;
}

void DelimitedExport::setColumns(const QList<int>& columns) {
    m_columns.clear();
    for (int column : columns)
        if (column >= 1 && column < ProductsColumnCount && !m_columns.contains(column))
            m_columns.append(column);
    std::sort(m_columns.begin(), m_columns.end());
}

std::optional<QString> DelimitedExport::dividerRefusal(const QString& divider) {
    // The import's own rule for a typed divider: what it refuses could never be read back.
    if (divider.isEmpty() || Divider::fromTypedText(divider))
        return std::nullopt;
    return u"The divider "_s + divider +
           u" could not be read back: a divider is one or two characters other than a double "_s
           u"quote or a line break (or comma, tab, spaces or bracket); nothing was written."_s;
}

QString DelimitedExport::divider() const {
    return m_divider.isEmpty() ? u","_s : m_divider;
}

QString DelimitedExport::field(const QString& value) const {
    const QString d = divider();
    const bool quote =
        value.contains(d) || value.contains(u'"') || value.contains(u'\n') || value.contains(u'\r');
    if (!quote)
        return value;
    QString quoted = value;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString DelimitedExport::line(const QStringList& values) const {
    const QString d = divider();
    QString text;
    bool first = true;
    for (int column : m_columns) {
        if (!first)
            text += d;
        first = false;
        text += field(values.value(column));
    }
    return text;
}

QString DelimitedExport::headingLine() const {
    QStringList captions(ProductsColumnCount);
    for (int column : m_columns)
        captions[column] = columnCaption(column);
    return line(captions);
}

ImportOutcome DelimitedExport::run(CatalogueDatabase& db, const QString& path,
                                   const ProgressCallback& progress) const {
    const QList<ColumnInfo>& info = db.columns(u"Products"_s);
    if (info.size() < ProductsColumnCount)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The Products table of this catalogue lacks columns"_s);
    if (const std::optional<QString> refusal = dividerRefusal(m_divider))
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, *refusal);
    // The rows are read in stock-number order before the file is touched, so a search that
    // cannot be used leaves an earlier export in place.
    ProductSelection selection(db, m_searchWhere);

    OutputWriter file(path, OutputRules{db.path()});
    const bool codePage = m_encoding == Encoding::Windows1252;
    QStringEncoder encoder(codePage ? "windows-1252" : "UTF-8");
    if (!encoder.isValid())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                           u"This system has no Windows-1252 converter"_s);

    ImportOutcome outcome;
    ImportProgress report;
    report.maximum = selection.size();
    int written = 0;
    QStringList values(ProductsColumnCount);
    QString buffer;
    buffer.reserve(FlushAt + 4096);
    int unencodable = 0;
    QStringList named;
    if (m_heading)
        buffer += headingLine() + u"\r\n"_s;
    auto flush = [&] {
        file.write(encoder.encode(buffer));
        buffer.clear();
    };
    const bool stopped = !selection.forEach(
        [&](const StorageStatement& row) {
            for (int column : m_columns)
                values[column] =
                    valueText(row.value(column, info.at(column).kind), info.at(column).kind);
            const QString text = line(values);
            // The whole selection is looked through, so the refusal can say how many products
            // are affected; once one is found the rest is no longer written.
            if (codePage && !fitsCodePage(text)) {
                if (++unencodable <= NamedItems)
                    named << valueText(row.value(StockNoColumn, info.at(StockNoColumn).kind),
                                       info.at(StockNoColumn).kind);
            } else if (unencodable == 0) {
                buffer += text;
                buffer += u"\r\n"_s;
                if (buffer.size() >= FlushAt)
                    flush();
            }
            ++written;
            ++report.value;
            report.counts.edited = written;
            if (!progress)
                return true;
            report.status = DelimitedExport::progress(written);
            return progress(report);
        },
        u"*"_s);
    if (unencodable > 0)
        throw Unencodable(unencodable, named);
    flush();
    // An export stopped half way leaves the file as far as it got, like the screen always did;
    // a failed write never replaces the earlier file.
    file.commit();
    outcome.cancelled = stopped;
    outcome.counts.edited = written;
    outcome.totals = DelimitedExport::progress(written);
    return outcome;
}

} // namespace tovin
