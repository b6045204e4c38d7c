#pragma once

#include "core/base/Prompts.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tovin {

struct CatalogueInUse;

struct SearchInForce;
struct TaskScreenHandoff;

class BulkEdit;
class CatalogueDatabase;

// "Edit Products Fields": values typed once are written into the same columns of every product
// of the Products screen's selection (or every product). Only the boxes the user touched are
// written; the rules for each column are BulkEdit's. The boxes and check boxes are numbered by
// the column's position in Products (txtFields(12) is Retail, chkFields(19) OnSpecial).
//
// The screen clears TaskScreenHandoff::editProdOpen when it closes, which the waiting Products
// screen watches.
class EditProd : public QWidget {
    Q_OBJECT
public:
    // `search` is the shell's SearchInForce: the products this screen works on. `tasks` is the
    // shell's hand-off, through which it waits for the supplier screen and says it closed.
    EditProd(const CatalogueInUse& catalogue, const PromptsInUse& prompts, SearchInForce& search,
             TaskScreenHandoff& tasks, QWidget* parent = nullptr);
    ~EditProd() override;

    void Command1_Click(); // Update Now
    void Command2_Click(); // Close / Cancel

    bool touched(int index) const { return m_touched[size_t(index)]; }
    bool addressCheckPending() const { return m_addressCheck; }
    const QString& pictureExtension() const { return m_pictureExtension; }
    bool isUpdating() const { return m_updating; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const CatalogueInUse& m_catalogue;
    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    SearchInForce& m_search;
    TaskScreenHandoff& m_tasks;
    void Form_Load();
    void txtFields_Change(int index);
    void txtFields_LostFocus(int index);
    void checkPicturePath();
    // The supplier box as the Supplier table spells it, picked on the supplier screen when it
    // is not there; false when the screen went away during the pick.
    bool lookUpSupplier();
    void showFirstStockNumber();
    // Asks before the edit writes; false when the user says No.
    bool confirmChange(const BulkEdit& edit);

    std::array<QLineEdit*, 31> txtFields{};
    std::array<QCheckBox*, 31> chkFields{};
    std::array<bool, 32> m_touched{};
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    // After a run: takes it back.
    QPushButton* cmdUndoRun = nullptr;
    qint64 m_undoRun = 0;
    QLabel* Label1 = nullptr;
    std::unique_ptr<CatalogueDatabase> m_db;
    bool m_cancel = false;
    bool m_addressCheck = false;
    bool m_updating = false;
    bool m_closeAfterUpdate = false;
    QString m_pictureExtension;
};

} // namespace tovin
