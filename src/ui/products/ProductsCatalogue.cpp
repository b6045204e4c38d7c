#include "ui/products/ProductsCatalogue.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/RecordSet.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/CataloguePages.h"
#include "core/pages/PageDesign.h"
#include "core/pages/PageMarkup.h"
#include "core/pages/PageRange.h"
#include "core/pages/ThumbnailPage.h"
#include "core/products/CoalescedAction.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/ValueText.h"
#include "ui/browser/WebView.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ControlMaking.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

MessageAnswer ask(const PromptsInUse& prompts, const QString& text, MessageButtons buttons,
                  const QString& title = {}) {
    return prompts.current ? prompts.current->message(text, buttons, MessageIcon::None, title)
                           : MessageAnswer::No;
}

QString askText(const PromptsInUse& prompts, const QString& prompt, const QString& title,
                const QString& defaultText = {}) {
    return prompts.current ? prompts.current->input(prompt, title, defaultText) : QString();
}

const QString InvalidNumber = u"Invalid Number - Enter ONLY Numbers In The Range Listed!"_s;

} // namespace

ProductsCatalogue::ProductsCatalogue(CatalogueHost host)
    : QObject(host.screen), m_host(std::move(host)) {
    QWidget* screen = m_host.screen;
    Command5 = makeButton(screen, u"Command5"_s, u"Catalog"_s);
    Command4 = makeButton(screen, u"Command4"_s, u"Thumbnails"_s);
    Text1 = new QLineEdit(screen);
    Text1->setObjectName(u"Text1"_s);
    Text1->setToolTip(u"Enter Thumbnail Size Here. IE: 20"_s);
    Text1->setMaximumWidth(48);

    // The catalogue panel, over the preview while it is shown.
    Frame9 = new QGroupBox(u"Catalog Pages"_s, screen);
    Frame9->setObjectName(u"Frame9"_s);
    Frame9->setAutoFillBackground(true);
    auto* panel = new QVBoxLayout(Frame9);
    File1 = new QListWidget(Frame9);
    File1->setObjectName(u"File1"_s);
    panel->addWidget(File1, 1);
    auto* Command7 = makeButton(Frame9, u"Command7"_s, u"Delete Selected Page"_s);
    auto* Command12 = makeButton(Frame9, u"Command12"_s, u"Page Setup Options"_s,
                                 u"Click to setup the options for the pages to create"_s);
    auto* Command14 = makeButton(Frame9, u"Command14"_s, u"Refresh List"_s);
    auto* Command9 = makeButton(Frame9, u"Command9"_s, u"Close"_s, u"Close this Option box"_s);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {Command7, Command14})
        listButtons->addWidget(b);
    panel->addLayout(listButtons);
    panel->addWidget(Command12);
    auto* Frame10 = new QGroupBox(u"Create The Catalog Pages"_s, Frame9);
    Frame10->setObjectName(u"Frame10"_s);
    auto* create = new QVBoxLayout(Frame10);
    auto* Command10 = makeButton(Frame10, u"Command10"_s, u"By Catagory"_s,
                                 u"Create new, or change pages by thier catagories"_s);
    auto* Command8 = makeButton(Frame10, u"Command8"_s, u"By Current Records"_s,
                                u"Create new, or change pages by thier product id numbers "_s);
    // "By Current Records" has no action of its own yet.
    Command8->setEnabled(false);
    auto* Command6 = makeButton(Frame10, u"Command6"_s, u"By Page Number"_s,
                                u"Create new, or change pages by thier page numbers"_s);
    for (QPushButton* b : {Command10, Command8, Command6})
        create->addWidget(b);
    panel->addWidget(Frame10);
    panel->addWidget(Command9);
    Frame9->resize(300, 420);
    Frame9->hide();
    screen->installEventFilter(this);

    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(Command14, &QPushButton::clicked, this, [this] { Command14_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
    connect(Command10, &QPushButton::clicked, this, [this] { MakePage(); });
    connect(Command6, &QPushButton::clicked, this, [this] { MakePage(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(File1, &QListWidget::itemActivated, this, [this] { File1_DblClick(); });
}

QList<QWidget*> ProductsCatalogue::buttons() const {
    return {Command5, Command4, Text1};
}

QString ProductsCatalogue::pagesFolder() {
    return ProgramFolder::path() + u"Pages/"_s;
}

bool ProductsCatalogue::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_host.screen && event->type() == QEvent::Resize && Frame9->isVisible())
        placePanel();
    return QObject::eventFilter(watched, event);
}

void ProductsCatalogue::placePanel() {
    const int height = std::min(460, m_host.screen->height() - 60);
    Frame9->setGeometry(m_host.screen->width() - 320, 44, 310, std::max(height, 200));
    Frame9->raise();
}

void ProductsCatalogue::showStatus(const QString& text) {
    m_host.showStatus(text);
}

// ---- The catalogue panel --------------------------------------------------------------------

void ProductsCatalogue::Command5_Click() {
    StepGuard step(m_host.procedureLabel(u"Command5_Click"_s), *m_host.prompts);
    step([this] { Command14_Click(); });
    placePanel();
    Frame9->show();
}

void ProductsCatalogue::Command9_Click() {
    Frame9->hide();
}

bool ProductsCatalogue::closePanel() {
    if (!Frame9->isVisible())
        return false;
    Command9_Click();
    return true;
}

// Re-reads the page list: the pages folder's "*.htm*" files.
void ProductsCatalogue::Command14_Click() {
    const QString selected = File1->currentItem() ? File1->currentItem()->text() : QString();
    File1->clear();
    const QStringList files =
        QDir(pagesFolder()).entryList({u"*.htm*"_s}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    File1->addItems(files);
    const auto found = File1->findItems(selected, Qt::MatchExactly);
    if (!found.isEmpty())
        File1->setCurrentItem(found.first());
}

void ProductsCatalogue::Command7_Click() {
    StepGuard step(m_host.procedureLabel(u"Command7_Click"_s), ErrorStyle::IgnoreAndResume);
    QListWidgetItem* item = File1->currentItem();
    if (!item)
        return;
    // The list holds bare file names of the pages folder; nothing else is ever deleted.
    const QString name = item->text();
    const QString path = pagesFolder() + name;
    if (!name.contains(u'/') && QFileInfo(path).isFile() && !QFile::remove(path))
        m_host.prompts->notice(u"The page "_s + name + u" could not be deleted."_s);
    Command14_Click();
    if (File1->count() > 0)
        File1->setCurrentRow(0);
}

void ProductsCatalogue::File1_DblClick() {
    QListWidgetItem* item = File1->currentItem();
    if (!item)
        return;
    Frame9->hide();
    m_host.webView->navigate(pagesFolder() + item->text());
}

// "Page Setup Options": the first products by page number give the designer its sample
// pictures, then the designer opens. The sort by page number stays.
void ProductsCatalogue::Command12_Click() {
    StepGuard step(m_host.procedureLabel(u"Command12_Click"_s), ErrorStyle::IgnoreAndResume);
    RecordSet* rs = m_host.records();
    *m_host.moving = true;
    step([&] { rs->setSort(u"PageNo"_s); });
    step([&] { rs->moveFirst(); });
    step([&] {
        const int picture = rs->fieldIndex(u"Picture"_s);
        for (int n = 1; n <= 7; ++n)
            m_samplePictures[n] =
                n <= rs->recordCount() ? TextRules::toText(rs->valueAt(n - 1, picture)) : QString();
    });
    *m_host.moving = false;
    step([] { ChildWindows::show(u"frmPageMake"_s); });
}

// ---- Pages by page number -------------------------------------------------------------------

bool ProductsCatalogue::askPageRange(int highest, int* from, int* to) {
    const QString range = u" ( 1  to  "_s + QString::number(highest) + u" )\r\n"_s;
    for (;;) {
        const QString start =
            askText(*m_host.prompts, u"Enter Starting Page Number"_s + range, u"Page Number"_s);
        const PageRange::Outcome first = PageRange::readStart(start);
        if (first == PageRange::Outcome::Stop)
            return false;
        if (first == PageRange::Outcome::AskAgain) {
            m_host.prompts->notice(InvalidNumber);
            continue;
        }
        const QString end =
            askText(*m_host.prompts, u"Enter Ending Page Number"_s + range, u"Page Number"_s);
        const PageRange::Answer answer = PageRange::read(start, end, highest);
        if (answer.outcome == PageRange::Outcome::Stop)
            return false;
        if (answer.outcome == PageRange::Outcome::AskAgain) {
            m_host.prompts->notice(InvalidNumber);
            continue;
        }
        *from = answer.from;
        *to = answer.to;
        return true;
    }
}

bool ProductsCatalogue::askPageName(QString* name) {
    for (;;) {
        QString answer = askText(
            *m_host.prompts, u"Enter The Name To Save Pages As (No Extensions like .htm etc...)"_s,
            u"Save Page Names As..."_s, u"CatPage"_s);
        if (answer.isEmpty())
            answer = u"catpage"_s;
        if (PageMarkup::isSafePageName(answer)) {
            *name = answer;
            return true;
        }
        // A name with a folder in it would put pages outside the pages folder.
        m_host.prompts->notice(
            u"A page name cannot hold \"/\", \"\\\" or \"..\": the pages stay in the Pages "
            u"folder."_s);
    }
}

void ProductsCatalogue::MakePage() {
    StepGuard step(m_host.procedureLabel(u"ShowPicture"_s), *m_host.prompts);
    step([this] { m_host.resetView(); });
    PageOptions& options = m_host.pages->options;
    CataloguePages::applyRunLayout(options);
    Frame9->hide();
    RecordSet* rs = m_host.records();
    QList<PageProduct> products;
    step([&] { products = PageProduct::readAll(*rs); });
    const int highest = CataloguePages::highestPageNumber(products);

    int from = 0;
    int to = 0;
    QString name;
    if (!askPageRange(highest, &from, &to) || !askPageName(&name))
        return;

    const QString folder = pagesFolder();
    QDir().mkpath(folder);
    *m_host.moving = true;
    WebView* view = m_host.webView;
    // The progress goes into the page the view shows once it has loaded: no preview of the
    // reset rows may replace it, and a load still running would take the writes with it.
    m_host.cancelPreview();
    // The screen (with its view and this panel) may be closed while events run: Open Database,
    // the window's close button.
    const QPointer<ProductsCatalogue> self(this);
    if (!waitUntil([&] { return !self || !view->isBusy(); }) || !self) {
        // The program is closing: no pages are written.
        if (self)
            *m_host.moving = false;
        return;
    }
    CataloguePages::Callbacks callbacks;
    callbacks.progress = [shown = QPointer<WebView>(view)](const QString& html) {
        if (shown)
            shown->writeHtml(html);
        letEventsRun();
    };
    callbacks.overwrite = [this](const QString&) {
        return ask(*m_host.prompts, u"File Already Exists, Over-write it?"_s, MessageButtons::YesNo,
                   u"File Found"_s) == MessageAnswer::Yes;
    };
    CataloguePages::Result result;
    {
        BusyCursor busy;
        step([&] {
            result = CataloguePages::write(
                products, options,
                CataloguePages::standardRequest(folder, name, from, to, m_host.catalogue->path),
                callbacks);
        });
    }
    if (!self)
        return;
    *m_host.moving = false;
    Command14_Click();

    QStringList failed;
    for (const auto& file : result.files)
        if (file.status == CataloguePages::FileResult::Status::Failed)
            failed << file.fileName + u": "_s + file.error;
    if (!failed.isEmpty())
        m_host.prompts->notice(u"These pages could not be written:\n"_s + failed.join(u'\n'));
    const QString first = folder + name + QString::number(from) + u".htm"_s;
    if (waitUntil([&] { return !self || !view->isBusy(); }) && self && QFileInfo::exists(first))
        view->navigate(first);
}

// ---- Thumbnails -----------------------------------------------------------------------------

void ProductsCatalogue::Command4_Click() {
    if (Command4->text() == u"Thumbnails"_s) {
        Command4->setText(u"Cancel"_s);
        *m_host.thumbnailsRunning = true;
        MakeThumbs();
    } else {
        Command4->setText(u"Thumbnails"_s);
        *m_host.thumbnailsRunning = false;
    }
}

void ProductsCatalogue::MakeThumbs() {
    StepGuard step(m_host.procedureLabel(u"MakeThumbs"_s), ErrorStyle::IgnoreAndResume);
    WebView* view = m_host.webView;
    RecordSet* rs = m_host.records();
    m_host.cancelPreview();
    // The screen (with its view, records and this panel) may be closed while events run: Open
    // Database, the window's close button.
    const QPointer<ProductsCatalogue> self(this);
    // A fresh document to write into; none when the program is closing.
    bool ready = true;
    step([&] {
        view->refresh();
        ready = waitUntil([&] { return !self || !view->isBusy(); });
    });
    if (!self)
        return;
    if (!ready) {
        Command4->setText(u"Thumbnails"_s);
        *m_host.thumbnailsRunning = false;
        return;
    }
    const int size = ThumbnailPage::sizeFromBox(Text1->text());
    const int count = rs->recordCount();
    const int stockNo = rs->fieldIndex(u"StockNo"_s);
    const int picture = rs->fieldIndex(u"Picture"_s);
    step([&] { view->writeHtml(ThumbnailPage::headLines(m_host.pages->options).join(u"\r\n"_s)); });
    // The rows are read where they stand: moving through them would show each product's
    // preview in the view that holds the thumbnails.
    for (int i = 1; i <= count; ++i) {
        step([&] {
            const bool ticked = m_ticks.ticked(i - 1);
            view->writeHtml(ThumbnailPage::cellWithBreak(
                                i, count, TextRules::toText(rs->valueAt(i - 1, stockNo)),
                                TextRules::toText(rs->valueAt(i - 1, picture)), size, ticked)
                                .join(u"\r\n"_s));
        });
        showStatus(u"Generating Thumbnails # "_s + QString::number(i));
        letEventsRun();
        if (!self)
            return;
        if (!*m_host.thumbnailsRunning)
            break;
    }
    step([&] { view->writeHtml(ThumbnailPage::closingLines().join(u"\r\n"_s)); });
    showStatus(u"Thumbnails Completed"_s);
    Command4->setText(u"Thumbnails"_s);
}

} // namespace tovin
