#include "ui/import/BuildDB.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/import/ImportMessages.h"
#include "core/import/TextFile.h"
#include "core/orders/StoredRows.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/journal/UndoRunPrompt.h"
#include "ui/shell/ControlMaking.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

struct TaskOption {
    int index;
    QString caption;
    QString tip;
    std::int16_t page;
};

// Options 3 to 6 as the screen always had them; 0 to 2 open the supplier's own files, which
// the start command can read but page 1 offered no way to.
const QList<TaskOption> TaskOptions{
    {0, u"Supplier Price Lists"_s, u"Click Here To Update Items From Your Supplier's Price Lists"_s,
     2},
    {1, u"Supplier Full Descriptions"_s,
     u"Click Here To Update Items From Your Supplier's 'FULLDESC.TAB' File"_s, 3},
    {2, u"Supplier Stock File"_s,
     u"Click Here To Update Items From Your Supplier's 'STOCK.TXT' File"_s, 4},
    {3, u"All Items In A Folder"_s,
     u"Click Here To Add ALL Items In A Folder (Text Files Or Pictures)"_s, 5},
    {4, u"Change Picture Paths"_s,
     u"Click Here To Change ALL The Items Picture Path To THe Same Folder"_s, 6},
    {5, u"Text Files"_s, u"Click Here To Add Or EditItems From ANY Text File"_s, 7},
    {6, u"Import From Data Base"_s, u"Click Here To Add Or Edit From Any Access Database"_s, 8},
};

const QStringList DividerCaptions{u"Tab / Delimted Spaces"_s, u"Comma Delimited"_s,
                                  u"Spaces (2 or More)"_s, u"Other"_s, u"Seperate Lines"_s};
const QStringList DividerValues{u"\t"_s, u","_s, u"  "_s, u"o"_s, u"nl"_s};
const QStringList PriceLists{u"White Price List"_s, u"Yellow Price List"_s,
                             u"Open Party Price List"_s, u"Canadian Price List"_s,
                             u"Retail Price List"_s};

constexpr int ListHeight = 7455;
constexpr int WorkHeight = 2970;

} // namespace

BuildDB::BuildDB(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                 SearchInForce& search, TaskScreenHandoff& tasks, QWidget* parent)
    : QWidget(parent), m_catalogue(catalogue), m_prompts(prompts), m_search(search),
      m_tasks(tasks) {
    setObjectName(u"BuildDB"_s);
    buildControls();
    // Load.
    StepGuard step(label(u"Form_Load"_s), m_prompts);
    step([this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->move(0, 0);
    });
    m_firstActivation = true;
    CloseRequested = false;
    step([this] { m_db = std::make_unique<CatalogueDatabase>(m_catalogue.path); });
}

BuildDB::~BuildDB() = default;

QString BuildDB::label(const QString& procedure) const {
    return formLabel(u"BuildDB"_s, procedure);
}

