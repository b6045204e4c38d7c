// The web catalogue from the screens: the Products screen's catalogue panel, pages by page
// number and thumbnails, and the page designer, driven with fake web views and scripted
// dialogs.
#include "core/catalogue/RecordSet.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageOptions.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/pages/FrmPageMake.h"
#include "ui/products/Products.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

std::unique_ptr<Products> openProducts(ShellState& shell) {
    auto screen = openScreen<Products>(test::fakeWebOptions(shell));
    screen->flushPreview();
    return screen;
}

FakeWebView* web(QWidget* screen, const QString& name) {
    return screen->findChild<FakeWebView*>(name);
}

QString readText(const QString& path) {
    return QString::fromUtf8(fileBytes(path));
}

QStringList pageFiles() {
    return QDir(ProgramFolder::path() + u"Pages"_s).entryList({u"Cat*.htm"_s, u"cat*.htm"_s});
}

// Presses a designer control as the keyboard does; the options panel scrolls, so a control
// may lie outside the visible part.
void press(QWidget* screen, const QString& name) {
    control<QAbstractButton>(screen, name)->click();
}

const QString StartPrompt = u"Enter Starting Page Number ( 1  to  8 )\r\n"_s;
const QString Invalid = u"Invalid Number - Enter ONLY Numbers In The Range Listed!"_s;
const QString EndPrompt = u"Enter Ending Page Number ( 1  to  8 )\r\n"_s;
const QString NamePrompt = u"Enter The Name To Save Pages As (No Extensions like .htm etc...)"_s;

// The Products screen of a demo catalogue with the page designer opened from it; the base name
// asked for on opening is answered with `baseName`.
struct Designer {
    explicit Designer(ShellState& shell, const QString& baseName = u"Spring"_s)
        : prompts(shell.prompts) {
        // The screens of the shell open this designer's own demo catalogue.
        shell.catalogue = folder.catalogue();
        products = openProducts(shell);
        prompts.answerInput(baseName);
        click(products.get(), u"Command12"_s);
        d = qobject_cast<FrmPageMake*>(ChildWindows::find(u"frmPageMake"_s));
    }
    TestProgramFolder folder{Catalogue::Demo};
    ScriptedPrompts prompts;
    std::unique_ptr<Products> products;
    FrmPageMake* d = nullptr;
};

QString sample() {
    return readText(FrmPageMake::samplePath());
}

} // namespace

class PageMakingTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void initTestCase() {
        FrmPageMake::setWebViewFactory([](QWidget* parent) { return new FakeWebView(parent); });
        registerScreens(m_shell);
    }
    void init() { m_shell = ShellState{}; }
    void cleanup() { ChildWindows::unloadAll(); }

    // The questions of "By Page Number", with what a run writes for each way of answering.
    void pagesByPageNumber_data() {
        QTest::addColumn<QStringList>("answers"); // inputs; "!" answers a notice
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("pages 2 to 3") << QStringList{u"2"_s, u"3"_s, u"CatPage"_s}
                                      << QStringList{u"CatPage2.htm"_s, u"CatPage3.htm"_s}
                                      << QStringList{StartPrompt, EndPrompt, NamePrompt};
        QTest::newRow("0 ends the run")
            << QStringList{u"0"_s} << QStringList{} << QStringList{StartPrompt};
        QTest::newRow("empty start asks again")
            << QStringList{QString(), u"!"_s, u"0"_s} << QStringList{}
            << QStringList{StartPrompt, Invalid, StartPrompt};
        QTest::newRow("start above the highest page asks again")
            << QStringList{u"9"_s, u"9"_s, u"!"_s, u"8"_s, u"8"_s, QString()}
            << QStringList{u"catpage8.htm"_s}
            << QStringList{StartPrompt, EndPrompt, Invalid, StartPrompt, EndPrompt, NamePrompt};
        QTest::newRow("a name leading out of the folder is asked again")
            << QStringList{u"1"_s, u"1"_s, u"../CatPage"_s, u"!"_s, u"CatPage"_s}
            << QStringList{u"CatPage1.htm"_s}
            << QStringList{StartPrompt, EndPrompt, NamePrompt,
                           u"A page name cannot hold \"/\", \"\\\" or \"..\": the pages stay in "
                           u"the Pages folder."_s,
                           NamePrompt};
    }
    void pagesByPageNumber() {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, files);
        QFETCH(QStringList, shown);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        for (const QString& answer : answers) {
            if (answer == u"!"_s)
                prompts.answerMessage(MessageAnswer::Ok);
            else
                prompts.answerInput(answer);
        }
        auto screen = openProducts(m_shell);
        FakeWebView* view = web(screen.get(), u"Wb1"_s);
        click(screen.get(), u"Command5"_s);
        QVERIFY(control<QWidget>(screen.get(), u"Frame9"_s)->isVisible());
        view->clearRecords();
        click(screen.get(), u"Command6"_s);
        QCOMPARE(prompts.shownTexts(), shown);
        QCOMPARE(prompts.unanswered(), 0);
        QStringList catalogueFiles = pageFiles();
        catalogueFiles.removeIf([](const QString& f) { return f.contains(u"Dtl"_s); });
        QCOMPARE(catalogueFiles, files);
        if (files.isEmpty()) {
            QVERIFY(view->writes().isEmpty());
            return;
        }
        // Progress went into the view, then the first page was opened.
        QVERIFY(view->writes().first().startsWith(u"<font size=5>Working On Page: "_s));
        QVERIFY(view->writes().join(QString()).contains(u"Created Page!"_s));
        QCOMPARE(QFileInfo(view->lastNavigation()).fileName(), files.first());
        const auto list = control<QListWidget>(screen.get(), u"File1"_s);
        QVERIFY(!list->findItems(files.first(), Qt::MatchExactly).isEmpty());
    }

    // An existing page is replaced only after a yes; the page list's delete removes a page.
    void existingPageAndDelete() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        folder.writeFile(u"Pages/CatPage4.htm"_s, "kept");
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerInput(u"4"_s).answerInput(u"4"_s).answerInput(u"CatPage"_s);
        prompts.answerMessage(MessageAnswer::No);
        auto screen = openProducts(m_shell);
        click(screen.get(), u"Command6"_s);
        QCOMPARE(prompts.shown().value(3).text, u"File Already Exists, Over-write it?"_s);
        QCOMPARE(prompts.shown().value(3).title, u"File Found"_s);
        QCOMPARE(readText(folder.filePath(u"Pages/CatPage4.htm"_s)), u"kept"_s);
        QVERIFY(web(screen.get(), u"Wb1"_s)->writes().join(QString()).contains(u"Page Skipped!"_s));

        click(screen.get(), u"Command5"_s);
        auto list = control<QListWidget>(screen.get(), u"File1"_s);
        list->setCurrentItem(list->findItems(u"CatPage4.htm"_s, Qt::MatchExactly).value(0));
        QVERIFY(list->currentItem());
        click(screen.get(), u"Command7"_s);
        QVERIFY(!QFile::exists(folder.filePath(u"Pages/CatPage4.htm"_s)));
        QVERIFY(list->findItems(u"CatPage4.htm"_s, Qt::MatchExactly).isEmpty());
    }

    // The thumbnail page: written into the view with the size from the box; a tick click flips
    // the entry the box shows; Cancel stops after the cell being written and closes the table.
    void thumbnails() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = openProducts(m_shell);
        FakeWebView* view = web(screen.get(), u"Wb1"_s);
        const int count = screen->primaryRecordSet()->recordCount();
        control<QLineEdit>(screen.get(), u"Text1"_s)->setText(u"20"_s);
        view->clearRecords();
        click(screen.get(), u"Command4"_s);
        QString page = view->document();
        QCOMPARE(page.count(u"width=\"20\""_s), count);
        QVERIFY(page.endsWith(u"</html>"_s));
        QCOMPARE(status(screen.get()), u"Thumbnails Completed"_s);
        QCOMPARE(control<QPushButton>(screen.get(), u"Command4"_s)->text(), u"Thumbnails"_s);
        QVERIFY(!page.contains(u" checked>"_s));

        QVERIFY(view->fireBeforeNavigate(folder.path() + u"Vex_2"_s));
        QCOMPARE(thumbTicks(*screen).checked.value(1), std::int16_t(1));
        view->clearRecords();
        click(screen.get(), u"Command4"_s);
        page = view->document();
        QCOMPARE(page.count(u" checked>"_s), 1);
        QVERIFY(page.contains(u"window.navigate('Vex_2') checked>"_s));

        // Cancel pressed while the first cell is written.
        view->clearRecords();
        QMetaObject::invokeMethod(control<QPushButton>(screen.get(), u"Command4"_s), "click",
                                  Qt::QueuedConnection);
        click(screen.get(), u"Command4"_s);
        page = view->document();
        QCOMPARE(page.count(u"<td "_s), 1);
        QVERIFY(page.endsWith(u"</html>"_s));
        QCOMPARE(status(screen.get()), u"Thumbnails Completed"_s);
    }

    // A click on a thumbnail picture shows its product, wherever it stands from the one shown.
    void thumbnailPictureShowsItsProduct_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("stockNo");
        QTest::newRow("a product before the one shown") << u"pictures/AB12.jpg"_s << u"AB12"_s;
        QTest::newRow("the first product") << u"pictures/0012.jpg"_s << u"0012"_s;
    }
    void thumbnailPictureShowsItsProduct() {
        QFETCH(QString, picture);
        QFETCH(QString, stockNo);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = openProducts(m_shell);
        FakeWebView* view = web(screen.get(), u"Wb1"_s);
        RecordSet* rs = screen->primaryRecordSet();
        click(screen.get(), u"Command4"_s);
        rs->moveLast();
        view->fireNavigateComplete(folder.filePath(picture));
        QVERIFY(rs->hasCurrentRow());
        QCOMPARE(rs->value(u"StockNo"_s).toString(), stockNo);
    }

    // Opening the designer: sample pictures, the base name asked once, an empty order list.
    void designerOpens() {
        Designer designer(m_shell);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        QCOMPARE(prompts.shownTexts(), QStringList{u"Type The Name For These Pages"_s});
        QVERIFY(!screen->findChild<ProductsCatalogue*>()->samplePictures()[1].isEmpty());
        QCOMPARE(m_shell.pages.designer.PageBaseName, u"Spring"_s);
        for (int slot = 0; slot < 9; ++slot)
            QCOMPARE(control<QLabel>(d, u"Label5"_s, slot)->text(), u"Empty"_s);
        QCOMPARE(m_shell.pages.options.PageTitle, u"Picture Page # tq2002"_s);
        QCOMPARE(m_shell.pages.options.PictureSize, u"width=100"_s);
        const QString page = sample();
        QVERIFY(page.contains(u"<title>Picture Page # </title>"_s));
        QVERIFY(!page.contains(u"<img"_s));
        QCOMPARE(QFileInfo(web(d, u"Wb3"_s)->lastNavigation()).fileName(), u"sample.htm"_s);
    }

    // The option handlers, each checked in the preview it rewrites.
    void designerOptions() {
        Designer designer(m_shell);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        press(d, u"Command5(1)"_s); // default order
        QCOMPARE(control<QLabel>(d, u"Label5"_s, 0)->text(), u"Include Item Number"_s);
        QVERIFY(sample().contains(u"<img border=\"\" src=\"../"_s));

        QTest::keyClicks(control<QLineEdit>(d, u"Text5"_s), u"10"_s);
        QVERIFY(control<QLabel>(d, u"Label7"_s)->text().contains(u"Total Pages: 5"_s));
        press(d, u"Command7(1)"_s);
        press(d, u"Command7(1)"_s);
        QCOMPARE(m_shell.pages.designer.CurrentPage, 3);
        QVERIFY(sample().contains(u"<title>Picture Page # 3</title>"_s));
        press(d, u"Command7(0)"_s);
        QCOMPARE(readText(folder.filePath(u"Pages/Spring3.htm"_s)), sample());

        QLineEdit* title = control<QLineEdit>(d, u"Text1"_s);
        title->selectAll();
        QTest::keyClicks(title, u"Lamps"_s);
        QCOMPARE(m_shell.pages.options.PageTitle, u"Lamps tq2002-18"_s);
        QVERIFY(sample().contains(u"<title>Lamps 3</title>"_s));

        QTest::keyClicks(control<QLineEdit>(d, u"Text4"_s), u"90"_s);
        QCOMPARE(m_shell.pages.options.PictureSize, u"width=100 height=90"_s);
        press(d, u"Option1(2)"_s);
        QVERIFY(sample().contains(u"<p align=\"Right\">"_s));
        press(d, u"Option2(1)"_s);
        QVERIFY(sample().contains(u"valign=\"bottom\""_s));

        prompts.answerFont(FontChoice{u"Arial"_s, 16, true, false, false, true});
        prompts.answerColor(RgbColor{0, 0, 255});
        press(d, u"Command3"_s);
        QVERIFY(sample().contains(u"<font size=\"5\"color=\"#0000FF\"><b><u>Lamps 3</b></u>"_s));

        prompts.answerMessage(MessageAnswer::Yes)
            .answerOpenFile(folder.filePath(u"pictures/AB7.jpg"_s));
        press(d, u"Command6"_s);
        QVERIFY(QFile::exists(folder.filePath(u"Pages/BG3.SPB"_s)));
        QVERIFY(sample().contains(u"\r\n<body bgproperties=fixed background=BG3.SPB>\r\n"_s));
        prompts.answerMessage(MessageAnswer::No).answerColor(RgbColor{255, 255, 204});
        press(d, u"Command6"_s);
        QVERIFY(sample().contains(u"\r\n<body bgcolor=\"#FFFFCC\">\r\n"_s));
        QCOMPARE(prompts.unanswered(), 0);
    }

    // The order list: ticking fills the next slot, unticking empties its slot only, a drop on
    // an empty slot places the item there, and a slot dropped on the items frame empties.
    void orderList() {
        Designer designer(m_shell);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        auto slotText = [d](int slot) { return control<QLabel>(d, u"Label5"_s, slot)->text(); };
        press(d, u"Check3(6)"_s);
        press(d, u"Check3(0)"_s);
        press(d, u"Check3(2)"_s);
        QCOMPARE(slotText(0), u"Include Cost"_s);
        QCOMPARE(slotText(1), u"Include Pictures"_s);
        press(d, u"Check3(0)"_s);
        QCOMPARE(slotText(1), u"Empty"_s);
        QCOMPARE(slotText(2), u"Include Item Name"_s);
        QVERIFY(sample().contains(u"Your Cost: "_s) && !sample().contains(u"<img border"_s));

        auto drop = [](QWidget* target, const QString& mime, int value) {
            QMimeData data;
            data.setData(mime, QByteArray::number(value));
            // A drop goes to the widget the drag entered last.
            QDragEnterEvent enter(QPoint(2, 2), Qt::MoveAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent event(QPointF(2, 2), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        };
        drop(control<QLabel>(d, u"Label5"_s, 5), u"application/x-tovin-page-item"_s, 7);
        QCOMPARE(slotText(5), u"Include Savings"_s);
        QVERIFY(control<QCheckBox>(d, u"Check3(7)"_s)->isChecked());
        // A slot that holds an item takes no other.
        drop(control<QLabel>(d, u"Label5"_s, 5), u"application/x-tovin-page-item"_s, 8);
        QCOMPARE(slotText(5), u"Include Savings"_s);
        drop(control<QWidget>(d, u"fraItemsToInclude"_s), u"application/x-tovin-page-slot"_s, 0);
        QCOMPARE(slotText(0), u"Empty"_s);
        QVERIFY(!control<QCheckBox>(d, u"Check3(6)"_s)->isChecked());
        QCOMPARE(slotText(5), u"Include Savings"_s);
    }

    // Select mode: tick boxes on the preview, a click flips the product without leaving the
    // preview, and "only selected" with nothing ticked says so and unticks itself.
    void selectingProducts() {
        Designer designer(m_shell);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        FakeWebView* view = web(d, u"Wb3"_s);
        const int count = int(d->ticks().checked.size());
        prompts.answerMessage(MessageAnswer::Ok);
        press(d, u"Check6"_s);
        QCOMPARE(prompts.shownTexts().last(),
                 u"There Are NO Pictures Selected!\nSelect The Pictures You Want First\nOr "
                 u"Un-Check The Box For selected Pictures Only"_s);
        QVERIFY(!control<QCheckBox>(d, u"Check6"_s)->isChecked());

        press(d, u"Command8"_s);
        QVERIFY(sample().contains(u"name=CH_2 value=\"ON\" onClick=window.navigate('2')>"_s));
        QVERIFY(view->fireBeforeNavigate(folder.path() + u"Pages/2"_s));
        QCOMPARE(d->ticks().checked.value(1), std::int16_t(1));
        QCOMPARE(control<QLabel>(d, u"Label7"_s)->text(),
                 u"Selected: 1\nUn-Selected: %1\nTotal Items: %2"_s.arg(count - 1).arg(count));
        QVERIFY(!view->fireBeforeNavigate(folder.path() + u"Pages/Spring1.htm"_s));

        press(d, u"Check6"_s);
        QVERIFY(sample().contains(u"window.navigate('2') checked>"_s));
        QCOMPARE(sample().count(u"<td "_s), 1);
        press(d, u"Command9"_s);
        QCOMPARE(sample().count(u"<td "_s), count);
        // Clearing every tick while only ticked products are wanted leaves nothing to show.
        prompts.answerMessage(MessageAnswer::Ok);
        press(d, u"Command10"_s);
        QVERIFY(!control<QCheckBox>(d, u"Check6"_s)->isChecked());
        const QVector<std::int16_t>& ticks = d->ticks().checked;
        QVERIFY(std::all_of(ticks.begin(), ticks.end(), [](std::int16_t t) { return t == 0; }));
    }

    // Save Page over a page of that name: with the overwrite box ticked it is replaced without
    // a question; unticked, "Replace NAME?" decides, No the default. A file the catalogue stands
    // behind is refused either way.
    void savePageOverAnExistingOne_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("box ticked") << true << QList<MessageAnswer>{} << true;
        QTest::newRow("box unticked, Yes")
            << false << QList<MessageAnswer>{MessageAnswer::Yes} << true;
        QTest::newRow("box unticked, No")
            << false << QList<MessageAnswer>{MessageAnswer::No} << false;
    }
    void savePageOverAnExistingOne() {
        QFETCH(bool, overwrite);
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(bool, replaced);
        Designer designer(m_shell);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        if (control<QCheckBox>(d, u"Check2"_s)->isChecked() != overwrite)
            press(d, u"Check2"_s);
        QCOMPARE(m_shell.pages.options.OverwritePages, overwrite);
        folder.writeFile(u"Pages/Spring1.htm"_s, "kept");
        const qsizetype before = prompts.shown().size();
        for (const MessageAnswer answer : answers)
            prompts.answerMessage(answer);
        press(d, u"Command7(0)"_s);
        QStringList asked;
        for (qsizetype i = before; i < prompts.shown().size(); ++i)
            asked << prompts.shown()[i].text;
        QCOMPARE(asked, overwrite ? QStringList{} : QStringList{u"Replace Spring1.htm?"_s});
        if (!overwrite)
            QCOMPARE(prompts.shown().last().defaultButton, MessageDefault::Second);
        QCOMPARE(readText(folder.filePath(u"Pages/Spring1.htm"_s)),
                 replaced ? sample() : u"kept"_s);
        QCOMPARE(prompts.unanswered(), 0);

        // A page name that leads to the catalogue itself is never written over it.
        QFile::remove(folder.filePath(u"Pages/Spring1.htm"_s));
        QVERIFY(QFile::link(TestProgramFolder::current().catalogue().path,
                            folder.filePath(u"Pages/Spring1.htm"_s)));
        const QFileInfo catalogue(TestProgramFolder::current().catalogue().path);
        const auto [size, written] = std::pair(catalogue.size(), catalogue.lastModified());
        prompts.answerMessage(MessageAnswer::Ok);
        press(d, u"Command7(0)"_s);
        QCOMPARE(prompts.shown().last().icon, MessageIcon::Exclamation);
        QVERIFY2(prompts.shown().last().text.contains(u"catalogue"_s),
                 qPrintable(prompts.shown().last().text));
        const QFileInfo after(TestProgramFolder::current().catalogue().path);
        QCOMPARE(after.size(), size);
        QCOMPARE(after.lastModified(), written);
    }

    void saveRefusesAPathName() {
        Designer designer(m_shell, u"../Outside"_s);
        auto& [folder, prompts, screen, d] = designer;
        QVERIFY(d);
        prompts.answerMessage(MessageAnswer::Ok);
        press(d, u"Command7(0)"_s);
        QVERIFY(prompts.shownTexts().last().contains(u"cannot be used"_s));
        QVERIFY(!QFile::exists(folder.filePath(u"Outside1.htm"_s)));
    }
};

QTEST_MAIN(PageMakingTest)
#include "tst_pagemaking.moc"
