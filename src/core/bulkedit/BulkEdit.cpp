#include "core/bulkedit/BulkEdit.h"

#include "core/bulkedit/BulkEditSets.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/ProductSelection.h"
#include "core/journal/JournalRun.h"
#include "core/journal/ServerSets.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"
#include "core/text/Money.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <array>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

namespace PC = CatalogueSchema::ProductsColumn;

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

bool isPercent(const QString& text) {
    return text.trimmed().endsWith(u'%');
}

// The number of "25%": the text before the last character, which refusal() has made sure is a
// number ("1,000%" is a thousand per cent, not one).
double percentOf(const QString& text) {
    const QString trimmed = text.trimmed();
    return TextRules::CDbl(trimmed.left(trimmed.size() - 1));
}

// Money columns read back as amounts; a text that slipped into one reads as the platform reads
// numbers out of text.
Money storedAmount(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    return Money::fromDouble(TextRules::Val(TextRules::toText(value))).value_or(Money());
}

// An amount worked out from a percentage is kept to the cent, rounded once and as the catalogue
// rounds money, so that pages and exports never show a fraction of a cent.
QVariant changedByPercent(const QVariant& amount, double percent) {
    return QVariant::fromValue(storedAmount(amount).percent(100.0 + percent, 2));
}

bool hasValue(const QVariant& value) {
    if (value.isNull())
        return false;
    return value.typeId() != QMetaType::QString || !value.toString().isEmpty();
}

} // namespace

bool BulkEdit::isYesNo(int column) {
    return column == PC::OnSpecial || column == PC::Disco || column == PC::Orderable ||
           column == PC::Taxable;
}

bool BulkEdit::isNumeric(int column) {
    return (column >= PC::Cost1 && column <= PC::Retail) || column == PC::MinOrdW ||
           column == PC::MinOrdR || column == PC::Catagory ||
           (column >= PC::Inventory && column <= PC::NoSold);
}

bool BulkEdit::takesPercentChange(int column) {
    return column >= PC::Cost1 && column <= PC::Retail;
}

QString BulkEdit::columnName(int column) {
    static const QStringList names{u"PID"_s,      u"Supplier"_s, u"StockNo"_s,   u"ProdName"_s,
                                   u"ProdDesc"_s, u"PageNo"_s,   u"Packaging"_s, u"Cost1"_s,
                                   u"Cost2"_s,    u"Cost3"_s,    u"Cost4"_s,     u"Cost5"_s,
                                   u"Retail"_s,   u"Price"_s,    u"Weight"_s,    u"MinOrdW"_s,
                                   u"MinOrdR"_s,  u"Picture"_s,  u"Catagory"_s,  u"OnSpecial"_s,
                                   u"OutStock"_s, u"Disco"_s,    u"Orderable"_s, u"Inventory"_s,
                                   u"OnOrder"_s,  u"ReOrder"_s,  u"NoSold"_s,    u"Ship1"_s,
                                   u"Ship2"_s,    u"Notes"_s,    u"Taxable"_s};
    return names.value(column);
}

int BulkEdit::columnOf(const QString& name) {
    for (int column = 1; column < PC::Count; ++column)
        if (columnName(column).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

void BulkEdit::set(int column, const QString& text) {
    if (column < 1 || column >= PC::Count || column == StockNoColumn)
        return;
    if (isYesNo(column)) {
        m_refusedFlags.remove(column);
        if (const std::optional<bool> flag = yesNoWord(text)) {
            setFlag(column, *flag);
        } else {
            m_flags.remove(column);
            m_refusedFlags.insert(column, text);
        }
        return;
    }
    m_texts.insert(column, text);
}

std::optional<bool> BulkEdit::yesNoWord(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == u"yes"_s || word == u"true"_s || word == u"y"_s || word == u"1"_s)
        return true;
    if (word == u"no"_s || word == u"false"_s || word == u"n"_s || word == u"0"_s)
        return false;
    return std::nullopt;
}

void BulkEdit::setFlag(int column, bool value) {
    if (isYesNo(column))
        m_flags.insert(column, value);
}

QString BulkEdit::refusal() const {
    if (!m_refusedFlags.isEmpty())
        return u"\""_s + m_refusedFlags.first() + u"\" is not a yes/no value; "_s +
               columnName(m_refusedFlags.firstKey()) +
               u" takes yes, no, true, false, y, n, 1 or 0"_s;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it) {
        const int column = it.key();
        const QString& text = it.value();
        if (!isNumeric(column) && column != PriceColumn)
            continue;
        if (isBlank(text) || TextRules::IsNumeric(text))
            continue;
        const bool percent = isPercent(text) &&
                             (column == PriceColumn || takesPercentChange(column)) &&
                             TextRules::IsNumeric(text.trimmed().chopped(1));
        if (!percent)
            return u"\""_s + text + u"\" is not a number; "_s + columnName(column) +
                   (takesPercentChange(column) || column == PriceColumn
                        ? u" takes a number or a percentage such as 10%"_s
                        : u" takes a number"_s);
    }
    return QString();
}

