#pragma once

#include <QString>

namespace tovin {

class CatalogueDatabase;

// A supplier's web shop and member log-in, as the Products screen's "WebPage" button opens it.
struct SupplierShop {
    QString address; // the supplier's web page; empty when its row has none
    QString userName;
    QString password;

    // The first supplier of that name (in SID order, the name compared as the supplier screen's
    // filter compares it). A name no supplier has gives empty values.
    static SupplierShop read(CatalogueDatabase& db, const QString& supplierName);
};

} // namespace tovin
