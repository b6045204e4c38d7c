#include "ui/pages/FrmPageMake.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageOptions.h"
#include "core/products/SearchInForce.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/browser/WebEngineView.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ControlMaking.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

FrmPageMake::WebViewFactory& factory() {
    static FrmPageMake::WebViewFactory f;
    return f;
}

QLineEdit* makeBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaximumWidth(70);
    return box;
}

} // namespace

void FrmPageMake::setWebViewFactory(WebViewFactory f) {
    factory() = std::move(f);
}

QString FrmPageMake::samplePath() {
    return ProgramFolder::path() + u"Pages/sample.htm"_s;
}

FrmPageMake::FrmPageMake(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                         SearchInForce& search, PageDesign& pages, QWidget* parent)
    : QWidget(parent), m_catalogue(catalogue), m_prompts(prompts), m_search(search),
      m_pages(pages) {
    setObjectName(u"frmPageMake"_s);
    setWindowTitle(u"Page Designer"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

FrmPageMake::~FrmPageMake() = default;

QString FrmPageMake::procedureLabel(const QString& procedure) const {
    return u"(Form) frmPageMake::Sub "_s + procedure;
}

// ---- Building ---------------------------------------------------------------------------------

void FrmPageMake::buildControls() {
    auto* outer = new QHBoxLayout(this);
    m_options = new QScrollArea(this);
    m_options->setWidgetResizable(true);
    m_options->setMinimumWidth(400);
    auto* panel = new QWidget(m_options);
    auto* column = new QVBoxLayout(panel);
    m_options->setWidget(panel);
    column->addLayout(buildItemFrames(panel));
    column->addWidget(buildRowBoxes(panel));
    column->addWidget(buildTitleFrame(panel));
    column->addWidget(buildPositionFrame(panel));
    buildRunChoices(panel, column);
    // The options panel is as wide as its frames, so only its height scrolls.
    m_options->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_options->setMinimumWidth(panel->sizeHint().width() + 24);
    outer->addWidget(m_options);
    outer->addLayout(buildPreview(), 1);
    connectOptionBoxes();
    resize(1100, 720);
}

// Rows and pictures: border, items per page and per row, picture width and height.
QWidget* FrmPageMake::buildRowBoxes(QWidget* panel) {
    auto* rows = new QGroupBox(u"Row && Picture Adjustments"_s, panel);
    auto* grid = new QGridLayout(rows);
    Text6 = makeBox(rows, u"Text6"_s);
    Text5 = makeBox(rows, u"Text5"_s);
    Text2 = makeBox(rows, u"Text2"_s);
    Text3 = makeBox(rows, u"Text3"_s);
    Text4 = makeBox(rows, u"Text4"_s);
    const QList<QPair<QString, QLineEdit*>> boxes{{u"Image Border Size (Default=1)"_s, Text6},
                                                  {u"Maximum Items Per Page:"_s, Text5},
                                                  {u"Number Of Items Per Row:"_s, Text2},
                                                  {u" Image Width (100=Default):"_s, Text3},
                                                  {u"Image Height (Blank=Default):"_s, Text4}};
    for (int r = 0; r < boxes.size(); ++r) {
        grid->addWidget(new QLabel(boxes[r].first, rows), r, 0);
        grid->addWidget(boxes[r].second, r, 1);
    }
    Text3->setText(u"100"_s);
    Label7 = new QLabel(rows);
    Label7->setObjectName(u"Label7"_s);
    grid->addWidget(Label7, 0, 2, boxes.size(), 1);
    return rows;
}

// The title box with its page-number and folder-name ticks, alignment and the font and
// background buttons.
QWidget* FrmPageMake::buildTitleFrame(QWidget* panel) {
    auto* title = new QGroupBox(u"Page Name/Title Options"_s, panel);
    auto* titleColumn = new QVBoxLayout(title);
    Text1 = new QLineEdit(title);
    Text1->setObjectName(u"Text1"_s);
    Text1->setToolTip(u"Enter The Name You Want Here, or Click The box below to use the Folder "
                      u"name as your page name"_s);
    Check1 = new QCheckBox(u"Include The Page Number At The End Of The Name/Title"_s, title);
    Check1->setObjectName(u"Check1"_s);
    Check5 = new QCheckBox(u"Use The Folder Name For The Title"_s, title);
    Check5->setObjectName(u"Check5"_s);
    titleColumn->addWidget(Text1);
    titleColumn->addWidget(Check1);
    titleColumn->addWidget(Check5);
    auto* align = new QHBoxLayout;
    const std::array<QString, 3> alignCaptions{u"Left "_s, u"Center"_s, u"Right "_s};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(alignCaptions[i], title);
        Option1[i]->setObjectName(indexedName(u"Option1"_s, i));
        align->addWidget(Option1[i]);
        connect(Option1[i], &QRadioButton::clicked, this,
                [this] { choose(PageDesignerChoices::Changed::Align); });
    }
    titleColumn->addLayout(align);
    auto* look = new QHBoxLayout;
    auto* Command3 = makeButton(title, u"Command3"_s, u"Change Fonts"_s);
    auto* Command6 = makeButton(title, u"Command6"_s, u"Change Background"_s);
    look->addWidget(Command3);
    look->addWidget(Command6);
    titleColumn->addLayout(look);
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    return title;
}

QWidget* FrmPageMake::buildPositionFrame(QWidget* panel) {
    auto* position = new QGroupBox(u"Align Picture Rows At The"_s, panel);
    auto* positionRow = new QHBoxLayout(position);
    const std::array<QString, 2> positionCaptions{u"Top"_s, u"Bottom"_s};
    for (int i = 0; i < 2; ++i) {
        Option2[i] = new QRadioButton(positionCaptions[i], position);
        Option2[i]->setObjectName(indexedName(u"Option2"_s, i));
        positionRow->addWidget(Option2[i]);
        connect(Option2[i], &QRadioButton::clicked, this,
                [this] { choose(PageDesignerChoices::Changed::TextPosition); });
    }
    return position;
}

// Choosing the products, what is written, and the buttons that close the designer.
void FrmPageMake::buildRunChoices(QWidget* panel, QVBoxLayout* column) {
    auto* select = new QHBoxLayout;
    auto* Command8 = makeButton(panel, u"Command8"_s, u"Select Items"_s);
    auto* Command9 = makeButton(panel, u"Command9"_s, u"Select ALL"_s);
    auto* Command10 = makeButton(panel, u"Command10"_s, u"Clear ALL"_s);
    for (QPushButton* b : {Command8, Command9, Command10})
        select->addWidget(b);
    column->addLayout(select);
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { Command10_Click(); });
    Check6 = new QCheckBox(u"Include ONLY Selected Items"_s, panel);
    Check6->setObjectName(u"Check6"_s);
    Check2 = new QCheckBox(u"Over=Write ANY Exhisting Pages Without Prompting!"_s, panel);
    Check2->setObjectName(u"Check2"_s);
    Check4 = new QCheckBox(u"Include Detail Pages For All Items"_s, panel);
    Check4->setObjectName(u"Check4"_s);
    for (QCheckBox* b : {Check6, Check2, Check4})
        column->addWidget(b);
    column->addStretch(1);

    auto* finish = new QHBoxLayout;
    auto* Command1 = makeButton(panel, u"Command1"_s, u"Finished"_s);
    auto* Command2 = makeButton(panel, u"Command2"_s, u"Cancel"_s);
    finish->addWidget(Command1);
    finish->addWidget(Command2);
    column->addLayout(finish);
    connect(Command1, &QPushButton::clicked, this, [this] { close(); });
    connect(Command2, &QPushButton::clicked, this, [this] { close(); });
}