BulkEdit::Plan BulkEdit::plan() const {
    Plan plan;
    for (int column = 1; column < PC::Count; ++column) {
        if (m_flags.contains(column)) {
            plan.columns.append(column);
            continue;
        }
        const bool typed = m_texts.contains(column);
        const QString text = m_texts.value(column);
        if (column == NotesColumn && m_clearNotes) {
            plan.columns.append(column);
            if (text.isEmpty())
                plan.emptied.append(column);
            continue;
        }
        if (!typed)
            continue;
        if (!isBlank(text)) {
            plan.columns.append(column);
            continue;
        }
        // A blank box is written only when blanks are included, and never over a description
        // or as a note added to the notes.
        if (!m_includeBlank || column == PC::ProdDesc || column == NotesColumn)
            continue;
        plan.columns.append(column);
        plan.emptied.append(column);
    }
    return plan;
}

QString BulkEdit::question(qsizetype products, const QStringList& columns,
                           const QStringList& emptied) {
    QString text = u"Change "_s + QString::number(products) +
                   (products == 1 ? u" product? "_s : u" products? "_s) + u"Columns: "_s +
                   columns.join(u", "_s);
    if (!emptied.isEmpty())
        text += u" ("_s + emptied.join(u", "_s) + u" will be emptied)"_s;
    return text;
}

std::optional<QString> BulkEdit::storedSupplier(CatalogueDatabase& db, const QString& typed) {
    const QVariant name = db.scalar(u"SELECT Name FROM Supplier WHERE "_s +
                                        db.dialect().equalsIgnoringCase(u"Name"_s, u"?"_s) +
                                        u" ORDER BY SID LIMIT 1"_s,
                                    {typed.trimmed()});
    if (name.isNull())
        return std::nullopt;
    return name.toString();
}

QString BulkEdit::supplierMissing() {
    return u"Sorry, That Supplier Is NOT In The Data Base, ADD It Now Or Choose One"_s;
}

QString BulkEdit::progress(qint64 row, qint64 count) {
    return u"Updating Records: #"_s + QString::number(row) + u" Of "_s + QString::number(count);
}

QVariant BulkEdit::fixedValue(int column, ColumnKind kind, const QString& name) const {
    if (m_flags.contains(column))
        return ColumnValues::toStorage(kind, QVariant(m_flags.value(column)));
    const QString text = m_texts.value(column);
    if (isPercent(text) && (column == PriceColumn || takesPercentChange(column)))
        return QVariant();
    if (isNumeric(column) || column == PriceColumn)
        return isBlank(text) ? QVariant()
                             : ColumnValues::toStorage(kind, QVariant(TextRules::CDbl(text)));
    if (column == NotesColumn || column == PictureColumn)
        return QVariant();
    return ColumnValues::toStorage(kind, text, name);
}

std::optional<QVariant> BulkEdit::productValue(int column, ColumnKind kind, const QVariant& fixed,
                                               ProductValues& product, QString& extension) const {
    const QString text = m_texts.value(column);
    if (m_flags.contains(column))
        return fixed;
    if (column == NotesColumn) {
        const QString notes = TextRules::toText(product.notes);
        if (m_clearNotes)
            return text.isEmpty() ? QVariant() : QVariant(text);
        return notes.isEmpty() ? QVariant(text) : QVariant(notes + u"\r\n"_s + text);
    }
    if (column == PictureColumn) {
        QString base = text.trimmed();
        if (base.isEmpty())
            return QVariant();
        if (extension.isEmpty())
            extension = TextRules::toText(product.picture).right(4);
        while (base.endsWith(u'/') || base.endsWith(u'\\'))
            base.chop(1);
        return QVariant(base + u'/' + TextRules::toText(product.stockNo) + extension);
    }
    if (isPercent(text) && column == PriceColumn) {
        if (!hasValue(product.retail))
            return std::nullopt;
        return ColumnValues::toStorage(kind, changedByPercent(product.retail, -percentOf(text)));
    }
    if (isPercent(text) && takesPercentChange(column)) {
        if (!hasValue(product.own))
            return std::nullopt;
        const QVariant changed = changedByPercent(product.own, percentOf(text));
        if (column == PC::Retail)
            product.retail = changed;
        return ColumnValues::toStorage(kind, changed);
    }
    if (column == PC::Retail)
        product.retail = fixed.isNull() ? QVariant() : ColumnValues::fromStorage(kind, fixed);
    return fixed;
}

ImportOutcome BulkEdit::walkWithoutChanges(qint64 count, const ProgressCallback& progress) const {
    ImportOutcome outcome;
    ImportProgress report;
    report.maximum = count;
    qint64 row = 0;
    for (qint64 i = 0; i < count; ++i) {
        ++row;
        report.value = i + 1;
        report.status = BulkEdit::progress(row, count);
        if (progress && !progress(report)) {
            outcome.cancelled = true;
            break;
        }
    }
    outcome.totals = BulkEdit::progress(row, count);
    return outcome;
}

