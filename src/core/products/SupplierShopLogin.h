#pragma once

#include <QString>

namespace tovin {

// The supplier's web shop the browser screen opens and the member log-in it fills in there. The
// Products screen's "WebPage" button sets all three from the supplier's row; the address also
// follows the last page the Products screen's preview loaded, so the View menu's browser entry
// opens where the user last was. The window's shell owns one; every value starts empty.
struct SupplierShopLogin {
    QString address;
    QString userName;
    QString password;
};

} // namespace tovin
