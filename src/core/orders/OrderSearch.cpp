#include "core/orders/OrderSearch.h"

#include "core/catalogue/RecordSet.h"
#include "core/query/Condition.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

bool findOrderNumber(RecordSet& orders, const QString& text) {
    orders.moveFirst();
    orders.find(u"[order id] like '*"_s + quoteConditionValue(text) + u"*'"_s);
    if (orders.hasCurrentRow())
        return true;
    orders.moveFirst();
    return false;
}

QString orderCondition(const QString& orderId) {
    return u"[order id] = '"_s + quoteConditionValue(orderId) + u"'"_s;
}

} // namespace tovin