// The preview with the page buttons.
QLayout* FrmPageMake::buildPreview() {
    auto* right = new QVBoxLayout;
    Wb3 = factory() ? factory()(this) : new WebEngineView(this);
    Wb3->setParent(this);
    Wb3->setObjectName(u"Wb3"_s);
    Wb3->setMinimumSize(420, 360);
    right->addWidget(Wb3, 1);
    auto* pages = new QHBoxLayout;
    const std::array<QString, 3> pageCaptions{u"Save Page"_s, u"Next Page"_s, u"Previous Page"_s};
    for (int i = 0; i < 3; ++i) {
        Command7[i] = makeButton(this, indexedName(u"Command7"_s, i), pageCaptions[i]);
        connect(Command7[i], &QPushButton::clicked, this, [this, i] { Command7_Click(i); });
    }
    pages->addWidget(Command7[2]);
    pages->addWidget(Command7[1]);
    pages->addWidget(Command7[0]);
    auto* pdf = makeButton(this, u"cmdSavePdf"_s, u"Save as PDF"_s);
    pdf->setToolTip(u"Print every page of this series into one PDF file"_s);
    pages->addWidget(pdf);
    connect(pdf, &QPushButton::clicked, this, [this] { savePdf(); });
    pages->addStretch(1);
    Command4 = makeButton(this, u"Command4"_s, u"View Full Size"_s);
    pages->addWidget(Command4);
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    right->addLayout(pages);
    return right;
}

