#include "core/orders/StockSaleEntry.h"

#include "core/orders/StockSale.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString StockSaleEntry::stillOpenMessage() const {
    return u"A sale of "_s + QString::number(m_session.SoldQuantity) + u" of "_s +
           m_session.SoldStockNo +
           u" is still open on the Sales screen. Save it with Update or drop it with Cancel "
           u"before selling again."_s;
}

bool StockSaleEntry::open(const QString& stockNo, std::int16_t quantity, const QString& costEach) {
    if (saleOpen())
        return false;
    m_session.SaleFromInventory = true;
    m_session.SoldQuantity = quantity;
    m_session.SoldStockNo = stockNo;
    m_session.ItemPrice = costEach;
    return true;
}

std::optional<StockSaleEntry::Sale> StockSaleEntry::openSale() const {
    if (!saleOpen())
        return std::nullopt;
    return Sale{m_session.SoldStockNo, m_session.SoldQuantity};
}

Money StockSaleEntry::openSaleCost() const {
    return StockSale::saleCost(m_session.SoldQuantity, TextRules::toText(m_session.ItemPrice));
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
    m_session.SaleFromInventory = false;
    m_session.SoldQuantity = 0;
    m_session.ItemPrice = 0;
    m_session.SoldStockNo.clear();
    return sale;
}

} // namespace tovin
