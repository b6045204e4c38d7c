// The page designer's order list: the items to include, ticked or dragged into the nine slots
// that give their order in each cell, and slots dragged back out to empty them.
#include "core/pages/PageOptions.h"
#include "ui/pages/FrmPageMake.h"
#include "ui/shell/ControlMaking.h"

#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString ItemMime = u"application/x-tovin-page-item"_s;
const QString SlotMime = u"application/x-tovin-page-slot"_s;
const QString Empty = u"Empty"_s;

const std::array<QString, 9> ItemCaptions{
    u"Include Pictures"_s,    u"Include Item Number"_s,  u"Include Item Name"_s,
    u"Include Description"_s, u"Include Retail Price"_s, u"Include Details Link"_s,
    u"Include Cost"_s,        u"Include Savings"_s,      u"Include Purchase Link"_s};

} // namespace

// The items to include, and the slots that give their order on the page.
QLayout* FrmPageMake::buildItemFrames(QWidget* panel) {
    auto* order = new QHBoxLayout;
    m_itemsFrame = new QGroupBox(u"Items To Include"_s, panel);
    m_itemsFrame->setObjectName(u"fraItemsToInclude"_s);
    m_itemsFrame->setAcceptDrops(true);
    m_itemsFrame->installEventFilter(this);
    auto* items = new QVBoxLayout(m_itemsFrame);
    auto* orderFrame = new QGroupBox(u"Items Included By Order"_s, panel);
    auto* slotColumn = new QVBoxLayout(orderFrame);
    for (int i = 0; i < 9; ++i) {
        Check3[i] = new QCheckBox(ItemCaptions[i], m_itemsFrame);
        Check3[i]->setObjectName(indexedName(u"Check3"_s, i));
        Check3[i]->installEventFilter(this);
        items->addWidget(Check3[i]);
        connect(Check3[i], &QCheckBox::clicked, this, [this, i] { Check3_Click(i); });
        Label5[i] = new QLabel(Empty, orderFrame);
        Label5[i]->setObjectName(indexedName(u"Label5"_s, i));
        Label5[i]->setFrameShape(QFrame::Panel);
        Label5[i]->setFrameShadow(QFrame::Sunken);
        Label5[i]->setAcceptDrops(true);
        Label5[i]->installEventFilter(this);
        slotColumn->addWidget(Label5[i]);
    }
    auto* clearOrder = makeButton(orderFrame, u"Command5(0)"_s, u"Clear Order List"_s);
    auto* defaultOrder = makeButton(orderFrame, u"Command5(1)"_s, u"Use Default Order"_s);
    slotColumn->addWidget(clearOrder);
    slotColumn->addWidget(defaultOrder);
    connect(clearOrder, &QPushButton::clicked, this, [this] { Command5_Click(0); });
    connect(defaultOrder, &QPushButton::clicked, this, [this] { Command5_Click(1); });
    order->addWidget(m_itemsFrame);
    order->addWidget(orderFrame);
    return order;
}

// ---- The order list ---------------------------------------------------------------------------

void FrmPageMake::showOrder() {
    const PageOptions& o = m_pages.options;
    for (int slot = 0; slot < 9; ++slot) {
        const int code = PageDesignerChoices::slotItem(o, slot);
        Label5[slot]->setText(code == PageOptions::EmptySlot ? Empty : Check3[code]->text());
        Label5[slot]->setProperty("itemCode", code);
    }
    for (int code = 0; code < 9; ++code) {
        const QSignalBlocker block(Check3[code]);
        Check3[code]->setChecked(PageDesignerChoices::itemTicked(o, code));
    }
}

void FrmPageMake::Check3_Click(int code) {
    if (Check3[code]->isChecked())
        PageOptionRules::addToOrder(m_pages.options, code);
    else
        PageOptionRules::removeFromOrder(m_pages.options, code);
    showOrder();
    showchange();
}

void FrmPageMake::dropOnSlot(int slot, int code) {
    if (!PageDesignerChoices::dropOnSlot(m_pages.options, slot, code))
        return;
    showOrder();
    showchange();
}

void FrmPageMake::Command5_Click(int index) {
    if (index == 0)
        PageOptionRules::clearOrder(m_pages.options);
    else
        PageOptionRules::defaultOrder(m_pages.options);
    showOrder();
    showchange();
}

bool FrmPageMake::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    auto startDrag = [&](QWidget* source, const QString& mime, int value) {
        auto* data = new QMimeData;
        data->setData(mime, QByteArray::number(value));
        auto* drag = new QDrag(source);
        drag->setMimeData(data);
        drag->setPixmap(source->grab());
        drag->exec(Qt::MoveAction);
    };
    auto dragged = [&](QMouseEvent* e) {
        return (e->buttons() & Qt::LeftButton) &&
               (e->position().toPoint() - m_dragStart).manhattanLength() >=
                   QApplication::startDragDistance();
    };
    for (int i = 0; i < 9; ++i) {
        if (watched == Check3[i] || watched == Label5[i]) {
            if (type == QEvent::MouseButtonPress) {
                m_dragStart = static_cast<QMouseEvent*>(event)->position().toPoint();
            } else if (type == QEvent::MouseMove && dragged(static_cast<QMouseEvent*>(event))) {
                if (watched == Check3[i])
                    startDrag(Check3[i], ItemMime, i);
                else if (Label5[i]->text() != Empty)
                    startDrag(Label5[i], SlotMime, i);
                return true;
            }
        }
        if (watched == Label5[i] && (type == QEvent::DragEnter || type == QEvent::DragMove)) {
            auto* e = static_cast<QDropEvent*>(event);
            if (e->mimeData()->hasFormat(ItemMime) && Label5[i]->text() == Empty)
                e->acceptProposedAction();
            return true;
        }
        if (watched == Label5[i] && type == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            dropOnSlot(i, e->mimeData()->data(ItemMime).toInt());
            e->acceptProposedAction();
            return true;
        }
    }
    if (watched == m_itemsFrame && (type == QEvent::DragEnter || type == QEvent::DragMove)) {
        auto* e = static_cast<QDropEvent*>(event);
        if (e->mimeData()->hasFormat(SlotMime))
            e->acceptProposedAction();
        return true;
    }
    if (watched == m_itemsFrame && type == QEvent::Drop) {
        auto* e = static_cast<QDropEvent*>(event);
        PageDesignerChoices::dragOutOfSlot(m_pages.options, e->mimeData()->data(SlotMime).toInt());
        showOrder();
        showchange();
        e->acceptProposedAction();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tovin
