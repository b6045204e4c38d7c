#include "ui/bulkedit/EditProd.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/bulkedit/PictureAddress.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/ProductSelection.h"
#include "core/import/PicturePathChange.h"
#include "core/orders/StoredRows.h"
#include "core/products/SearchInForce.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/data/FrmSupplier.h"
#include "ui/journal/UndoRunPrompt.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString editProdLabel(const QString& procedure) {
    return formLabel(u"EditProd"_s, procedure);
}

constexpr int SupplierBox = 1;
constexpr int StockBox = 2;
constexpr int PriceBox = 13;
constexpr int PictureBox = 17;
constexpr int NotesBox = 29;
// Rows between two redraws of the progress line.
constexpr qint64 EditYieldEvery = 100;

struct Field {
    int index;
    QString caption;
};

// Column by column, in three columns on the screen.
const QList<QList<Field>> Layout{{{1, u"Supplier:"_s},
                                  {2, u"Stock #:"_s},
                                  {3, u"Name:"_s},
                                  {4, u"Desc:"_s},
                                  {5, u"Page:"_s},
                                  {6, u"Packaging:"_s},
                                  {14, u"Weight:"_s},
                                  {17, u"Picture Path:"_s},
                                  {18, u"Catagory:"_s},
                                  {20, u"Stock Status:"_s}},
                                 {{7, u"Cost 1:"_s},
                                  {8, u"Cost 2:"_s},
                                  {9, u"Cost 3:"_s},
                                  {10, u"Cost 4:"_s},
                                  {11, u"Cost 5:"_s},
                                  {12, u"Retail:"_s},
                                  {13, u"Sales Price:"_s},
                                  {15, u"Min Ord W:"_s},
                                  {16, u"Min Ord R:"_s},
                                  {27, u"Shiping 1:"_s},
                                  {28, u"Shiping 2:"_s}},
                                 {{23, u"Inventory:"_s},
                                  {24, u"On Order:"_s},
                                  {25, u"Re-Order:"_s},
                                  {26, u"No Sold:"_s},
                                  {19, u"On Special:"_s},
                                  {21, u"Disco:"_s},
                                  {22, u"Orderable:"_s},
                                  {30, u"Taxable:"_s},
                                  {29, u"Notes:"_s}}};

// The column as the screen names it ("Sales Price" for Price).
QString shownName(int index) {
    for (const QList<Field>& column : Layout)
        for (const Field& field : column)
            if (field.index == index)
                return field.caption.chopped(1);
    return BulkEdit::columnName(index);
}

QStringList captions(const QList<int>& indexes) {
    QStringList names;
    for (int index : indexes)
        names.append(shownName(index));
    return names;
}

bool isCheckBox(int index) {
    return BulkEdit::isYesNo(index);
}

QString addressMessage() {
    return u"Since Your Using A Internet Address Make Sure To NOT Include The File Name!\n"
           u"Also Don't Add A '/' At The End!\n"
           u"Make Any Changes Now Before You Click The 'Update Now' Button!\n"
           u"Like This: http://www.yoursite.com/pictures"_s;
}

} // namespace

EditProd::EditProd(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                   SearchInForce& search, TaskScreenHandoff& tasks, QWidget* parent)
    : QWidget(parent), m_catalogue(catalogue), m_prompts(prompts), m_search(search),
      m_tasks(tasks) {
    setObjectName(u"EditProd"_s);
    setWindowTitle(u"Edit Products Fields"_s);
    auto* grid = new QGridLayout;
    for (int column = 0; column < Layout.size(); ++column) {
        int row = 0;
        for (const Field& field : Layout.at(column)) {
            auto* caption = new QLabel(field.caption, this);
            caption->setObjectName(u"lblLabels(%1)"_s.arg(field.index));
            QWidget* control = nullptr;
            if (isCheckBox(field.index)) {
                auto* box = new QCheckBox(this);
                box->setObjectName(u"chkFields(%1)"_s.arg(field.index));
                // Only the box and its caption take a click, so it is kept to their size.
                box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
                const int index = field.index;
                connect(box, &QCheckBox::clicked, this,
                        [this, index] { m_touched[size_t(index)] = true; });
                chkFields[size_t(field.index)] = box;
                control = box;
            } else {
                auto* box = new QLineEdit(this);
                box->setObjectName(u"txtFields(%1)"_s.arg(field.index));
                const int index = field.index;
                connect(box, &QLineEdit::textChanged, this,
                        [this, index] { txtFields_Change(index); });
                box->installEventFilter(this);
                txtFields[size_t(field.index)] = box;
                control = box;
            }
            caption->setBuddy(control);
            grid->addWidget(caption, row, column * 2);
            grid->addWidget(control, row, column * 2 + 1);
            ++row;
        }
    }
    txtFields[StockBox]->setReadOnly(true);
    txtFields[StockBox]->setToolTip(u"The product being updated"_s);
    txtFields[PriceBox]->setToolTip(u"Enter A % After The Amount, To Make It That Percentage Off "
                                    u"The Retail Price! Like: 50%"_s);
    txtFields[12]->setToolTip(u"A % After The Amount Raises Each Retail Price By That Much, "
                              u"Like: 10% (Or -10% To Lower It)"_s);

    Check1 = new QCheckBox(u"Check To Include ALL Blank Fields   (This Will Erase Any Data In "
                           u"Those Field)"_s,
                           this);
    Check1->setObjectName(u"Check1"_s);
    Check2 = new QCheckBox(u"Clear Notes"_s, this);
    Check2->setObjectName(u"Check2"_s);
    Command1 = new QPushButton(u"Update Now"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command2 = new QPushButton(u"Close"_s, this);
    Command2->setObjectName(u"Command2"_s);
    for (QPushButton* button : {Command1, Command2})
        button->setAutoDefault(false);
    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);

    connect(Check1, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            for (int i = 0; i <= 30; ++i)
                m_touched[size_t(i)] = true;
    });
    connect(Check2, &QCheckBox::clicked, this, [this] { m_touched[NotesBox] = true; });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    cmdUndoRun = UndoRunPrompt::makeButton(this);
    connect(cmdUndoRun, &QPushButton::clicked, this, [this] {
        if (m_db && UndoRunPrompt::undo(m_prompts, *m_db, m_undoRun, false, windowTitle()))
            cmdUndoRun->hide();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(cmdUndoRun);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Check1);
    layout->addWidget(Check2);
    layout->addLayout(buttons);
    Form_Load();
}

