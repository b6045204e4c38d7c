#pragma once

#include "core/base/Prompts.h"
#include "core/catalogue/RecordEditState.h"
#include "core/catalogue/RecordSet.h"

#include <QMap>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tovin {

class BoundCheckBox;
class BoundTextBox;
class CatalogueDatabase;
struct CatalogueInUse;
class RecordBinding;
class RecordScreenLayout;
class RunTimeError;
class StepGuard;

// A record maintenance screen: one row of one table at a time in a column of bound boxes, with
// Add, Edit, Update, Cancel, Delete, Refresh and Close, the four navigation buttons and the
// status line. The screen opens its own connection on the catalogue in use and its own record
// set, adoPrimaryRS, over its SELECT text.
//
// Where the controls sit is RecordScreenLayout's, the keys and the focus rules are in
// RecordScreenKeys, and browse and edit mode with what each command does to it is
// RecordEditState; this class runs the event procedures on the record set and the widgets.
//
// Browse mode shows Add, Edit, Delete, Refresh and Close; Add or Edit switch to edit mode,
// where only Update and Cancel show and the navigation buttons and keys are off. A screen
// derives from this class, adds its boxes in its constructor and ends the constructor with
// Form_Load(). Every event procedure is virtual so a screen can change or extend it; each one
// runs its steps under a StepGuard labelled "(Form) <screen>::Sub <procedure>", so a failing
// step never stops the next.
//
// A row the catalogue refuses to write (a word in a money box, an impossible date) is never
// dropped quietly: the user is told which box holds the value, and the screen stays in (or
// enters) edit mode with everything that was typed.
class RecordScreen : public QWidget {
    Q_OBJECT
public:
    // screenName is the name errors are labelled with and the object name ("Catagory",
    // "frmSupplier"); caption is the window title. The screen opens the catalogue in use when it
    // loads, so `catalogue` must outlive it; so must `prompts`, where its questions and notices
    // go.
    RecordScreen(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                 const QString& screenName, const QString& caption, QString selectText,
                 QWidget* parent = nullptr);
    ~RecordScreen() override;

    const QString& screenName() const { return m_screenName; }
    const QString& selectText() const { return m_selectText; }
    RecordSet* primaryRecordSet() const { return adoPrimaryRS; }
    const CatalogueInUse& catalogueInUse() const { return m_catalogueInUse; }
    const PromptsInUse& promptsInUse() const { return m_promptsInUse; }

    bool isAdding() const { return m_editState.adding; }
    bool isEditing() const { return m_editState.editing; }
    // Edit mode as the user sees it: Update and Cancel offered for the row.
    bool inEditMode() const;

    // Members of the control arrays by index; nullptr when the screen has no such member.
    BoundTextBox* txtFields(int index) const { return m_textBoxes.value(index); }
    QLabel* lblLabels(int index) const { return m_labels.value(index); }
    BoundCheckBox* chkFields(int index) const { return m_checkBoxes.value(index); }

    // The display formats of the boxes.
    struct FieldBox {
        int index = 0;     // txtFields index
        QString dataField; // column name; empty for a box the screen computes
        QString label;     // caption label text, "Retail:"
        QString tip;       // tool tip of the box
        QString format;    // DisplayFormat
    };

protected:
    // Building the screen (constructor of the derived screen).
    BoundTextBox* addTextBox(const FieldBox& box);
    BoundCheckBox* addCheckBox(int index, const QString& dataField, const QString& label,
                               const QString& tip = QString());
    // Adds a button to the row of command buttons, after the pattern's own.
    void addCommandButton(QPushButton* button);
    // The screen's layout from top to bottom: the boxes, the command buttons, the status line
    // with the navigation buttons. A screen may insert parts of its own.
    QVBoxLayout* screenLayout() const;
    // Sets a tool tip on one of the pattern's controls, by object name.
    void setControlTip(const QString& objectName, const QString& tip);
    // For a screen that places its controls its own way: the pattern's layout goes, its controls
    // stay (unplaced, for the screen to lay out in contentWidget()), and the boxes are no longer
    // put in columns.
    void releaseFrameLayout();
    // The widget inside the screen's scroll area that holds every control: at a size too small
    // for them the screen scrolls instead of squeezing them.
    QWidget* contentWidget() const;

