#pragma once

#include "core/text/Money.h"

#include <QString>
#include <cstdint>
#include <optional>

// Selling from stock: the checks of the quantity sold on the inventory screen, and the net
// profit the sales screen shows.
namespace tovin::StockSale {

struct SoldAnswer {
    enum class Outcome {
        Cancelled,  // nothing typed or the prompt cancelled: nothing is sold
        NotANumber, // "You Must Enter A Number!", then the prompt again
        NotOnHand,  // more than on hand, or negative: `message` says so
        Sell,       // sell `quantity`; `onHandAfter` is left
    };
    Outcome outcome = Outcome::Cancelled;
    std::int16_t quantity = 0;
    double onHandAfter = 0;
    QString message;
};

inline const QString NotANumberMessage = QStringLiteral("You Must Enter A Number!");

// Checks the answer to "Enter How Many You Sold Below" against the on-hand text of the stock
// row. A fraction is rounded to the nearest whole number, halves to the even one.
SoldAnswer checkSoldAnswer(const QString& answer, const QString& onHandText);

// Net profit = price sold - cost - expenses, in money text; nothing while one of the three is
// empty or not a number.
std::optional<QString> netProfitText(const QString& priceSold, const QString& cost,
                                     const QString& expenses);

// The cost of a sale: the quantity times the stock row's cost each (its text read as a number).
Money saleCost(std::int16_t quantity, const QString& costEachText);

} // namespace tovin::StockSale
