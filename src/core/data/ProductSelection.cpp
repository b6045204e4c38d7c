#include "core/data/ProductSelection.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/RecordSet.h"
#include "core/data/SqliteStatement.h"

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
    for (qint64 rowId : m_rows) {
        read.bind(1, rowId);
        if (read.next() && !visit(read)) {
            read.reset();
            return false;
        }
        read.reset();
    }
    return true;
}

} // namespace tovin
