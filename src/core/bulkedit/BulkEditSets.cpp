#include "core/bulkedit/BulkEditSets.h"

#include "core/bulkedit/BulkEdit.h"
#include "core/journal/JournalValues.h"
#include "core/journal/ServerJournal.h"
#include "core/journal/ServerSets.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueFailure.h"

#include <QHash>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

namespace PC = CatalogueSchema::ProductsColumn;

} // namespace

BulkEditSets::BulkEditSets(CatalogueDatabase& db, Work work) : m_db(db), m_work(std::move(work)) {
    // What a row's values depend on (see BulkEdit::ProductValues), then the written columns.
    m_read = {PC::StockNo, PC::Retail, PC::Picture, PC::Notes};
    for (const int column : m_work.written)
        if (std::find(m_read.begin(), m_read.end(), column) == m_read.end())
            m_read.push_back(column);
    m_readRows = m_db.prepare(readStatement());
    m_update = m_db.prepare(updateStatement());
}

QString BulkEditSets::readStatement() const {
    QStringList names{u"rowid"_s};
    for (const int column : m_read)
        names << CatalogueDatabase::quoteName(m_work.info.at(column).name);
    // Locked, so that the values read are those the update finds, and journals as they were.
    return u"SELECT "_s + names.join(u", "_s) +
           u" FROM Products WHERE rowid = ANY(CAST(? AS bigint[])) FOR UPDATE"_s;
}

// A column that keeps its value in a row (a percentage of nothing) is set to itself there.
QString BulkEditSets::updateStatement() const {
    QStringList sets;
    QStringList arrays{u"CAST(? AS bigint[])"_s};
    QStringList names{u"k"_s};
    for (qsizetype i = 0; i < m_work.written.size(); ++i) {
        const ColumnInfo& column = m_work.info.at(m_work.written.at(i));
        const QString name = CatalogueDatabase::quoteName(column.name);
        const QString keep = u"keep%1"_s.arg(i);
        const QString value = u"value%1"_s.arg(i);
        sets << name + u" = CASE WHEN v."_s + keep + u" THEN "_s + name + u" ELSE CAST(v."_s +
                    value + u" AS "_s + ServerSets::typeOf(column.kind) + u") END"_s;
        arrays << u"CAST(? AS boolean[])"_s << u"CAST(? AS text[])"_s;
        names << keep << value;
    }
    return u"UPDATE Products SET "_s + sets.join(u", "_s) + u" FROM unnest("_s +
           arrays.join(u", "_s) + u") AS v("_s + names.join(u", "_s) + u") WHERE rowid = v.k"_s;
}

std::pair<qint64, bool> BulkEditSets::run(const std::vector<qint64>& rows) {
    m_count = qint64(rows.size());
    m_report.maximum = m_count;
    std::vector<Row> set;
    for (size_t from = 0; from < rows.size(); from += ServerSets::RowsPerStatement) {
        const size_t end = std::min(rows.size(), from + size_t(ServerSets::RowsPerStatement));
        const std::vector<qint64> keys(rows.begin() + qsizetype(from),
                                       rows.begin() + qsizetype(end));
        const bool going = prepareSet(keys, set);
        writeSet(set);
        if (!going)
            return {m_visited, true};
    }
    return {m_visited, false};
}

