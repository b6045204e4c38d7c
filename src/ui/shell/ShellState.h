#pragma once

#include "core/base/Prompts.h"
#include "core/orders/OrderSession.h"
#include "core/pages/PageDesign.h"
#include "core/products/SearchInForce.h"
#include "core/products/SupplierShopLogin.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/TaskScreenHandoff.h"

namespace tovin {

// What the window's shell keeps on behalf of its screens, each part named for whose it is. The
// shell makes one for the whole run and hands each screen the parts it works with when the
// screen is made (registerScreens); tests make one of their own.
struct ShellState {
    // Where the window's questions and notices go: every screen and dialog the shell makes.
    PromptsInUse prompts;
    // The catalogue the window has open: set by the main window, read by every screen.
    CatalogueInUse catalogue;
    // The order and the sale from stock being taken: the Products, orders, invoice, inventory
    // and sales screens.
    OrderSession order;
    // The products the Products screen's search selected: the Products, bulk edit, export,
    // import, page and supplier screens.
    SearchInForce search;
    // The catalogue pages being designed: set by the Products screen and the page designer.
    PageDesign pages;
    // The supplier's shop and member log-in: set by the Products screen, read by the browser
    // screen and the View menu's browser entry.
    SupplierShopLogin shopLogin;
    // What the Products screen and the main window hand their import, bulk edit and supplier
    // screens, and how those say they are done.
    TaskScreenHandoff tasks;
};

} // namespace tovin
