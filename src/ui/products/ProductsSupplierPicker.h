#pragma once

#include <QObject>
#include <QString>

namespace tovin {

class Products;

// Picks the supplier of the Products screen's product (box 28) on the supplier screen, which
// opens captioned with what it is for. Closing that screen with Close (or Escape) picks the
// supplier it shows; Cancel or its frame leave the product's supplier as it was.
class ProductsSupplierPicker : public QObject {
    Q_OBJECT
public:
    explicit ProductsSupplierPicker(Products& screen);

    // Runs one pick; a click while a pick is under way does nothing.
    void pick();

private:
    Products& m_screen;
    bool m_picking = false;
    // The name the supplier screen shows, followed up to the moment it closes.
    QString m_pickedName;
};

} // namespace tovin
