#include "ui/Screens.h"

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
#include "ui/shell/ShellState.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void registerScreens(ShellState& shell, const ScreenOptions& options) {
    // One line per child screen: ChildWindows::registerScreen(u"Catagory"_s, [] { ... });
    ChildWindows::registerScreen(u"Catagory"_s,
                                 [&shell] { return new Catagory(shell.catalogue, shell.prompts); });
    ChildWindows::registerScreen(u"frmSetup"_s,
                                 [&shell] { return new FrmSetup(shell.catalogue, shell.prompts); });
    ChildWindows::registerScreen(u"frmSupplier"_s, [&shell] {
        return new FrmSupplier(shell.catalogue, shell.prompts, shell.search, shell.tasks);
    });
    ChildWindows::registerScreen(u"frmOrders"_s, [&shell] {
        return new FrmOrders(shell.catalogue, shell.prompts, shell.order);
    });
    ChildWindows::registerScreen(u"frmInvoice"_s, [&shell] {
        return new FrmInvoice(shell.catalogue, shell.prompts, shell.order);
    });
    ChildWindows::registerScreen(u"frmInventory"_s, [&shell] {
        return new FrmInventory(shell.catalogue, shell.prompts, shell.order);
    });
    ChildWindows::registerScreen(u"frmSales"_s, [&shell] {
        return new FrmSales(shell.catalogue, shell.prompts, shell.order);
    });
    ChildWindows::registerScreen(u"Products"_s, [options, &shell] {
        ProductsOptions products;
        products.largePreview = options.largeProductsPreview;
        products.catalogue = &shell.catalogue;
        products.prompts = &shell.prompts;
        products.order = &shell.order;
        products.search = &shell.search;
        products.pages = &shell.pages;
        products.shopLogin = &shell.shopLogin;
        products.tasks = &shell.tasks;
        return new Products(products);
    });
    ChildWindows::registerScreen(u"frmBrowser"_s, [&shell] {
        return new FrmBrowser(shell.catalogue, shell.prompts, shell.shopLogin);
    });
    ChildWindows::registerScreen(u"frmPageMake"_s, [&shell] {
        return new FrmPageMake(shell.catalogue, shell.prompts, shell.search, shell.pages);
    });
    ChildWindows::registerScreen(u"EditProd"_s, [&shell] {
        return new EditProd(shell.catalogue, shell.prompts, shell.search, shell.tasks);
    });
    ChildWindows::registerScreen(u"frmExport"_s, [&shell] {
        return new FrmExport(shell.catalogue, shell.prompts, shell.search);
    });
    ChildWindows::registerScreen(u"BuildDB"_s, [&shell] {
        return new BuildDB(shell.catalogue, shell.prompts, shell.search, shell.tasks);
    });
    ChildWindows::registerScreen(
        u"frmHistory"_s, [&shell] { return new FrmHistory(shell.catalogue, shell.prompts); });
}

} // namespace tovin
