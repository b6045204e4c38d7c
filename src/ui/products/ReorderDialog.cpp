#include "ui/products/ReorderDialog.h"

#include "core/text/NumberFormat.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
constexpr int GroupRole = Qt::UserRole + 1;
}

ReorderDialog::ReorderDialog(const QList<ReorderList::SupplierGroup>& groups, QWidget* parent)
    : QDialog(parent), m_groups(groups) {
    setObjectName(u"ReorderDialog"_s);
    setWindowTitle(u"Re-Order List"_s);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        groups.isEmpty()
            ? u"No product needs ordering again: every orderable product has more in stock "
              u"and on order than its re-order level."_s
            : u"Orderable products at or below their re-order level, with the quantity to "
              u"order (at least the minimum order). Pick a supplier to order its items."_s,
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"lstReorder"_s);
    m_list->setHeaderLabels({u"Supplier / Stock #"_s, u"Name"_s, u"Order"_s, u"In Stock"_s,
                             u"On Order"_s, u"Re-Order"_s, u"Note"_s});
    for (int g = 0; g < groups.size(); ++g) {
        const ReorderList::SupplierGroup& group = groups.at(g);
        auto* top = new QTreeWidgetItem(
            m_list, {group.supplier.isEmpty() ? u"(no supplier)"_s : group.supplier});
        top->setData(0, GroupRole, g);
        for (const ReorderList::Item& item : group.items) {
            auto* row = new QTreeWidgetItem(
                top,
                {item.stockNo, item.name, TextRules::plainDecimal(item.quantity),
                 TextRules::plainDecimal(item.inventory), TextRules::plainDecimal(item.onOrder),
                 TextRules::plainDecimal(item.reOrder), ReorderList::limitNote(item)});
            row->setData(0, GroupRole, g);
        }
    }
    m_list->expandAll();
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_order = buttons->addButton(u"Order From This Supplier"_s, QDialogButtonBox::AcceptRole);
    m_order->setObjectName(u"cmdOrderSupplier"_s);
    m_order->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this] { m_order->setEnabled(selectedGroup() >= 0); });
    resize(720, 420);
}

int ReorderDialog::selectedGroup() const {
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, GroupRole).toInt() : -1;
}

std::optional<ReorderList::SupplierGroup> ReorderDialog::chosenGroup() const {
    const int g = selectedGroup();
    if (result() != QDialog::Accepted || g < 0 || g >= m_groups.size())
        return std::nullopt;
    return m_groups.at(g);
}

} // namespace tovin
