#pragma once

#include <QString>

namespace tovin {

class RecordSet;

// The search of the orders and invoice screens: from the first row, the first row whose order
// number contains the text. When none does, the set is left on its first row and the result is
// false.
bool findOrderNumber(RecordSet& orders, const QString& text);

// The condition that picks one order's rows: [order id] = 'number'.
QString orderCondition(const QString& orderId);

} // namespace tovin
