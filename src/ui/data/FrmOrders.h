#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The orders screen: the lines of the orders placed with suppliers, table Orders by order
// number and stock number. Boxes 10 (net cost each) and 13 (net cost of the line) hold figures
// computed from the line; they are not columns of the table.
class FrmOrders : public RecordScreen {
    Q_OBJECT
public:
    static constexpr int NetCostEachBox = 10;
    static constexpr int NetCostBox = 13;

    explicit FrmOrders(QWidget* parent = nullptr);
};

} // namespace tovin
