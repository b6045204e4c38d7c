#include "ui/data/RecordScreen.h"

#include "core/data/CatalogueDatabase.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/Prompts.h"
#include "core/shell/SharedState.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"
#include "ui/data/RefusedEntryMessage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Rows of boxes per column; a screen with more boxes shows them side by side.
constexpr int RowsPerColumn = 12;

} // namespace

RecordScreen::RecordScreen(const QString& screenName, const QString& caption, QString selectText,
                           QWidget* parent)
    : QWidget(parent), m_screenName(screenName), m_selectText(std::move(selectText)) {
    setObjectName(screenName);
    setWindowTitle(caption);
    m_binding = new RecordBinding(this);
    adoPrimaryRS = new RecordSet(this);
    connect(adoPrimaryRS, &RecordSet::moveComplete, this, [this] {
        StepGuard step(procedureLabel(u"adoPrimaryRS_MoveComplete"_s));
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

QPushButton* RecordScreen::makeButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPushButton* RecordScreen::makePictureButton(const QString& name, const QString& icon) {
    QPushButton* button = makeButton(name, QString());
    button->setIcon(QIcon(icon));
    button->setFixedWidth(32);
    return button;
}

void RecordScreen::buildFrame() {
    // Every control sits in a scroll area: a window too small for them scrolls, and no label or
    // box is ever clipped or drawn over another.
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(u"screenScroll"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_content = new QWidget;
    m_content->setObjectName(u"screenContent"_s);
    scroll->setWidget(m_content);
    frame->addWidget(scroll);

    auto* outer = new QVBoxLayout(m_content);
    m_screenLayout = outer;
    m_fieldColumns = new QHBoxLayout;
    outer->addLayout(m_fieldColumns);
    outer->addStretch(1);

    cmdAdd = makeButton(u"cmdAdd"_s, u"&Add"_s);
    cmdEdit = makeButton(u"cmdEdit"_s, u"&Edit"_s);
    cmdUpdate = makeButton(u"cmdUpdate"_s, u"&Update"_s);
    cmdCancel = makeButton(u"cmdCancel"_s, u"&Cancel"_s);
    cmdDelete = makeButton(u"cmdDelete"_s, u"&Delete"_s);
    cmdRefresh = makeButton(u"cmdRefresh"_s, u"&Refresh"_s);
    cmdClose = makeButton(u"cmdClose"_s, u"&Close"_s);
    m_commandRow = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdUpdate, cmdCancel, cmdDelete, cmdRefresh, cmdClose})
        m_commandRow->addWidget(b);
    m_commandRow->addStretch(1);
    outer->addLayout(m_commandRow);
    cmdUpdate->hide();
    cmdCancel->hide();

    cmdFirst = makePictureButton(u"cmdFirst"_s, u":/icons/first.png"_s);
    cmdPrevious = makePictureButton(u"cmdPrevious"_s, u":/icons/previous.png"_s);
    cmdNext = makePictureButton(u"cmdNext"_s, u":/icons/next.png"_s);
    cmdLast = makePictureButton(u"cmdLast"_s, u":/icons/last.png"_s);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(u"lblStatus"_s);
    lblStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->setMinimumWidth(160);
    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(0);
    navigation->addWidget(cmdFirst);
    navigation->addWidget(cmdPrevious);
    navigation->addWidget(lblStatus, 1);
    navigation->addWidget(cmdNext);
    navigation->addWidget(cmdLast);
    outer->addLayout(navigation);

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
    return m_content->sizeHint();
}

BoundTextBox* RecordScreen::addTextBox(const FieldBox& box) {
    auto* label = new QLabel(box.label, this);
    label->setObjectName(u"lblLabels(%1)"_s.arg(box.index));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* text = new BoundTextBox(box.index, box.dataField, box.format, this);
    text->setToolTip(box.tip);
    text->setMinimumWidth(180);
    QString caption = box.label.trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    text->setCaption(caption);
    label->setBuddy(text);
    m_labels.insert(box.index, label);
    m_textBoxes.insert(box.index, text);
    m_rows << qMakePair(label, static_cast<QWidget*>(text));
    m_binding->addTextBox(text);
    connect(text, &QLineEdit::textChanged, this,
            [this, index = box.index] { txtFields_Change(index); });
    connect(text, &BoundTextBox::focusLeft, this,
            [this](int index) { txtFields_LostFocus(index); });
    return text;
}

BoundCheckBox* RecordScreen::addCheckBox(int index, const QString& dataField, const QString& label,
                                         const QString& tip) {
    auto* caption = new QLabel(label, this);
    caption->setObjectName(u"lblLabels(%1)"_s.arg(index));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* check = new BoundCheckBox(index, dataField, QString(), this);
    check->setToolTip(tip);
    caption->setBuddy(check);
    m_labels.insert(index, caption);
    m_checkBoxes.insert(index, check);
    m_rows << qMakePair(caption, static_cast<QWidget*>(check));
    m_binding->addCheckBox(check);
    return check;
}

void RecordScreen::addCommandButton(QPushButton* button) {
    button->setParent(this);
    button->setAutoDefault(false);
    if (m_commandRow)
        m_commandRow->insertWidget(m_commandRow->count() - 1, button);
}

void RecordScreen::releaseFrameLayout() {
    delete m_content->layout();
    m_screenLayout = nullptr;
    m_fieldColumns = nullptr;
    m_commandRow = nullptr;
    m_rows.clear();
}

void RecordScreen::setControlTip(const QString& objectName, const QString& tip) {
    if (auto* control = findChild<QWidget*>(objectName))
        control->setToolTip(tip);
}

void RecordScreen::arrangeFields() {
    if (m_rows.isEmpty() || !m_fieldColumns)
        return;
    const qsizetype columns = (m_rows.size() + RowsPerColumn - 1) / RowsPerColumn;
    const qsizetype perColumn = (m_rows.size() + columns - 1) / columns;
    QFormLayout* form = nullptr;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (i % perColumn == 0) {
            if (form)
                m_fieldColumns->addSpacing(18);
            form = new QFormLayout;
            form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
            form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
            m_fieldColumns->addLayout(form, 1);
        }
        form->addRow(m_rows.at(i).first, m_rows.at(i).second);
    }
    m_rows.clear();
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
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

bool RecordScreen::writeStep(StepGuard& step, const std::function<void()>& action) {
    if (step(action))
        return true;
    // A step that failed while the row still holds unwritten changes was a refused write.
    if (!adoPrimaryRS->isOpen() || !adoPrimaryRS->isDirty())
        return true;
    explainRefusedWrite(step.lastError() ? &*step.lastError() : nullptr);
    return false;
}

void RecordScreen::explainRefusedWrite(const RunTimeError* error) {
    StepGuard step(procedureLabel(u"explainRefusedWrite"_s));
    BoundTextBox* box = m_binding->refusedBox();
    step([&] {
        const QString text =
            box ? RefusedEntryMessage::forBox(box->caption(), box->text(),
                                              adoPrimaryRS->fieldKind(box->fieldIndex()))
                : RefusedEntryMessage::forRow(error ? error->description() : QString());
        if (Prompts* prompts = shared().prompts)
            prompts->notice(text, MessageIcon::Exclamation, windowTitle());
    });
    // Stay in (or go into) edit mode, so Update and Cancel are offered for the row.
    step([&] {
        if (adoPrimaryRS->isAdding()) {
            m_addingFlag = true;
            showStatus(u"Add record"_s);
        } else {
            if (!m_addingFlag)
                m_editingFlag = true;
            showStatus(u"Edit record"_s);
        }
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
    Prompts* prompts = shared().prompts;
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
        if (Prompts* prompts = shared().prompts)
            prompts->notice(text, MessageIcon::Exclamation, windowTitle());
    });
    // The row stays on show as the catalogue holds it.
    step([&] { m_binding->refresh(); });
    return false;
}

QWidget* RecordScreen::firstEditableBox() const {
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!isAncestorOf(w))
            continue;
        auto* box = qobject_cast<BoundTextBox*>(w);
        if (box && box->isVisibleTo(this) && box->isEnabled() && !box->isReadOnly())
            return box;
    }
    return nullptr;
}

