#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The inventory screen: the shop's own stock, one row of table Inventory per stocked product.
class FrmInventory : public RecordScreen {
    Q_OBJECT
public:
    explicit FrmInventory(QWidget* parent = nullptr);
};

} // namespace tovin
