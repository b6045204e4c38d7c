#include "core/storage/SqliteStatement.h"

#include "core/storage/CatalogueFailure.h"
#include "core/storage/ColumnValues.h"
#include "core/storage/StorageConnection.h"
#include "core/text/Money.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

SqliteStatement::SqliteStatement(sqlite3* handle, const QString& sql,
                                 const StorageConnection* owner)
    : m_handle(handle), m_owner(owner), m_sql(sql) {
    if (!handle)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, u"The catalogue is not open"_s);
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &m_statement, nullptr) !=
        SQLITE_OK)
        DatabaseErrors::raise(sqlite3_errcode(handle), sql,
                              QString::fromUtf8(sqlite3_errmsg(handle)));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::check(int resultCode) const {
    if (resultCode != SQLITE_OK)
        DatabaseErrors::raise(resultCode, m_sql, QString::fromUtf8(sqlite3_errmsg(m_handle)));
}

void SqliteStatement::bindNull(int position) {
    check(sqlite3_bind_null(m_statement, position));
}

void SqliteStatement::bind(int position, qint64 value) {
    check(sqlite3_bind_int64(m_statement, position, value));
}

void SqliteStatement::bindDouble(int position, double value) {
    check(sqlite3_bind_double(m_statement, position, value));
}

void SqliteStatement::bindText(int position, const QString& value) {
    const QByteArray text = value.toUtf8();
    // An empty text is a text, not a null: a null pointer would bind null.
    check(sqlite3_bind_text(m_statement, position, text.isNull() ? "" : text.constData(),
                            int(text.size()), SQLITE_TRANSIENT));
}

void SqliteStatement::bindBlob(int position, const QByteArray& value) {
    check(sqlite3_bind_blob(m_statement, position, value.isNull() ? "" : value.constData(),
                            int(value.size()), SQLITE_TRANSIENT));
}

int SqliteStatement::parameterPosition(const QString& name) const {
    return sqlite3_bind_parameter_index(m_statement, name.toUtf8().constData());
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        // A write outside a transaction is in the file once its statement is done.
        if (m_owner && !sqlite3_stmt_readonly(m_statement) && sqlite3_get_autocommit(m_handle))
            m_owner->writesDone();
        return false;
    }
    // A statement that failed must be reset before it can run again; doing it here keeps a
    // refused row from making every later use of the statement fail as well.
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    DatabaseErrors::raise(rc, m_sql, message);
}

void SqliteStatement::execute() {
    m_rowWaiting = step();
}

bool SqliteStatement::next() {
    if (m_rowWaiting) {
        m_rowWaiting = false;
        return true;
    }
    return step();
}

void SqliteStatement::reset() {
    m_rowWaiting = false;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_statement);
}

QString SqliteStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::real(int column) const {
    return sqlite3_column_double(m_statement, column);
}

QString SqliteStatement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

QVariant SqliteStatement::stored(int column) const {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_statement, column)));
    }
    }
    return QVariant();
}

QVariant SqliteStatement::value(int column, ColumnKind kind) const {
    const int type = sqlite3_column_type(m_statement, column);
    if (type == SQLITE_NULL)
        return QVariant();
    switch (kind) {
    case ColumnKind::Counter:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case ColumnKind::Number:
        return QVariant(sqlite3_column_double(m_statement, column));
    case ColumnKind::Money:
        if (type == SQLITE_INTEGER)
            return ColumnValues::moneyValue(sqlite3_column_int64(m_statement, column));
        return ColumnValues::fromStorage(kind,
                                         QVariant(sqlite3_column_double(m_statement, column)));
    case ColumnKind::YesNo:
        return QVariant(sqlite3_column_int64(m_statement, column) != 0);
    case ColumnKind::Date:
        return ColumnValues::fromStorage(kind, QVariant(text(column)));
    case ColumnKind::Text:
    case ColumnKind::Memo:
        return QVariant(text(column));
    }
    return QVariant();
}

} // namespace tovin