void BuildDB::buildControls() {
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(u"ProgressBar1"_s);
    ProgressBar1->hide();
    Command4 = makeButton(this, u"Command4"_s, u"Back"_s, u"Go To The Previous Page"_s);

    Text1 = new QListWidget(this);
    Text1->setObjectName(u"Text1"_s);
    Text1->setMinimumHeight(220);
    connect(Text1, &QListWidget::itemClicked, this, [this] { Text1_Click(); });
    // The keyboard picks a line with Enter.
    connect(Text1, &QListWidget::itemActivated, this, [this] { Text1_Click(); });

    txtChoice = new QLineEdit(this);
    txtChoice->setObjectName(u"txtChoice"_s);
    connect(txtChoice, &QLineEdit::returnPressed, this, [this] { Command3_Click(); });

    buildTaskFrame();

    Animation1 = new QLabel(this);
    Animation1->setObjectName(u"Animation1"_s);
    Animation1->setAlignment(Qt::AlignCenter);
    Animation1->hide();
    m_clip = new QMovie(this);

    buildMessageFrame();
    buildDividerFrame();
    buildPriceListFrame();

    chkDecimalComma = new QCheckBox(u"Prices Use A Decimal Comma (1.234,50)"_s, this);
    chkDecimalComma->setObjectName(u"chkDecimalComma"_s);
    chkDecimalComma->setToolTip(u"Tick When The File Writes 30,36 For 30.36"_s);
    chkDecimalComma->hide();
    buildButtons();
    buildMarginControls();

    Label2 = new QLabel(u"Use the list below to match the kind of data displayed. Press the OK "
                        u"button to get the next data and repeat for each item. Press the Done "
                        u"button when finishd matching all the items."_s,
                        this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setWordWrap(true);
    Label2->hide();
    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setWordWrap(true);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    layOut();
}

// The tasks the screen offers, in four rows.
void BuildDB::buildTaskFrame() {
    Frame1 = new QGroupBox(u"Choose What You Want To Do"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    auto* tasks = new QGridLayout(Frame1);
    for (const TaskOption& option : TaskOptions) {
        auto* button = new QRadioButton(option.caption, Frame1);
        button->setObjectName(u"Option1(%1)"_s.arg(option.index));
        button->setToolTip(option.tip);
        // Only the box and its caption take a click, so it is kept to their size.
        button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        Option1[size_t(option.index)] = button;
        tasks->addWidget(button, option.index % 4, option.index / 4);
        const int index = option.index;
        connect(button, &QRadioButton::clicked, this, [this, index] { Option1_Click(index); });
    }
}

// The message about the file, with the choice of how its letters are written.
void BuildDB::buildMessageFrame() {
    Frame3 = new QGroupBox(this);
    Frame3->setObjectName(u"Frame3"_s);
    txtMsg = new QPlainTextEdit(Frame3);
    txtMsg->setObjectName(u"txtMsg"_s);
    txtMsg->setReadOnly(true);
    txtMsg->setMaximumHeight(90);
    cboEncoding = new QComboBox(Frame3);
    cboEncoding->setObjectName(u"cboEncoding"_s);
    cboEncoding->addItem(u"Characters: as found in the file"_s, QString());
    for (const auto& [name, caption] : TextFile::offeredEncodings())
        cboEncoding->addItem(u"Characters: "_s + caption, name);
    cboEncoding->setToolTip(u"Pick How The File's Letters Are Written If They Look Wrong Below"_s);
    connect(cboEncoding, &QComboBox::activated, this, [this] {
        // The preview is read again at once; the wait for the start line goes on.
        m_encodingChanged = true;
        ContinueRequested = true;
    });
    auto* message = new QVBoxLayout(Frame3);
    message->setContentsMargins(4, 4, 4, 4);
    message->addWidget(txtMsg);
    message->addWidget(cboEncoding);
    Frame3->hide();
}

void BuildDB::buildDividerFrame() {
    Frame2 = new QGroupBox(u"Select The Kind Of Divider The File Uses"_s, this);
    Frame2->setObjectName(u"Frame2"_s);
    auto* dividers = new QHBoxLayout(Frame2);
    for (int i = 0; i < DividerCaptions.size(); ++i) {
        Option2[size_t(i)] = new QRadioButton(DividerCaptions.at(i), Frame2);
        Option2[size_t(i)]->setObjectName(u"Option2(%1)"_s.arg(i));
        // Only the box and its caption take a click, so it is kept to their size.
        Option2[size_t(i)]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        dividers->addWidget(Option2[size_t(i)]);
        connect(Option2[size_t(i)], &QRadioButton::clicked, this, [this, i] { Option2_Click(i); });
    }
    Frame2->hide();
}

void BuildDB::buildPriceListFrame() {
    Frame4 = new QGroupBox(u"Choose Which Price Lists To Include Data From"_s, this);
    Frame4->setObjectName(u"Frame4"_s);
    auto* lists = new QVBoxLayout(Frame4);
    for (int i = 0; i < PriceLists.size(); ++i) {
        chkLists[size_t(i)] = new QCheckBox(PriceLists.at(i), Frame4);
        chkLists[size_t(i)]->setObjectName(u"chkLists(%1)"_s.arg(i));
        lists->addWidget(chkLists[size_t(i)]);
    }
    Frame4->hide();
}

void BuildDB::buildButtons() {
    cmdTestImport = makeButton(this, u"cmdTestImport"_s, u"Test Import"_s,
                               u"Show What The Import Would Do, Without Changing Anything"_s);
    cmdTestImport->hide();
    connect(cmdTestImport, &QPushButton::clicked, this, [this] {
        m_testRequested = true;
        ContinueRequested = true;
    });

    Command3 = makeButton(this, u"Command3"_s, u"OK"_s, u"Continue Or Start"_s);
    Command1 = makeButton(this, u"Command1"_s, u"Start"_s, u"Start The Selected Tasks"_s);
    Command2 = makeButton(this, u"Command2"_s, u"Close"_s, u"Close This Form"_s);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

    cmdUndoRun = UndoRunPrompt::makeButton(this);
    connect(cmdUndoRun, &QPushButton::clicked, this, [this] {
        if (m_db && UndoRunPrompt::undo(m_prompts, *m_db, m_undoRun, false, windowTitle()))
            cmdUndoRun->hide();
    });
}

void BuildDB::layOut() {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addWidget(cmdTestImport);
    buttons->addStretch();
    buttons->addWidget(cmdUndoRun);
    buttons->addWidget(Command3);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Animation1);
    layout->addWidget(Frame1);
    layout->addWidget(Frame4);
    layout->addWidget(Frame3);
    layout->addWidget(FrameMargins);
    layout->addWidget(Frame2);
    layout->addWidget(txtChoice);
    layout->addWidget(Label2);
    layout->addWidget(Text1, 1);
    layout->addWidget(chkDecimalComma);
    layout->addWidget(chkKeepMargins);
    layout->addLayout(buttons);
    Text1->hide();
    txtChoice->hide();
    Command3->hide();
    setMinimumWidth(560);
}

void BuildDB::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void BuildDB::Form_Activate() {
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    // The document area frames the screen only after it is made, so the load cannot place it:
    // it opens at the top left, where it has the room its last page needs.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->move(0, 0);
    TaskPage = m_tasks.buildMode == 1 ? 1 : 0;
    ShowFrames();
}

void BuildDB::ShowFrames() {
    StepGuard step(label(u"ShowFrames"_s), ErrorStyle::IgnoreAndResume);
    auto frames = [&](bool f1, bool f2, bool f3, bool f4) {
        Frame1->setVisible(f1);
        Frame2->setVisible(f2);
        Frame3->setVisible(f3);
        Frame4->setVisible(f4);
    };
    auto buttons = [&](bool start, bool close, bool ok, bool back) {
        Command1->setVisible(start);
        Command2->setVisible(close);
        Command3->setVisible(ok);
        Command4->setVisible(back);
    };
    // A page of its own never shows what an earlier task did to the margins.
    FrameMargins->hide();
    chkKeepMargins->setVisible(TaskPage == 1 || TaskPage == 2);
    switch (TaskPage) {
    case 0:
        Label1->setText(u"Press Start To Delete ALL Current Records!"_s);
        setWindowTitle(u"Delete ALL Reccords"_s);
        Animation1->show();
        frames(false, false, false, false);
        buttons(true, true, false, false);
        break;
    case 1:
        Label1->setText(u"Choose Which Option To Do"_s);
        setWindowTitle(u"Add & Edit Records"_s);
        Animation1->hide();
        frames(true, false, false, false);
        buttons(true, true, false, false);
        break;
    case 2:
        Label1->setText(u"Select Any 1 or More Of The Lists Above"_s);
        setWindowTitle(u"Choose The Lists You Want To Use"_s);
        Animation1->hide();
        frames(false, false, false, true);
        buttons(true, true, false, true);
        chkLists[0]->setChecked(true);
        break;
    case 3:
        Label1->setText(u"Press Close When Done"_s);
        setWindowTitle(u"Action Was Canceled By User!"_s);
        Animation1->show();
        frames(false, false, false, false);
        buttons(false, true, false, false);
        Command2->setText(u"Close"_s);
        Label2->hide();
        Text1->hide();
        txtChoice->hide();
        chkDecimalComma->hide();
        cmdTestImport->hide();
        break;
    default:
        break;
    }
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->setWindowTitle(windowTitle());
    letEventsRun();
}

void BuildDB::Option1_Click(int index) {
    for (const TaskOption& option : TaskOptions)
        if (option.index == index)
            TaskPage = option.page;
    // The price lists are chosen on their own page before Start.
    if (TaskPage == 2)
        ShowFrames();
}

void BuildDB::Option2_Click(int index) {
    Separator = DividerValues.value(index);
    Command3_Click();
}

void BuildDB::Text1_Click() {
    ChosenLine = Text1->currentRow();
    ContinueRequested = true;
}

void BuildDB::Command3_Click() {
    ContinueRequested = true;
}

void BuildDB::Command4_Click() {
    if (m_mappingFields) {
        m_backRequested = true;
        ContinueRequested = true;
        return;
    }
    if (m_tasks.buildMode != 0)
        TaskPage = std::int16_t(qMax(1, TaskPage - 1));
    ShowFrames();
}

void BuildDB::Command2_Click() {
    ContinueRequested = true;
    CloseRequested = true;
    if (QuestionPending)
        return;
    if (Command2->text() == u"Close"_s) {
        m_tasks.buildMode = 0;
        if (m_running)
            m_unloadWhenDone = true; // the procedure ends its wait and the screen goes then
        else
            close();
        return;
    }
    TaskPage = 3;
    ShowFrames();
}

void BuildDB::closeEvent(QCloseEvent* event) {
    if (m_running) {
        // A running task first ends its step; rows written so far stay.
        ContinueRequested = true;
        CloseRequested = true;
        m_unloadWhenDone = true;
        event->ignore();
        return;
    }
    m_tasks.buildMode = 0;
    QWidget::closeEvent(event);
}

void BuildDB::Command1_Click() {
    if (m_running)
        return;
    StepGuard step(label(u"Command1_Click"_s), m_prompts);
    QPointer<BuildDB> self(this);
    m_running = true;
    CloseRequested = false;
    ContinueRequested = false;
    playClip(TaskPage == 0 ? u"filedel.gif"_s : u"filemove.gif"_s);
    switch (TaskPage) {
    case 0:
        step([this] { Delete(); });
        break;
    case 2:
        ImportStep = 3;
        step([this] { GetFiles(); });
        break;
    case 3:
    case 4:
        ImportStep = TaskPage == 3 ? 1 : 2;
        TaskPage = 2;
        ShowFrames();
        Frame4->hide();
        step([this] { GetFiles(); });
        break;
    case 5:
        TaskPage = 2;
        ShowFrames();
        Frame4->hide();
        Command4->hide();
        step([this] { Folders(); });
        break;
    case 6:
        step([this] { ChP(); });
        break;
    case 7:
        TaskPage = 2;
        ShowFrames();
        Frame4->hide();
        Command4->hide();
        step([this] { GetFiles(); });
        break;
    case 8:
        TaskPage = 2;
        ShowFrames();
        Frame4->hide();
        ImportStep = 7;
        step([this] { GetFiles(); });
        break;
    default:
        break;
    }
    if (!self)
        return;
    m_running = false;
    m_clip->stop();
    Animation1->hide();
    Command2->setText(u"Close"_s);
    if (m_unloadWhenDone)
        close();
}

void BuildDB::playClip(const QString& fileName) {
    m_clip->stop();
    m_clip->setFileName(ProgramFolder::path() + fileName);
    Animation1->setMovie(m_clip);
    m_clip->start();
}

// ---- Waiting for the user ------------------------------------------------------------------

bool BuildDB::waitForContinue() {
    QPointer<BuildDB> self(this);
    ContinueRequested = false;
    emit waiting();
    // A wait ended by the program closing goes no further: nothing more is written.
    const bool answered = waitUntil([&] { return !self || ContinueRequested || m_unloadWhenDone; });
    return answered && self && !m_unloadWhenDone;
}

void BuildDB::waitForClose() {
    QPointer<BuildDB> self(this);
    emit waiting();
    // Whether the user closed the screen or the program is closing, the totals have been seen.
    static_cast<void>(waitUntil([&] { return !self || CloseRequested; }));
}

bool BuildDB::askInMessage(const QString& text) {
    txtMsg->setPlainText(text);
    Frame3->show();
    Command3->show();
    CloseRequested = false;
    QuestionPending = true;
    const bool stillHere = waitForContinue();
    QuestionPending = false;
    const bool ok = stillHere && !CloseRequested;
    CloseRequested = false;
    return ok;
}

void BuildDB::setWindowHeight(int twips) {
    // Twips at 96 dots per inch: 15 to the pixel. Never smaller than the controls need.
    QWidget* frame =
        qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : static_cast<QWidget*>(this);
    const int height = qMax(twips / 15, frame->minimumSizeHint().height());
    frame->resize(frame->width(), height);
}

void BuildDB::showListLayout() {
    Frame1->hide();
    Frame2->hide();
    Frame4->hide();
    Command1->hide();
    Command4->hide();
    chkKeepMargins->hide();
    Text1->show();
    Frame3->show();
    Label2->show();
    setWindowHeight(ListHeight);
}

void BuildDB::showWorkLayout() {
    // From here on OK or Cancel stop the work after the current row.
    ContinueRequested = false;
    CloseRequested = false;
    Frame1->hide();
    Frame2->hide();
    Frame3->hide();
    Frame4->hide();
    Command4->hide();
    Command1->hide();
    Command3->hide();
    Text1->hide();
    txtChoice->hide();
    chkDecimalComma->hide();
    chkKeepMargins->hide();
    FrameMargins->hide();
    cmdTestImport->hide();
    Label2->hide();
    Animation1->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    setWindowHeight(WorkHeight);
}

void BuildDB::tellStopped(const StepGuard& step) {
    const std::optional<RunTimeError>& error = step.lastError();
    if (!error || error->number() == ErrorNumber::FileNotFound || !m_prompts.current)
        return;
    m_prompts.current->notice(ImportMessages::taskStopped(error->description()),
                              MessageIcon::Critical);
}

void BuildDB::endTask(const QString& totals) {
    Command2->setText(u"Close"_s);
    Label1->setText(totals);
    Animation1->hide();
    ProgressBar1->hide();
    Label2->hide();
    ImportStep = 0;
    if (m_db)
        m_undoRun = UndoRunPrompt::offerLastRun(*m_db, cmdUndoRun);
    waitForClose();
}

ProgressCallback BuildDB::progressCallback() {
    QPointer<BuildDB> self(this);
    return [this, self](const ImportProgress& progress) {
        if (!self)
            return false;
        // The bar and the line follow every row; the screen is redrawn every few rows.
        ProgressBar1->setMaximum(int(qMin<qint64>(progress.maximum, INT_MAX)));
        ProgressBar1->setValue(int(qMin<qint64>(progress.value, INT_MAX)));
        Label1->setText(progress.status);
        if (progress.value % 50 == 0 || progress.value == progress.maximum)
            letEventsRun();
        return self && !ContinueRequested && !CloseRequested;
    };
}

bool BuildDB::askEditOnly() {
    if (!m_db || StoredRows::isEmpty(*m_db, u"Products"_s))
        return false;
    return m_prompts.current &&
           m_prompts.current->message(ImportMessages::editOnlyQuestion(), MessageButtons::YesNo,
                                      MessageIcon::Question, QString()) == MessageAnswer::Yes;
}

QString BuildDB::askNote(const QString& title, const QString& prompt, const QString& defaultText) {
    return m_prompts.current ? m_prompts.current->input(prompt, title, defaultText) : defaultText;
}

} // namespace tovin