namespace {

// Every column of the table by name, in its order: "*" would also give the key column that some
// engines keep as a column of its own.
QString columnList(const QList<ColumnInfo>& info) {
    QStringList names;
    for (const ColumnInfo& column : info)
        names << CatalogueDatabase::quoteName(column.name);
    return names.join(u", "_s);
}

} // namespace

ImportOutcome BulkEdit::runInSets(CatalogueDatabase& db, const QString& searchWhere,
                                  const std::vector<qint64>& rows, BulkEditSets::Work work) {
    ScopedTransaction transaction(db);
    JournalRun journal(db, JournalRun::BulkEdit, searchWhere);
    BulkEditSets sets(db, std::move(work));
    const auto [visited, stopped] = sets.run(rows);
    const qint64 count = qint64(rows.size());
    journal.setTotals(BulkEdit::progress(visited, count));
    transaction.commit();
    ImportOutcome outcome;
    outcome.cancelled = stopped;
    outcome.counts.edited = int(visited);
    outcome.totals = BulkEdit::progress(visited, count);
    return outcome;
}

ImportOutcome BulkEdit::run(CatalogueDatabase& db, const QString& searchWhere,
                            const ProgressCallback& progress,
                            const std::function<void(const RunTimeError&)>& onError) {
    if (const QString refused = refusal(); !refused.isEmpty())
        throw RunTimeError(ErrorNumber::TypeMismatch, refused);
    const QList<ColumnInfo>& info = db.columns(u"Products"_s);
    if (info.size() < PC::Count)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The Products table of this catalogue lacks columns"_s);

    const QList<int> written = plan().columns;
    ProductSelection selection(db, searchWhere);
    const qint64 count = selection.size();
    if (written.isEmpty())
        return walkWithoutChanges(count, progress);

    // One statement for every row: "col = CASE WHEN ? = 1 THEN col ELSE ? END" lets a row keep its
    // value (a price without a retail price, a percentage of nothing).
    QString sql = u"UPDATE Products SET "_s;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QString name = CatalogueDatabase::quoteName(info.at(written[i]).name);
        sql += (i ? u", "_s : QString()) + name + u" = CASE WHEN ? = 1 THEN "_s + name +
               u" ELSE ? END"_s;
    }
    sql += u" WHERE rowid = ?"_s;
    const std::unique_ptr<StorageStatement> update = db.prepare(sql);

    // Values alike in every row, converted once.
    std::array<QVariant, PC::Count> fixed;
    for (int column : written)
        fixed[size_t(column)] = fixedValue(column, info.at(column).kind, info.at(column).name);

    QString extension = m_pictureExtension;
    if (ServerSets::apply(db))
        return runInSets(db, searchWhere, selection.rowIds(),
                         {*this, info, written, fixed, extension, *update, progress, onError});
    ImportProgress report;
    report.maximum = count;
    qint64 rowCount = 0;
    ScopedTransaction transaction(db);
    JournalRun journal(db, JournalRun::BulkEdit, searchWhere);
    const auto stored = [&](const StorageStatement& row, int column) {
        return row.value(column + 1, info.at(column).kind);
    };
    const bool stopped = !selection.forEach(
        [&](const StorageStatement& row) {
            ProductValues product{stored(row, PC::StockNo),
                                  stored(row, PC::Retail),
                                  stored(row, PC::Picture),
                                  stored(row, PC::Notes),
                                  {}};
            int parameter = 1;
            try {
                for (int column : written) {
                    const ColumnKind kind = info.at(column).kind;
                    if (takesPercentChange(column))
                        product.own = stored(row, column);
                    const std::optional<QVariant> value =
                        productValue(column, kind, fixed[size_t(column)], product, extension);
                    update->bind(parameter++, qint64(value ? 0 : 1));
                    update->bind(parameter++, value.value_or(QVariant()));
                }
                update->bind(parameter, row.integer(0));
                update->next();
                update->reset();
            } catch (const CatalogueFailure&) {
                // Every further row would fail too; the transaction is rolled back whole.
                throw;
            } catch (const RunTimeError& error) {
                update->reset();
                if (onError)
                    onError(error);
                else
                    ReportError(u"(Form) EditProd::Sub Command1_Click"_s, error);
            }
            ++rowCount;
            ++report.value;
            report.counts.edited = int(rowCount);
            if (!progress)
                return true;
            report.status = BulkEdit::progress(rowCount, count);
            return progress(report);
        },
        u"rowid, "_s + columnList(info));
    journal.setTotals(BulkEdit::progress(rowCount, count));
    transaction.commit();
    ImportOutcome outcome;
    outcome.cancelled = stopped;
    outcome.counts.edited = int(rowCount);
    outcome.totals = BulkEdit::progress(rowCount, count);
    return outcome;
}

} // namespace tovin
