#include "ui/data/Catagory.h"

#include "ui/data/BoundTextBox.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

Catagory::Catagory(const CatalogueInUse& catalogue, const PromptsInUse& prompts, QWidget* parent)
    : RecordScreen(catalogue, prompts, u"Catagory"_s, u"Catagory"_s,
                   u"select CID,CatName,CatNum from Catagory Order by CID"_s, parent) {
    addTextBox({0, u"CID"_s, u"CID:"_s, {}, DisplayFormat::Plain});
    addTextBox({1, u"CatName"_s, u"Category Name:"_s, u"Category Name"_s, DisplayFormat::Plain});
    addTextBox({2, u"CatNum"_s, u"Category Number:"_s,
                u"Any Available Number You Want To Assign To This Category"_s,
                DisplayFormat::Plain});
    setControlTip(u"cmdClose"_s, u"Closes This Form"_s);
    setControlTip(u"cmdAdd"_s, u"Add New Category"_s);
    setControlTip(u"cmdEdit"_s, u"Edit Current Category"_s);
    setControlTip(u"cmdDelete"_s, u"Deletes The Current Category"_s);
    setControlTip(u"cmdRefresh"_s, u"Refresh Data"_s);
    Form_Load();
}

} // namespace tovin
