// The Products screen's supplier buttons, the supplier pick through box 28 and the events of
// the web view.
#include "core/base/EventWait.h"
#include "core/products/SearchInForce.h"
#include "core/products/SupplierShop.h"
#include "core/products/ThumbnailClicks.h"
#include "core/query/Condition.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/SharedState.h"
#include "ui/browser/BrowserAddress.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/browser/WebView.h"
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

void Products::cmdSup_Click(int index) {
    StepGuard step(procedureLabel(u"cmdSup_Click"_s));
    // The supplier screen shows only the product's supplier.
    step([this] {
        m_search->SearchWhere =
            u"name = '"_s + quoteConditionValue(txtFields(ProductBox::Supplier)->text()) + u"'"_s;
    });
    if (index == 0) {
        step([] { ChildWindows::show(FrmSupplier::ScreenName); });
        return;
    }
    // "WebPage": the supplier's shop and member log-in, read from its row of the catalogue.
    SupplierShop shop;
    step([&] { shop = SupplierShop::read(connection(), txtFields(ProductBox::Supplier)->text()); });
    shared().WebAddress = shop.address.isEmpty() ? defaultShopAddress() : shop.address;
    shared().SupplierUserName = shop.userName;
    shared().SupplierPassword = shop.password;
    step([] { letEventsRun(); });
    step([] { FrmBrowser::open(shared().WebAddress); });
}

void Products::txtFields_Click(int index) {
    if (index == ProductBox::Supplier)
        pickSupplier();
}

void Products::txtFields_KeyUp(int index) {
    if (index == ProductBox::Supplier)
        pickSupplier();
}

// Box 28 is filled by picking a supplier on the supplier screen, captioned with what it is for.
// Closing that screen with Close (or Escape) picks the supplier it shows; Cancel or its frame
// leave the product's supplier as it was. A product on show is written at once; one being
// edited or added only gets the name in its box and stays in edit mode.
void Products::pickSupplier() {
    if (m_pickingSupplier)
        return;
    StepGuard step(procedureLabel(u"txtFields_Click"_s));
    QPointer<Products> self(this);
    m_pickingSupplier = true;
    const bool wasBrowsing = !inEditMode();
    const QString stockNo = txtFields(ProductBox::StockNo)->text().trimmed();
    if (wasBrowsing)
        step([this] { cmdEdit_Click(); });
    // While the supplier screen is open the user may cancel the edit begun here and add a
    // product: that add is the user's own, and like any add it only gets the name in its box.
    // Ending it here would leave the screen browsing while it still counted as adding.
    auto ownEdit = [&] { return wasBrowsing && !m_addingFlag; };
    // Back to browsing on the same product, nothing written.
    auto keepSupplier = [&] {
        if (!ownEdit())
            return;
        m_editingFlag = false;
        step([this] { SetButtons(true); });
        step([this] { adoPrimaryRS->cancelUpdate(); });
        step([this] { binding().refresh(); });
    };
    QPointer<RecordScreen> supplier;
    step([&] {
        supplier = qobject_cast<RecordScreen*>(ChildWindows::show(FrmSupplier::ScreenName));
    });
    if (!supplier) {
        keepSupplier();
        m_pickingSupplier = false;
        return;
    }
    step([&] {
        supplier->setWindowTitle(stockNo.isEmpty() ? u"Choose the supplier for the new product"_s
                                                   : u"Choose the supplier for "_s + stockNo);
    });
    shared().SupplierScreenClosed = false;
    auto copyName = [&supplier] {
        if (supplier)
            shared().PickedSupplierName = boxText(*supplier, FrmSupplier::NameBox);
    };
    copyName();
    // The name follows every move on the supplier screen up to the moment it closes.
    QMetaObject::Connection following;
    if (BoundTextBox* name = supplier->txtFields(FrmSupplier::NameBox))
        following = connect(name, &QLineEdit::textChanged, this,
                            [](const QString& text) { shared().PickedSupplierName = text; });
    // Closing the supplier screen by its frame ends the pick as well.
    const bool picked = waitUntil([&] {
        copyName();
        return shared().SupplierScreenClosed || !supplier || !self;
    });
    if (!self)
        return;
    disconnect(following);
    // Close hides the screen before it signals; Cancel signals with the screen still on show,
    // and the frame closes it without signalling. A wait abandoned because the program is
    // closing picks nothing: the supplier the user only browsed to is not written.
    const bool chosen =
        picked && shared().SupplierScreenClosed && (!supplier || supplier->isHidden());
    if (chosen) {
        step([this] {
            binding().setBoxValue(txtFields(ProductBox::Supplier), shared().PickedSupplierName);
        });
        if (ownEdit())
            cmdUpdate_Click();
    } else {
        keepSupplier();
    }
    shared().SupplierScreenClosed = false;
    step([] { ChildWindows::unload(FrmSupplier::ScreenName); });
    m_pickingSupplier = false;
}

// ---- The web view's events -----------------------------------------------------------------

void Products::Wb1_BeforeNavigate(const QString& address, bool* cancel) {
    StepGuard step(procedureLabel(u"Wb1_BeforeNavigate"_s), ErrorStyle::IgnoreAndResume);
    // A tick box of the thumbnail page flips its entry of ThumbChecked and loads nothing.
    step([&] {
        if (ThumbnailClicks::beforeNavigate(address))
            *cancel = true;
    });
}

void Products::Wb1_NavigateComplete(const QString& address) {
    StepGuard step(procedureLabel(u"Wb1_NavigateComplete"_s));
    shared().WebAddress = address;
    if (!m_thumbnailFlag)
        return;
    // A click on a thumbnail picture selects its product.
    step([&] {
        const std::optional<QString> stockNo = ThumbnailClicks::pictureStockNo(address);
        if (!stockNo)
            return;
        m_thumbnailFlag = false;
        // The picture may belong to a product before the one shown: the search starts at the
        // first row, or it would end after the last one with no product on the screen.
        adoPrimaryRS->find(ThumbnailClicks::stockNoCondition(*stockNo), 0,
                           RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
    });
}

void Products::Wb1_NavigateError(const QString& address) {
    StepGuard step(procedureLabel(u"Wb1_NavigateError"_s));
    // Back to the last page that loaded (never round and round on the same failing one).
    const QString last = shared().WebAddress;
    if (last.isEmpty() || BrowserAddress::sameAddress(last, address))
        return;
    step([&] { m_webView->navigate(last); });
}

} // namespace tovin
