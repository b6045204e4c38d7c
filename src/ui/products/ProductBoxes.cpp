#include "ui/products/ProductBoxes.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QList<ProductBox>& ProductBox::all() {
    using G = Group;
    static const QList<ProductBox> boxes = {
        {27, u"StockNo"_s, u"Stock #:"_s, G::Product},
        {22, u"ProdName"_s, u"Name:"_s, G::Product},
        {21, u"ProdDesc"_s, u"Desc:"_s, G::Product},
        {1, u"Catagory"_s, u"Catagory:"_s, G::Product},
        {18, u"PageNo"_s, u"Page:"_s, G::Product},
        {17, u"Packaging"_s, u"Packaging:"_s, G::Product},
        {30, u"Weight"_s, u"Weight:"_s, G::Product},
        // Its caption is the supplier button cmdSup(0).
        {28, u"Supplier"_s, QString(), G::Product},
        {2, u"Cost1"_s, u"Cost 1:"_s, G::Prices, true},
        {3, u"Cost2"_s, u"Cost 2:"_s, G::Prices, true},
        {4, u"Cost3"_s, u"Cost 3:"_s, G::Prices, true},
        {5, u"Cost4"_s, u"Cost 4:"_s, G::Prices, true},
        {6, u"Cost5"_s, u"Cost 5:"_s, G::Prices, true},
        {24, u"Retail"_s, u"Retail:"_s, G::Prices, true},
        {20, u"Price"_s, u"Sales Price:"_s, G::Prices, true},
        {25, u"Ship1"_s, u"Shipping 1:"_s, G::Prices},
        {26, u"Ship2"_s, u"Shipping 2:"_s, G::Prices},
        {8, u"Inventory"_s, u"Inventory:"_s, G::Stock},
        {13, u"OnOrder"_s, u"On Order:"_s, G::Stock},
        {11, u"NoSold"_s, u"No. Sold:"_s, G::Stock},
        {23, u"ReOrder"_s, u"Re-Order:"_s, G::Stock},
        {9, u"MinOrdR"_s, u"Min Ord R:"_s, G::Stock},
        {10, u"MinOrdW"_s, u"Min Ord W:"_s, G::Stock},
        {16, u"OutStock"_s, u"Stock Status:"_s, G::Stock},
        {7, u"Disco"_s, u"Disco:"_s, G::Stock, false, true},
        {14, u"OnSpecial"_s, u"On Special:"_s, G::Stock, false, true},
        {15, u"Orderable"_s, u"Orderable:"_s, G::Stock, false, true},
        {29, u"Taxable"_s, u"Taxable:"_s, G::Stock, false, true},
        {12, u"Notes"_s, u"Notes:"_s, G::Notes},
        // The picture path box: normally hidden, shown with "Picture Path Hide/Show".
        {19, u"Picture"_s, QString(), G::PicturePath},
    };
    return boxes;
}

} // namespace tovin
