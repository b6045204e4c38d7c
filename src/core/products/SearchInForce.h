#pragma once

#include <QString>

namespace tovin {

// The selection of products the Products screen's search put in force, which the bulk edit,
// export, import, page and supplier screens work on. The window's shell owns one and gives it to
// those screens; every value starts empty or false.
struct SearchInForce {
    // The condition, in the filter syntax; empty for every product.
    QString SearchWhere;
    // The columns the products are sorted by ("StockNo", "Supplier,Price Desc").
    QString SortOrder;
    // The detailed search form is open, or was closed by its frame.
    bool DetailSearchActive = false;
    // The detailed search form's "Reverse" tick, which it opens with again.
    bool SortDescending = false;
};

} // namespace tovin
