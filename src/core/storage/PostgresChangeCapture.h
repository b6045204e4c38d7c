#pragma once

#include "core/storage/ChangeCapture.h"

#include <QStringList>

namespace tovin {

class StorageConnection;

// How a server catalogue captures its changes for the journal. A server has no hook telling of
// each row written, so triggers on every journalled table note each change in a temporary table
// of the session, pg_temp.journal_pending (the keys of added rows; the values a changed or
// deleted row had before), while the session's setting "tovin.run" names a run. The journal
// (ServerJournal) reads the notes before each commit.
class PostgresChangeCapture final : public ChangeCapture {
public:
    explicit PostgresChangeCapture(StorageConnection& connection) : m_connection(connection) {}

    // The trigger functions, two triggers per table and the table of the row versions runs
    // left (RunVersions), made with the server's catalogue tables, after Runs.
    static QStringList schemaStatements(const QStringList& tables);

    bool tellsEachRow() const override { return false; }
    // The triggers note the changes of every journalled table; the journal picks its own.
    void watch(const QString& table, int number) override {
        Q_UNUSED(table);
        Q_UNUSED(number);
    }
    // Names the run in the session's setting, making the session's table of notes first.
    void setRun(qint64 run) override;
    // Reads the session's setting: a connection made again has lost it.
    bool capturesRun(qint64 run) override;
    // Clears the session's setting around `write`, so the triggers stay silent, and names the
    // run again after it.
    void writeUncaptured(const std::function<void()>& write) override;

private:
    void execute(const QString& sql);

    StorageConnection& m_connection;
    qint64 m_run = 0;
};

} // namespace tovin
