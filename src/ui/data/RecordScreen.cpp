#include "ui/data/RecordScreen.h"

#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"
#include "ui/data/RecordScreenKeys.h"
#include "ui/data/RecordScreenLayout.h"
#include "ui/data/RefusedEntryMessage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

RecordScreen::RecordScreen(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                           const QString& screenName, const QString& caption, QString selectText,
                           QWidget* parent)
    : QWidget(parent), m_catalogueInUse(catalogue), m_promptsInUse(prompts),
      m_screenName(screenName), m_selectText(std::move(selectText)) {
    setObjectName(screenName);
    setWindowTitle(caption);
    m_binding = new RecordBinding(this);
    adoPrimaryRS = new RecordSet(this);
    connect(adoPrimaryRS, &RecordSet::moveComplete, this, [this] {
        StepGuard step(procedureLabel(u"adoPrimaryRS_MoveComplete"_s), promptsInUse());
        step([&] { m_binding->refresh(); });
        adoPrimaryRS_MoveComplete();
    });
    connect(adoPrimaryRS, &RecordSet::willChangeRecord, this,
            [this](RecordSet::ChangeReason reason, bool* cancel) {
                adoPrimaryRS_WillChangeRecord(reason, cancel);
            });
    buildFrame();
}

RecordScreen::~RecordScreen() {
    // The widget part of the screen outlives this destructor: while it hides and deletes the
    // boxes, focus moves and the boxes signal. Those signals must no longer reach the screen's
    // handlers, whose object is already gone.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        disconnect(child, nullptr, this, nullptr);
    endHourglass();
    // The record set reads through the connection, so it goes first.
    delete adoPrimaryRS;
    adoPrimaryRS = nullptr;
    m_connection.reset();
}

// ---- Building ------------------------------------------------------------------------------

void RecordScreen::buildFrame() {
    m_layout = std::make_unique<RecordScreenLayout>(this);
    const RecordScreenLayout::Controls& c = m_layout->controls();
    cmdAdd = c.add;
    cmdEdit = c.edit;
    cmdUpdate = c.update;
    cmdCancel = c.cancel;
    cmdDelete = c.remove;
    cmdRefresh = c.refresh;
    cmdClose = c.close;
    cmdFirst = c.first;
    cmdPrevious = c.previous;
    cmdNext = c.next;
    cmdLast = c.last;
    lblStatus = c.status;
    connectCommands();
}

void RecordScreen::connectCommands() {
    const QList<QPair<QPushButton*, void (RecordScreen::*)()>> handlers = {
        {cmdAdd, &RecordScreen::cmdAdd_Click},
        {cmdEdit, &RecordScreen::cmdEdit_Click},
        {cmdUpdate, &RecordScreen::cmdUpdate_Click},
        {cmdCancel, &RecordScreen::cmdCancel_Click},
        {cmdDelete, &RecordScreen::cmdDelete_Click},
        {cmdRefresh, &RecordScreen::cmdRefresh_Click},
        {cmdClose, &RecordScreen::cmdClose_Click},
        {cmdFirst, &RecordScreen::cmdFirst_Click},
        {cmdPrevious, &RecordScreen::cmdPrevious_Click},
        {cmdNext, &RecordScreen::cmdNext_Click},
        {cmdLast, &RecordScreen::cmdLast_Click},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    // Once the row commands have done their work (a screen's own versions included), focus goes
    // where a stray key can do no harm.
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdUpdate, cmdCancel})
        connect(b, &QPushButton::clicked, this, [this] { settleFocus(); });
}

QSize RecordScreen::sizeHint() const {
    // The size the controls want, not the scroll area's own guess.
    return m_layout->content()->sizeHint();
}

QVBoxLayout* RecordScreen::screenLayout() const {
    return m_layout->screenLayout();
}

QWidget* RecordScreen::contentWidget() const {
    return m_layout->content();
}

