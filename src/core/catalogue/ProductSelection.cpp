#include "core/catalogue/ProductSelection.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/storage/StorageConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

ProductSelection::ProductSelection(CatalogueDatabase& db, const QString& searchWhere,
                                   const QString& sortOrder)
    : m_db(db) {
    const bool searched = !searchWhere.trimmed().isEmpty();
    const bool sorted = !sortOrder.trimmed().isEmpty();
    if (!searched && !sorted) {
        const std::unique_ptr<StorageStatement> all =
            db.prepare(u"SELECT rowid FROM Products ORDER BY "_s +
                       db.dialect().textOrder(u"StockNo"_s) + u", rowid"_s);
        while (all->next())
            m_rows.push_back(all->integer(0));
        return;
    }
    RecordSet selected;
    selected.open(u"select * from Products"_s +
                      (searched ? u" where "_s + searchWhere : QString()) + u" order by StockNo"_s,
                  db);
    if (sorted)
        selected.setSort(sortOrder);
    m_rows.reserve(size_t(selected.recordCount()));
    for (int i = 0; i < selected.recordCount(); ++i)
        m_rows.push_back(selected.bookmarkAt(i));
}

bool ProductSelection::forEach(const std::function<bool(const StorageStatement& row)>& visit,
                               const QString& columns) const {
    const std::unique_ptr<StorageStatement> read =
        m_db.prepare(u"SELECT "_s + columns + u" FROM Products WHERE rowid = ?"_s);
    // Outside a transaction every read would take and drop the file's lock and its page cache;
    // one read transaction for the whole walk also gives every row from the same moment.
    StorageConnection& connection = m_db.connection();
    const bool ownTransaction = !connection.inTransaction();
    if (ownTransaction)
        connection.begin(StorageConnection::Intent::Read);
    // The rows come in stock-number order, scattered over the file: a page cache that holds a
    // large catalogue spares reading the same pages again and again.
    const std::shared_ptr<void> cache = connection.largeReadCache();
    bool whole = true;
    for (qint64 rowId : m_rows) {
        read->bind(1, rowId);
        if (read->next() && !visit(*read)) {
            whole = false;
            break;
        }
        read->reset();
    }
    read->reset();
    if (ownTransaction && connection.inTransaction())
        connection.commit();
    return whole;
}

} // namespace tovin
