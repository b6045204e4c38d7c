#pragma once

#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebView.h"
#include "support/ui/ScreenDriver.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/Products.h"
#include "ui/products/ProductsCatalogue.h"
#include "ui/products/ProductsHelpPages.h"
#include "ui/shell/ShellState.h"

namespace tovin::test {

// The Products screen made with a web view that loads nothing and records where it was sent;
// the small preview beside the boxes unless the large one is asked for; it opens the catalogue
// in use of the test's program folder.
inline ProductsOptions fakeWebOptions(bool largePreview = false) {
    ProductsOptions options;
    options.catalogue = &TestProgramFolder::current().catalogue();
    options.makeWebView = [](QWidget* parent) { return new FakeWebView(parent); };
    options.largePreview = largePreview;
    return options;
}

// The same, taking its prompts, orders, search in force, page design, shop log-in and task
// hand-offs with the screens made from `shell`.
inline ProductsOptions fakeWebOptions(ShellState& shell, bool largePreview = false) {
    ProductsOptions options = fakeWebOptions(largePreview);
    options.catalogue = &shell.catalogue;
    options.prompts = &shell.prompts;
    options.order = &shell.order;
    options.search = &shell.search;
    options.pages = &shell.pages;
    options.shopLogin = &shell.shopLogin;
    options.tasks = &shell.tasks;
    return options;
}

// The Products screen open and active (keys and focus need an active window), its preview
// written; with a shell, it shares that shell's order and search with the other screens.
inline std::unique_ptr<Products> showProducts(ShellState* shell, bool largePreview = false) {
    auto screen = openScreen<Products>(shell ? fakeWebOptions(*shell, largePreview)
                                             : fakeWebOptions(largePreview));
    screen->flushPreview();
    screen->activateWindow();
    if (!QTest::qWaitForWindowActive(screen.get()))
        qWarning("screen not active");
    return screen;
}

inline std::unique_ptr<Products> showProducts(bool largePreview = false) {
    return showProducts(nullptr, largePreview);
}

inline std::unique_ptr<Products> showProducts(ShellState& shell, bool largePreview = false) {
    return showProducts(&shell, largePreview);
}

inline FakeWebView* fakeWeb(Products& screen) {
    return qobject_cast<FakeWebView*>(screen.webView());
}

// Whether the navigation buttons page through the help pages.
inline bool helpShown(Products& screen) {
    return screen.findChild<ProductsHelpPages*>()->active();
}

// The ticks of the screen's thumbnail page.
inline ThumbTicks& thumbTicks(Products& screen) {
    return screen.findChild<ProductsCatalogue*>()->ticks();
}

inline QString stockNo(QWidget* products) {
    return box(products, ProductBox::StockNo)->text();
}

// Goes to a product by the quick search, which shows the first product whose stock number
// holds the text; the test fails when that is another product.
inline void searchStock(QWidget* products, const QString& stock) {
    control<QLineEdit>(products, QStringLiteral("txtSrch"))->setText(stock);
    click(products, QStringLiteral("cmdSearch"));
    if (stockNo(products) != stock)
        QTest::qFail(qPrintable(QStringLiteral("the quick search did not find ") + stock), __FILE__,
                     __LINE__);
}

} // namespace tovin::test