// The boxes and ticks change the options as the user types or clicks.
void FrmPageMake::connectOptionBoxes() {
    using Changed = PageDesignerChoices::Changed;
    const QList<QPair<QLineEdit*, Changed>> boxes{
        {Text1, Changed::TitleTyped},   {Text2, Changed::ItemsPerRow},
        {Text3, Changed::PictureSize},  {Text4, Changed::PictureSize},
        {Text5, Changed::ItemsPerPage}, {Text6, Changed::ImageBorder}};
    for (const auto& [box, changed] : boxes)
        connect(box, &QLineEdit::textEdited, this, [this, changed] { choose(changed); });
    const QList<QPair<QCheckBox*, Changed>> ticks{{Check1, Changed::TitleNumbered},
                                                  {Check2, Changed::OverwritePages},
                                                  {Check4, Changed::DetailPages}};
    for (const auto& [tick, changed] : ticks)
        connect(tick, &QCheckBox::clicked, this, [this, changed] { choose(changed); });
    connect(Check5, &QCheckBox::clicked, this, [this] { Check5_Click(); });
    connect(Check6, &QCheckBox::clicked, this, [this] { Check6_Click(); });
    connect(Wb3, &WebView::beforeNavigate, this,
            [this](const QString& address, bool* cancel) { Wb3_BeforeNavigate(address, cancel); });
}

// The designer needs room for its options beside the preview: its window opens as large as the
// main window's work area allows.
void FrmPageMake::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_sized)
        return;
    m_sized = true;
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || !frame->mdiArea())
        return;
    const QSize room = frame->mdiArea()->viewport()->size();
    frame->setGeometry(0, 0, std::min(room.width(), 1150), std::min(room.height(), 760));
}

// ---- Load -------------------------------------------------------------------------------------

void FrmPageMake::Form_Load() {
    StepGuard step(procedureLabel(u"Form_Load"_s), m_prompts);
    DesignerPage::State& s = m_pages.designer;
    PageOptions& o = m_pages.options;
    step([&] {
        if (!s.PageBaseName.isEmpty() || !m_prompts.current)
            return;
        s.PageBaseName = m_prompts.current->input(u"Type The Name For These Pages"_s,
                                                  u"Page Names"_s, u"Catalog Page"_s);
        if (s.PageBaseName.isEmpty())
            s.PageBaseName = u"Catalog Page"_s;
    });
    if (s.PageBaseName.isEmpty())
        s.PageBaseName = u"Catalog Page"_s;
    showChoices(PageDesignerChoices::opening(o, Text4->text()));

    // Tick boxes here and on the thumbnail page share their numbering: the products come in
    // the order of the Products screen's search.
    step([&] {
        m_products =
            PageProduct::readSelection(m_catalogue.path, m_search.SearchWhere, m_search.SortOrder);
    });

    // The designer opens with an empty order list.
    PageOptionRules::clearOrder(o);
    showOrder();

    s.CurrentPage = 1;
    s.SelectItemsMode = false;
    s.OnlySelectedItems = false;
    m_ticks.untickAll(m_products.size());
    m_selected = 0;
    m_unselected = int(m_products.size());
    letEventsRun();
    m_loading = false;
    showchange();
}

// ---- The preview ------------------------------------------------------------------------------

