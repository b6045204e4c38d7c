#include "core/journal/RunUndoWrites.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/ServerJournal.h"
#include "core/journal/ServerSets.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString quotedColumn(const RunUndoWrites::Table& table, int position) {
    return CatalogueDatabase::quoteName(table.columns.value(position));
}

} // namespace

RunUndoWrites::RunUndoWrites(CatalogueDatabase& db, Mode mode) : m_db(db), m_mode(mode) {}

RunUndoWrites::~RunUndoWrites() = default;

void RunUndoWrites::remove(const Table& table, qint64 key, const JournalValues::Row& now) {
    add({&table,
         Kind::Remove,
         {},
         key,
         {},
         m_mode == Mode::InSets ? now : JournalValues::Row(),
         {}});
}

void RunUndoWrites::remove(const Table& table, qint64 key, const QByteArray& packedNow) {
    add({&table, Kind::Remove, {}, key, {}, {}, m_mode == Mode::InSets ? packedNow : QByteArray()});
}

void RunUndoWrites::removed(const Table& table, qint64 key, const QByteArray& packedNow) {
    add({&table, Kind::Remove, {}, key, {}, {}, packedNow, true});
}

void RunUndoWrites::update(const Table& table, qint64 key, const QList<int>& positions,
                           const JournalValues::Row& row, const JournalValues::Row& now) {
    JournalValues::Row values;
    JournalValues::Row before;
    for (const int position : positions) {
        values << row.value(position);
        before << now.value(position);
    }
    add({&table, Kind::Update, positions, key, values, before, {}});
}

void RunUndoWrites::insert(const Table& table, qint64 key, const JournalValues::Row& row) {
    QList<int> positions;
    for (int i = 0; i < table.columns.size(); ++i)
        positions << i;
    add({&table, Kind::Insert, positions, key, row, {}, {}});
}

void RunUndoWrites::add(Write write) {
    switch (m_mode) {
    case Mode::Nothing:
        return;
    case Mode::AtOnce:
        writeOne(write);
        return;
    case Mode::InSets:
        m_pending.push_back(std::move(write));
        if (qsizetype(m_pending.size()) >= 4 * ServerSets::RowsPerStatement)
            flush();
        return;
    }
}

bool RunUndoWrites::sameShape(const Write& a, const Write& b) {
    return a.table == b.table && a.kind == b.kind && a.positions == b.positions && a.made == b.made;
}

void RunUndoWrites::flush() {
    size_t from = 0;
    while (from < m_pending.size()) {
        // The run of writes of one shape, ending before a row written twice in it.
        QSet<qint64> keys{m_pending[from].key};
        size_t end = from + 1;
        while (end < m_pending.size() && end - from < size_t(ServerSets::RowsPerStatement) &&
               sameShape(m_pending[from], m_pending[end]) && !keys.contains(m_pending[end].key))
            keys.insert(m_pending[end++].key);
        if (!m_pending[from].made)
            ServerJournal::withoutTriggers(m_db, [&] {
                if (end - from == 1)
                    writeOne(m_pending[from]);
                else
                    writeSet(from, end);
            });
        journal(from, end);
        from = end;
    }
    m_pending.clear();
}

StorageStatement& RunUndoWrites::statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.insert(sql, std::shared_ptr<StorageStatement>(m_db.prepare(sql)));
    return **it;
}

QString RunUndoWrites::oneRowSql(const Write& write) {
    const Table& table = *write.table;
    const QString quoted = CatalogueDatabase::quoteName(table.name);
    switch (write.kind) {
    case Kind::Remove:
        return u"DELETE FROM "_s + quoted + u" WHERE rowid = ?"_s;
    case Kind::Update: {
        QStringList sets;
        for (const int position : write.positions)
            sets << quotedColumn(table, position) + u" = ?"_s;
        return u"UPDATE "_s + quoted + u" SET "_s + sets.join(u", "_s) + u" WHERE rowid = ?"_s;
    }
    case Kind::Insert:
        break;
    }
    // A table keyed by a counter column takes the key with the column's value; any other gets
    // its row number given first.
    QStringList names;
    QStringList places;
    if (!table.keyIsColumn)
        names << u"rowid"_s, places << u"?"_s;
    for (const int position : write.positions)
        names << quotedColumn(table, position), places << u"?"_s;
    return u"INSERT INTO "_s + quoted + u" ("_s + names.join(u", "_s) + u") VALUES ("_s +
           places.join(u", "_s) + u')';
}

