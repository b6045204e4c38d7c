#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// The products a catalogue-wide task works on: those of the current search (a condition on
// Products, as the Products screen leaves it), or every product when no search is active, in
// stock-number order or in the screen's sort order. The rows are fixed when the selection is
// made, so a task that changes them (the bulk edit changing the searched column) still visits
// each row once.
class ProductSelection {
public:
    // Raises the condition's RunTimeError for a search or sort order that cannot be used. A
    // sort order ("Retail Desc,StockNo") orders the rows as the Products screen sorts them.
    ProductSelection(CatalogueDatabase& db, const QString& searchWhere,
                     const QString& sortOrder = QString());

    qsizetype size() const { return qsizetype(m_rows.size()); }
    const std::vector<qint64>& rowIds() const { return m_rows; }

    // Reads each row in order with "SELECT <columns> FROM Products WHERE rowid = ?" and hands
    // the statement on it to `visit` (columns by position); stops early, returning false, when
    // `visit` returns false.
    bool forEach(const std::function<bool(const StorageStatement& row)>& visit,
                 const QString& columns) const;

private:
    CatalogueDatabase& m_db;
    std::vector<qint64> m_rows;
};

} // namespace tovin
