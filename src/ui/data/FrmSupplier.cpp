#include "ui/data/FrmSupplier.h"

#include "core/base/EventWait.h"
#include "core/catalogue/DisplayFormat.h"
#include "core/products/SearchInForce.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmSupplier::FrmSupplier(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                         SearchInForce& search, TaskScreenHandoff& tasks, QWidget* parent)
    : RecordScreen(catalogue, prompts, ScreenName, u"Supplier"_s,
                   u"select SID,Add1,Add2,City,Contact,Discounts,Email,Fax,Name,Notes,OtherChgs,"
                   u"Phone1,Phone2,Ship1,Ship2,Ship3,Ship4,State,URL,Zip,UserName,PassWord,"
                   u"TaxRate from Supplier Order by SID"_s,
                   parent),
      m_search(search), m_tasks(tasks) {
    const QList<QPair<QString, QString>> boxes = {
        {u"SID"_s, u"SID:"_s},
        {u"Add1"_s, u"Address 1:"_s},
        {u"Add2"_s, u"Address 2:"_s},
        {u"City"_s, u"City:"_s},
        {u"Contact"_s, u"Contact:"_s},
        {u"Discounts"_s, u"Discounts:"_s},
        {u"Email"_s, u"Email:"_s},
        {u"Fax"_s, u"Fax Number:"_s},
        {u"Name"_s, u"Co. Name:"_s},
        {u"Notes"_s, u"Notes:"_s},
        {u"OtherChgs"_s, u"Fees:"_s},
        {u"Phone1"_s, u"Phone 1:"_s},
        {u"Phone2"_s, u"Phone 2:"_s},
        {u"Ship1"_s, u"US Mail:"_s},
        {u"Ship2"_s, u"UPS:"_s},
        {u"Ship3"_s, u"Other 1:"_s},
        {u"Ship4"_s, u"Other 2:"_s},
        {u"State"_s, u"State:"_s},
        {u"URL"_s, u"Web Page:"_s},
        {u"Zip"_s, u"Zip Code:"_s},
        {u"Username"_s, u"User Name:"_s},
        {u"PassWord"_s, u"Password:"_s},
        {u"TaxRate"_s, u"Sales Tax:"_s},
    };
    for (int i = 0; i < boxes.size(); ++i)
        addTextBox({i,
                    boxes.at(i).first,
                    boxes.at(i).second,
                    {},
                    i == TaxRateBox ? DisplayFormat::Percent : DisplayFormat::Plain});
    BoundTextBox* password = txtFields(PasswordBox);
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(u"lineedit-password-character: 42;"_s);
    Form_Load();
}

void FrmSupplier::Form_Load() {
    RecordScreen::Form_Load();
    // A condition this table can't use leaves every supplier shown, without a word.
    StepGuard step(procedureLabel(u"Form_Load"_s), ErrorStyle::IgnoreAndResume);
    step([&] { adoPrimaryRS->setFilter(m_search.SearchWhere); });
}

void FrmSupplier::txtFields_LostFocus(int index) {
    if (index != TaxRateBox)
        return;
    StepGuard step(procedureLabel(u"txtFields_LostFocus"_s), ErrorStyle::IgnoreAndResume);
    step([&] {
        BoundTextBox* box = txtFields(TaxRateBox);
        if (!box || box->isReadOnly())
            return;
        // A rate typed in percent (7) is kept as its fraction (0.07), shown again as 7%.
        if (const auto fraction = DisplayFormat::fractionOfPercent(box->text()))
            binding().setBoxValue(box, *fraction);
    });
}

void FrmSupplier::cmdCancel_Click() {
    m_tasks.supplierScreenClosed = true;
    RecordScreen::cmdCancel_Click();
}

void FrmSupplier::cmdClose_Click() {
    StepGuard step(procedureLabel(u"cmdClose_Click"_s), promptsInUse());
    // The hand-off is the shell's and outlives the screen, which may be gone after the unload.
    TaskScreenHandoff& tasks = m_tasks;
    step([&] { unloadScreen(); });
    step([] { letEventsRun(); });
    step([&tasks] { tasks.supplierScreenClosed = true; });
}

} // namespace tovin
