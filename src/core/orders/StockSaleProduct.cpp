#include "core/orders/StockSaleProduct.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/CatalogueOrdering.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

StockSaleProduct::StockSaleProduct(CatalogueDatabase& db, QString stockNo, std::int16_t quantity)
    : m_db(db), m_stockNo(std::move(stockNo)), m_quantity(quantity) {
    m_db.setBeforeCommit([this] { writeWithCommit(); });
}

StockSaleProduct::~StockSaleProduct() {
    m_db.setBeforeCommit({});
}

void StockSaleProduct::writeWithCommit() {
    // Once only: a later transaction on the connection is no part of the sale.
    if (m_outcome != Outcome::NotWritten)
        return;
    // What this raises rolls the whole transaction back, the sale's row with it.
    m_outcome = CatalogueOrdering::takeSaleOffStock(m_db, m_stockNo, m_quantity)
                    ? Outcome::Taken
                    : Outcome::NoProduct;
}

StockSaleProduct::Outcome StockSaleProduct::writeNow(CatalogueDatabase& db, const QString& stockNo,
                                                     std::int16_t quantity) {
    ScopedTransaction transaction(db);
    if (!CatalogueOrdering::takeSaleOffStock(db, stockNo, quantity))
        return Outcome::NoProduct;
    transaction.commit();
    return Outcome::Taken;
}

QString StockSaleProduct::noProductMessage(const QString& stockNo, std::int16_t quantity) {
    return u"The sale of "_s + QString::number(quantity) +
           u" items is saved, but it could not be taken off the stock of product "_s + stockNo +
           u": no product has that stock number."_s;
}

} // namespace tovin
