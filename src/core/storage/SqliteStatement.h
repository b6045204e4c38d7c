#pragma once

#include "core/storage/StorageStatement.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tovin {

class StorageConnection;

// A statement prepared on an SQLite connection. The rows a write changes are announced through
// `owner` once they are in the file; a statement made on a bare handle announces nothing.
class SqliteStatement final : public StorageStatement {
public:
    SqliteStatement(sqlite3* handle, const QString& sql, const StorageConnection* owner = nullptr);
    ~SqliteStatement() override;

    using StorageStatement::bind;
    using StorageStatement::value;
    void bindNull(int position) override;
    void bind(int position, qint64 value) override;
    void bindDouble(int position, double value) override;
    void bindText(int position, const QString& value) override;
    void bindBlob(int position, const QByteArray& value) override;
    int parameterPosition(const QString& name) const override;

    void execute() override;
    bool next() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    bool isNull(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;
    QVariant stored(int column) const override;
    QVariant value(int column, ColumnKind kind) const override;

private:
    // One step; true on a row, false at the end.
    bool step();
    void check(int resultCode) const;

    sqlite3* m_handle;
    sqlite3_stmt* m_statement = nullptr;
    const StorageConnection* m_owner;
    QString m_sql;
    // execute() found a row that next() has not handed out yet.
    bool m_rowWaiting = false;
};

} // namespace tovin