void FrmPageMake::showchange() {
    if (m_loading)
        return;
    StepGuard step(procedureLabel(u"showchange"_s), ErrorStyle::IgnoreAndResume);
    DesignerPage::State& s = m_pages.designer;
    const PageOptions& o = m_pages.options;
    const DesignerPage::Page page = DesignerPage::build(m_products, m_ticks.checked, o, s);
    if (page.noneSelected) {
        step([this] {
            m_prompts.notice(u"There Are NO Pictures Selected!\nSelect The Pictures You Want "
                             u"First\nOr Un-Check The Box For selected Pictures Only"_s);
        });
        Check6->setChecked(false);
        s.OnlySelectedItems = false;
        return;
    }
    s.CurrentPage = page.currentPage;
    const bool paged = o.ItemsPerPage >= 1;
    Command7[1]->setEnabled(paged);
    Command7[2]->setEnabled(paged);
    QString counts = DesignerPage::pageCounts(page);
    try {
        QDir().mkpath(ProgramFolder::path() + u"Pages"_s);
        PageMarkup::writeLines(samplePath(), page.lines, OutputRules{m_catalogue.path});
    } catch (const RunTimeError& error) {
        counts += u"\nThe preview could not be written: "_s + error.description();
    }
    Label7->setText(counts);
    step([&] { Wb3->navigate(samplePath()); });
}

void FrmPageMake::Wb3_BeforeNavigate(const QString& address, bool* cancel) {
    const int place = DesignerPage::tickAddress(address);
    if (place < 1)
        return;
    *cancel = true;
    QVector<std::int16_t>& ticks = m_ticks.checked;
    const int index = place - 1;
    if (index >= ticks.size())
        return;
    m_ticks.lastFlipped = std::int16_t(index);
    const bool nowTicked = ticks[index] <= 0;
    ticks[index] = nowTicked ? 1 : 0;
    m_selected += nowTicked ? 1 : -1;
    m_unselected += nowTicked ? -1 : 1;
    showTickCounts();
}

void FrmPageMake::showTickCounts() {
    Label7->setText(DesignerPage::tickCounts(m_selected, m_unselected));
}

// ---- Option handlers --------------------------------------------------------------------------

PageDesignerChoices FrmPageMake::choices() const {
    PageDesignerChoices c;
    c.title = Text1->text();
    c.numbered = Check1->isChecked();
    c.itemsPerRow = Text2->text();
    c.width = Text3->text();
    c.height = Text4->text();
    c.itemsPerPage = Text5->text();
    c.border = Text6->text();
    for (int i = 0; i < 3; ++i)
        if (Option1[i]->isChecked())
            c.align = i;
    c.textPlace = Option2[1]->isChecked() ? PageDesignerChoices::Bottom : PageDesignerChoices::Top;
    c.overwritePages = Check2->isChecked();
    c.detailPages = Check4->isChecked();
    return c;
}

void FrmPageMake::choose(PageDesignerChoices::Changed changed) {
    choices().applyTo(m_pages.options, changed);
    showchange();
}

void FrmPageMake::showChoices(const PageDesignerChoices& c) {
    Text1->setText(c.title);
    Check1->setChecked(c.numbered);
    Text2->setText(c.itemsPerRow);
    Text3->setText(c.width);
    Text4->setText(c.height);
    Text5->setText(c.itemsPerPage);
    Text6->setText(c.border);
    Option1[std::clamp(c.align, 0, 2)]->setChecked(true);
    Option2[c.textPlace == PageDesignerChoices::Bottom ? 1 : 0]->setChecked(true);
    Check2->setChecked(c.overwritePages);
    Check4->setChecked(c.detailPages);
}

// The folder name, the pages' base name, stands for the title while ticked.
void FrmPageMake::Check5_Click() {
    if (Check5->isChecked()) {
        Text1->setText(m_pages.designer.PageBaseName);
        Text1->setEnabled(false);
    } else {
        Text1->clear();
        Text1->setEnabled(true);
    }
    choose(PageDesignerChoices::Changed::TitleTyped);
}

void FrmPageMake::Check6_Click() {
    m_pages.designer.OnlySelectedItems = Check6->isChecked();
    showchange();
}