void RecordScreen::settleFocus() {
    QWidget* target = nullptr;
    if (inEditMode())
        target = firstEditableBox();
    else if (cmdEdit->isVisibleTo(this) && cmdEdit->isEnabled())
        target = cmdEdit;
    else if (cmdAdd->isVisibleTo(this) && cmdAdd->isEnabled())
        target = cmdAdd;
    if (!target)
        return;
    target->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(target))
        box->selectAll();
}

bool RecordScreen::settleEditBeforeClose() {
    if (!inEditMode())
        return true;
    Prompts* prompts = shared().prompts;
    if (!prompts)
        return true;
    switch (prompts->message(u"Save the changes to this record?"_s, MessageButtons::YesNoCancel,
                             MessageIcon::Question, windowTitle())) {
    case MessageAnswer::Yes:
        cmdUpdate_Click();
        // A value the catalogue refused keeps the screen, and what was typed, on show.
        return !inEditMode();
    case MessageAnswer::No:
        cmdCancel_Click();
        return true;
    default:
        return false;
    }
}

bool RecordScreen::isFreeTextBox(QObject* watched) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    return edit && !qobject_cast<BoundTextBox*>(edit) && !edit->isReadOnly();
}

bool RecordScreen::freeTextBoxKey(QObject* watched, QKeyEvent* key) {
    auto* edit = static_cast<QLineEdit*>(watched);
    switch (key->key()) {
    case Qt::Key_Escape:
        edit->clear();
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        // The box moves its cursor.
        return false;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A one-line box has nowhere to go; the row stays where it is.
        return true;
    default:
        return false;
    }
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
    StepGuard step(procedureLabel(u"Form_Load"_s));
    step([&] { beginHourglass(); });
    step([&] { arrangeFields(); });
    step([&] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->move(0, 0);
    });
    step([&] { m_connection = std::make_unique<CatalogueDatabase>(shared().DBPath); });
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
    if (m_addingFlag || m_editingFlag)
        return false;
    StepGuard step(procedureLabel(u"Form_KeyDown"_s));
    const bool exactlyCtrl = shift == 2;
    switch (key) {
    case Qt::Key_Escape:
        step([&] { cmdClose_Click(); });
        return true;
    case Qt::Key_End:
        step([&] { cmdLast_Click(); });
        return true;
    case Qt::Key_Home:
        step([&] { cmdFirst_Click(); });
        return true;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        step([&] { exactlyCtrl ? cmdFirst_Click() : cmdPrevious_Click(); });
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        step([&] { exactlyCtrl ? cmdLast_Click() : cmdNext_Click(); });
        return true;
    default:
        return false;
    }
}

