#pragma once

#include "core/orders/ReorderList.h"

#include <QDialog>
#include <optional>

class QTreeWidget;
class QPushButton;

namespace tovin {

// The re-order list: the products to order again, grouped by supplier, with the quantity to
// order. "Order From This Supplier" closes it with the supplier of the selected line chosen.
class ReorderDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReorderDialog(const QList<ReorderList::SupplierGroup>& groups,
                           QWidget* parent = nullptr);

    // The group of the supplier chosen, when the dialog was accepted.
    std::optional<ReorderList::SupplierGroup> chosenGroup() const;

private:
    int selectedGroup() const;

    QList<ReorderList::SupplierGroup> m_groups;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_order = nullptr;
};

} // namespace tovin
