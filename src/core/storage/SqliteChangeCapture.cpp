#include "core/storage/SqliteChangeCapture.h"

#include "core/storage/SqliteConnection.h"
#include "core/storage/StorageStatement.h"

#include <QScopeGuard>
#include <cstring>
#include <sqlite3.h>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using CapturedValue = ChangeCapture::Value;

// The file keeps a whole number of a column of real affinity as an integer, and the pre-update
// hook may hand it over so; reading the column gives a double, and so must the capture.
CapturedValue capturedValue(sqlite3_value* value, bool real) {
    CapturedValue captured;
    int type = sqlite3_value_type(value);
    if (real && type == SQLITE_INTEGER)
        type = SQLITE_FLOAT;
    switch (type) {
    case SQLITE_INTEGER:
        captured.type = CapturedValue::Type::Integer;
        captured.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        captured.type = CapturedValue::Type::Real;
        captured.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT: {
        // The text first, then its length: asking for the text may change the value's form.
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        captured.type = CapturedValue::Type::Text;
        captured.bytes = QByteArrayView(text, sqlite3_value_bytes(value));
        break;
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
        captured.type = CapturedValue::Type::Blob;
        captured.bytes = QByteArrayView(bytes, sqlite3_value_bytes(value));
        break;
    }
    default:
        break;
    }
    return captured;
}

// The row's values before (old) or after the change, as the database holds them.
bool readCapturedRow(sqlite3* db, bool old, const QList<bool>& real,
                     std::vector<CapturedValue>& values) {
    const int count = sqlite3_preupdate_count(db);
    values.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        sqlite3_value* value = nullptr;
        if ((old ? sqlite3_preupdate_old(db, i, &value) : sqlite3_preupdate_new(db, i, &value)) !=
            SQLITE_OK)
            return false;
        values[size_t(i)] = capturedValue(value, real.value(i));
    }
    return true;
}

} // namespace

SqliteChangeCapture::SqliteChangeCapture(SqliteConnection& connection) : m_connection(connection) {
    sqlite3* handle = connection.handle();
    sqlite3_preupdate_hook(handle, &SqliteChangeCapture::rowChanging, this);
    sqlite3_commit_hook(handle, &SqliteChangeCapture::committing, this);
    sqlite3_rollback_hook(handle, &SqliteChangeCapture::rolledBack, this);
}

void SqliteChangeCapture::stopTelling(sqlite3* handle) {
    sqlite3_preupdate_hook(handle, nullptr, nullptr);
    sqlite3_commit_hook(handle, nullptr, nullptr);
    sqlite3_rollback_hook(handle, nullptr, nullptr);
}

void SqliteChangeCapture::watch(const QString& table, int number) {
    const QByteArray name = table.toUtf8();
    if (m_watched.contains(name))
        return;
    m_watched.insert(name, Watched{number, realColumns(table)});
    // Adding may move the others.
    m_lastTable.clear();
    m_lastWatched = nullptr;
}

// The columns of real affinity by the database's rule on the declared type: one naming REAL,
// FLOA or DOUB that does not name INT, CHAR, CLOB, TEXT or BLOB.
QList<bool> SqliteChangeCapture::realColumns(const QString& table) const {
    QList<bool> real;
    const std::unique_ptr<StorageStatement> q =
        m_connection.prepare(u"SELECT upper(type) FROM pragma_table_info(?) ORDER BY cid"_s);
    q->bind(1, QVariant(table));
    while (q->next()) {
        const QString type = q->stored(0).toString();
        const auto has = [&](const char* word) { return type.contains(QLatin1StringView(word)); };
        real << (!has("INT") && !has("CHAR") && !has("CLOB") && !has("TEXT") && !has("BLOB") &&
                 (has("REAL") || has("FLOA") || has("DOUB")));
    }
    return real;
}

const SqliteChangeCapture::Watched* SqliteChangeCapture::watched(const char* table) {
    if (m_lastTable.isNull() || m_lastTable != table) {
        m_lastTable = table;
        const auto it = m_watched.constFind(m_lastTable);
        m_lastWatched = it == m_watched.cend() ? nullptr : &*it;
    }
    return m_lastWatched;
}

// Called for every row the connection writes, so outside a run or a watched table it does
// nothing, and inside one it hands over the database's own values. A trigger per table did the
// same work at several times the cost.
void SqliteChangeCapture::rowChanging(void* self, sqlite3* db, int operation, const char* database,
                                      const char* table, qint64 keyBefore, qint64 keyAfter) {
    auto* capture = static_cast<SqliteChangeCapture*>(self);
    Listener* listener = capture->listener();
    if (capture->m_run == 0 || !listener || std::strcmp(database, "main") != 0)
        return;
    const Watched* watched = capture->watched(table);
    if (!watched)
        return;
    thread_local std::vector<CapturedValue> before;
    thread_local std::vector<CapturedValue> after;
    RowChange row;
    row.table = watched->number;
    row.key = keyBefore;
    switch (operation) {
    case SQLITE_INSERT:
        row.operation = Operation::Insert;
        row.key = keyAfter;
        row.readable = readCapturedRow(db, false, watched->real, after);
        row.after = after;
        break;
    case SQLITE_DELETE:
        row.operation = Operation::Delete;
        row.readable = readCapturedRow(db, true, watched->real, before);
        row.before = before;
        break;
    default:
        row.operation = Operation::Update;
        row.readable = readCapturedRow(db, true, watched->real, before) &&
                       readCapturedRow(db, false, watched->real, after);
        row.before = before;
        row.after = after;
        break;
    }
    listener->rowChanging(row);
}

// A commit the listener holds back is refused: its changes would be kept without their journal.
int SqliteChangeCapture::committing(void* self) {
    const Listener* listener = static_cast<SqliteChangeCapture*>(self)->listener();
    return listener && !listener->mayCommit() ? 1 : 0;
}

void SqliteChangeCapture::rolledBack(void* self) {
    if (Listener* listener = static_cast<SqliteChangeCapture*>(self)->listener())
        listener->rolledBack();
}

void SqliteChangeCapture::writeUncaptured(const std::function<void()>& write) {
    const auto resume = qScopeGuard([this, run = std::exchange(m_run, 0)] { m_run = run; });
    write();
}

} // namespace tovin
