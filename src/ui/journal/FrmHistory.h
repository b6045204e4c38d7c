#pragma once

#include "core/base/Prompts.h"

#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tovin {

struct CatalogueInUse;

class CatalogueDatabase;

// "History of Changes": the batch runs the catalogue keeps, newest first, with the rows each
// added, changed and deleted; the whole note of the selected run under the list; the rows it
// touched (stock number, column, old → new as the catalogue shows them); Undo, which asks
// first, and a trial that tells what Undo would change without changing anything. On a run
// already undone the same buttons do it again by taking its undo back.
class FrmHistory : public QWidget {
    Q_OBJECT

public:
    // Rows of one run listed at most; the count says how many there are.
    static constexpr int RowsShown = 2000;

    explicit FrmHistory(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                        QWidget* parent = nullptr);
    ~FrmHistory() override;

    // Lists the runs again, keeping the selected one when it is still there.
    void refresh();
    // The number of the selected run, 0 for none.
    qint64 selectedRun() const;
    void selectRun(qint64 run);

    void cmdUndo_Click();
    void cmdTrial_Click();

    // Wide enough for the runs' columns with their source and one-line note, within the main
    // window's space.
    QSize sizeHint() const override;

private:
    void showRows();
    // The selected run's note, with the selected change's values whole under it.
    void showChange();
    void showButtons(const QTreeWidgetItem* item);
    // The run Undo takes back for the selected one: the run itself, or its undo when it was
    // undone; 0 for none.
    qint64 actionRun() const;

    QTreeWidget* lstRuns = nullptr;
    QPlainTextEdit* txtNote = nullptr;
    QTreeWidget* lstRows = nullptr;
    QLabel* lblRows = nullptr;
    QPushButton* cmdUndo = nullptr;
    QPushButton* cmdTrial = nullptr;
    QPushButton* cmdClose = nullptr;
    QString m_details; // what the box shows of the selected run
    const CatalogueInUse& m_catalogue;
    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    std::unique_ptr<CatalogueDatabase> m_db;
};

} // namespace tovin
