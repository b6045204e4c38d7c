#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The invoice screen: one row of table Invoice per order, with the order's money totals.
class FrmInvoice : public RecordScreen {
    Q_OBJECT
public:
    explicit FrmInvoice(QWidget* parent = nullptr);
};

} // namespace tovin
