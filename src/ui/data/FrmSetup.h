#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The setup screen: the shop's own details from table Setup. Its boxes are numbered by the
// columns' positions in the table. Update only writes the row and returns the buttons to
// browse mode: the adding and editing flags stay set, so the navigation keys stay off until
// the screen is opened again (the navigation buttons still work).
class FrmSetup : public RecordScreen {
    Q_OBJECT
public:
    explicit FrmSetup(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                      QWidget* parent = nullptr);

protected:
    void cmdUpdate_Click() override;
    QString procedureLabel(const QString& procedure) const override;
};

} // namespace tovin