EditProd::~EditProd() = default;

void EditProd::Form_Load() {
    BusyCursor busy;
    StepGuard step(editProdLabel(u"Form_Load"_s), m_prompts);
    step([this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->move(0, 0);
    });
    m_touched.fill(false);
    step([this] { m_db = std::make_unique<CatalogueDatabase>(m_catalogue.path); });
    step([this] { showFirstStockNumber(); });
}

void EditProd::showFirstStockNumber() {
    if (!m_db)
        return;
    const ProductSelection selection(*m_db, m_search.SearchWhere);
    if (selection.size() == 0)
        return;
    const auto first =
        StoredRows::rowById(*m_db, u"Products"_s, {u"StockNo"_s}, selection.rowIds().front());
    if (first)
        txtFields[StockBox]->setText(first->value(u"StockNo"_s).toString());
}

void EditProd::txtFields_Change(int index) {
    if (index != StockBox && !txtFields[size_t(index)]->text().isEmpty())
        m_touched[size_t(index)] = true;
}

bool EditProd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        for (int i = 1; i <= 30; ++i)
            if (watched == txtFields[size_t(i)]) {
                txtFields_LostFocus(i);
                break;
            }
    return QWidget::eventFilter(watched, event);
}

void EditProd::txtFields_LostFocus(int index) {
    // Only leaving the picture box itself decides about its address: moving on from another
    // box must not let a refused address through to Update Now.
    if (index != PictureBox)
        return;
    m_addressCheck = false;
    if (txtFields[PictureBox]->text().contains(u"://"_s)) {
        StepGuard step(editProdLabel(u"txtFields_LostFocus"_s), m_prompts);
        step([this] { checkPicturePath(); });
    }
}

// An internet address must name the folder only: the stock number and the picture type are
// added for each product.
void EditProd::checkPicturePath() {
    Prompts* prompts = m_prompts.current;
    if (!prompts)
        return;
    const QString text = txtFields[PictureBox]->text();
    prompts->notice(addressMessage(), MessageIcon::Information);
    m_addressCheck = true;
    const auto problem = PictureAddress::check(text, txtFields[StockBox]->text());
    if (problem != PictureAddress::Problem::None) {
        prompts->notice(PictureAddress::message(problem),
                        problem == PictureAddress::Problem::EndsWithSlash ? MessageIcon::Information
                                                                          : MessageIcon::Critical);
        return;
    }
    for (;;) {
        const QString type = prompts->input(
            u"Choose Picture Type '.jpg','.gif' or '.bmp' (Include The Period "
            u"Before It!)\nBe Sure To Type It Like One Of These!"_s,
            PicturePathChange::fileTypeTitle(), PicturePathChange::fileTypeDefault());
        if (type.isEmpty())
            return;
        if (PicturePathChange::isValidExtension(type)) {
            m_pictureExtension = type;
            m_addressCheck = false;
            return;
        }
        prompts->notice(PicturePathChange::invalidExtension(), MessageIcon::Critical);
    }
}

