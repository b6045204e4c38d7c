#include "ui/data/FrmSetup.h"

#include "core/shell/ErrorReporting.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FrmSetup::FrmSetup(const CatalogueInUse& catalogue, const PromptsInUse& prompts, QWidget* parent)
    : RecordScreen(catalogue, prompts, u"frmSetup"_s, u"Setup"_s,
                   u"select * from Setup Order by [Company Name]"_s, parent) {
    const QList<std::pair<int, QPair<QString, QString>>> boxes = {
        {0, {u"Company Name"_s, u"Company Name:"_s}},
        {2, {u"Company Address"_s, u"Address:"_s}},
        {3, {u"Company Address 2"_s, u"Address 2:"_s}},
        {4, {u"Company City"_s, u"City:"_s}},
        {5, {u"Company State"_s, u"State:"_s}},
        {6, {u"Company Zip"_s, u"Zip:"_s}},
        {9, {u"Email"_s, u"Email:"_s}},
        {10, {u"Fax"_s, u"Fax:"_s}},
        {17, {u"Owner Name"_s, u"Owner Name:"_s}},
        {19, {u"Phone"_s, u"Phone:"_s}},
        {23, {u"Web Page"_s, u"Web Page:"_s}},
    };
    for (const auto& [index, field] : boxes)
        addTextBox({index, field.first, field.second, {}, DisplayFormat::Plain});
    Form_Load();
}

void FrmSetup::cmdUpdate_Click() {
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
    if (!writeStep(step, [&] { adoPrimaryRS->updateBatch(); }))
        return;
    step([&] { binding().refresh(); });
    step([&] { SetButtons(true); });
}

QString FrmSetup::procedureLabel(const QString& procedure) const {
    // The status and key procedures of this screen carry its caption in their labels.
    if (procedure == u"adoPrimaryRS_MoveComplete"_s || procedure == u"Form_KeyDown"_s)
        return formLabel(u"Setup"_s, procedure);
    return RecordScreen::procedureLabel(procedure);
}

} // namespace tovin
