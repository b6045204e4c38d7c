#pragma once

#include "core/data/ColumnKind.h"

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace tovin {

// A prepared statement straight on the connection's handle, for the loops that read many rows
// (opening, filtering and sorting a record set). Errors raise a RunTimeError with the
// database's message.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* handle, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int position, const QVariant& value); // 1-based, like the database
    void bind(int position, qint64 value);
    // Steps to the next row; false at the end.
    bool next();
    void reset();

    qint64 integer(int column) const;
    bool isNull(int column) const;
    // The column's value converted for its kind (see ColumnKind.h).
    QVariant value(int column, ColumnKind kind) const;
    // The column's value exactly as the file stores it: null, a qlonglong, a double, a QString
    // or a QByteArray (which bind() writes back as the same value).
    QVariant stored(int column) const;
    int columnCount() const;

private:
    sqlite3* m_handle;
    sqlite3_stmt* m_statement = nullptr;
    QString m_sql;
};

} // namespace tovin