bool BulkEditSets::prepareSet(const std::vector<qint64>& keys, std::vector<Row>& set) {
    set.clear();
    // The rows come in any order; they are worked out in the selection's, which decides the
    // picture extension taken from the first row that has one.
    // Each row's values as the catalogue reads them, then as stored, for the journal.
    QHash<qint64, std::vector<QVariant>> stored;
    stored.reserve(qsizetype(keys.size()));
    StorageStatement& read = *m_readRows;
    read.reset();
    read.bindText(1, ServerSets::keys(keys));
    while (read.next()) {
        std::vector<QVariant>& values = stored[read.integer(0)];
        values.resize(2 * PC::Count);
        for (size_t i = 0; i < m_read.size(); ++i) {
            const int column = m_read[i];
            values[size_t(column)] = read.value(int(i) + 1, m_work.info.at(column).kind);
            values[size_t(PC::Count + column)] = read.stored(int(i) + 1);
        }
    }
    read.reset();
    const BulkEdit& edit = m_work.edit;
    for (const qint64 key : keys) {
        const auto found = stored.constFind(key);
        // A row deleted since the selection was made is passed over, as on a file.
        if (found == stored.cend())
            continue;
        const std::vector<QVariant>& values = *found;
        BulkEdit::ProductValues product{
            values[PC::StockNo], values[PC::Retail], values[PC::Picture], values[PC::Notes], {}};
        Row row;
        row.key = key;
        try {
            for (const int column : m_work.written) {
                const ColumnKind kind = m_work.info.at(column).kind;
                if (BulkEdit::takesPercentChange(column))
                    product.own = values[size_t(column)];
                const std::optional<QVariant> value = edit.productValue(
                    column, kind, m_work.fixed[size_t(column)], product, m_work.extension);
                row.keep.push_back(!value);
                row.values.push_back(value.value_or(QVariant()));
                row.before.push_back(values[size_t(PC::Count + column)]);
            }
            set.push_back(std::move(row));
        } catch (const CatalogueFailure&) {
            throw;
        } catch (const RunTimeError& error) {
            report(error);
        }
        ++m_visited;
        ++m_report.value;
        m_report.counts.edited = int(m_visited);
        if (!m_work.progress)
            continue;
        m_report.status = BulkEdit::progress(m_visited, m_count);
        if (!m_work.progress(m_report))
            return false;
    }
    return true;
}

void BulkEditSets::writeSet(const std::vector<Row>& set) {
    if (set.empty())
        return;
    std::vector<qint64> keys;
    keys.reserve(set.size());
    for (const Row& row : set)
        keys.push_back(row.key);
    StorageStatement& update = *m_update;
    update.reset();
    update.bindText(1, ServerSets::keys(keys));
    std::vector<QVariant> keeps(set.size());
    std::vector<QVariant> values(set.size());
    for (size_t column = 0; column < size_t(m_work.written.size()); ++column) {
        for (size_t i = 0; i < set.size(); ++i) {
            keeps[i] = set[i].keep[column];
            values[i] = set[i].values[column];
        }
        update.bindText(int(2 * column) + 2, ServerSets::texts(keeps));
        update.bindText(int(2 * column) + 3, ServerSets::texts(values));
    }
    try {
        ServerJournal::withoutTriggers(m_db, [&] { update.execute(); });
        update.reset();
    } catch (const StatementRefused&) {
        // Some row of the set was refused, and the statement changed nothing: the rows go
        // again one by one, so that the others are written and each refused one is told; the
        // journal's triggers note those.
        update.reset();
        writeOneByOne(set);
        return;
    }
    journal(set);
}

// The rows were read locked and the server stores the values as sent: the columns whose value
// differs are what the update changed.
void BulkEditSets::journal(const std::vector<Row>& set) const {
    QByteArray before;
    QByteArray after;
    for (const Row& row : set) {
        before.resize(0);
        after.resize(0);
        for (size_t i = 0; i < row.values.size(); ++i) {
            if (row.keep[i])
                continue;
            const QVariant now = ServerSets::storedForm(row.values[i]);
            if (JournalValues::same(row.before[i], now))
                continue;
            const int column = m_work.written.at(qsizetype(i));
            JournalValues::packColumn(before, column, row.before[i]);
            JournalValues::packColumn(after, column, now);
        }
        if (!after.isEmpty())
            ServerJournal::note(m_db, u"Products"_s, RunHistory::Change::Changed, row.key, before,
                                after);
    }
}

void BulkEditSets::writeOneByOne(const std::vector<Row>& set) {
    std::vector<StorageConnection::GroupedRun> runs;
    runs.reserve(set.size());
    for (const Row& row : set) {
        StorageConnection::GroupedRun run;
        run.statement = &m_work.oneRow;
        for (size_t column = 0; column < row.values.size(); ++column) {
            run.values.push_back(qint64(row.keep[column] ? 1 : 0));
            run.values.push_back(row.values[column]);
        }
        run.values.push_back(row.key);
        run.refused = [this](const StatementRefused& refusal) { report(refusal); };
        runs.push_back(std::move(run));
    }
    m_db.connection().runTogether(runs);
}

void BulkEditSets::report(const RunTimeError& error) const {
    if (m_work.onError)
        m_work.onError(error);
    else
        ReportError(u"(Form) EditProd::Sub Command1_Click"_s, error);
}

} // namespace tovin
