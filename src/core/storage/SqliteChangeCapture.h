#pragma once

#include "core/storage/ChangeCapture.h"

#include <QByteArray>
#include <QHash>
#include <QList>

struct sqlite3;

namespace tovin {

class SqliteConnection;

// The capture of a catalogue file: SQLite's pre-update hook tells the listener of each row of a
// watched table just before the connection writes it, with the values as the file holds them,
// and its commit and rollback hooks let the listener hold a commit back or forget what a
// rolled back transaction changed. Outside a run the hook returns at once.
class SqliteChangeCapture final : public ChangeCapture {
public:
    explicit SqliteChangeCapture(SqliteConnection& connection);

    bool tellsEachRow() const override { return true; }
    void watch(const QString& table, int number) override;
    void setRun(qint64 run) override { m_run = run; }
    bool capturesRun(qint64 run) override { return m_run == run; }
    void writeUncaptured(const std::function<void()>& write) override;

    // Takes the hooks off a connection about to close, so nothing is told to a capture that
    // goes with it.
    static void stopTelling(sqlite3* handle);

private:
    struct Watched {
        int number = -1;
        QList<bool> real; // the columns of real affinity, by position
    };
    static void rowChanging(void* self, sqlite3* db, int operation, const char* database,
                            const char* table, qint64 keyBefore, qint64 keyAfter);
    static int committing(void* self);
    static void rolledBack(void* self);
    const Watched* watched(const char* table);
    QList<bool> realColumns(const QString& table) const;

    SqliteConnection& m_connection;
    qint64 m_run = 0;
    QHash<QByteArray, Watched> m_watched;
    // The table of the last change and what is watched of it (null: not watched): a run writes
    // many rows to one table in turn.
    QByteArray m_lastTable;
    const Watched* m_lastWatched = nullptr;
};

} // namespace tovin
