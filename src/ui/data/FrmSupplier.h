#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

struct SearchInForce;
struct TaskScreenHandoff;

// The supplier screen: table Supplier in SID order, boxes numbered by the position of their
// column in the screen's SELECT (other screens read boxes 8, 18, 20, 21 and 22 by index).
// It shows only the suppliers matching SearchInForce::SearchWhere (all of them when that is empty
// or names columns the table lacks), turns a tax rate typed as 7 into 0.07 (shown as 7%), and tells
// a waiting opener through TaskScreenHandoff::supplierScreenClosed when it is cancelled or closed.
class FrmSupplier : public RecordScreen {
    Q_OBJECT
public:
    // The screen's name among the child windows.
    static inline const QString ScreenName = QStringLiteral("frmSupplier");
    // Boxes other screens read by index.
    static constexpr int NameBox = 8;
    static constexpr int PasswordBox = 21;
    static constexpr int TaxRateBox = 22;

    // `search` is the shell's SearchInForce, whose condition picks the suppliers shown; `tasks`
    // is the shell's hand-off, through which the screen says it was cancelled or closed.
    FrmSupplier(const CatalogueInUse& catalogue, const PromptsInUse& prompts, SearchInForce& search,
                TaskScreenHandoff& tasks, QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void txtFields_LostFocus(int index) override;
    void cmdCancel_Click() override;
    void cmdClose_Click() override;

private:
    SearchInForce& m_search;
    TaskScreenHandoff& m_tasks;
};

} // namespace tovin
