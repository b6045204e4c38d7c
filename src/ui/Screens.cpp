#include "ui/Screens.h"

#include "core/shell/SharedState.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/bulkedit/EditProd.h"
#include "ui/data/Catagory.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmInvoice.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/FrmSales.h"
#include "ui/data/FrmSetup.h"
#include "ui/data/FrmSupplier.h"
#include "ui/export/FrmExport.h"
#include "ui/import/BuildDB.h"
#include "ui/journal/FrmHistory.h"
#include "ui/pages/FrmPageMake.h"
#include "ui/products/Products.h"
#include "ui/shell/ChildWindows.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void registerScreens(const ScreenOptions& options) {
    // One line per child screen: ChildWindows::registerScreen(u"Catagory"_s, [] { ... });
    ChildWindows::registerScreen(u"Catagory"_s, [] { return new Catagory; });
    ChildWindows::registerScreen(u"frmSetup"_s, [] { return new FrmSetup; });
    ChildWindows::registerScreen(u"frmSupplier"_s, [] { return new FrmSupplier; });
    ChildWindows::registerScreen(u"frmOrders"_s, [] { return new FrmOrders; });
    ChildWindows::registerScreen(u"frmInvoice"_s, [] { return new FrmInvoice; });
    ChildWindows::registerScreen(u"frmInventory"_s, [] { return new FrmInventory; });
    ChildWindows::registerScreen(u"frmSales"_s, [] { return new FrmSales; });
    ChildWindows::registerScreen(u"Products"_s, [options] {
        ProductsOptions products;
        products.largePreview = options.largeProductsPreview;
        return new Products(products);
    });
    ChildWindows::registerScreen(u"frmBrowser"_s,
                                 [] { return new FrmBrowser(shared().WebAddress); });
    ChildWindows::registerScreen(u"frmPageMake"_s, [] { return new FrmPageMake; });
    ChildWindows::registerScreen(u"EditProd"_s, [] { return new EditProd; });
    ChildWindows::registerScreen(u"frmExport"_s, [] { return new FrmExport; });
    ChildWindows::registerScreen(u"BuildDB"_s, [] { return new BuildDB; });
    ChildWindows::registerScreen(u"frmHistory"_s, [] { return new FrmHistory; });
}

} // namespace tovin
