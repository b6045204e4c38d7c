// The Products screen's supplier buttons, the clicks on box 28 that pick its supplier, and the
// events of the web view.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/products/SearchInForce.h"
#include "core/products/SupplierShop.h"
#include "core/products/SupplierShopLogin.h"
#include "core/products/ThumbnailClicks.h"
#include "core/query/Condition.h"
#include "core/shell/ErrorReporting.h"
#include "ui/browser/BrowserAddress.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/browser/WebView.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/FrmSupplier.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/Products.h"
#include "ui/products/ProductsCatalogue.h"
#include "ui/products/ProductsSupplierPicker.h"
#include "ui/shell/ChildWindows.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void Products::cmdSup_Click(int index) {
    StepGuard step(procedureLabel(u"cmdSup_Click"_s), promptsInUse());
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
    m_shopLogin->address = shop.address.isEmpty() ? defaultShopAddress() : shop.address;
    m_shopLogin->userName = shop.userName;
    m_shopLogin->password = shop.password;
    step([] { letEventsRun(); });
    step([this] { FrmBrowser::open(m_shopLogin->address); });
}

void Products::txtFields_Click(int index) {
    if (index == ProductBox::Supplier)
        m_supplierPicker->pick();
}

void Products::txtFields_KeyUp(int index) {
    if (index == ProductBox::Supplier)
        m_supplierPicker->pick();
}

// ---- The web view's events -----------------------------------------------------------------

void Products::Wb1_BeforeNavigate(const QString& address, bool* cancel) {
    StepGuard step(procedureLabel(u"Wb1_BeforeNavigate"_s), ErrorStyle::IgnoreAndResume);
    // A tick box of the thumbnail page flips its tick and loads nothing.
    step([&] {
        if (ThumbnailClicks::beforeNavigate(address, m_catalogue->ticks()))
            *cancel = true;
    });
}

void Products::Wb1_NavigateComplete(const QString& address) {
    StepGuard step(procedureLabel(u"Wb1_NavigateComplete"_s), promptsInUse());
    m_shopLogin->address = address;
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
    StepGuard step(procedureLabel(u"Wb1_NavigateError"_s), promptsInUse());
    // Back to the last page that loaded (never round and round on the same failing one).
    const QString last = m_shopLogin->address;
    if (last.isEmpty() || BrowserAddress::sameAddress(last, address))
        return;
    step([&] { m_webView->navigate(last); });
}

} // namespace tovin
