#include "core/data/ProductSelection.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/RecordSet.h"
#include "core/data/SqliteStatement.h"

#include <optional>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

ProductSelection::ProductSelection(CatalogueDatabase& db, const QString& searchWhere) : m_db(db) {
    if (searchWhere.trimmed().isEmpty()) {
        SqliteStatement all(db.handle(), u"SELECT rowid FROM Products ORDER BY StockNo"_s);
        while (all.next())
            m_rows.push_back(all.integer(0));
        return;
    }
    RecordSet selected;
    selected.open(u"select * from Products where "_s + searchWhere + u" order by StockNo"_s, db);
    m_rows.reserve(size_t(selected.recordCount()));
    for (int i = 0; i < selected.recordCount(); ++i)
        m_rows.push_back(selected.bookmarkAt(i));
}

bool ProductSelection::forEach(const std::function<bool(const SqliteStatement& row)>& visit,
                               const QString& columns) const {
    SqliteStatement read(m_db.handle(),
                         u"SELECT "_s + columns + u" FROM Products WHERE rowid = ?"_s);
    // Outside a transaction every read would take and drop the file's lock and its page cache;
    // one read transaction for the whole walk also gives every row from the same moment.
    std::optional<SqliteStatement> end;
    if (sqlite3_get_autocommit(m_db.handle())) {
        SqliteStatement(m_db.handle(), u"BEGIN"_s).next();
        end.emplace(m_db.handle(), u"COMMIT"_s);
    }
    // The rows come in stock-number order, scattered over the file: a page cache that holds a
    // large catalogue spares reading the same pages again and again. The connection's own
    // setting comes back afterwards.
    SqliteStatement cacheSize(m_db.handle(), u"PRAGMA cache_size"_s);
    const qint64 previousCache = cacheSize.next() ? cacheSize.integer(0) : -2000;
    cacheSize.reset();
    SqliteStatement(m_db.handle(), u"PRAGMA cache_size = -65536"_s).next();
    bool whole = true;
    for (qint64 rowId : m_rows) {
        read.bind(1, rowId);
        if (read.next() && !visit(read)) {
            whole = false;
            break;
        }
        read.reset();
    }
    read.reset();
    if (end && !sqlite3_get_autocommit(m_db.handle()))
        end->next();
    SqliteStatement(m_db.handle(), u"PRAGMA cache_size = "_s + QString::number(previousCache))
        .next();
    return whole;
}

} // namespace tovin
