#pragma once

#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tovin {

class CatalogueDatabase;

// "History of Changes": the batch runs the catalogue keeps, newest first, with their totals;
// the rows the selected run touched (stock number, column, old -> new); Undo, and a trial that
// tells what Undo would change without changing anything.
class FrmHistory : public QWidget {
    Q_OBJECT

public:
    // Rows of one run listed at most; the count says how many there are.
    static constexpr int RowsShown = 2000;

    explicit FrmHistory(QWidget* parent = nullptr);
    ~FrmHistory() override;

    // Lists the runs again, keeping the selected one when it is still there.
    void refresh();
    // The number of the selected run, 0 for none.
    qint64 selectedRun() const;
    void selectRun(qint64 run);

    void cmdUndo_Click();
    void cmdTrial_Click();

private:
    void showRows();

    QTreeWidget* lstRuns = nullptr;
    QTreeWidget* lstRows = nullptr;
    QLabel* lblRows = nullptr;
    QPushButton* cmdUndo = nullptr;
    QPushButton* cmdTrial = nullptr;
    QPushButton* cmdClose = nullptr;
    std::unique_ptr<CatalogueDatabase> m_db;
};

} // namespace tovin
