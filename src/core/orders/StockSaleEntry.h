#pragma once

#include "core/orders/OrderSession.h"
#include "core/text/Money.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tovin {

// A sale from stock handed from the inventory screen to the sales screen. The screens meet
// only in OrderSession (SaleFromInventory, SoldQuantity, SoldStockNo, ItemPrice); each asks this
// class and never touches those values itself. One sale is open on the sales screen at a time;
// it ends when its row is saved (the product's counts change in the same transaction, see
// StockSaleProduct) or dropped.
class StockSaleEntry {
public:
    struct Sale {
        QString stockNo;
        std::int16_t quantity = 0;
        bool operator==(const Sale&) const = default;
    };

    explicit StockSaleEntry(OrderSession& session) : m_session(session) {}

    // ---- The inventory screen's side
    bool saleOpen() const { return m_session.SaleFromInventory; }
    // Told when "Sales" is clicked while a sale is open.
    QString stillOpenMessage() const;
    // Hands a sale to the sales screen: `costEach` is the stock row's cost box. False, and
    // nothing changes, while another sale is open.
    bool open(const QString& stockNo, std::int16_t quantity, const QString& costEach);

    // ---- The sales screen's side
    std::optional<Sale> openSale() const;
    // The cost of the open sale: its quantity times the cost each it was opened with.
    Money openSaleCost() const;
    // The sale's row was written, and with it the product's counts: the sale is over. The sale
    // that was open; nothing when none was.
    std::optional<Sale> save();
    // The sale's row was dropped: the sale that was open, whose items go back to stock.
    std::optional<Sale> cancel();

private:
    std::optional<Sale> close();

    OrderSession& m_session;
};

} // namespace tovin
