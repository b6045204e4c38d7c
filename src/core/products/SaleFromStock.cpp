#include "core/products/SaleFromStock.h"

#include "core/data/Condition.h"
#include "core/data/RecordSet.h"
#include "core/shell/TextRules.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::SaleFromStock {

Stock after(const QVariant& inventory, const QVariant& noSold, int sold) {
    const auto figure = [](const QVariant& value) {
        return TextRules::Val(TextRules::toText(value));
    };
    return {TextRules::plainDecimal(figure(inventory) - sold),
            TextRules::plainDecimal(figure(noSold) + sold)};
}

bool record(CatalogueDatabase& db, const QString& stockNo, int sold) {
    RecordSet product;
    product.open(u"select Inventory,NoSold from Products where StockNo = '"_s +
                     quoteConditionValue(stockNo) + u"'"_s,
                 db);
    if (product.recordCount() < 1)
        return false;
    const Stock stock = after(product.value(0), product.value(1), sold);
    product.setValue(0, stock.inventory);
    product.setValue(1, stock.noSold);
    product.update();
    return true;
}

} // namespace tovin::SaleFromStock