// Fonts and the title colour from the platform's font and colour dialogs.
void FrmPageMake::Command3_Click() {
    StepGuard step(procedureLabel(u"Command3_Click"_s), m_prompts);
    if (!m_prompts.current)
        return;
    PageOptions& o = m_pages.options;
    FontChoice initial;
    initial.face = o.FontName;
    initial.pointSize = PageOptionRules::pointsForFontSize(o.FontSize);
    initial.bold = !o.BoldTag.isEmpty();
    initial.italic = !o.ItalicTag.isEmpty();
    initial.strikeout = !o.StrikeTag.isEmpty();
    initial.underline = !o.UnderlineTag.isEmpty();
    const std::optional<FontChoice> font = m_prompts.current->chooseFont(initial);
    if (!font)
        return;
    RgbColor color;
    PageOptionRules::colorParts(o.FontColor, &color.red, &color.green, &color.blue);
    if (const std::optional<RgbColor> chosen = m_prompts.current->chooseColor(color))
        color = *chosen;
    PageOptionRules::applyFont(o, font->face, font->pointSize, font->bold, font->italic,
                               font->strikeout, font->underline, color.red, color.green,
                               color.blue);
    showchange();
}

void FrmPageMake::Command6_Click() {
    StepGuard step(procedureLabel(u"Command6_Click"_s), m_prompts);
    if (!m_prompts.current)
        return;
    DesignerPage::State& s = m_pages.designer;
    const MessageAnswer answer =
        m_prompts.current->message(u"Change Background Picture = YES, Background Color Only= NO"_s,
                                   MessageButtons::YesNo, MessageIcon::Question, QString());
    if (answer == MessageAnswer::Yes) {
        const QString file =
            m_prompts.current->openFile({QString(), u"All Files|*.*"_s, QString(), {}});
        if (file.isEmpty())
            return;
        const QString name = u"BG"_s + QString::number(s.CurrentPage) + u".SPB"_s;
        const QString target = ProgramFolder::path() + u"Pages/"_s + name;
        try {
            OutputFile::copy(file, target, OutputRules{m_catalogue.path});
        } catch (const RunTimeError& error) {
            m_prompts.current->notice(u"The picture "_s + file + u" could not be copied to "_s +
                                      target + u": "_s + error.description());
            return;
        }
        // The page names the copy exactly as it is called in the pages folder.
        s.BodyTag = u"<body bgproperties=fixed background="_s + name + u'>';
    } else {
        RgbColor initial;
        const std::optional<RgbColor> color = m_prompts.current->chooseColor(initial);
        if (!color)
            return;
        const QString text = PageOptionRules::colorText(color->red, color->green, color->blue);
        s.BodyTag = u"<body bgcolor="_s + PageMarkup::q(text) + u'>';
    }
    showchange();
}

// ---- Views, pages and ticks -------------------------------------------------------------------

void FrmPageMake::Command4_Click() {
    const bool full = Command4->text() == u"View Full Size"_s;
    m_options->setVisible(!full);
    Command4->setText(full ? u"View Edit Size"_s : u"View Full Size"_s);
}

void FrmPageMake::Command7_Click(int index) {
    StepGuard step(procedureLabel(u"Command7_MouseUp"_s), m_prompts);
    DesignerPage::State& s = m_pages.designer;
    if (index == 1 || index == 2) {
        const int pages =
            DesignerPage::pageCount(s.OnlySelectedItems ? m_selected : int(m_products.size()),
                                    m_pages.options.ItemsPerPage);
        if (index == 1 && s.CurrentPage < pages)
            ++s.CurrentPage;
        if (index == 2 && s.CurrentPage > 1)
            --s.CurrentPage;
        showchange();
        return;
    }
    savePage();
}

void FrmPageMake::Command8_Click() {
    m_pages.designer.SelectItemsMode = !m_pages.designer.SelectItemsMode;
    showchange();
}

void FrmPageMake::Command9_Click() {
    m_ticks.checked.fill(1);
    m_selected = int(m_products.size());
    m_unselected = 0;
    showchange();
    showTickCounts();
}

void FrmPageMake::Command10_Click() {
    m_ticks.checked.fill(0);
    m_selected = 0;
    m_unselected = int(m_products.size());
    showchange();
    showTickCounts();
}

} // namespace tovin
