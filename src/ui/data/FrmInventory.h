#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

struct OrderSession;

// The inventory screen: the shop's own stock, one row of table Inventory per stocked product.
// "Sales" records that some of the current row's items were sold: it takes them off the
// quantity on hand and hands the sale to the sales screen, one sale at a time: another is
// refused until the open one is saved or dropped there.
class FrmInventory : public RecordScreen {
    Q_OBJECT
public:
    // `order` is the shell's OrderSession, through which the order and sales screens hand work on.
    FrmInventory(const CatalogueInUse& catalogue, const PromptsInUse& prompts, OrderSession& order,
                 QWidget* parent = nullptr);

protected:
    void SetButtons(bool browse) override;

private:
    OrderSession& m_order;
    void cmdSales_Click();

    QPushButton* cmdSales = nullptr;
};

} // namespace tovin
