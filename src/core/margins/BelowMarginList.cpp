#include "core/margins/BelowMarginList.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/ProductSelection.h"
#include "core/margins/Margin.h"
#include "core/storage/ColumnKind.h"
#include "core/storage/StorageStatement.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

enum BelowListColumn { ListStockNo, ListName, ListCost1, ListPrice, ListRetail };

QVariant belowListMoney(const StorageStatement& row, int column) {
    return row.isNull(column) ? QVariant() : row.value(column, ColumnKind::Money);
}

} // namespace

BelowMarginList BelowMarginList::find(CatalogueDatabase& db, Money belowPercent,
                                      const QString& where) {
    BelowMarginList list;
    list.belowPercent = belowPercent;
    const ProductSelection selection(db, where);
    const std::vector<qint64>& ids = selection.rowIds();
    size_t next = 0;
    selection.forEach(
        [&](const StorageStatement& row) {
            const qint64 rowId = ids[next++];
            ++list.looked;
            const std::optional<Money> price = Margin::sellingPrice(
                belowListMoney(row, ListPrice), belowListMoney(row, ListRetail));
            const std::optional<Money> cost = Margin::cost(belowListMoney(row, ListCost1));
            if (!price || !cost) {
                ++list.passedOver;
                return true;
            }
            const Money margin = Margin::percent(*price, *cost);
            if (margin < belowPercent)
                list.rows.append(
                    {rowId, row.text(ListStockNo), row.text(ListName), *cost, *price, margin});
            return true;
        },
        u"StockNo, ProdName, Cost1, Price, Retail"_s);
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [](const BelowMarginRow& a, const BelowMarginRow& b) {
                         if (a.marginPercent != b.marginPercent)
                             return a.marginPercent < b.marginPercent;
                         return a.stockNumber < b.stockNumber;
                     });
    return list;
}

QString BelowMarginList::rowLine(const BelowMarginRow& row) {
    return u"%1  %2  cost %3  price %4  margin %5"_s.arg(
        row.stockNumber, row.name, Margin::amountText(row.cost), Margin::amountText(row.price),
        Margin::percentText(row.marginPercent));
}

QString BelowMarginList::countLine() const {
    return u"%1 of %2 under a margin of %3; %4 without a price or cost passed over"_s
        .arg(rows.size())
        .arg(looked == 1 ? u"1 product"_s : u"%1 products"_s.arg(looked))
        .arg(Margin::percentText(belowPercent))
        .arg(passedOver);
}

} // namespace tovin
