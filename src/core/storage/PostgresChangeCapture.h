#pragma once

#include <QStringList>

// How a server catalogue captures its changes for the journal. A server has no hook telling of
// each row written, so triggers on every journalled table note each change in a temporary table
// of the session, pg_temp.journal_pending (the keys of added rows; the values a changed or
// deleted row had before), while the session's setting "tovin.run" names a run. The journal
// (ServerJournal) makes that table, sets the run and reads the notes before each commit.
namespace tovin::PostgresChangeCapture {

// The trigger functions and two triggers per table, made with the server's catalogue tables.
QStringList schemaStatements(const QStringList& tables);

} // namespace tovin::PostgresChangeCapture
