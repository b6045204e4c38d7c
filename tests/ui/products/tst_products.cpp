// The Products screen, driven with a fake web view.
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageOptions.h"
#include "core/query/SelectText.h"
#include "core/settings/SettingsStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/SearchFormDriver.h"
#include "ui/Screens.h"
#include "ui/data/RecordScreen.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

QString caption(QWidget* screen, const QString& button) {
    return control<QPushButton>(screen, button)->text();
}

QString pageFile() {
    return QString::fromUtf8(readFile(ProgramFolder::path() + u"page.htm"_s));
}

// The grid shows when asked, over every product.
QTableView* showGrid(Products& screen) {
    click(&screen, u"cmdGrid"_s);
    auto* grid = control<QTableView>(&screen, u"grdDataGrid"_s);
    if (!grid->isVisible())
        QTest::qFail("the grid did not show", __FILE__, __LINE__);
    return grid;
}

} // namespace

class ProductsTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
        // The browser screen has its own tests; here it only has to open on the shop.
        ChildWindows::registerScreen(u"frmBrowser"_s, [this] {
            auto* browser = new QWidget;
            browser->setProperty("StartingAddress", m_shell.shopLogin.address);
            return browser;
        });
    }

    void cleanup() {
        ChildWindows::unloadAll();
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    // A box's number is the place of its column in the screen's SELECT; the preview and the
    // sale read the row by these numbers.
    void boxNumbersAreSelectPositions() {
        const QStringList columns = SelectText::parse(Products::PrimarySelect).columns;
        QCOMPARE(ProductBox::all().size(), columns.size() - 1);
        for (const ProductBox& box : ProductBox::all())
            QCOMPARE(columns.value(box.index), box.column);
    }

    void helpPagesOnAnEmptyCatalogue_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("status");
        const int down = Qt::Key_Down, up = Qt::Key_Up, home = Qt::Key_Home, end = Qt::Key_End;
        QTest::newRow("opens on the start page")
            << QList<int>{} << u"Help/demo.htm"_s << u"NO CURRENT RECORDS"_s;
        QTest::newRow("next") << QList<int>{down} << u"Help/intro0.htm"_s << u"Page Number: 1"_s;
        QTest::newRow("last") << QList<int>{end} << u"Help/intro6.htm"_s << u"Page Number: 7"_s;
        QTest::newRow("next on page 7 stays")
            << QList<int>{end, down} << u"Help/intro6.htm"_s << u"Page Number: 7"_s;
        QTest::newRow("previous from page 7")
            << QList<int>{end, up} << u"Help/intro5.htm"_s << u"Page Number: 6"_s;
        QTest::newRow("previous from page 1 returns to the start")
            << QList<int>{down, up} << u"Help/demo.htm"_s << u"Demo Main Page"_s;
        QTest::newRow("previous on the start page stays")
            << QList<int>{up} << u"Help/demo.htm"_s << u"Demo Main Page"_s;
        QTest::newRow("first") << QList<int>{down, down, home} << u"Help/demo.htm"_s
                               << u"Demo Main Page"_s;
    }

    void helpPagesOnAnEmptyCatalogue() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, page);
        QFETCH(QString, status);
        TestProgramFolder folder(Catalogue::Empty, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto screen = showProducts(m_shell);
        QVERIFY(helpShown(*screen));
        for (const QString& name :
             {u"cmdDetSearch"_s, u"cmdEdit"_s, u"cmdDelete"_s, u"cmdFirst"_s, u"cmdLast"_s,
              u"cmdPrevious"_s, u"cmdNext"_s, u"cmdShowPicPath"_s})
            QVERIFY2(!control<QPushButton>(screen.get(), name)->isEnabled(), qPrintable(name));
        // The navigation buttons are off, the keys still page.
        for (int key : keys)
            QTest::keyClick(screen.get(), Qt::Key(key));
        QCOMPARE(fakeWeb(*screen)->lastNavigation(), folder.path() + page);
        QCOMPARE(::status(screen.get()), status);
        QVERIFY(!QFile::exists(folder.filePath(u"page.htm"_s)));
    }

    void missingCatalogueIsNamedAndTheScreenStaysOpen() {
        TestProgramFolder folder(Catalogue::None);
        folder.catalogue().path = folder.filePath(u"gone.mde"_s);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Ok);
        auto screen = showProducts(m_shell);
        QCOMPARE(prompts.shownTexts(), QStringList{u"Can't find the database file"_s +
                                                   TestProgramFolder::current().catalogue().path});
        QCOMPARE(status(screen.get()), u"NO CURRENT RECORDS"_s);
        QVERIFY(helpShown(*screen));
        QVERIFY(screen->isVisible());
    }

    void storedLabelsAndBoxesOnFirstPaint() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        SettingsStore& settings = SettingsStore::program();
        settings.setValue(u"Settings"_s, u"HideText(17)"_s, u"False"_s);
        settings.setValue(u"Settings"_s, u"LabelName(22)"_s, u"Title:"_s);
        auto screen = showProducts(m_shell);
        auto* label = control<QLabel>(screen.get(), u"lblLabels"_s, ProductBox::ProdName);
        QVERIFY(box(screen.get(), ProductBox::Packaging)->isHidden());
        QVERIFY(!box(screen.get(), ProductBox::PageNo)->isHidden());
        QCOMPARE(label->text(), u"Title:"_s);

        // Restore Label Names and Restore Text Boxes of the main window store the captions as
        // designed and every box as shown; the screen shows them on its next focus.
        settings.setValue(u"Settings"_s, u"LabelName(22)"_s, u"Name:"_s);
        settings.setValue(u"Settings"_s, u"HideText(17)"_s, u"True"_s);
        QFocusEvent focus(QEvent::FocusIn);
        QApplication::sendEvent(box(screen.get(), ProductBox::StockNo), &focus);
        QTRY_COMPARE(label->text(), u"Name:"_s);
        QVERIFY(!box(screen.get(), ProductBox::Packaging)->isHidden());
    }

    // The page itself is compared byte for byte in the preview page test; here the screen
    // writes it for the row shown, in the size the switch names.
    void previewPage_data() {
        QTest::addColumn<bool>("large");
        QTest::newRow("opens in the small preview") << false;
        QTest::newRow("opens in the large preview") << true;
    }

    void previewPage() {
        QFETCH(bool, large);
        TestProgramFolder folder(Catalogue::Demo);
        dbRun(u"UPDATE Products SET Picture = 'pictures/AB7.gif' WHERE StockNo = 'AB7'"_s);
        auto screen = showProducts(large);
        searchStock(screen.get(), u"AB7"_s);
        // The switch names the other mode; the large preview takes the place of the notes box.
        for (const bool shown : {large, !large}) {
            screen->flushPreview();
            const QString page = pageFile();
            QVERIFY2(page.contains(u"<a href=\"pictures/AB7.jpg\">"_s), qPrintable(page));
            QCOMPARE(page.contains(u"Your Cost: $4.25"_s), shown);
            QCOMPARE(page.contains(u"Porcelain Bud Vase"_s), shown);
            QCOMPARE(fakeWeb(*screen)->lastNavigation(), folder.filePath(u"page.htm"_s));
            QCOMPARE(caption(screen.get(), u"cmdShowPic"_s),
                     shown ? u"Edit Mode"_s : u"View Mode"_s);
            QCOMPARE(box(screen.get(), ProductBox::Notes)->isHidden(), shown);
            click(screen.get(), u"cmdShowPic"_s);
        }
    }

    // Opening sets the page defaults and the search flag, sizes the tick list and shows the
    // first product and the catalogue's path. The first preview is on its way as soon as the
    // screen exists, not after the pause that lets a burst of moves settle.
    void openingTheDemoCatalogue() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        m_shell.pages.options.ItemsPerRow = 9;
        m_shell.search.DetailSearchActive = true;
        Products screen(fakeWebOptions(m_shell));
        QCOMPARE(fakeWeb(screen)->lastNavigation(), folder.filePath(u"page.htm"_s));
        QVERIFY(pageFile().contains(u"alt=\"0012\""_s));
        QCOMPARE(m_shell.pages.options.ItemsPerRow, 4);
        QVERIFY(!m_shell.search.DetailSearchActive);
        QCOMPARE(thumbTicks(screen).checked, QVector<std::int16_t>(51, 0));
        QCOMPARE(status(&screen), u"Record: 1  of  50"_s);
        QCOMPARE(screen.windowTitle(), folder.cataloguePath());
    }

    // The grid's rows are read when it is first shown: then it lists what the screen lists,
    // after a search or after the catalogue was opened anew.
    void gridFirstShownLater_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("first");
        QTest::newRow("after a search") << u"search"_s << u"AB7"_s;
        QTest::newRow("after opening anew") << u"rebuild"_s << u"0012"_s;
    }
    void gridFirstShownLater() {
        QFETCH(QString, before);
        QFETCH(QString, first);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        if (before == u"search"_s) {
            m_shell.search.SearchWhere = u"[StockNo] like '*AB*'"_s;
            m_shell.search.SortOrder = u"StockNo Desc"_s;
            screen->SearchForIt();
        } else {
            dbRun(u"INSERT INTO Products (StockNo) VALUES ('ZZAB-1')"_s);
            screen->ReBuildDB();
        }
        QTableView* grid = showGrid(*screen);
        QCOMPARE(screen->primaryRecordSet()->recordCount(), before == u"search"_s ? 11 : 51);
        QCOMPARE(grid->model()->rowCount(), screen->primaryRecordSet()->recordCount());
        QCOMPARE(stockNo(screen.get()), first);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), first);
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    // Help mode shows the help page and leaves page.htm alone; leaving it writes the page again.
    void helpSwitch() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        QVERIFY(QFile::remove(folder.filePath(u"page.htm"_s)));
        click(screen.get(), u"Command16"_s);
        QCOMPARE(caption(screen.get(), u"Command16"_s), u"Hide Help"_s);
        QCOMPARE(fakeWeb(*screen)->lastNavigation(), folder.filePath(u"Help/demo.htm"_s));
        QVERIFY(!QFile::exists(folder.filePath(u"page.htm"_s)));
        click(screen.get(), u"Command16"_s);
        QCOMPARE(caption(screen.get(), u"Command16"_s), u"Show Help"_s);
        QVERIFY(pageFile().contains(u"alt=\"0012\""_s));
    }

    // A tick box of the thumbnail page flips its entry and loads nothing; a picture address
    // selects nothing; a page that fails to load gives way to the last one that loaded.
    void webViewEvents() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        FakeWebView* view = fakeWeb(*screen);
        const QString picture = folder.filePath(u"pictures/GD-610.jpg"_s);
        QVERIFY(view->fireBeforeNavigate(folder.filePath(u"Vex_3"_s)));
        QCOMPARE(thumbTicks(*screen).checked.at(2), std::int16_t(1));
        QVERIFY(!view->fireBeforeNavigate(folder.filePath(u"page.htm"_s)));
        view->fireNavigateComplete(picture);
        QCOMPARE(m_shell.shopLogin.address, picture);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        view->fireNavigateError(u"http://nowhere.example/"_s);
        QCOMPARE(view->lastNavigation(), picture);
    }

    // Add keeps the product shown before it on the page and in the status line; Cancel
    // returns to it.
    void addKeepsThePreviousProductShown() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        QTest::keyClick(screen.get(), Qt::Key_Down);
        click(screen.get(), u"cmdAdd"_s);
        screen->flushPreview();
        QVERIFY(pageFile().contains(u"alt=\"AB12\""_s));
        QCOMPARE(status(screen.get()), u"Record: 2  of  50"_s);
        QVERIFY(inEditMode(screen.get()) && stockNo(screen.get()).isEmpty());
        click(screen.get(), u"cmdCancel"_s);
        QCOMPARE(stockNo(screen.get()), u"AB12"_s);
    }

    void discontinuedCaption_data() {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("discontinued: dark red") << u"TL-545"_s << QColor(0xC0, 0, 0);
        QTest::newRow("not discontinued: black") << u"AB7"_s << QColor(Qt::black);
    }
    void discontinuedCaption() {
        QFETCH(QString, stock);
        QFETCH(QColor, colour);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        // From the other kind of product, so the colour has to change.
        searchStock(screen.get(), stock == u"AB7"_s ? u"TL-545"_s : u"AB7"_s);
        searchStock(screen.get(), stock);
        QCOMPARE(stockNo(screen.get()), stock);
        QCOMPARE(control<QLabel>(screen.get(), u"lblLabels"_s, ProductBox::Disco)
                     ->palette()
                     .color(QPalette::WindowText),
                 colour);
    }

    // Update stays on the product just written, under the search in force, also when its new
    // stock number moves it; the status line, the boxes and the grid agree on where it is. A
    // value the catalogue refuses is pointed out first, stays in the box and leaves the stored
    // product alone until it is put right.
    void updateKeepsTheProductAndTheSearch_data() {
        QTest::addColumn<QString>("where"); // a search in force
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("newStock"); // typed over the stock number, or empty
        QTest::addColumn<bool>("refused");     // a word typed for a cost first
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::newRow("all products") << QString() << u"GD-610"_s << QString() << false << 20 << 50;
        QTest::newRow("a refused value first")
            << QString() << u"GD-610"_s << QString() << true << 20 << 50;
        QTest::newRow("a search in force")
            << u"[StockNo] like 'TL*'"_s << u"TL-510"_s << QString() << false << 4 << 9;
        QTest::newRow("a new stock number moves it to the end")
            << QString() << u"AB7"_s << u"ZZZ-9"_s << false << 50 << 50;
        QTest::newRow("moved within the search")
            << u"[StockNo] like 'TL*'"_s << u"TL-501"_s << u"TL-999"_s << false << 9 << 9;
    }
    void updateKeepsTheProductAndTheSearch() {
        QFETCH(QString, where);
        QFETCH(QString, stock);
        QFETCH(QString, newStock);
        QFETCH(bool, refused);
        QFETCH(int, position);
        QFETCH(int, count);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        if (refused)
            prompts.answerMessage(MessageAnswer::Ok);
        const QString row = u"SELECT Cost1 || '/' || ProdName FROM Products WHERE StockNo = ?"_s;
        const QString stored = dbValue(row, {stock}).toString();
        auto screen = showProducts(m_shell);
        QTableView* grid = showGrid(*screen);
        if (!where.isEmpty()) {
            m_shell.search.SearchWhere = where;
            screen->SearchForIt();
        }
        searchStock(screen.get(), stock);
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), ProductBox::ProdName, u"Edited"_s);
        if (!newStock.isEmpty())
            type(screen.get(), ProductBox::StockNo, newStock);
        if (refused) {
            type(screen.get(), ProductBox::Cost1, u"cheap"_s);
            click(screen.get(), u"cmdUpdate"_s);
            QCOMPARE(prompts.shown().size(), 1);
            QVERIFY2(prompts.shown().first().text.contains(u"Cost 1"_s),
                     qPrintable(prompts.shown().first().text));
            QVERIFY(inEditMode(screen.get()));
            QCOMPARE(box(screen.get(), ProductBox::Cost1)->text(), u"cheap"_s);
            QCOMPARE(dbValue(row, {stock}).toString(), stored);
            type(screen.get(), ProductBox::Cost1, u"7.5"_s);
        }
        click(screen.get(), u"cmdUpdate"_s);

        const QString shown = newStock.isEmpty() ? stock : newStock;
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(stockNo(screen.get()), shown);
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Edited"_s);
        QCOMPARE(dbValue(row, {shown}).toString().section(u'/', 1), u"Edited"_s);
        QCOMPARE(status(screen.get()),
                 u"Record: %1  of  %2"_s.arg(QString::number(position), QString::number(count)));
        QCOMPARE(screen->primaryRecordSet()->absolutePosition(), position);
        QCOMPARE(grid->model()->rowCount(), count);
        QCOMPARE(grid->currentIndex().row(), position - 1);
        QCOMPARE(grid->model()->index(position - 1, 0).data().toString(), shown);
        QCOMPARE(prompts.shown().size(), refused ? 1 : 0);
    }

    // Escape closes the catalogue panel, wherever the focus is, and leaves the screen and its
    // search; with the panel closed it closes the screen.
    void escapeClosesTheCatalogPanelFirst_data() {
        QTest::addColumn<QString>("focus");
        QTest::newRow("on the screen") << u"Products"_s;
        QTest::newRow("in the page list") << u"File1"_s;
    }
    void escapeClosesTheCatalogPanelFirst() {
        QFETCH(QString, focus);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        m_shell.search.SearchWhere = u"[StockNo] like 'TL*'"_s;
        screen->SearchForIt();
        click(screen.get(), u"Command5"_s);
        auto* panel = control<QWidget>(screen.get(), u"Frame9"_s);
        QVERIFY(panel->isVisible());
        QWidget* target = focus == u"File1"_s ? control<QWidget>(screen.get(), focus)
                                              : static_cast<QWidget*>(screen.get());
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QVERIFY(screen->isVisible());
        QCOMPARE(screen->primaryRecordSet()->recordCount(), 9);
        QTest::keyClick(screen.get(), Qt::Key_Escape);
        QVERIFY(!screen->isVisible());
    }

    // The catalogue written through another connection (a receipt, a sale, a bulk edit) shows
    // in the boxes and the grid at once and after moving away and back; a write rolled back
    // shows nowhere, and editing the product afterwards writes back no old figure.
    void writesElsewhereAreShown_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<bool>("shown");
        QTest::newRow("single statement") << u"statement"_s << true;
        QTest::newRow("bulk edit") << u"bulk edit"_s << true;
        QTest::newRow("rolled back") << u"rolled back"_s << false;
    }
    void writesElsewhereAreShown() {
        QFETCH(QString, writer);
        QFETCH(bool, shown);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell);
        QTableView* grid = showGrid(*screen);
        searchStock(screen.get(), u"GD-610"_s);
        const QString before = box(screen.get(), ProductBox::Inventory)->text();
        const QString sql = u"UPDATE Products SET Inventory = 44 WHERE StockNo = 'GD-610'"_s;
        {
            CatalogueDatabase other(TestProgramFolder::current().catalogue().path);
            if (writer == u"statement"_s) {
                other.run(sql);
            } else if (writer == u"bulk edit"_s) {
                BulkEdit edit;
                edit.set(BulkEdit::columnOf(u"Inventory"_s), u"44"_s);
                edit.run(other, u"[StockNo] = 'GD-610'"_s);
            } else {
                ScopedTransaction transaction(other);
                other.run(sql);
            }
        }
        QVERIFY(before != u"44"_s);
        const QString expected = shown ? u"44"_s : before;
        QCOMPARE(box(screen.get(), ProductBox::Inventory)->text(), expected);
        const int row = screen->gridRecordSet()->absolutePosition() - 1;
        const int inventoryColumn =
            SelectText::parse(Products::GridSelect).columns.indexOf(u"Inventory"_s);
        QCOMPARE(grid->model()->index(row, inventoryColumn).data().toString(), expected);
        QTest::keyClick(screen.get(), Qt::Key_Down);
        QTest::keyClick(screen.get(), Qt::Key_Up);
        QCOMPARE(stockNo(screen.get()), u"GD-610"_s);
        QCOMPARE(box(screen.get(), ProductBox::Inventory)->text(), expected);

        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), ProductBox::ProdName, u"Garden Bench"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(dbValue(u"SELECT CAST(Inventory AS INTEGER) || '/' || ProdName FROM Products "
                         u"WHERE StockNo = 'GD-610'"_s)
                     .toString(),
                 expected + u"/Garden Bench"_s);
        QVERIFY(prompts.shown().isEmpty());
    }

    // Scrolling the grid moves nothing; a click on a row picks its product and hides the grid.
    void gridClickPicksTheProduct() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        QTableView* grid = showGrid(*screen);
        QCOMPARE(caption(screen.get(), u"cmdGrid"_s), u"Hide Grid"_s);
        QCOMPARE(grid->model()->rowCount(), 50);
        QSignalSpy scrolled(grid->verticalScrollBar(), &QScrollBar::valueChanged);
        QSignalSpy rowChanged(grid->selectionModel(), &QItemSelectionModel::currentRowChanged);
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QCOMPARE(scrolled.size(), 1);
        QCOMPARE(rowChanged.size(), 0);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        QVERIFY(grid->isVisible());
        const QModelIndex row = grid->model()->index(40, 1);
        const QString wanted = grid->model()->index(40, 0).data().toString();
        grid->scrollTo(row);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(row).center());
        QCOMPARE(stockNo(screen.get()), wanted);
        QVERIFY(!grid->isVisible());
        QCOMPARE(caption(screen.get(), u"cmdGrid"_s), u"Show Grid"_s);
        // Shown again, the grid is on the screen's product.
        showGrid(*screen);
        QCOMPARE(grid->currentIndex().row(), 40);
    }

    // The quick search box ("quick:" or "enter:" then the text, typed on the last row) and the
    // detailed search form (its actions), on a catalogue of X1, ZAB3, AB7 and O'BRIEN-7.
    void search_data() {
        QTest::addColumn<QString>("before"); // a search in force before
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("status"); // not looked at when empty
        QTest::addColumn<QString>("current");
        const auto quick = [](const char* tag, const QString& actions, const QString& current,
                              const QString& before = {}, int count = 4) {
            QTest::newRow(tag) << before << actions << count << QString() << current;
        };
        quick("quick: first row containing the text", u"quick:AB"_s, u"AB7"_s);
        quick("quick: anywhere in the number", u"quick:ZA"_s, u"ZAB3"_s);
        quick("quick: Enter in the box", u"enter:X"_s, u"X1"_s);
        quick("quick: found nowhere, first row", u"quick:QQ"_s, u"AB7"_s);
        quick("quick: an apostrophe is looked for", u"quick:O'B"_s, u"O'BRIEN-7"_s);
        quick("quick: quotes cannot change the condition", u"quick:' or StockNo like '*"_s,
              u"AB7"_s);
        quick("quick: moves without narrowing a search", u"quick:ZAB"_s, u"ZAB3"_s,
              u"StockNo like '*B*'"_s, 3);
        quick("quick: an empty box clears the search", u"quick:"_s, u"AB7"_s, u"StockNo = 'X1'"_s);
        const auto detailed = [](const char* tag, const QString& actions, int count,
                                 const QString& status, const QString& current,
                                 const QString& before = {}) {
            QTest::newRow(tag) << before << actions << count << status << current;
        };
        const QString two = u"2 - Matches Found"_s;
        detailed("detailed: matches are counted", u"type:AB|click:cmdSrch"_s, 2, two, u"AB7"_s);
        detailed("detailed: reverse order", u"click:chkReverse|type:AB|click:cmdSrch"_s, 2, two,
                 u"ZAB3"_s);
        detailed("detailed: an apostrophe is matched as typed", u"type:O'BRIEN|click:cmdSrch"_s, 1,
                 u"1 - Matches Found"_s, u"O'BRIEN-7"_s);
        detailed("detailed: cancel removes the search", u"click:cmdCancel"_s, 4,
                 u"Record: 1  of  4"_s, u"AB7"_s, u"[StockNo] = 'X1'"_s);
    }

    void search() {
        QFETCH(QString, before);
        QFETCH(QString, actions);
        QFETCH(int, count);
        QFETCH(QString, status);
        QFETCH(QString, current);
        TestProgramFolder folder(Catalogue::Empty, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        for (const QString& n : {u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"O'BRIEN-7"_s})
            dbRun(u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s, {n, u"Item "_s + n});
        auto screen = showProducts(m_shell);
        if (!before.isEmpty()) {
            m_shell.search.SearchWhere = before;
            screen->SearchForIt();
        }
        if (actions.startsWith(u"quick:"_s) || actions.startsWith(u"enter:"_s)) {
            QTest::keyClick(screen.get(), Qt::Key_End);
            QLineEdit* search = control<QLineEdit>(screen.get(), u"txtSrch"_s);
            search->setText(actions.section(u':', 1));
            if (actions.startsWith(u"enter:"_s))
                QTest::keyClick(search, Qt::Key_Return);
            else
                click(screen.get(), u"cmdSearch"_s);
        } else {
            onSearchForm(actions);
            click(screen.get(), u"cmdDetSearch"_s);
            QVERIFY(!m_shell.search.DetailSearchActive);
        }
        QCOMPARE(screen->primaryRecordSet()->recordCount(), count);
        if (!status.isEmpty())
            QCOMPARE(::status(screen.get()), status);
        if (!current.isEmpty())
            QCOMPARE(stockNo(screen.get()), current);
    }

    // A search the catalogue cannot use is explained, and the products, the status line and
    // the selection other screens work on stay those of the search in force before it.
    void refusedSearchKeepsTheRows_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("actions"); // on the form, or "where:" and a condition
        QTest::addColumn<QString>("reason");
        QTest::newRow("a word for a money column")
            << QString() << u"field:10|op:2|type:ten|click:cmdSrch"_s
            << u"'ten' cannot be compared with a money column"_s;
        QTest::newRow("a word for a number column, a search in force")
            << u"[StockNo] like '*AB*'"_s << u"field:3|op:1|type:Tools|click:cmdSrch"_s
            << u"'Tools' cannot be compared with a number column"_s;
        QTest::newRow("a column the products lack")
            << u"[StockNo] = 'X1'"_s << u"where:[Colour] = 'red'"_s
            << u"the products have no column named Colour"_s;
        QTest::newRow("an unreadable condition")
            << QString() << u"where:[StockNo] = 'X1"_s << u"unclosed quote"_s;
    }

    void refusedSearchKeepsTheRows() {
        QFETCH(QString, before);
        QFETCH(QString, actions);
        QFETCH(QString, reason);
        TestProgramFolder folder(Catalogue::Empty, m_shell.catalogue);
        for (const QString& n : {u"X1"_s, u"ZAB3"_s, u"AB7"_s})
            dbRun(u"INSERT INTO Products (StockNo) VALUES (?)"_s, {n});
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Ok);
        auto screen = showProducts(m_shell);
        m_shell.search.SearchWhere = before;
        screen->SearchForIt();
        QTest::keyClick(screen.get(), Qt::Key_End);
        const int count = screen->primaryRecordSet()->recordCount();
        const QString current = stockNo(screen.get()), shownStatus = status(screen.get());
        if (actions.startsWith(u"where:"_s)) {
            m_shell.search.SearchWhere = actions.section(u':', 1);
            screen->SearchForIt();
        } else {
            onSearchForm(actions);
            click(screen.get(), u"cmdDetSearch"_s);
        }
        QCOMPARE(prompts.shown().size(), 1);
        const QString message = prompts.shown().first().text;
        QVERIFY2(message.startsWith(u"The search could not be used: "_s + reason + u'.'),
                 qPrintable(message));
        QCOMPARE(screen->primaryRecordSet()->recordCount(), count);
        QCOMPARE(stockNo(screen.get()), current);
        QCOMPARE(status(screen.get()), shownStatus);
        QCOMPARE(m_shell.search.SearchWhere, before);
        QCOMPARE(screen->primaryRecordSet()->filter(), before);
    }

    // cmdSup(0) lists the product's supplier; cmdSup(1) opens its shop with its log-in.
    void supplierButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("expected"); // the supplier filter, or the shop address
        QTest::addColumn<QString>("logIn");
        const QString kestrel = u"Kestrel Ridge Tool Supply"_s;
        QTest::newRow("filter: plain name")
            << 0 << kestrel << u"name = 'Kestrel Ridge Tool Supply'"_s << QString();
        QTest::newRow("filter: apostrophe in the name")
            << 0 << u"O'Hara Supply"_s << u"name = 'O''Hara Supply'"_s << QString();
        QTest::newRow("the supplier's shop")
            << 1 << kestrel << u"http://www.kestrelridge.example.net/"_s << u"maplelane/hammer16"_s;
        QTest::newRow("an apostrophe in the name: its shop")
            << 1 << u"O'Hara Supply"_s << u"http://ohara.example/"_s << u"ohara/pw'1"_s;
        QTest::newRow("no such supplier: the usual shop")
            << 1 << u"Nobody Ltd"_s << Products::defaultShopAddress() << u"/"_s;
    }

    void supplierButtons() {
        QFETCH(int, button);
        QFETCH(QString, supplier);
        QFETCH(QString, expected);
        QFETCH(QString, logIn);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        dbRun(u"INSERT INTO Supplier (Name, URL, UserName, PassWord) VALUES (?, ?, ?, ?)"_s,
              {u"O'Hara Supply"_s, u"http://ohara.example/"_s, u"ohara"_s, u"pw'1"_s});
        dbRun(u"UPDATE Products SET Supplier = ? WHERE StockNo = '0012'"_s, {supplier});
        auto screen = showProducts(m_shell);
        click(screen.get(), u"cmdSup(%1)"_s.arg(button));
        auto* suppliers = qobject_cast<RecordScreen*>(ChildWindows::find(u"frmSupplier"_s));
        if (button == 1) {
            QCOMPARE(m_shell.shopLogin.address, expected);
            QCOMPARE(m_shell.shopLogin.userName + u"/"_s + m_shell.shopLogin.password, logIn);
            QWidget* browser = ChildWindows::find(u"frmBrowser"_s);
            QVERIFY(browser);
            QCOMPARE(browser->property("StartingAddress").toString(), expected);
            QVERIFY(!suppliers);
            return;
        }
        QCOMPARE(m_shell.search.SearchWhere, expected);
        QVERIFY(suppliers);
        QCOMPARE(status(suppliers), u"Record: 1  of  1"_s);
        QCOMPARE(box(suppliers, 8)->text(), supplier);
    }
};

QTEST_MAIN(ProductsTest)
#include "tst_products.moc"