void RunUndoWrites::writeOne(const Write& write) {
    StorageStatement& one = statement(oneRowSql(write));
    one.reset();
    int place = 1;
    if (write.kind == Kind::Insert && !write.table->keyIsColumn)
        one.bind(place++, write.key);
    for (const QVariant& value : write.values)
        one.bind(place++, value);
    if (write.kind != Kind::Insert)
        one.bind(place, write.key);
    one.execute();
    one.reset();
}

// The values go as arrays, one for the keys and one for each column, each element cast to
// the column's type on the server.
QString RunUndoWrites::setSql(const Write& write) {
    const Table& table = *write.table;
    const QString quoted = CatalogueDatabase::quoteName(table.name);
    if (write.kind == Kind::Remove)
        return u"DELETE FROM "_s + quoted + u" WHERE rowid = ANY(CAST(? AS bigint[]))"_s;
    QStringList arrays{u"CAST(? AS bigint[])"_s};
    QStringList names{u"k"_s};
    QStringList columns;
    QStringList values;
    for (qsizetype i = 0; i < write.positions.size(); ++i) {
        const int position = write.positions.at(i);
        arrays << u"CAST(? AS text[])"_s;
        names << u"c%1"_s.arg(i);
        columns << quotedColumn(table, position);
        values << u"CAST(v.c%1 AS "_s.arg(i) + ServerSets::typeOf(table.kinds.value(position)) +
                      u')';
    }
    const QString rows =
        u" FROM unnest("_s + arrays.join(u", "_s) + u") AS v("_s + names.join(u", "_s) + u')';
    if (write.kind == Kind::Update) {
        QStringList sets;
        for (qsizetype i = 0; i < columns.size(); ++i)
            sets << columns.at(i) + u" = "_s + values.at(i);
        return u"UPDATE "_s + quoted + u" SET "_s + sets.join(u", "_s) + rows +
               u" WHERE rowid = v.k"_s;
    }
    if (!table.keyIsColumn)
        columns.prepend(u"rowid"_s), values.prepend(u"v.k"_s);
    return u"INSERT INTO "_s + quoted + u" ("_s + columns.join(u", "_s) + u") SELECT "_s +
           values.join(u", "_s) + rows;
}

void RunUndoWrites::writeSet(size_t from, size_t end) {
    const Write& first = m_pending[from];
    StorageStatement& set = statement(setSql(first));
    set.reset();
    std::vector<qint64> keys;
    for (size_t i = from; i < end; ++i)
        keys.push_back(m_pending[i].key);
    set.bindText(1, ServerSets::keys(keys));
    std::vector<QVariant> column(end - from);
    for (qsizetype c = 0; c < first.positions.size(); ++c) {
        for (size_t i = from; i < end; ++i)
            column[i - from] = m_pending[i].values.value(c);
        set.bindText(int(c) + 2, ServerSets::texts(column));
    }
    set.execute();
    set.reset();
}

void RunUndoWrites::journal(size_t from, size_t end) const {
    QByteArray before;
    QByteArray after;
    for (size_t i = from; i < end; ++i) {
        const Write& write = m_pending[i];
        const QString& table = write.table->name;
        switch (write.kind) {
        case Kind::Remove:
            ServerJournal::note(m_db, table, RunHistory::Change::Deleted, write.key,
                                write.packedBefore.isEmpty() ? JournalValues::packRow(write.before)
                                                             : write.packedBefore,
                                {});
            break;
        case Kind::Insert:
            ServerJournal::note(m_db, table, RunHistory::Change::Added, write.key, {},
                                JournalValues::packRow(write.values));
            break;
        case Kind::Update:
            before.resize(0);
            after.resize(0);
            for (qsizetype c = 0; c < write.positions.size(); ++c) {
                if (JournalValues::same(write.before.value(c), write.values.value(c)))
                    continue;
                JournalValues::packColumn(before, write.positions.at(c), write.before.value(c));
                JournalValues::packColumn(after, write.positions.at(c), write.values.value(c));
            }
            if (!after.isEmpty())
                ServerJournal::note(m_db, table, RunHistory::Change::Changed, write.key, before,
                                    after);
            break;
        }
    }
}

} // namespace tovin
