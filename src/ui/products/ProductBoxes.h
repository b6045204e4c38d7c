#pragma once

#include <QList>
#include <QString>

namespace tovin {

// The bound boxes of the Products screen. A box's index is the position of its column in the
// screen's SELECT (0 PID has no box), and other screens and the stored label and visibility
// settings address the boxes by it.
struct ProductBox {
    enum class Group { Product, Prices, Stock, Notes, PicturePath };
    enum Index : int {
        Catagory = 1,
        Cost1,
        Cost2,
        Cost3,
        Cost4,
        Cost5,
        Disco,
        Inventory,
        MinOrdR,
        MinOrdW,
        NoSold,
        Notes,
        OnOrder,
        OnSpecial,
        Orderable,
        OutStock,
        Packaging,
        PageNo,
        Picture,
        Price,
        ProdDesc,
        ProdName,
        ReOrder,
        Retail,
        Ship1,
        Ship2,
        StockNo,
        Supplier,
        Taxable,
        Weight,
    };

    int index = 0;
    QString column;
    QString caption; // empty: the box has no caption label of its own
    Group group = Group::Product;
    bool money = false;
    bool checkBox = false;

    // Every box, in the order the screen shows them within their group.
    static const QList<ProductBox>& all();
};

} // namespace tovin
