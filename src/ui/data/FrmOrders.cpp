#include "ui/data/FrmOrders.h"

#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmOrders::FrmOrders(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                     OrderSession& order, QWidget* parent)
    : OrderSearchScreen(catalogue, prompts, u"frmOrders"_s, u"Orders"_s,
                        u"select [Order ID],[Back Ordered],Cost,[Date Ordered],[Date Received],"
                        u"Description,NumberOrdered,Packing,ProductOrderID,TotalItems,WtPrice,"
                        u"Discount,Shipping,Fees from Orders Order by [Order ID],ProductOrderID"_s,
                        parent),
      m_order(order) {
    const QString& money = DisplayFormat::Currency;
    const QString& date = DisplayFormat::Date;
    const QString& plain = DisplayFormat::Plain;
    const QList<FieldBox> boxes = {
        {0, u"Order ID"_s, u"Order ID:"_s, {}, plain},
        {1, u"Back Ordered"_s, u"Back Ordered:"_s, {}, plain},
        {2, u"Cost"_s, u"Total Gross Cost:"_s, {}, money},
        {3, u"Date Ordered"_s, u"Date Ordered:"_s, {}, date},
        {4, u"Date Received"_s, u"Date Received:"_s, {}, date},
        {5, u"Description"_s, u"Name:"_s, {}, plain},
        {6, u"NumberOrdered"_s, u"# Ordered:"_s, {}, plain},
        {7, u"Packing"_s, u"Packing:"_s, {}, plain},
        {8, u"ProductOrderID"_s, u"Stock No.:"_s, {}, plain},
        {9, u"TotalItems"_s, u"Total Items:"_s, {}, plain},
        {NetCostEachBox, {}, u"Net Cost Each:"_s, {}, money},
        {11, u"WtPrice"_s, u"Gross Cost Each:"_s, {}, money},
        {12, u"Discount"_s, u"Discounts:"_s, {}, money},
        {NetCostBox, {}, u"Net Cost:"_s, {}, money},
        {14, u"Fees"_s, u"Misc. Fee's:"_s, {}, money},
        {15, u"Shipping"_s, u"Shipping:"_s, {}, money},
    };
    for (const FieldBox& box : boxes)
        addTextBox(box);
    buildOrderControls();
    Form_Load();
}

} // namespace tovin
