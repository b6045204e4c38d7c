#pragma once

#include "support/ui/FakeWebView.h"
#include "ui/products/Products.h"

namespace tovin::test {

// The Products screen made with a web view that loads nothing and records where it was sent;
// the small preview beside the boxes unless the large one is asked for.
inline ProductsOptions fakeWebOptions(bool largePreview = false) {
    ProductsOptions options;
    options.makeWebView = [](QWidget* parent) { return new FakeWebView(parent); };
    options.largePreview = largePreview;
    return options;
}

} // namespace tovin::test