BoundTextBox* RecordScreen::addTextBox(const FieldBox& box) {
    QLabel* label = m_layout->makeCaption(box.index, box.label);
    auto* text = new BoundTextBox(box.index, box.dataField, box.format, this);
    text->setToolTip(box.tip);
    text->setMinimumWidth(180);
    QString caption = box.label.trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    text->setCaption(caption);
    m_layout->addRow(label, text);
    m_labels.insert(box.index, label);
    m_textBoxes.insert(box.index, text);
    m_binding->addTextBox(text);
    connect(text, &QLineEdit::textChanged, this,
            [this, index = box.index] { txtFields_Change(index); });
    connect(text, &BoundTextBox::focusLeft, this,
            [this](int index) { txtFields_LostFocus(index); });
    return text;
}

BoundCheckBox* RecordScreen::addCheckBox(int index, const QString& dataField, const QString& label,
                                         const QString& tip) {
    QLabel* caption = m_layout->makeCaption(index, label);
    auto* check = new BoundCheckBox(index, dataField, QString(), this);
    check->setToolTip(tip);
    m_layout->addRow(caption, check);
    m_labels.insert(index, caption);
    m_checkBoxes.insert(index, check);
    m_binding->addCheckBox(check);
    return check;
}

void RecordScreen::addCommandButton(QPushButton* button) {
    m_layout->addCommandButton(button);
}

void RecordScreen::releaseFrameLayout() {
    m_layout->release();
}

void RecordScreen::setControlTip(const QString& objectName, const QString& tip) {
    if (auto* control = findChild<QWidget*>(objectName))
        control->setToolTip(tip);
}

// ---- Helpers -------------------------------------------------------------------------------

QString RecordScreen::procedureLabel(const QString& procedure) const {
    return formLabel(m_screenName, procedure);
}

void RecordScreen::showStatus(const QString& text) {
    lblStatus->setText(text);
}

CatalogueDatabase& RecordScreen::connection() {
    if (!m_connection)
        throw RunTimeError(ErrorNumber::ObjectRequired, u"Object required"_s);
    return *m_connection;
}

void RecordScreen::beginHourglass() {
    if (m_hourglass)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_hourglass = true;
    // The hourglass ends when the screen becomes active or closes; should neither happen by the
    // time the program waits for input again (a screen loaded but not shown, a window system
    // that activates nothing), it ends then, so it is never left behind.
    QTimer::singleShot(0, this, [this] { endHourglass(); });
}

void RecordScreen::endHourglass() {
    if (!m_hourglass)
        return;
    m_hourglass = false;
    QApplication::restoreOverrideCursor();
}

int RecordScreen::shiftState(Qt::KeyboardModifiers modifiers) {
    return RecordScreenKeys::shiftState(modifiers);
}

bool RecordScreen::writeStep(StepGuard& step, const std::function<void()>& action) {
    if (step(action))
        return true;
    if (!RecordEditState::wasRefusedWrite(adoPrimaryRS->isOpen(), adoPrimaryRS->isDirty()))
        return true;
    explainRefusedWrite(step.lastError() ? &*step.lastError() : nullptr);
    return false;
}

void RecordScreen::explainRefusedWrite(const RunTimeError* error) {
    StepGuard step(procedureLabel(u"explainRefusedWrite"_s), promptsInUse());
    BoundTextBox* box = m_binding->refusedBox();
    step([&] {
        const QString text =
            box ? RefusedEntryMessage::forBox(box->caption(), box->text(),
                                              adoPrimaryRS->fieldKind(box->fieldIndex()))
                : RefusedEntryMessage::forRow(error ? error->description() : QString());
        if (Prompts* prompts = promptsInUse().current)
            prompts->notice(text, MessageIcon::Exclamation, windowTitle());
    });
    // Stay in (or go into) edit mode, so Update and Cancel are offered for the row. A screen
    // already editing keeps its status line as it was (a screen that says nothing on Add and
    // Edit must not start saying "Add record" now); one a move put into edit mode says so.
    const bool wasEditing = inEditMode();
    step([&] {
        const QString status = m_editState.refused(adoPrimaryRS->isAdding());
        if (!wasEditing)
            showStatus(status);
    });
    step([&] { SetButtons(false); });
    step([&] {
        if (box) {
            box->setFocus();
            box->selectAll();
        }
    });
}