void RecordScreen::Form_Unload() {
    StepGuard step(procedureLabel(u"Form_Unload"_s));
    step([&] { endHourglass(); });
}

void RecordScreen::adoPrimaryRS_MoveComplete() {
    StepGuard step(procedureLabel(u"adoPrimaryRS_MoveComplete"_s));
    step([&] {
        const bool empty = adoPrimaryRS->recordCount() == 0;
        if (empty)
            showStatus(u"NO CURRENT RECORDS"_s);
        else
            showStatus(u"Record: "_s + QString::number(adoPrimaryRS->absolutePosition()) +
                       u"  of  "_s + QString::number(adoPrimaryRS->recordCount()));
        for (QPushButton* b : {cmdEdit, cmdDelete, cmdFirst, cmdLast, cmdPrevious, cmdNext})
            b->setEnabled(!empty);
    });
}

void RecordScreen::adoPrimaryRS_WillChangeRecord(RecordSet::ChangeReason, bool*) {
    // Every change is let through; the catalogue itself refuses values its columns can't take.
}

void RecordScreen::cmdAdd_Click() {
    StepGuard step(procedureLabel(u"cmdAdd_Click"_s));
    step([&] {
        if (!(adoPrimaryRS->bof() && adoPrimaryRS->eof()))
            m_savedPosition = adoPrimaryRS->bookmark();
    });
    if (!writeStep(step, [&] { adoPrimaryRS->addNew(); }))
        return;
    step([&] { m_binding->refresh(); });
    step([&] { showStatus(u"Add record"_s); });
    m_addingFlag = true;
    step([&] { SetButtons(false); });
}

