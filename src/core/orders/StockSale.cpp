#include "core/orders/StockSale.h"

#include "core/orders/OrderMath.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin::StockSale {

SoldAnswer checkSoldAnswer(const QString& answer, const QString& onHandText) {
    SoldAnswer result;
    if (answer.trimmed().isEmpty())
        return result;
    const auto typed = OrderMath::numberIn(answer);
    if (!typed) {
        result.outcome = SoldAnswer::Outcome::NotANumber;
        return result;
    }
    const double onHand = OrderMath::numberIn(onHandText).value_or(0);
    const double whole = TextRules::roundHalfEven(*typed);
    if (whole < 0 || whole > onHand || whole > std::numeric_limits<std::int16_t>::max()) {
        result.outcome = SoldAnswer::Outcome::NotOnHand;
        result.message = TextRules::plainDecimal(whole) +
                         u" - Is Not A valid Number... You Only Show "_s + onHandText +
                         u" Items In Your Inventory"_s;
        return result;
    }
    result.outcome = SoldAnswer::Outcome::Sell;
    result.quantity = std::int16_t(whole);
    result.onHandAfter = onHand - whole;
    return result;
}

std::optional<QString> netProfitText(const QString& priceSold, const QString& cost,
                                     const QString& expenses) {
    const auto price = OrderMath::amountIn(priceSold), c = OrderMath::amountIn(cost),
               e = OrderMath::amountIn(expenses);
    if (!price || !c || !e)
        return std::nullopt;
    return OrderMath::moneyText(*price - *c - *e);
}

Money saleCost(std::int16_t quantity, const QString& costEachText) {
    return OrderMath::amountIn(costEachText).value_or(Money()) * quantity;
}

} // namespace tovin::StockSale