void RecordScreen::unloadScreen() {
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!close())
        return;
    if (frame)
        frame->close();
}

bool RecordScreen::inEditMode() const {
    return !cmdUpdate->isHidden();
}

QString RecordScreen::deleteQuestion() const {
    return u"Delete this record?"_s;
}

bool RecordScreen::confirmDelete() {
    Prompts* prompts = promptsInUse().current;
    if (!prompts)
        return false;
    return prompts->ask(deleteQuestion(), MessageButtons::YesNo, MessageDefault::Second,
                        MessageIcon::Question, windowTitle()) == MessageAnswer::Yes;
}

bool RecordScreen::deleteCurrentRow(StepGuard& step) {
    if (step([&] { adoPrimaryRS->deleteCurrent(); }))
        return true;
    const std::optional<RunTimeError>& error = step.lastError();
    step([&] {
        QString text = u"This record was not deleted."_s;
        if (error && !error->description().isEmpty())
            text += u"\n\n"_s + error->description();
        if (Prompts* prompts = promptsInUse().current)
            prompts->notice(text, MessageIcon::Exclamation, windowTitle());
    });
    // The row stays on show as the catalogue holds it.
    step([&] { m_binding->refresh(); });
    return false;
}

QWidget* RecordScreen::firstEditableBox() const {
    return RecordScreenKeys::firstEditableBox(this);
}

void RecordScreen::settleFocus() {
    // Update with a value the catalogue refused leaves the cursor in the box that holds it.
    if (inEditMode())
        if (BoundTextBox* refused = m_binding->refusedBox()) {
            RecordScreenKeys::focusWithTextSelected(refused);
            return;
        }
    if (QWidget* target =
            RecordScreenKeys::focusAfterRowCommand(this, inEditMode(), cmdEdit, cmdAdd))
        RecordScreenKeys::focusWithTextSelected(target);
}

bool RecordScreen::settleEditBeforeClose() {
    if (!inEditMode())
        return true;
    Prompts* prompts = promptsInUse().current;
    if (!prompts)
        return true;
    const MessageAnswer answer =
        prompts->message(u"Save the changes to this record?"_s, MessageButtons::YesNoCancel,
                         MessageIcon::Question, windowTitle());
    switch (RecordEditState::closeStep(answer)) {
    case RecordEditState::CloseStep::UpdateThenClose:
        cmdUpdate_Click();
        // A value the catalogue refused keeps the screen, and what was typed, on show.
        return !inEditMode();
    case RecordEditState::CloseStep::CancelThenClose:
        cmdCancel_Click();
        return true;
    case RecordEditState::CloseStep::StayOpen:
        break;
    }
    return false;
}

bool RecordScreen::isFreeTextBox(QObject* watched) {
    return RecordScreenKeys::isFreeTextBox(watched);
}

bool RecordScreen::freeTextBoxKey(QObject* watched, QKeyEvent* key) {
    return RecordScreenKeys::freeTextBoxKey(watched, key);
}

// ---- Window events -------------------------------------------------------------------------

bool RecordScreen::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && isWindow())
        Form_Activate();
    if (event->type() == QEvent::ParentChange)
        watchFrame();
    return QWidget::event(event);
}

void RecordScreen::watchFrame() {
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || m_watchingFrame)
        return;
    m_watchingFrame = true;
    // Inside the main window's area the screen is active when its child window is.
    connect(frame, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (!(before & Qt::WindowActive) && (now & Qt::WindowActive))
                    Form_Activate();
            });
}

void RecordScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    watchFrame();
    watchChildren();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        QPointer<QMdiSubWindow> guard(frame);
        QTimer::singleShot(0, this, [guard] {
            if (guard)
                guard->move(0, 0);
        });
    }
}

