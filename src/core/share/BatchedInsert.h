#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// Rows written into one table many at a time: one INSERT carries a batch of rows, so a copy to
// a server pays one round trip per batch instead of one per row.
class BatchedInsert {
public:
    // Rows are given with a value for each of `quotedColumns`, in that order.
    BatchedInsert(CatalogueDatabase& db, const QString& quotedTable,
                  const QStringList& quotedColumns);
    ~BatchedInsert();
    BatchedInsert(const BatchedInsert&) = delete;
    BatchedInsert& operator=(const BatchedInsert&) = delete;

    // Keeps the row; writes the batch once it is full.
    void add(QVariantList row);
    // Writes the rows not written yet.
    void flush();

    // Small enough for either engine's limit on the values one statement takes.
    static constexpr int RowsPerStatement = 50;

private:
    std::unique_ptr<StorageStatement> statementFor(qsizetype rows) const;

    CatalogueDatabase& m_db;
    QString m_start; // the statement up to VALUES
    QString m_row;   // the marks of one row's values
    std::unique_ptr<StorageStatement> m_full;
    QList<QVariantList> m_pending;
};

} // namespace tovin
