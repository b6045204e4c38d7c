#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The sales screen: one row of table Sales per sale from stock. Box 7 holds the sale's net
// profit, a figure computed from the row rather than a column of the table.
class FrmSales : public RecordScreen {
    Q_OBJECT
public:
    static constexpr int NetProfitBox = 7;

    explicit FrmSales(QWidget* parent = nullptr);
};

} // namespace tovin
