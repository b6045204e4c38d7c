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
        Cost1 = 2,
        Disco = 7,
        Inventory = 8,
        NoSold = 11,
        Notes = 12,
        OutStock = 16,
        Packaging = 17,
        PageNo = 18,
        Picture = 19,
        ProdDesc = 21,
        ProdName = 22,
        StockNo = 27,
        Supplier = 28,
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
