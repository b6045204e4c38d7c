#include "ui/products/ProductBoxes.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QList<ProductBox>& ProductBox::all() {
    using G = Group;
    using B = ProductBox;
    static const QList<ProductBox> boxes = {
        {B::StockNo, u"StockNo"_s, u"Stock #:"_s, G::Product},
        {B::ProdName, u"ProdName"_s, u"Name:"_s, G::Product},
        {B::ProdDesc, u"ProdDesc"_s, u"Desc:"_s, G::Product},
        {B::Catagory, u"Catagory"_s, u"Catagory:"_s, G::Product},
        {B::PageNo, u"PageNo"_s, u"Page:"_s, G::Product},
        {B::Packaging, u"Packaging"_s, u"Packaging:"_s, G::Product},
        {B::Weight, u"Weight"_s, u"Weight:"_s, G::Product},
        // Its caption is the supplier button cmdSup(0).
        {B::Supplier, u"Supplier"_s, QString(), G::Product},
        {B::Cost1, u"Cost1"_s, u"Cost 1:"_s, G::Prices, true},
        {B::Cost2, u"Cost2"_s, u"Cost 2:"_s, G::Prices, true},
        {B::Cost3, u"Cost3"_s, u"Cost 3:"_s, G::Prices, true},
        {B::Cost4, u"Cost4"_s, u"Cost 4:"_s, G::Prices, true},
        {B::Cost5, u"Cost5"_s, u"Cost 5:"_s, G::Prices, true},
        {B::Retail, u"Retail"_s, u"Retail:"_s, G::Prices, true},
        {B::Price, u"Price"_s, u"Sales Price:"_s, G::Prices, true},
        {B::Ship1, u"Ship1"_s, u"Shipping 1:"_s, G::Prices},
        {B::Ship2, u"Ship2"_s, u"Shipping 2:"_s, G::Prices},
        {B::Inventory, u"Inventory"_s, u"Inventory:"_s, G::Stock},
        {B::OnOrder, u"OnOrder"_s, u"On Order:"_s, G::Stock},
        {B::NoSold, u"NoSold"_s, u"No. Sold:"_s, G::Stock},
        {B::ReOrder, u"ReOrder"_s, u"Re-Order:"_s, G::Stock},
        {B::MinOrdR, u"MinOrdR"_s, u"Min Ord R:"_s, G::Stock},
        {B::MinOrdW, u"MinOrdW"_s, u"Min Ord W:"_s, G::Stock},
        {B::OutStock, u"OutStock"_s, u"Stock Status:"_s, G::Stock},
        {B::Disco, u"Disco"_s, u"Disco:"_s, G::Stock, false, true},
        {B::OnSpecial, u"OnSpecial"_s, u"On Special:"_s, G::Stock, false, true},
        {B::Orderable, u"Orderable"_s, u"Orderable:"_s, G::Stock, false, true},
        {B::Taxable, u"Taxable"_s, u"Taxable:"_s, G::Stock, false, true},
        {B::Notes, u"Notes"_s, u"Notes:"_s, G::Notes},
        // The picture path box: normally hidden, shown with "Picture Path Hide/Show".
        {B::Picture, u"Picture"_s, QString(), G::PicturePath},
    };
    return boxes;
}

} // namespace tovin
