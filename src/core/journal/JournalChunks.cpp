#include "core/journal/JournalChunks.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/JournalValues.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/StorageStatement.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalChunks {

namespace {

constexpr char NameFollows = char(0x80);

void appendBytes(QByteArray& out, const QByteArray& bytes) {
    JournalValues::appendVarint(out, quint64(bytes.size()));
    out.append(bytes);
}

} // namespace

void append(Chunk& chunk, int table, const QString& name, RunHistory::Change change, qint64 key,
            const QByteArray& oldValues, const QByteArray& newValues) {
    QByteArray& out = chunk.bytes;
    if (table != chunk.lastTable) {
        out.append(char(change) | NameFollows);
        appendBytes(out, name.toUtf8());
        chunk.lastTable = table;
    } else {
        out.append(char(change));
    }
    JournalValues::appendVarint(out, (quint64(key) << 1) ^ quint64(key >> 63));
    switch (change) {
    case RunHistory::Change::Added:
        appendBytes(out, newValues);
        ++chunk.added;
        break;
    case RunHistory::Change::Changed:
        appendBytes(out, oldValues);
        appendBytes(out, newValues);
        ++chunk.changed;
        break;
    case RunHistory::Change::Deleted:
        appendBytes(out, oldValues);
        ++chunk.deleted;
        break;
    }
}

QList<Entry> read(const QByteArray& bytes) {
    QList<Entry> entries;
    QString table;
    for (JournalValues::Reader reader(bytes); !reader.atEnd();) {
        const char head = reader.byte();
        if (head & NameFollows)
            table = QString::fromUtf8(reader.bytes(reader.varint()));
        Entry entry;
        entry.table = table;
        const quint64 z = reader.varint();
        entry.key = qint64((z >> 1) ^ (~(z & 1) + 1));
        const int change = head & ~NameFollows;
        if (table.isEmpty() || change < 1 || change > 3)
            throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
        entry.change = RunHistory::Change(change);
        if (entry.change != RunHistory::Change::Added)
            entry.oldValues = reader.bytes(reader.varint());
        if (entry.change != RunHistory::Change::Deleted)
            entry.newValues = reader.bytes(reader.varint());
        entries.append(std::move(entry));
    }
    return entries;
}

// The connection's own statements, kept from one chunk to the next: a large run writes a chunk
// at every commit, and on a server each would otherwise be planned anew.
void write(CatalogueDatabase& db, const Chunk& chunk) {
    const qint64 first = JournalValues::firstRowOf(chunk.run);
    StorageStatement& last =
        db.run(u"SELECT coalesce(max(Seq), ?1) FROM RunRows WHERE Seq >= ?1 AND Seq < ?2"_s,
               {first, JournalValues::firstRowOf(chunk.run + 1)});
    const qint64 seq = (last.next() ? last.integer(0) : first) + 1;
    last.reset();
    db.run(u"INSERT INTO RunRows (Seq, Run, Added, Changed, Deleted, Entries) VALUES (?, ?, ?, "
           u"?, ?, ?)"_s,
           {seq, chunk.run, chunk.added, chunk.changed, chunk.deleted, QVariant(chunk.bytes)})
        .reset();
}

void forEach(CatalogueDatabase& db, qint64 run, const std::function<bool(Entry&)>& visit) {
    const std::unique_ptr<StorageStatement> q =
        db.prepare(u"SELECT Entries FROM RunRows WHERE Seq >= ? AND Seq < ? ORDER BY Seq"_s);
    q->readBlobsAsTheyAre();
    q->bind(1, JournalValues::firstRowOf(run));
    q->bind(2, JournalValues::firstRowOf(run + 1));
    while (q->next())
        for (Entry& entry : read(q->stored(0).toByteArray()))
            if (!visit(entry))
                return;
}

} // namespace tovin::JournalChunks