void RecordScreen::cmdEdit_Click() {
    StepGuard step(procedureLabel(u"cmdEdit_Click"_s));
    step([&] { showStatus(u"Edit record"_s); });
    m_editingFlag = true;
    step([&] { SetButtons(false); });
}

void RecordScreen::cmdUpdate_Click() {
    StepGuard step(procedureLabel(u"cmdUpdate_Click"_s));
    if (!writeStep(step, [&] { adoPrimaryRS->updateBatch(); }))
        return;
    step([&] { m_binding->refresh(); });
    // A new row is the last row of the set until the next Refresh.
    step([&] {
        if (m_addingFlag)
            adoPrimaryRS->moveLast();
    });
    m_editingFlag = false;
    m_addingFlag = false;
    step([&] { SetButtons(true); });
    // The status line shows the position again instead of "Edit record".
    step([&] { adoPrimaryRS_MoveComplete(); });
}

void RecordScreen::cmdCancel_Click() {
    StepGuard step(procedureLabel(u"cmdCancel_Click"_s));
    step([&] { SetButtons(true); });
    m_editingFlag = false;
    m_addingFlag = false;
    step([&] { adoPrimaryRS->cancelUpdate(); });
    step([&] { m_binding->refresh(); });
    // Back to the row that was current at the last Add (also after an Edit), else the first.
    step([&] {
        if (m_savedPosition > 0)
            adoPrimaryRS->setBookmark(m_savedPosition);
        else
            adoPrimaryRS->moveFirst();
    });
}

void RecordScreen::cmdDelete_Click() {
    StepGuard step(procedureLabel(u"cmdDelete_Click"_s));
    if (!confirmDelete() || !deleteCurrentRow(step))
        return;
    step([&] { adoPrimaryRS->moveNext(); });
    step([&] {
        if (adoPrimaryRS->eof())
            adoPrimaryRS->moveLast();
    });
}

void RecordScreen::cmdRefresh_Click() {
    StepGuard step(procedureLabel(u"cmdRefresh_Click"_s));
    step([&] { adoPrimaryRS->requery(); });
}

void RecordScreen::cmdClose_Click() {
    StepGuard step(procedureLabel(u"cmdClose_Click"_s));
    step([&] { unloadScreen(); });
}

void RecordScreen::cmdFirst_Click() {
    StepGuard step(procedureLabel(u"cmdFirst_Click"_s));
    writeStep(step, [&] { adoPrimaryRS->moveFirst(); });
}

void RecordScreen::cmdLast_Click() {
    StepGuard step(procedureLabel(u"cmdLast_Click"_s));
    writeStep(step, [&] { adoPrimaryRS->moveLast(); });
}

void RecordScreen::cmdNext_Click() {
    StepGuard step(procedureLabel(u"cmdNext_Click"_s));
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
    StepGuard step(procedureLabel(u"cmdPrevious_Click"_s));
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
    StepGuard step(procedureLabel(u"SetButtons"_s));
    step([&] {
        for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete, cmdClose, cmdRefresh})
            b->setVisible(browse);
        for (QPushButton* b : {cmdUpdate, cmdCancel})
            b->setVisible(!browse);
        for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast})
            b->setEnabled(browse);
    });
}

void RecordScreen::txtFields_Change(int) {}

void RecordScreen::txtFields_LostFocus(int) {}

} // namespace tovin
