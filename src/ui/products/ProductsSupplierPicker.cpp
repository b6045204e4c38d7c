#include "ui/products/ProductsSupplierPicker.h"

#include "core/base/EventWait.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmSupplier.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/Products.h"
#include "ui/shell/ChildWindows.h"

#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
QString boxText(RecordScreen& screen, int index) {
    BoundTextBox* box = screen.txtFields(index);
    return box ? box->text() : QString();
}
} // namespace

ProductsSupplierPicker::ProductsSupplierPicker(Products& screen)
    : QObject(&screen), m_screen(screen) {}

// A product on show is written at once; one being edited or added only gets the name in its box
// and stays in edit mode.
void ProductsSupplierPicker::pick() {
    if (m_picking)
        return;
    StepGuard step(m_screen.procedureLabel(u"txtFields_Click"_s), m_screen.promptsInUse());
    QPointer<Products> self(&m_screen);
    m_picking = true;
    const bool wasBrowsing = !m_screen.inEditMode();
    const QString stockNo = m_screen.txtFields(ProductBox::StockNo)->text().trimmed();
    if (wasBrowsing)
        step([this] { m_screen.cmdEdit_Click(); });
    // While the supplier screen is open the user may cancel the edit begun here and add a
    // product: that add is the user's own, and like any add it only gets the name in its box.
    // Ending it here would leave the screen browsing while it still counted as adding.
    auto ownEdit = [&] { return wasBrowsing && !m_screen.m_addingFlag; };
    // Back to browsing on the same product, nothing written.
    auto keepSupplier = [&] {
        if (!ownEdit())
            return;
        m_screen.m_editingFlag = false;
        step([this] { m_screen.SetButtons(true); });
        step([this] { m_screen.adoPrimaryRS->cancelUpdate(); });
        step([this] { m_screen.binding().refresh(); });
    };
    QPointer<RecordScreen> supplier;
    step([&] {
        supplier = qobject_cast<RecordScreen*>(ChildWindows::show(FrmSupplier::ScreenName));
    });
    if (!supplier) {
        keepSupplier();
        m_picking = false;
        return;
    }
    step([&] {
        supplier->setWindowTitle(stockNo.isEmpty() ? u"Choose the supplier for the new product"_s
                                                   : u"Choose the supplier for "_s + stockNo);
    });
    m_screen.m_tasks->supplierScreenClosed = false;
    auto copyName = [&] {
        if (supplier)
            m_pickedName = boxText(*supplier, FrmSupplier::NameBox);
    };
    copyName();
    // The name follows every move on the supplier screen up to the moment it closes.
    QMetaObject::Connection following;
    if (BoundTextBox* name = supplier->txtFields(FrmSupplier::NameBox))
        following = connect(name, &QLineEdit::textChanged, this,
                            [this](const QString& text) { m_pickedName = text; });
    // Closing the supplier screen by its frame ends the pick as well. A closed Products screen
    // took this picker with it: nothing of it is touched after that.
    const bool picked = waitUntil([&] {
        if (!self)
            return true;
        copyName();
        return m_screen.m_tasks->supplierScreenClosed || !supplier;
    });
    if (!self)
        return;
    disconnect(following);
    // Close hides the screen before it signals; Cancel signals with the screen still on show,
    // and the frame closes it without signalling. A wait abandoned because the program is
    // closing picks nothing: the supplier the user only browsed to is not written.
    const bool chosen =
        picked && m_screen.m_tasks->supplierScreenClosed && (!supplier || supplier->isHidden());
    if (chosen) {
        step([this] {
            m_screen.binding().setBoxValue(m_screen.txtFields(ProductBox::Supplier), m_pickedName);
        });
        if (ownEdit())
            m_screen.cmdUpdate_Click();
    } else {
        keepSupplier();
    }
    m_screen.m_tasks->supplierScreenClosed = false;
    step([] { ChildWindows::unload(FrmSupplier::ScreenName); });
    m_picking = false;
}

} // namespace tovin