    // Event procedures.
    virtual void Form_Load();
    virtual void Form_Activate();
    // Gets the key and the shift state (1 Shift, 2 Ctrl, 4 Alt); returns whether it acted.
    virtual bool Form_KeyDown(int key, int shift);
    virtual void Form_Unload();
    virtual void adoPrimaryRS_MoveComplete();
    virtual void adoPrimaryRS_WillChangeRecord(RecordSet::ChangeReason reason, bool* cancel);
    virtual void cmdAdd_Click();
    virtual void cmdEdit_Click();
    virtual void cmdUpdate_Click();
    virtual void cmdCancel_Click();
    virtual void cmdDelete_Click();
    virtual void cmdRefresh_Click();
    virtual void cmdClose_Click();
    virtual void cmdFirst_Click();
    virtual void cmdLast_Click();
    virtual void cmdNext_Click();
    virtual void cmdPrevious_Click();
    virtual void SetButtons(bool browse);
    virtual void txtFields_Change(int index);
    virtual void txtFields_LostFocus(int index);

    // The error label of one of this screen's procedures.
    virtual QString procedureLabel(const QString& procedure) const;

    // Runs a step that may write the current row (a move, AddNew, Update). When the catalogue
    // refuses the row, tells the user and keeps the screen in edit mode; returns false then,
    // and the caller stops.
    bool writeStep(StepGuard& step, const std::function<void()>& action);
    virtual void explainRefusedWrite(const RunTimeError* error);

    // The question Delete asks before the row goes ("Delete this record?").
    virtual QString deleteQuestion() const;
    // Asks deleteQuestion() with No as the default answer; true when the user said Yes.
    bool confirmDelete();
    // Deletes the current row. A row the catalogue keeps (locked, refused) stays current, the
    // user is told it was not deleted, and false is returned.
    bool deleteCurrentRow(StepGuard& step);
    // Keyboard focus after Add, Edit, Update or Cancel: the first box the user can type in while
    // editing, Edit (or Add on an empty screen) while browsing; never Delete, where a stray
    // Space would remove the row.
    void settleFocus();
    QWidget* firstEditableBox() const;
    // Closing while a row is edited or added asks whether to save it first; false keeps the
    // screen open (Cancel, or a value the catalogue refused).
    bool settleEditBeforeClose();
    // A text box the screen owns that no column is bound to (a search box): the row keys belong
    // to it and Escape empties it.
    static bool isFreeTextBox(QObject* watched);
    // Returns whether the key was used up (otherwise the box takes it).
    static bool freeTextBoxKey(QObject* watched, QKeyEvent* key);

    // Closes the screen (and its child window in the main window's area).
    void unloadScreen();
    void showStatus(const QString& text);
    // The screen's own connection; error 424 when it could not be opened.
    CatalogueDatabase& connection();
    RecordBinding& binding() { return *m_binding; }

    void beginHourglass();
    void endHourglass();

    // The shift state of the key table: 1 Shift, 2 Ctrl, 4 Alt.
    static int shiftState(Qt::KeyboardModifiers modifiers);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    QSize sizeHint() const override;

    // The screen's connection and record set; the record set goes first.
    const CatalogueInUse& m_catalogueInUse;
    const PromptsInUse& m_promptsInUse;
    std::unique_ptr<CatalogueDatabase> m_connection;
    RecordSet* adoPrimaryRS = nullptr;

    QLabel* lblStatus = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;

    // Browse or edit mode. The screens built on the pattern test and set the flags under these
    // names in their own versions of the commands.
    RecordEditState m_editState;
    bool& m_addingFlag = m_editState.adding;
    bool& m_editingFlag = m_editState.editing;
    RecordSet::Bookmark& m_savedPosition = m_editState.savedPosition;

private:
    void buildFrame();
    void connectCommands();
    void watchChildren();
    void watchFrame();

    QString m_screenName;
    QString m_selectText;
    RecordBinding* m_binding = nullptr;
    QMap<int, BoundTextBox*> m_textBoxes;
    QMap<int, QLabel*> m_labels;
    QMap<int, BoundCheckBox*> m_checkBoxes;
    std::unique_ptr<RecordScreenLayout> m_layout;
    bool m_hourglass = false;
    bool m_shownOnce = false;
    bool m_watchingFrame = false;
};

} // namespace tovin