bool EditProd::lookUpSupplier() {
    QLineEdit* box = txtFields[SupplierBox];
    if (const std::optional<QString> stored = BulkEdit::storedSupplier(*m_db, box->text())) {
        box->setText(*stored);
        return true;
    }
    Prompts* prompts = m_prompts.current;
    if (prompts)
        prompts->notice(BulkEdit::supplierMissing(), MessageIcon::Critical);
    QPointer<EditProd> self(this);
    for (;;) {
        QPointer<QWidget> supplier = ChildWindows::show(FrmSupplier::ScreenName);
        if (!supplier)
            return false;
        m_tasks.supplierScreenClosed = false;
        const bool answered = waitUntil([&] {
            if (supplier && self)
                if (auto* name = supplier->findChild<QLineEdit*>(
                        u"txtFields(%1)"_s.arg(FrmSupplier::NameBox)))
                    box->setText(name->text());
            // Once the screen is gone its hand-off is not looked at.
            return !self || !supplier || m_tasks.supplierScreenClosed;
        });
        // The program is closing: no supplier was chosen.
        if (!answered || !self)
            return false;
        const MessageAnswer answer =
            prompts ? prompts->message(u"Use This Supplier? \n\n"_s + box->text(),
                                       MessageButtons::YesNo, MessageIcon::Question, QString())
                    : MessageAnswer::Yes;
        if (answer == MessageAnswer::Yes) {
            ChildWindows::unload(FrmSupplier::ScreenName);
            m_tasks.supplierScreenClosed = false;
            return true;
        }
    }
}

void EditProd::Command1_Click() {
    if (m_addressCheck || m_updating || !m_db)
        return;
    StepGuard step(editProdLabel(u"Command1_Click"_s), m_prompts);
    QPointer<EditProd> self(this);
    if (m_touched[SupplierBox] && !txtFields[SupplierBox]->text().trimmed().isEmpty())
        if (!lookUpSupplier() || !self)
            return;

    BulkEdit edit;
    for (int i = 1; i <= 30; ++i) {
        if (!m_touched[size_t(i)] || i == StockBox)
            continue;
        if (chkFields[size_t(i)])
            edit.setFlag(i, chkFields[size_t(i)]->isChecked());
        else
            edit.set(i, txtFields[size_t(i)]->text());
    }
    edit.setIncludeBlank(Check1->isChecked());
    edit.setClearNotes(Check2->isChecked());
    edit.setPictureExtension(m_pictureExtension);
    if (const QString refused = edit.refusal(); !refused.isEmpty()) {
        // A word in a number box would wipe that column in every product: nothing is written.
        m_prompts.notice(refused, MessageIcon::Critical, windowTitle());
        return;
    }

    bool confirmed = false;
    step([&] { confirmed = confirmChange(edit); });
    if (!confirmed || !self)
        return;

    m_updating = true;
    m_cancel = false;
    Command2->setText(u"Cancel"_s);
    Command1->setEnabled(false);
    Check1->hide();
    step([&] {
        const ImportOutcome outcome =
            edit.run(*m_db, m_search.SearchWhere, [this, self](const ImportProgress& progress) {
                if (progress.value % EditYieldEvery == 0 || progress.value == progress.maximum) {
                    Label1->setText(progress.status);
                    letEventsRun();
                }
                return self && !m_cancel;
            });
        if (self)
            Label1->setText(outcome.totals);
    });
    if (self && m_db)
        m_undoRun = UndoRunPrompt::offerLastRun(*m_db, cmdUndoRun);
    if (!self)
        return;
    m_updating = false;
    Command1->setEnabled(true);
    Command2->setText(u"Close"_s);
    Check1->show();
    m_touched.fill(false);
    if (m_closeAfterUpdate)
        close();
}

// One Enter must not change every product in the catalogue unseen: the user is told how many
// products and which columns change, and a run that empties columns defaults to No.
bool EditProd::confirmChange(const BulkEdit& edit) {
    const BulkEdit::Plan plan = edit.plan();
    // Nothing to write: the rows are walked as they are.
    if (plan.columns.isEmpty())
        return true;
    const qsizetype products = ProductSelection(*m_db, m_search.SearchWhere).size();
    if (products == 0)
        return true;
    Prompts* prompts = m_prompts.current;
    if (!prompts)
        return false;
    const QString question =
        BulkEdit::question(products, captions(plan.columns), captions(plan.emptied));
    const MessageDefault preset =
        plan.emptied.isEmpty() ? MessageDefault::First : MessageDefault::Second;
    return prompts->ask(question, MessageButtons::YesNo, preset, MessageIcon::Question,
                        windowTitle()) == MessageAnswer::Yes;
}

void EditProd::Command2_Click() {
    if (Command2->text() == u"Cancel"_s) {
        m_cancel = true;
        return;
    }
    m_cancel = false;
    close();
    letEventsRun();
}

void EditProd::closeEvent(QCloseEvent* event) {
    if (m_updating) {
        // The rows written so far stay; the screen goes once the current row is done.
        m_cancel = true;
        m_closeAfterUpdate = true;
        event->ignore();
        return;
    }
    m_tasks.editProdOpen = false;
    QWidget::closeEvent(event);
}

} // namespace tovin
