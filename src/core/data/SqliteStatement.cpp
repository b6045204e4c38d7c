#include "core/data/SqliteStatement.h"

#include "core/data/CatalogueFailure.h"
#include "core/data/ColumnValues.h"

#include <QDate>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
[[noreturn]] void refused(sqlite3* handle, const QString& sql, int resultCode) {
    DatabaseErrors::raise(resultCode, sql, QString::fromUtf8(sqlite3_errmsg(handle)));
}
} // namespace

SqliteStatement::SqliteStatement(sqlite3* handle, const QString& sql)
    : m_handle(handle), m_sql(sql) {
    if (!handle)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, u"The catalogue is not open"_s);
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &m_statement, nullptr) !=
        SQLITE_OK)
        refused(handle, sql, sqlite3_errcode(handle));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(int position, qint64 value) {
    if (const int rc = sqlite3_bind_int64(m_statement, position, value); rc != SQLITE_OK)
        refused(m_handle, m_sql, rc);
}

void SqliteStatement::bind(int position, const QVariant& value) {
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_statement, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_statement, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_statement, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(m_statement, position, bytes.constData(), int(bytes.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_statement, position, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        refused(m_handle, m_sql, rc);
}

bool SqliteStatement::next() {
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // A statement that failed must be reset before it can run again; doing it here keeps a
    // refused row from making every later use of the statement fail as well.
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    DatabaseErrors::raise(rc, m_sql, message);
}

void SqliteStatement::reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

qint64 SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QVariant SqliteStatement::stored(int column) const {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column)));
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_statement, column)));
    }
    }
    return QVariant();
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_statement);
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
    case ColumnKind::Text:
    case ColumnKind::Memo: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        const int bytes = sqlite3_column_bytes(m_statement, column);
        const QString s = QString::fromUtf8(text, bytes);
        if (kind == ColumnKind::Date)
            return ColumnValues::fromStorage(kind, QVariant(s));
        return QVariant(s);
    }
    }
    return QVariant();
}

} // namespace tovin
