#include "core/orders/StockSaleEntry.h"

#include "core/orders/StockSale.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString StockSaleEntry::stillOpenMessage() const {
    return u"A sale of "_s + QString::number(m_shared.SoldQuantity) + u" of "_s +
           m_shared.SoldStockNo +
           u" is still open on the Sales screen. Save it with Update or drop it with Cancel "
           u"before selling again."_s;
}

bool StockSaleEntry::open(const QString& stockNo, std::int16_t quantity, const QString& costEach) {
    if (saleOpen())
        return false;
    m_shared.SaleFromInventory = true;
    m_shared.SoldQuantity = quantity;
    m_shared.SoldStockNo = stockNo;
    m_shared.ItemPrice = costEach;
    return true;
}

std::optional<StockSaleEntry::Sale> StockSaleEntry::openSale() const {
    if (!saleOpen())
        return std::nullopt;
    return Sale{m_shared.SoldStockNo, m_shared.SoldQuantity};
}

Money StockSaleEntry::openSaleCost() const {
    return StockSale::saleCost(m_shared.SoldQuantity, TextRules::toText(m_shared.ItemPrice));
}

std::optional<StockSaleEntry::Sale> StockSaleEntry::save() {
    return close();
}

std::optional<StockSaleEntry::Sale> StockSaleEntry::cancel() {
    return close();
}

std::optional<StockSaleEntry::Sale> StockSaleEntry::close() {
    const std::optional<Sale> sale = openSale();
    if (!sale)
        return std::nullopt;
    m_shared.SaleFromInventory = false;
    m_shared.SoldQuantity = 0;
    m_shared.ItemPrice = 0;
    m_shared.SoldStockNo.clear();
    return sale;
}

} // namespace tovin
