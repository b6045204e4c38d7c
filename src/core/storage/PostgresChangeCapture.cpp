#include "core/storage/PostgresChangeCapture.h"

#include "core/base/RunTimeError.h"
#include "core/storage/StorageConnection.h"
#include "core/storage/StorageDialect.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Outside a run the triggers return at once, so other sessions and other work pay one setting
// lookup a statement or row. A statement outside a transaction the program began is one of its
// own: its changes would be kept without the journal that a commit writes. The connection marks
// the transactions it begins.
const QString InRunOnly =
    u"IF coalesce(current_setting('tovin.run', true), '') = '' THEN RETURN NULL; END IF; "
    u"IF coalesce(current_setting('tovin.transaction', true), '') <> 'on' THEN "
    u"RAISE EXCEPTION 'A write outside a transaction during a run would not be journalled'; "
    u"END IF; "_s;

// The rows a statement added are kept by their keys alone, as one list for the statement (a
// trigger for each row cost more than half the rows' own insert, and a note for each row a
// tenth of it). A catalogue put on a server by an earlier version keeps its own function, which
// notes each key apart: both are read.
const QString AddedFunction =
    u"CREATE FUNCTION journal_added() RETURNS trigger LANGUAGE plpgsql AS $body$ "
    u"BEGIN "
    u"IF NOT EXISTS (SELECT FROM added) THEN RETURN NULL; END IF; "_s +
    InRunOnly +
    u"INSERT INTO pg_temp.journal_pending (tbl, op, keys) SELECT TG_TABLE_NAME, 1, "
    u"array_agg(rowid) FROM added; "
    u"RETURN NULL; "
    u"END $body$"_s;

// A changed or deleted row keeps the values it had before, and no values after: those are the
// row's values before its next change in the transaction, or its values at the commit, read
// then from the table itself. Only an update that moves the row to another key keeps its new
// values. A catalogue put on a server by an earlier version keeps its own function, which ran
// for added rows too and kept the values after every change: those are read as they come.
const QString RowFunction =
    u"CREATE FUNCTION journal_row() RETURNS trigger LANGUAGE plpgsql AS $body$ "
    u"BEGIN "_s +
    InRunOnly +
    u"IF TG_OP = 'UPDATE' THEN "
    u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before, after) "
    u"VALUES (TG_TABLE_NAME, 2, OLD.rowid, to_jsonb(OLD), "
    u"CASE WHEN NEW.rowid IS DISTINCT FROM OLD.rowid THEN to_jsonb(NEW) END); "
    u"ELSE "
    u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before) "
    u"VALUES (TG_TABLE_NAME, 3, OLD.rowid, to_jsonb(OLD)); "
    u"END IF; "
    u"RETURN NULL; "
    u"END $body$"_s;

// The row versions each transaction of a run left: the server's own numbers of the
// transactions that wrote the rows it read at its commit (their "xmin"), with the transaction's
// 64-bit number and the cluster's identity, so that a version is believed only on the cluster
// that made it and before its numbers come round again. A row still in a version its run left
// holds what the run wrote, which spares the undo from comparing its values. Its rows go with
// their run.
const QString VersionsTable =
    u"CREATE TABLE RunVersions (Run bigint NOT NULL REFERENCES Runs (Run) ON DELETE CASCADE, "
    u"Xact bigint NOT NULL, Server text NOT NULL, Versions bigint[] NOT NULL, "
    u"PRIMARY KEY (Run, Xact))"_s;

} // namespace

QStringList PostgresChangeCapture::schemaStatements(const QStringList& tables) {
    QStringList statements{AddedFunction, RowFunction, VersionsTable};
    for (const QString& table : tables) {
        const QString quoted = StorageDialect::quoteName(table);
        statements << u"CREATE TRIGGER journal_added AFTER INSERT ON "_s + quoted +
                          u" REFERENCING NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION "
                          u"journal_added()"_s;
        statements << u"CREATE TRIGGER journal AFTER UPDATE OR DELETE ON "_s + quoted +
                          u" FOR EACH ROW EXECUTE FUNCTION journal_row()"_s;
    }
    return statements;
}

void PostgresChangeCapture::execute(const QString& sql) {
    StorageStatement& statement = m_connection.cached(sql);
    statement.reset();
    statement.execute();
}

void PostgresChangeCapture::setRun(qint64 run) {
    if (run != 0)
        execute(u"CREATE TEMP TABLE IF NOT EXISTS journal_pending (seq bigserial PRIMARY KEY, "
                u"tbl text NOT NULL, op smallint NOT NULL, key bigint, keys bigint[], "
                u"before jsonb, after jsonb)"_s);
    // A SET, not a SELECT of set_config: a statement that reads leaves the transaction's
    // savepoint before it, and a write refused later in the transaction would roll back to
    // there, taking the run's setting with it.
    execute(u"SET tovin.run = '"_s + (run != 0 ? QString::number(run) : QString()) + u'\'');
    m_run = run;
}

bool PostgresChangeCapture::capturesRun(qint64 run) {
    StorageStatement& read = m_connection.cached(u"SELECT current_setting('tovin.run', true)"_s);
    read.reset();
    const QString named = read.next() ? read.text(0) : QString();
    read.reset();
    return named == QString::number(run);
}

void PostgresChangeCapture::writeUncaptured(const std::function<void()>& write) {
    if (m_run == 0 || !m_connection.inTransaction()) {
        write();
        return;
    }
    // A statement refused goes back to the savepoint just before it, after this setting, so
    // the run's setting comes back here whatever the statement did.
    execute(u"SET tovin.run = ''"_s);
    const QString again = u"SET tovin.run = '"_s + QString::number(m_run) + u'\'';
    try {
        write();
    } catch (const RunTimeError&) {
        try {
            execute(again);
        } catch (const RunTimeError&) {
            // The transaction is lost with its connection; the error that ended it is told.
        }
        throw;
    }
    execute(again);
}

} // namespace tovin
