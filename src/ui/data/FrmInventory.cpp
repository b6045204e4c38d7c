#include "ui/data/FrmInventory.h"

#include "ui/data/BoundTextBox.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmInventory::FrmInventory(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                           OrderSession& order, QWidget* parent)
    : RecordScreen(catalogue, prompts, u"frmInventory"_s, u"Inventory"_s,
                   u"select [Product Id],Cost,[Date In],[Date Sold],Description,Number,Retail,"
                   u"Wholesale from Inventory Order by [Product Id]"_s,
                   parent),
      m_order(order) {
    const QString& money = DisplayFormat::Currency;
    const QString& plain = DisplayFormat::Plain;
    const QList<FieldBox> boxes = {
        {0, u"Product Id"_s, u"Stock No.:"_s, {}, plain},
        {1, u"Cost"_s, u"Actual Cost Each:"_s, {}, money},
        {2, u"Date In"_s, u"Date In:"_s, {}, plain},
        {3, u"Date Sold"_s, u"Date Sold:"_s, {}, plain},
        {4, u"Description"_s, u"Description:"_s, {}, plain},
        {5, u"Number"_s, u"On Hand:"_s, {}, plain},
        {6, u"Retail"_s, u"Retail:"_s, {}, money},
        {7, u"Wholesale"_s, u"Wholesale:"_s, {}, money},
    };
    for (const FieldBox& box : boxes)
        addTextBox(box);
    cmdSales = new QPushButton(u"Sales"_s, this);
    cmdSales->setObjectName(u"cmdSales"_s);
    cmdSales->setToolTip(u"Record that some of these items were sold"_s);
    addCommandButton(cmdSales);
    connect(cmdSales, &QPushButton::clicked, this, [this] { cmdSales_Click(); });
    Form_Load();
}

} // namespace tovin
