#include "core/journal/ServerJournal.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueFailure.h"
#include "core/journal/JournalValues.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ServerJournal {

namespace {

// Outside a run the trigger returns at once, so other sessions and other work pay one setting
// lookup a row.
const QString TriggerFunction =
    u"CREATE FUNCTION journal_row() RETURNS trigger LANGUAGE plpgsql AS $body$ "
    u"BEGIN "
    u"IF coalesce(current_setting('tovin.run', true), '') = '' THEN RETURN NULL; END IF; "
    // A statement outside a transaction the program began is one of its own: its changes
    // would be kept without the journal that a commit writes. The connection marks the
    // transactions it begins.
    u"IF coalesce(current_setting('tovin.transaction', true), '') <> 'on' THEN "
    u"RAISE EXCEPTION 'A write outside a transaction during a run would not be journalled'; "
    u"END IF; "
    u"IF TG_OP = 'INSERT' THEN "
    u"INSERT INTO pg_temp.journal_pending (tbl, op, key, after) "
    u"VALUES (TG_TABLE_NAME, 1, NEW.rowid, to_jsonb(NEW)); "
    u"ELSIF TG_OP = 'UPDATE' THEN "
    u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before, after) "
    u"VALUES (TG_TABLE_NAME, 2, OLD.rowid, to_jsonb(OLD), to_jsonb(NEW)); "
    u"ELSE "
    u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before) "
    u"VALUES (TG_TABLE_NAME, 3, OLD.rowid, to_jsonb(OLD)); "
    u"END IF; "
    u"RETURN NULL; "
    u"END $body$"_s;

// The value of one column as the catalogue's reading of it gives it: whole numbers for counters,
// money and yes/no, floating numbers for numbers, texts for texts and dates.
// The server keeps every name in small letters, and the row's object names its columns so.
QVariant columnValue(const QJsonObject& row, const ColumnInfo& column, bool& exact) {
    const QJsonValue value = row.value(column.name.toLower());
    if (value.isNull() || value.isUndefined())
        return QVariant();
    switch (column.kind) {
    case ColumnKind::Counter:
    case ColumnKind::Money:
    case ColumnKind::YesNo: {
        // A whole number beyond a double's exact range still reads exactly as an integer.
        const qint64 whole = value.toInteger(std::numeric_limits<qint64>::min());
        if (whole == std::numeric_limits<qint64>::min())
            exact = false;
        return QVariant(qlonglong(whole));
    }
    case ColumnKind::Number:
        if (!value.isDouble())
            exact = false;
        return QVariant(value.toDouble());
    default:
        if (!value.isString())
            exact = false;
        return QVariant(value.toString());
    }
}

JournalValues::Row rowOf(const QByteArray& json, const QList<ColumnInfo>& columns, bool& exact) {
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    JournalValues::Row row;
    row.reserve(columns.size());
    for (const ColumnInfo& column : columns)
        row << columnValue(object, column, exact);
    return row;
}

// The columns whose values differ, each packed with its position; false when none does (an
// update that wrote the same values changes nothing worth taking back).
bool packChanges(QByteArray& before, QByteArray& after, const JournalValues::Row& old,
                 const JournalValues::Row& now) {
    bool any = false;
    for (int column = 0; column < old.size(); ++column) {
        if (JournalValues::same(old.at(column), now.at(column)))
            continue;
        JournalValues::packColumn(before, column, old.at(column));
        JournalValues::packColumn(after, column, now.at(column));
        any = true;
    }
    return any;
}

// The journal's number of a table the trigger names in the server's small letters.
int tableNumber(const JournalBuffer::CurrentRun& current, const QString& name) {
    for (int i = 0; i < current.tables.size(); ++i)
        if (current.tables.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

QStringList schemaStatements(const QStringList& tables) {
    QStringList statements{TriggerFunction};
    for (const QString& table : tables)
        statements << u"CREATE TRIGGER journal AFTER INSERT OR UPDATE OR DELETE ON "_s +
                          CatalogueDatabase::quoteName(table) +
                          u" FOR EACH ROW EXECUTE FUNCTION journal_row()"_s;
    return statements;
}

void setRun(CatalogueDatabase& db, qint64 run) {
    if (run != 0)
        db.run(u"CREATE TEMP TABLE IF NOT EXISTS journal_pending (seq bigserial PRIMARY KEY, "
               u"tbl text NOT NULL, op smallint NOT NULL, key bigint NOT NULL, before jsonb, "
               u"after jsonb)"_s);
    // A SET, not a SELECT of set_config: a statement that reads leaves the transaction's
    // savepoint before it, and a write refused later in the transaction would roll back to
    // there, taking the run's setting with it.
    db.run(u"SET tovin.run = '"_s + (run != 0 ? QString::number(run) : QString()) + u'\'');
}

void gather(CatalogueDatabase& db, JournalBuffer::CurrentRun& current) {
    if (current.run == 0 || !db.connection().inTransaction())
        return;
    // A connection made again after it was lost has a new session, without the run's setting
    // or its gathered changes: the run's writes there were not journalled.
    if (db.scalar(u"SELECT current_setting('tovin.run', true)"_s).toString() !=
        QString::number(current.run))
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The run's journal was lost with the connection to the server"_s);
    StorageStatement& q =
        db.run(u"SELECT tbl, op, key, CAST(before AS text), CAST(after AS text) FROM "
               u"pg_temp.journal_pending ORDER BY seq"_s);
    bool exact = true;
    while (q.next()) {
        const int number = tableNumber(current, q.text(0));
        if (number < 0)
            continue;
        const QString& table = current.tables.at(number);
        const QList<ColumnInfo>& columns = db.columns(table);
        const auto change = RunHistory::Change(q.integer(1));
        QByteArray before;
        QByteArray after;
        if (change == RunHistory::Change::Added) {
            after = JournalValues::packRow(rowOf(q.text(4).toUtf8(), columns, exact));
        } else if (change == RunHistory::Change::Deleted) {
            before = JournalValues::packRow(rowOf(q.text(3).toUtf8(), columns, exact));
        } else if (!packChanges(before, after, rowOf(q.text(3).toUtf8(), columns, exact),
                                rowOf(q.text(4).toUtf8(), columns, exact))) {
            continue;
        }
        if (current.pending.isEmpty() || current.pending.last().run != current.run ||
            current.pending.last().full()) {
            current.pending.append(JournalChunks::Chunk());
            current.pending.last().run = current.run;
        }
        JournalChunks::append(current.pending.last(), number, current.tables.at(number), change,
                              q.integer(2), before, after);
    }
    q.reset();
    // Emptied anew rather than its rows deleted: the server never cleans a temporary table up
    // by itself, and the dead rows of every earlier transaction would be read again each time.
    db.run(u"TRUNCATE pg_temp.journal_pending"_s);
    if (!exact)
        current.unreadable = true;
}

} // namespace tovin::ServerJournal
