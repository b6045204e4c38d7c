#pragma once

#include "core/base/Prompts.h"
#include "core/import/ImportProgress.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMovie;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tovin {

struct CatalogueInUse;

struct SearchInForce;
struct TaskScreenHandoff;

class StepGuard;

class CatalogueDatabase;
class FieldMapping;
class ImportReport;
class TextImportSession;

// The import screen: a small wizard over the import engine. Page 1 offers the tasks (supplier
// price lists, full descriptions and stock file, any text file, an Access table, a folder of
// items, picture paths), page 0 deletes the current selection, page 2 is the price-list page and
// the working page, page 3 tells that the user cancelled.
//
// A task runs as one procedure that waits, letting window events run, for the user between its
// steps: a click in the list, OK, a divider option or Close/Cancel set the flags the procedure
// waits on (ContinueRequested, CloseRequested, QuestionPending). Every import rule is the
// engine's (TextImportSession, SupplierFileImport, AccessTableImport, FolderImport,
// PicturePathChange, DeleteRecords); this screen only asks and shows.
//
// The screen is not closed while a task's procedure runs: Close then asks the procedure to stop
// and the screen goes when it has.
class BuildDB : public QWidget {
    Q_OBJECT
public:
    // `search` is the shell's SearchInForce: the products this screen works on. `tasks` is the
    // shell's hand-off: the page the screen opens on, and the supplier screen's closing.
    BuildDB(const CatalogueInUse& catalogue, const PromptsInUse& prompts, SearchInForce& search,
            TaskScreenHandoff& tasks, QWidget* parent = nullptr);
    ~BuildDB() override;

    // Event procedures.
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Text1_Click();
    void Command1_Click(); // Start
    void Command2_Click(); // Close / Cancel
    void Command3_Click(); // OK
    void Command4_Click(); // Back
    void ShowFrames();

    std::int16_t taskPage() const { return TaskPage; }
    bool isRunning() const { return m_running; }

signals:
    // A task's procedure waits for the user now (tests and pictures follow the dialogue by it).
    void waiting();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const CatalogueInUse& m_catalogue;
    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    SearchInForce& m_search;
    TaskScreenHandoff& m_tasks;
    void buildControls();
    void buildTaskFrame();
    void buildMessageFrame();
    void buildDividerFrame();
    void buildPriceListFrame();
    void buildButtons();
    void layOut();
    void Form_Activate();
    QString label(const QString& procedure) const;

    // Waits until ContinueRequested is set; false when the screen is going away.
    bool waitForContinue();
    // The final wait of every task: the totals stay until Close.
    void waitForClose();
    // An accept-or-cancel question in txtMsg: true for OK, false for Cancel.
    bool askInMessage(const QString& text);
    void setWindowHeight(int twips);
    void showListLayout();
    void showWorkLayout();
    void endTask(const QString& totals);
    // A task that a step stopped (a damaged file, a catalogue that cannot be written) tells the
    // user why: the error log alone would leave the screen looking as if all went well. A
    // missing file was already shown by the step itself.
    void tellStopped(const StepGuard& step);
    ProgressCallback progressCallback();
    bool askEditOnly();
    QString askNote(const QString& title, const QString& prompt, const QString& defaultText);

    // The tasks.
    void Delete();
    void Folders();
    void ChP();
    void GetFiles();
    void importTextFile();
    void importSupplierFiles();
    void importDatabase();
    // The text-file dialogue's steps; false ends the task.
    bool chooseStartLine(TextImportSession& session);
    bool chooseDivider(TextImportSession& session);
    bool mapFields(FieldMapping& mapping, const QString& rememberKey);
    // When most prices of the file's first items only make sense with a decimal comma and the
    // box is not ticked, asks whether to read them so; Yes ticks the box.
    void askDecimalComma(TextImportSession& session);
    // The message box after a run: the prices left as they were and the repeated stock numbers.
    void showRunNotes(const QStringList& notes);
    // A mapping whose stock number no item reaches is refused before anything is written: the
    // message is shown and stays in the status line. True when refused.
    bool refuseStockNumberOutOfReach(const std::optional<QString>& refusal);
    // After mapping: OK imports, "Test Import" shows what the import would do first.
    bool confirmImport(const std::function<ImportOutcome(ImportReport*)>& trial);
    bool chooseSupplier(QString& supplier);
    void showPreview(TextImportSession& session);

    // Margins (BuildDBMargins.cpp): the tick that keeps them when costs change, and what an
    // import did to them, shown on the last page with a way to the products under the minimum.
    void buildMarginControls();
    // The tick as the run is to use it; remembered for the next import.
    bool keepMarginsTicked();
    void showMargins(const QStringList& lines);
    void showProductsUnderMargin();

    // Screen state.
    std::int16_t TaskPage = 1;
    std::int16_t ImportStep = 0;
    bool ContinueRequested = false;
    bool CloseRequested = false;
    bool QuestionPending = false;
    QString Separator;
    int ChosenLine = -1;
    bool m_firstActivation = true;
    bool m_running = false;
    bool m_unloadWhenDone = false;
    bool m_testRequested = false;
    // While fields are mapped, Back steps to the previous field instead of the previous page.
    bool m_mappingFields = false;
    bool m_backRequested = false;
    bool m_encodingChanged = false;

    std::unique_ptr<CatalogueDatabase> m_db;

    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Command4 = nullptr;
    QListWidget* Text1 = nullptr;
    QLineEdit* txtChoice = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 7> Option1{};
    // The clip of the program folder while work runs (filemove.gif, filedel.gif for deleting).
    QLabel* Animation1 = nullptr;
    QMovie* m_clip = nullptr;
    void playClip(const QString& fileName);
    QGroupBox* Frame3 = nullptr;
    QPlainTextEdit* txtMsg = nullptr;
    QGroupBox* Frame2 = nullptr;
    std::array<QRadioButton*, 5> Option2{};
    QGroupBox* Frame4 = nullptr;
    std::array<QCheckBox*, 5> chkLists{};
    QPushButton* Command3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    // On the last page: takes back the run the task just made.
    QPushButton* cmdUndoRun = nullptr;
    qint64 m_undoRun = 0;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cboEncoding = nullptr;
    QCheckBox* chkDecimalComma = nullptr;
    QPushButton* cmdTestImport = nullptr;
    QCheckBox* chkKeepMargins = nullptr;
    QGroupBox* FrameMargins = nullptr;
    QPlainTextEdit* txtMargins = nullptr;
    QPushButton* cmdMarginProducts = nullptr;
};

} // namespace tovin
