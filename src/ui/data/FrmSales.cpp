#include "ui/data/FrmSales.h"

#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmSales::FrmSales(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                   OrderSession& order, QWidget* parent)
    : RecordScreen(catalogue, prompts, u"frmSales"_s, u"Sales"_s,
                   u"select [Sales Product ID],Cost,[Date Sold],Expenses,[Number Sold],"
                   u"[Price Sold],[Where Sold] from Sales Order by [Sales Product ID]"_s,
                   parent),
      m_order(order) {
    const QString& money = DisplayFormat::Currency;
    const QString& plain = DisplayFormat::Plain;
    const QList<FieldBox> boxes = {
        {0, u"Sales Product ID"_s, u"Stock No.:"_s, {}, plain},
        {1, u"Cost"_s, u"Cost:"_s, {}, money},
        {2, u"Date Sold"_s, u"Date Sold:"_s, {}, plain},
        {3, u"Expenses"_s, u"Expenses:"_s, {}, money},
        {4, u"Number Sold"_s, u"Number Sold:"_s, {}, plain},
        {5, u"Price Sold"_s, u"Total Price Sold For:"_s, {}, money},
        {6, u"Where Sold"_s, u"Where Sold:"_s, {}, plain},
        {NetProfitBox, {}, u"Net Profit:"_s, {}, money},
    };
    for (const FieldBox& box : boxes)
        addTextBox(box);
    Form_Load();
}

} // namespace tovin
