#include "ui/products/Search.h"

#include "core/products/SearchChoices.h"
#include "ui/shell/ControlMaking.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QPushButton* button(const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    // Enter belongs to the value box, which searches; no button takes it as well.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLabel* heading(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// Shows a selection in an exclusive group; -1 leaves no button selected.
void select(QButtonGroup* group, int id) {
    if (id >= 0) {
        group->button(id)->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}
} // namespace

Search::Search(SearchInForce& search, const PromptsInUse& prompts, QWidget* parent)
    : QDialog(parent), m_form(search), m_prompts(prompts), m_fields(new QButtonGroup(this)),
      m_sorts(new QButtonGroup(this)), m_operators(new QButtonGroup(this)) {
    setObjectName(u"Search"_s);
    setWindowTitle(u"Detailed Search Form"_s);
    setModal(true);

    auto* instructions = new QLabel(
        u"Type in any words, phrase, numbers. Press the \"And\"  -  \"Or\"  buttons to search "
        "for more than one word or phrase using any combination of  \"Fields\" and "
        "\"Operators\"  you want.  Press Search when done!"_s);
    instructions->setObjectName(u"Label4"_s);
    instructions->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildGroups());
    layout->addWidget(instructions);
    layout->addLayout(buildValueRow());
    layout->addLayout(buildButtons());
    connectGroups();

    run(u"Form_Load"_s, ErrorStyle::ReportAndResume, [this] { m_form.Form_Load(); });
    m_value->setFocus();
}

// The three option frames under their headings: where to search, the sort and the operator.
QLayout* Search::buildGroups() {
    auto* groups = new QGridLayout;
    groups->addWidget(heading(u"Label1"_s, u"WhereTo Search"_s), 0, 0);
    groups->addWidget(heading(u"Label2"_s, u"Sort Them By"_s), 0, 1);
    groups->addWidget(heading(u"Label3"_s, u"Search Operators"_s), 0, 2);
    groups->addWidget(buildColumnGroup(u"optsrch"_s, m_fields), 1, 0);
    groups->addWidget(buildColumnGroup(u"optSort"_s, m_sorts), 1, 1);
    groups->addWidget(buildOperatorGroup(), 1, 2);
    m_fields->button(0)->parentWidget()->setObjectName(u"Frame1"_s);
    m_sorts->button(0)->parentWidget()->setObjectName(u"Frame2"_s);
    return groups;
}

// The value box with its two ticks; Reverse Order acts at once.
QLayout* Search::buildValueRow() {
    m_value = new QLineEdit;
    m_value->setObjectName(u"txtSearch"_s);
    m_wholeWords = new QCheckBox(u"Whole Words ONLY"_s);
    m_wholeWords->setObjectName(u"Check1"_s);
    m_reverse = new QCheckBox(u"Reverse Order"_s);
    m_reverse->setObjectName(u"chkReverse"_s);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(m_value, 1);
    valueRow->addWidget(m_wholeWords);
    valueRow->addWidget(m_reverse);
    connect(m_reverse, &QCheckBox::clicked, this, [this] {
        run(u"chkReverse_Click"_s, ErrorStyle::IgnoreAndResume,
            [this] { m_form.chkReverse_Click(); });
    });
    return valueRow;
}