void RecordScreen::watchChildren() {
    // The screen sees keys before its controls do.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

bool RecordScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isFreeTextBox(watched))
            return freeTextBoxKey(watched, key);
        if (Form_KeyDown(key->key(), shiftState(key->modifiers())))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecordScreen::keyPressEvent(QKeyEvent* event) {
    if (Form_KeyDown(event->key(), shiftState(event->modifiers())))
        return;
    QWidget::keyPressEvent(event);
}

void RecordScreen::closeEvent(QCloseEvent* event) {
    if (!settleEditBeforeClose()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

// ---- Event procedures ----------------------------------------------------------------------

void RecordScreen::Form_Load() {
    StepGuard step(procedureLabel(u"Form_Load"_s), promptsInUse());
    step([&] { beginHourglass(); });
    step([&] { m_layout->arrangeFields(); });
    step([&] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->move(0, 0);
    });
    step([&] { m_connection = std::make_unique<CatalogueDatabase>(m_catalogueInUse.path); });
    step([&] { adoPrimaryRS->open(m_selectText, connection()); });
    step([&] { m_binding->bind(adoPrimaryRS); });
    // A screen whose catalogue could not be read stays open, empty.
    step([&] {
        if (!adoPrimaryRS->isOpen())
            adoPrimaryRS_MoveComplete();
    });
}

void RecordScreen::Form_Activate() {
    StepGuard step(procedureLabel(u"Form_Activate"_s), ErrorStyle::IgnoreAndResume);
    step([&] { endHourglass(); });
}

bool RecordScreen::Form_KeyDown(int key, int shift) {
    using RecordScreenKeys::RowKey;
    if (!m_editState.browsing())
        return false;
    const RowKey rowKey = RecordScreenKeys::browseKey(key, shift);
    if (rowKey == RowKey::None)
        return false;
    StepGuard step(procedureLabel(u"Form_KeyDown"_s), promptsInUse());
    step([&] {
        switch (rowKey) {
        case RowKey::Close:
            cmdClose_Click();
            break;
        case RowKey::First:
            cmdFirst_Click();
            break;
        case RowKey::Last:
            cmdLast_Click();
            break;
        case RowKey::Previous:
            cmdPrevious_Click();
            break;
        case RowKey::Next:
            cmdNext_Click();
            break;
        case RowKey::None:
            break;
        }
    });
    return true;
}

void RecordScreen::Form_Unload() {
    StepGuard step(procedureLabel(u"Form_Unload"_s), promptsInUse());
    step([&] { endHourglass(); });
}

void RecordScreen::adoPrimaryRS_MoveComplete() {
    StepGuard step(procedureLabel(u"adoPrimaryRS_MoveComplete"_s), promptsInUse());
    step([&] {
        const int count = adoPrimaryRS->recordCount();
        showStatus(RecordEditState::positionText(adoPrimaryRS->absolutePosition(), count));
        for (QPushButton* b : {cmdEdit, cmdDelete, cmdFirst, cmdLast, cmdPrevious, cmdNext})
            b->setEnabled(RecordEditState::rowButtonsEnabled(count));
    });
}

void RecordScreen::adoPrimaryRS_WillChangeRecord(RecordSet::ChangeReason, bool*) {
    // Every change is let through; the catalogue itself refuses values its columns can't take.
}

void RecordScreen::cmdAdd_Click() {
    StepGuard step(procedureLabel(u"cmdAdd_Click"_s), promptsInUse());
    step([&] {
        if (!(adoPrimaryRS->bof() && adoPrimaryRS->eof()))
            m_savedPosition = adoPrimaryRS->bookmark();
    });
    if (!writeStep(step, [&] { adoPrimaryRS->addNew(); }))
        return;
    step([&] { m_binding->refresh(); });
    const QString status = m_editState.add();
    step([&] { showStatus(status); });
    step([&] { SetButtons(false); });
}

void RecordScreen::cmdEdit_Click() {
    StepGuard step(procedureLabel(u"cmdEdit_Click"_s), promptsInUse());
    const QString status = m_editState.edit();
    step([&] { showStatus(status); });
    step([&] { SetButtons(false); });
}

void RecordScreen::cmdUpdate_Click() {
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s), promptsInUse());
    if (!writeStep(step, [&] { adoPrimaryRS->updateBatch(); }))
        return;
    step([&] { m_binding->refresh(); });
    // A new row is the last row of the set until the next Refresh.
    const bool wasNew = m_editState.adding;
    step([&] {
        if (wasNew)
            adoPrimaryRS->moveLast();
    });
    m_editState.updated();
    step([&] { SetButtons(true); });
    // The status line shows the position again instead of "Edit record".
    step([&] { adoPrimaryRS_MoveComplete(); });
}

