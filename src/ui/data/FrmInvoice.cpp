#include "ui/data/FrmInvoice.h"

#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmInvoice::FrmInvoice(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                       OrderSession& order, QWidget* parent)
    : OrderSearchScreen(
          catalogue, prompts, u"frmInvoice"_s, u"Invoice"_s,
          u"select [Order ID],Discount,[Grand Total],Shipping,[Sub Total],[Sub Total2],"
          u"Tax,[Total Order] from Invoice Order by [Order ID]"_s,
          parent),
      m_order(order) {
    const QString& money = DisplayFormat::Currency;
    const QList<FieldBox> boxes = {
        {0, u"Order ID"_s, u"Invoice #:"_s, {}, DisplayFormat::Plain},
        {1, u"Discount"_s, u"Discount:"_s, {}, money},
        {2, u"Grand Total"_s, u"Grand Total:"_s, {}, money},
        {3, u"Shipping"_s, u"Shipping:"_s, {}, money},
        {4, u"Sub Total"_s, u"Sub Total:"_s, {}, money},
        {5, u"Sub Total2"_s, u"Other Fee's:"_s, {}, money},
        {6, u"Tax"_s, u"Tax:"_s, {}, money},
        {7, u"Total Order"_s, u"Total Order:"_s, {}, money},
    };
    for (const FieldBox& box : boxes)
        addTextBox(box);
    buildInvoiceControls();
    Form_Load();
}

} // namespace tovin