// And, Or, Then By, then Search (also Enter in the value box), Cancel and Start Over.
QLayout* Search::buildButtons() {
    auto* buttons = new QHBoxLayout;
    const QStringList andOr{u"And"_s, u"Or"_s, u"Then By"_s};
    for (int i = 0; i < andOr.size(); ++i) {
        QPushButton* b = button(indexedName(u"cmdAndOr"_s, i), andOr.at(i));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, i] {
            run(u"cmdAndOr_Click"_s, ErrorStyle::ReportAndResume,
                [this, i] { m_form.cmdAndOr_Click(i); });
            if (i < 2)
                m_value->setFocus();
        });
    }
    buttons->addStretch(1);
    QPushButton* search = button(u"cmdSrch"_s, u"Search"_s);
    QPushButton* cancel = button(u"cmdCancel"_s, u"Cancel"_s);
    QPushButton* startOver = button(u"cmdStartOver"_s, u"Start Over"_s);
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    buttons->addWidget(startOver);

    auto searchNow = [this] {
        run(u"cmdSrch_Click"_s, ErrorStyle::ReportAndResume, [this] { m_form.cmdSrch_Click(); });
    };
    connect(search, &QPushButton::clicked, this, searchNow);
    connect(m_value, &QLineEdit::returnPressed, this, searchNow);
    connect(cancel, &QPushButton::clicked, this, [this] {
        run(u"cmdCancel_Click"_s, ErrorStyle::ReportAndResume,
            [this] { m_form.cmdCancel_Click(); });
    });
    connect(startOver, &QPushButton::clicked, this, [this] {
        run(u"cmdStartOver_Click"_s, ErrorStyle::ReportAndResume,
            [this] { m_form.cmdStartOver_Click(); });
    });
    return buttons;
}

// Option buttons act when they become selected; showing the form's state selects them without
// acting.
void Search::connectGroups() {
    connect(m_fields, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing)
            run(u"optsrch_Click"_s, ErrorStyle::ReportAndResume,
                [this, id] { m_form.optsrch_Click(id); });
    });
    connect(m_sorts, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing)
            run(u"optSort_Click"_s, ErrorStyle::IgnoreAndResume,
                [this, id] { m_form.optSort_Click(id); });
    });
    connect(m_operators, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing)
            run(u"optOperator_Click"_s, ErrorStyle::ReportAndResume,
                [this, id] { m_form.optOperator_Click(id); });
    });
}

Search::~Search() = default;

QWidget* Search::buildColumnGroup(const QString& name, QButtonGroup* group) {
    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    const QList<SearchColumn>& columns = SearchChoices::columns();
    const int rows = int(columns.size() + 1) / 2;
    for (int i = 0; i < columns.size(); ++i) {
        auto* option = new QRadioButton(columns.at(i).caption);
        option->setObjectName(indexedName(name, i));
        group->addButton(option, i);
        grid->addWidget(option, i % rows, i / rows);
    }
    return box;
}

QWidget* Search::buildOperatorGroup() {
    auto* box = new QGroupBox;
    box->setObjectName(u"Frame3"_s);
    auto* column = new QVBoxLayout(box);
    const QList<SearchOperatorChoice>& operators = SearchChoices::operators();
    for (int i = 0; i < operators.size(); ++i) {
        auto* option = new QRadioButton(operators.at(i).caption);
        option->setObjectName(indexedName(u"optOperator"_s, i));
        m_operators->addButton(option, i);
        column->addWidget(option);
    }
    column->addStretch(1);
    return box;
}

void Search::run(const QString& procedure, ErrorStyle style, const std::function<void()>& step) {
    m_form.setValueText(m_value->text());
    m_form.setWholeWords(m_wholeWords->isChecked());
    m_form.setReverse(m_reverse->isChecked());
    const QString label = formLabel(u"Search"_s, procedure);
    StepGuard guard = style == ErrorStyle::ReportAndResume ? StepGuard(label, m_prompts)
                                                           : StepGuard(label, style);
    guard(step);
    showForm();
    if (m_form.outcome() == DetailedSearch::Outcome::Searched)
        accept();
    else if (m_form.outcome() == DetailedSearch::Outcome::Cancelled)
        reject();
}

void Search::showForm() {
    m_showing = true;
    if (m_value->text() != m_form.valueText())
        m_value->setText(m_form.valueText());
    m_value->setEnabled(m_form.valueEnabled());
    m_wholeWords->setChecked(m_form.wholeWords());
    m_wholeWords->setEnabled(m_form.wholeWordsEnabled());
    m_reverse->setChecked(m_form.reverse());
    select(m_fields, m_form.field());
    select(m_sorts, m_form.sort());
    select(m_operators, m_form.selectedOperator());
    for (int i = 0; i < DetailedSearch::OperatorCount; ++i)
        m_operators->button(i)->setEnabled(m_form.operatorEnabled(i));
    m_showing = false;
}

} // namespace tovin
