#pragma once

#include "core/journal/RunHistory.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace tovin {

class CatalogueDatabase;

// A run's changes are stored in chunks: one RunRows row holds a few thousand of them packed one
// after the other, in the order the run made them. Writing a row of the journal per changed row
// doubled the cost of a large import; a chunk is one write for thousands of them.
//
// An entry is its change (1 added, 2 changed, 3 deleted; the high bit set when the table's name
// follows because it differs from the entry before), the row's key, then the packed values as
// length and bytes: the whole row for a row added or deleted, the changed columns' old and then
// new values for a row changed.
namespace JournalChunks {

// Where a chunk is closed and the next one begun.
inline constexpr qint64 ChangesPerChunk = 4096;
inline constexpr qsizetype BytesPerChunk = 1 << 20;

struct Entry {
    QString table;
    qint64 key = 0;
    RunHistory::Change change = RunHistory::Change::Changed;
    QByteArray oldValues; // a packed row (deleted) or packed columns (changed)
    QByteArray newValues; // a packed row (added) or packed columns (changed)
};

struct Chunk {
    qint64 run = 0;
    QByteArray bytes;
    qint64 added = 0;
    qint64 changed = 0;
    qint64 deleted = 0;
    int lastTable = -1; // the caller's number of the table of the last entry

    qint64 entries() const { return added + changed + deleted; }
    bool full() const { return entries() >= ChangesPerChunk || bytes.size() >= BytesPerChunk; }
};

// Adds an entry; `table` numbers the table for the caller, `name` is written when it changes.
void append(Chunk& chunk, int table, const QString& name, RunHistory::Change change, qint64 key,
            const QByteArray& oldValues, const QByteArray& newValues);

// The entries of a chunk in order; raises for a damaged one.
QList<Entry> read(const QByteArray& bytes);

// Writes the chunk as the run's next RunRows row, in the transaction in progress.
void write(CatalogueDatabase& db, const Chunk& chunk);

// Reads the run's entries in the order it made them until `visit` returns false.
void forEach(CatalogueDatabase& db, qint64 run, const std::function<bool(Entry&)>& visit);

} // namespace JournalChunks

} // namespace tovin