void RecordScreen::cmdCancel_Click() {
    StepGuard step(procedureLabel(u"cmdCancel_Click"_s), promptsInUse());
    step([&] { SetButtons(true); });
    const std::optional<RecordSet::Bookmark> back = m_editState.cancelled();
    step([&] { adoPrimaryRS->cancelUpdate(); });
    step([&] { m_binding->refresh(); });
    step([&] {
        if (back)
            adoPrimaryRS->setBookmark(*back);
        else
            adoPrimaryRS->moveFirst();
    });
}

void RecordScreen::cmdDelete_Click() {
    StepGuard step(procedureLabel(u"cmdDelete_Click"_s), promptsInUse());
    if (!confirmDelete() || !deleteCurrentRow(step))
        return;
    step([&] { adoPrimaryRS->moveNext(); });
    step([&] {
        if (adoPrimaryRS->eof())
            adoPrimaryRS->moveLast();
    });
}

void RecordScreen::cmdRefresh_Click() {
    StepGuard step(procedureLabel(u"cmdRefresh_Click"_s), promptsInUse());
    step([&] { adoPrimaryRS->requery(); });
}

void RecordScreen::cmdClose_Click() {
    StepGuard step(procedureLabel(u"cmdClose_Click"_s), promptsInUse());
    step([&] { unloadScreen(); });
}

void RecordScreen::cmdFirst_Click() {
    StepGuard step(procedureLabel(u"cmdFirst_Click"_s), promptsInUse());
    writeStep(step, [&] { adoPrimaryRS->moveFirst(); });
}

void RecordScreen::cmdLast_Click() {
    StepGuard step(procedureLabel(u"cmdLast_Click"_s), promptsInUse());
    writeStep(step, [&] { adoPrimaryRS->moveLast(); });
}

void RecordScreen::cmdNext_Click() {
    StepGuard step(procedureLabel(u"cmdNext_Click"_s), promptsInUse());
    if (!writeStep(step, [&] {
            if (!adoPrimaryRS->eof())
                adoPrimaryRS->moveNext();
        }))
        return;
    // Stepping past the last row stays on the last row.
    writeStep(step, [&] {
        if (adoPrimaryRS->eof() && adoPrimaryRS->recordCount() > 0)
            adoPrimaryRS->moveLast();
    });
}

void RecordScreen::cmdPrevious_Click() {
    StepGuard step(procedureLabel(u"cmdPrevious_Click"_s), promptsInUse());
    if (!writeStep(step, [&] {
            if (!adoPrimaryRS->bof())
                adoPrimaryRS->movePrevious();
        }))
        return;
    writeStep(step, [&] {
        if (adoPrimaryRS->bof() && adoPrimaryRS->recordCount() > 0)
            adoPrimaryRS->moveFirst();
    });
}

void RecordScreen::SetButtons(bool browse) {
    StepGuard step(procedureLabel(u"SetButtons"_s), promptsInUse());
    step([&] {
        const RecordEditState::Buttons shown = RecordEditState::buttonsFor(browse);
        for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete, cmdClose, cmdRefresh})
            b->setVisible(shown.rowCommands);
        for (QPushButton* b : {cmdUpdate, cmdCancel})
            b->setVisible(shown.editCommands);
        for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast})
            b->setEnabled(shown.navigation);
    });
}

void RecordScreen::txtFields_Change(int) {}

void RecordScreen::txtFields_LostFocus(int) {}

} // namespace tovin
