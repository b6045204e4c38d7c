// The Products screen, driven with a fake web view: help pages of an empty catalogue, the
// preview page it writes, the grid, searching, the sale handed over by the sales screen, the
// supplier buttons and pick, stored label and box settings, and closing with an order open.
#include "core/data/CatalogueDatabase.h"
#include "core/pages/PageOptions.h"
#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/browser/FakeWebView.h"
#include "ui/data/RecordScreen.h"
#include "ui/products/Products.h"
#include "ui/products/Search.h"
#include "ui/shell/ChildWindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// Most cases work on the boxes, so they open the screen in the small preview.
std::unique_ptr<Products> openProducts(bool largePreview = false) {
    Products::setOpenWithLargePreview(largePreview);
    auto screen = std::make_unique<Products>();
    screen->show();
    if (!QTest::qWaitForWindowExposed(screen.get()))
        qWarning("screen not exposed");
    screen->flushPreview();
    return screen;
}

FakeWebView* web(Products& screen) {
    return qobject_cast<FakeWebView*>(screen.webView());
}

QString stockNo(QWidget* screen) {
    return box(screen, 27)->text();
}

void searchStock(QWidget* screen, const QString& text) {
    QLineEdit* search = control<QLineEdit>(screen, u"txtSrch"_s);
    search->setText(text);
    click(screen, u"cmdSearch"_s);
}

QString pageFile() {
    QFile file(shared().AppFolder + u"page.htm"_s);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QVariant scalar(const QString& sql, const QVariantList& values = {}) {
    CatalogueDatabase db(shared().DBPath);
    return db.scalar(sql, values);
}

void run(const QString& sql, const QVariantList& values = {}) {
    CatalogueDatabase db(shared().DBPath);
    db.run(sql, values);
}

// An empty catalogue holding only these stock numbers.
void stockNumbers(const QStringList& numbers) {
    for (const QString& n : numbers)
        run(u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s, {n, u"Item "_s + n});
}

// Plays user actions on the detailed search form once it is open:
//   field:N, op:N, type:TEXT, click:NAME
void onSearchForm(const QStringList& actions) {
    QTimer::singleShot(0, [actions] {
        auto* form = qobject_cast<Search*>(QApplication::activeModalWidget());
        QVERIFY(form);
        for (const QString& action : actions) {
            const QString arg = action.section(u':', 1);
            if (action.startsWith(u"field:"_s))
                QTest::mouseClick(control<QRadioButton>(form, u"optsrch"_s, arg.toInt()),
                                  Qt::LeftButton);
            else if (action.startsWith(u"op:"_s))
                QTest::mouseClick(control<QRadioButton>(form, u"optOperator"_s, arg.toInt()),
                                  Qt::LeftButton);
            else if (action.startsWith(u"type:"_s))
                QTest::keyClicks(control<QLineEdit>(form, u"txtSearch"_s), arg);
            else if (action.startsWith(u"click:"_s))
                QTest::mouseClick(control<QAbstractButton>(form, arg), Qt::LeftButton);
        }
        // A form left open would keep the test waiting.
        if (form->isVisible())
            form->reject();
    });
}

QtMessageHandler previousHandler = nullptr;
void quietenPlatformNotes() {
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                                const QString& message) {
        if (!message.contains(u"propagateSizeHints"_s) && !message.contains(u"support raise()"_s))
            previousHandler(type, context, message);
    });
}

} // namespace

class ProductsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        quietenPlatformNotes();
        Products::setWebViewFactory([](QWidget* parent) { return new FakeWebView(parent); });
        registerScreens();
    }

    void cleanup() {
        ChildWindows::unloadAll();
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    // ---- An empty catalogue: help pages ---------------------------------------------------

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
        TestProgramFolder folder(Catalogue::Empty);
        ScriptedPrompts prompts;
        auto screen = openProducts();
        QVERIFY(shared().HelpMode);
        for (const QString& name :
             {u"cmdDetSearch"_s, u"cmdEdit"_s, u"cmdDelete"_s, u"cmdFirst"_s, u"cmdLast"_s,
              u"cmdPrevious"_s, u"cmdNext"_s, u"cmdShowPicPath"_s})
            QVERIFY2(!control<QPushButton>(screen.get(), name)->isEnabled(), qPrintable(name));
        // The navigation buttons are off, the keys still page.
        for (int key : keys)
            QTest::keyClick(screen.get(), Qt::Key(key));
        QCOMPARE(web(*screen)->lastNavigation(), folder.path() + page);
        QCOMPARE(::status(screen.get()), status);
        QVERIFY(!QFile::exists(folder.filePath(u"page.htm"_s)));
    }

    void helpPagesWalkAllSeven() {
        TestProgramFolder folder(Catalogue::Empty);
        auto screen = openProducts();
        for (int n = 0; n <= 6; ++n) {
            QTest::keyClick(screen.get(), Qt::Key_Down);
            QCOMPARE(web(*screen)->lastNavigation(), folder.path() + u"Help/intro%1.htm"_s.arg(n));
            QCOMPARE(status(screen.get()), u"Page Number: %1"_s.arg(n + 1));
            QCOMPARE(shared().HelpPageName, u"intro%1.htm"_s.arg(n));
        }
    }

    // ---- Load -----------------------------------------------------------------------------

    void loadSetsPageDefaultsAndTickList() {
        TestProgramFolder folder(Catalogue::Demo);
        pageOptions().FontSize = 2;
        pageOptions().ItemsPerRow = 9;
        shared().DetailSearchActive = true;
        auto screen = openProducts();
        QCOMPARE(pageOptions().FontSize, 5);
        QCOMPARE(pageOptions().ItemsPerRow, 4);
        QVERIFY(!shared().DetailSearchActive);
        QCOMPARE(shared().ThumbChecked, QVector<std::int16_t>(51, 0));
        QCOMPARE(status(screen.get()), u"Record: 1  of  50"_s);
        QCOMPARE(screen->windowTitle(), folder.cataloguePath());
    }

    void missingCatalogueIsNamedAndTheScreenStaysOpen() {
        TestProgramFolder folder(Catalogue::None);
        shared().DBPath = folder.filePath(u"gone.mde"_s);
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openProducts();
        QCOMPARE(prompts.shownTexts(),
                 QStringList{u"Can't find the database file"_s + folder.filePath(u"gone.mde"_s)});
        QCOMPARE(status(screen.get()), u"NO CURRENT RECORDS"_s);
        QVERIFY(shared().HelpMode);
        QVERIFY(screen->isVisible());
    }

    void storedLabelsAndBoxesOnFirstPaint() {
        TestProgramFolder folder(Catalogue::Demo);
        SettingsStore& settings = SettingsStore::program();
        settings.setValue(u"Settings"_s, u"HideText(17)"_s, u"False"_s);
        settings.setValue(u"Settings"_s, u"LabelName(22)"_s, u"Title:"_s);
        auto screen = openProducts();
        QVERIFY(box(screen.get(), 17)->isHidden());
        QVERIFY(!box(screen.get(), 18)->isHidden());
        QCOMPARE(control<QLabel>(screen.get(), u"lblLabels"_s, 22)->text(), u"Title:"_s);

        // Restore Label Names and Restore Text Boxes of the main window, seen on the next focus.
        shared().RestoreLabelNames = true;
        settings.setValue(u"Settings"_s, u"HideText(17)"_s, u"True"_s);
        QFocusEvent focus(QEvent::FocusIn);
        QApplication::sendEvent(box(screen.get(), 27), &focus);
        QTRY_COMPARE(control<QLabel>(screen.get(), u"lblLabels"_s, 22)->text(), u"Name:"_s);
        QCOMPARE(settings.value(u"Settings"_s, u"LabelName(22)"_s, QString()), u"Name:"_s);
        QVERIFY(!shared().RestoreLabelNames);
        QVERIFY(!box(screen.get(), 17)->isHidden());
    }

    // ---- The preview page -----------------------------------------------------------------

    void previewPage_data() {
        QTest::addColumn<QString>("picture"); // stored for AB7 before the screen opens
        QTest::addColumn<bool>("large");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("small: the picture alone")
            << u"pictures/AB7.gif"_s << false
            << QStringList{u"height=85 % align=center alt=\"AB7\""_s,
                           u"<a href=\"pictures/AB7.jpg\">"_s}
            << QStringList{u"Page #"_s, u"Your Cost"_s};
        QTest::newRow("large: a GIF links to its JPEG")
            << u"pictures/AB7.gif"_s << true
            << QStringList{u"<a href=\"pictures/AB7.jpg\">"_s, u"src=\"pictures/AB7.gif\""_s,
                           u"Page #1"_s, u"Your Cost: $4.25"_s, u"Porcelain Bud Vase"_s}
            << QStringList{};
        QTest::newRow("capital GIF is not rewritten")
            << u"pictures/AB7.GIF"_s << true << QStringList{u"<a href=\"pictures/AB7.GIF\">"_s}
            << QStringList{u".jpg\">"_s};
        QTest::newRow("missing picture file")
            << u"pictures/nothing-here.jpg"_s << true << QStringList{u"NoPic.jpg\""_s}
            << QStringList{u"<a href"_s, u"nothing-here"_s};
        QTest::newRow("no picture")
            << QString() << false << QStringList{u"NoPic.jpg\""_s} << QStringList{u"<a href"_s};
    }

    void previewPage() {
        QFETCH(QString, picture);
        QFETCH(bool, large);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TestProgramFolder folder(Catalogue::Demo);
        run(u"UPDATE Products SET Picture = ? WHERE StockNo = 'AB7'"_s, {picture});
        auto screen = openProducts();
        searchStock(screen.get(), u"AB7"_s);
        QCOMPARE(stockNo(screen.get()), u"AB7"_s);
        if (large) {
            click(screen.get(), u"cmdShowPic"_s);
            QCOMPARE(control<QPushButton>(screen.get(), u"cmdShowPic"_s)->text(), u"Edit Mode"_s);
            QVERIFY(box(screen.get(), 12)->isHidden());
        }
        screen->flushPreview();
        const QString page = pageFile();
        for (const QString& text : present)
            QVERIFY2(page.contains(text), qPrintable(text + u"\n"_s + page));
        for (const QString& text : absent)
            QVERIFY2(!page.contains(text), qPrintable(text + u"\n"_s + page));
        QCOMPARE(web(*screen)->lastNavigation(), folder.filePath(u"page.htm"_s));
    }

    void helpButtonLeavesThePageAlone() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        QVERIFY(QFile::remove(folder.filePath(u"page.htm"_s)));
        click(screen.get(), u"Command16"_s);
        QCOMPARE(control<QPushButton>(screen.get(), u"Command16"_s)->text(), u"Hide Help"_s);
        QCOMPARE(web(*screen)->lastNavigation(), folder.filePath(u"Help/demo.htm"_s));
        QVERIFY(!QFile::exists(folder.filePath(u"page.htm"_s)));
        click(screen.get(), u"Command16"_s);
        QCOMPARE(control<QPushButton>(screen.get(), u"Command16"_s)->text(), u"Show Help"_s);
        QVERIFY(pageFile().contains(u"alt=\"0012\""_s));
    }

    void addKeepsStatusAndPreview() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        QTest::keyClick(screen.get(), Qt::Key_Down);
        click(screen.get(), u"cmdAdd"_s);
        screen->flushPreview();
        // The product shown before Add is still the one on the page.
        QVERIFY(pageFile().contains(u"alt=\"AB12\""_s));
        QCOMPARE(status(screen.get()), u"Record: 2  of  50"_s);
        QVERIFY(inEditMode(screen.get()));
        QVERIFY(box(screen.get(), 27)->text().isEmpty());
        click(screen.get(), u"cmdCancel"_s);
        screen->flushPreview();
        QCOMPARE(stockNo(screen.get()), u"AB12"_s);
    }

    void discoCaptionColour_data() {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("discontinued") << u"TL-545"_s << QColor(0xC0, 0, 0);
        QTest::newRow("in the range") << u"AB7"_s << QColor(Qt::black);
    }

    void discoCaptionColour() {
        QFETCH(QString, stock);
        QFETCH(QColor, colour);
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        searchStock(screen.get(), stock);
        QCOMPARE(stockNo(screen.get()), stock);
        QCOMPARE(
            control<QLabel>(screen.get(), u"lblLabels"_s, 7)->palette().color(QPalette::WindowText),
            colour);
    }

    // ---- Writing --------------------------------------------------------------------------

    void opensInTheLargePreview() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts(true);
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdShowPic"_s)->text(), u"Edit Mode"_s);
        QVERIFY(box(screen.get(), 12)->isHidden());
        click(screen.get(), u"cmdShowPic"_s);
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdShowPic"_s)->text(), u"View Mode"_s);
        QVERIFY(!box(screen.get(), 12)->isHidden());
    }

    void updateWritesAndReadsTheCatalogueAgain() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        searchStock(screen.get(), u"GD-610"_s);
        click(screen.get(), u"cmdEdit"_s);
        box(screen.get(), 22)->selectAll();
        QTest::keyClicks(box(screen.get(), 22), u"Garden Bench"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(screen->primaryRecordSet()->absolutePosition(), 1);
        QCOMPARE(scalar(u"SELECT ProdName FROM Products WHERE StockNo = 'GD-610'"_s).toString(),
                 u"Garden Bench"_s);
    }

    void refusedValueIsPointedOutAndKept() {
        TestProgramFolder folder(Catalogue::Demo);
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok);
        const QString cost = u"SELECT Cost1 FROM Products WHERE StockNo = '0012'"_s;
        const QVariant stored = scalar(cost);
        auto screen = openProducts();
        click(screen.get(), u"cmdEdit"_s);
        box(screen.get(), 2)->selectAll();
        QTest::keyClicks(box(screen.get(), 2), u"cheap"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        QVERIFY2(prompts.shown().first().text.contains(u"Cost 1"_s),
                 qPrintable(prompts.shown().first().text));
        QVERIFY(inEditMode(screen.get()));
        QCOMPARE(box(screen.get(), 2)->text(), u"cheap"_s);
        QCOMPARE(scalar(cost), stored);
    }

    void saleFromStockIsTakenOver_data() {
        QTest::addColumn<int>("startKey"); // where the user was before the sale
        QTest::addColumn<QString>("sold");
        QTest::addColumn<QString>("current");
        QTest::newRow("from the first row") << int(Qt::Key_Home) << u"AB7"_s << u"AB7"_s;
        QTest::newRow("from the last row") << int(Qt::Key_End) << u"AB7"_s << u"AB7"_s;
        QTest::newRow("an apostrophe in the stock number")
            << int(Qt::Key_End) << u"O'BRIEN-7"_s << u"O'BRIEN-7"_s;
        QTest::newRow("a product no longer listed stays put")
            << int(Qt::Key_End) << u"GONE-1"_s << u"TL-545"_s;
    }

    void saleFromStockIsTakenOver() {
        QFETCH(int, startKey);
        QFETCH(QString, sold);
        QFETCH(QString, current);
        TestProgramFolder folder(Catalogue::Demo);
        const QString inventory = u"SELECT Inventory FROM Products WHERE StockNo = ?"_s;
        const QString noSold = u"SELECT NoSold FROM Products WHERE StockNo = ?"_s;
        const QVariant inventoryBefore = scalar(inventory, {sold});
        const double noSoldBefore = scalar(noSold, {sold}).toDouble();
        QMdiArea area;
        area.resize(1100, 750);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto* screen = new Products;
        QMdiSubWindow* frame = area.addSubWindow(screen);
        frame->show();
        QMdiSubWindow* other = area.addSubWindow(new QWidget);
        other->show();
        QTest::keyClick(screen, Qt::Key(startKey));
        area.setActiveSubWindow(other);
        shared().SoldFromStock = 3;
        shared().CurrentKey = sold;
        area.setActiveSubWindow(frame);
        QTRY_COMPARE(shared().SoldFromStock, std::int16_t(0));
        QCOMPARE(shared().CurrentKey, QString());
        QCOMPARE(stockNo(screen), current);
        if (inventoryBefore.isNull())
            return;
        QCOMPARE(scalar(inventory, {sold}).toDouble(), inventoryBefore.toDouble() - 3);
        QCOMPARE(scalar(noSold, {sold}).toDouble(), noSoldBefore + 3);
        QCOMPARE(box(screen, 8)->text(), QString::number(inventoryBefore.toDouble() - 3));
    }

    // ---- Grid -----------------------------------------------------------------------------

    void gridClickPicksScrollDoesNot() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        click(screen.get(), u"cmdGrid"_s);
        auto* grid = control<QTableView>(screen.get(), u"grdDataGrid"_s);
        QVERIFY(grid->isVisible());
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdGrid"_s)->text(), u"Hide Grid"_s);
        QCOMPARE(grid->model()->rowCount(), 50);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"StockNo"_s);

        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QTest::qWait(20);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        QVERIFY(grid->isVisible());

        const QModelIndex row = grid->model()->index(40, 1);
        const QString wanted = grid->model()->index(40, 0).data().toString();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(row).center());
        QCOMPARE(stockNo(screen.get()), wanted);
        QVERIFY(!grid->isVisible());
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdGrid"_s)->text(), u"Show Grid"_s);

        // The grid follows the screen's row when it is shown again.
        click(screen.get(), u"cmdGrid"_s);
        QCOMPARE(grid->currentIndex().row(), 40);
    }

    // ---- Searching ------------------------------------------------------------------------

    void quickSearch_data() {
        QTest::addColumn<QString>("filter"); // a search in force before
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enter"); // Enter in the box rather than the button
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("count");
        QTest::newRow("first row containing the text")
            << QString() << u"AB"_s << false << u"AB7"_s << 4;
        QTest::newRow("anywhere in the number") << QString() << u"ZA"_s << false << u"ZAB3"_s << 4;
        QTest::newRow("Enter in the box") << QString() << u"X"_s << true << u"X1"_s << 4;
        QTest::newRow("found nowhere: first row") << QString() << u"QQ"_s << false << u"AB7"_s << 4;
        QTest::newRow("an apostrophe is looked for")
            << QString() << u"O'B"_s << false << u"O'BRIEN-7"_s << 4;
        QTest::newRow("quotes cannot change the condition")
            << QString() << u"' or StockNo like '*"_s << false << u"AB7"_s << 4;
        QTest::newRow("moves without narrowing a search")
            << u"StockNo like '*B*'"_s << u"ZAB"_s << false << u"ZAB3"_s << 3;
        QTest::newRow("an empty box clears the search")
            << u"StockNo = 'X1'"_s << QString() << false << u"AB7"_s << 4;
    }

    void quickSearch() {
        QFETCH(QString, filter);
        QFETCH(QString, text);
        QFETCH(bool, enter);
        QFETCH(QString, current);
        QFETCH(int, count);
        TestProgramFolder folder(Catalogue::Empty);
        ScriptedPrompts prompts; // no message is expected
        stockNumbers({u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"O'BRIEN-7"_s});
        auto screen = openProducts();
        if (!filter.isEmpty()) {
            shared().SearchWhere = filter;
            screen->SearchForIt();
        }
        QTest::keyClick(screen.get(), Qt::Key_End);
        if (enter) {
            QLineEdit* search = control<QLineEdit>(screen.get(), u"txtSrch"_s);
            search->setText(text);
            QTest::keyClick(search, Qt::Key_Return);
        } else {
            searchStock(screen.get(), text);
        }
        QCOMPARE(stockNo(screen.get()), current);
        QCOMPARE(screen->primaryRecordSet()->recordCount(), count);
    }

    void advancedSearch_data() {
        QTest::addColumn<QString>("before"); // SearchWhere in force before the form opens
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("current");
        const QString search = u"click:cmdSrch"_s;
        QTest::newRow("matches are counted") << QString() << QStringList{u"type:AB"_s, search} << 2
                                             << u"2 - Matches Found"_s << u"AB7"_s;
        QTest::newRow("reverse order")
            << QString() << QStringList{u"click:chkReverse"_s, u"type:AB"_s, search} << 2
            << u"2 - Matches Found"_s << u"ZAB3"_s;
        QTest::newRow("nothing matches") << QString() << QStringList{u"type:QQ"_s, search} << 0
                                         << u"No Matches Found"_s << QString();
        QTest::newRow("an apostrophe is matched as typed")
            << QString() << QStringList{u"type:O'BRIEN"_s, search} << 1 << u"1 - Matches Found"_s
            << u"O'BRIEN-7"_s;
        QTest::newRow("cancel removes the search")
            << u"[StockNo] = 'X1'"_s << QStringList{u"click:cmdCancel"_s} << 4
            << u"Record: 1  of  4"_s << u"AB7"_s;
        QTest::newRow("a condition the catalogue refuses keeps the rows")
            << u"[StockNo] like '*AB*'"_s
            << QStringList{u"field:10"_s, u"op:2"_s, u"type:plenty"_s, search} << 2
            << u"2 - Matches Found"_s << u"AB7"_s;
    }

    void advancedSearch() {
        QFETCH(QString, before);
        QFETCH(QStringList, actions);
        QFETCH(int, count);
        QFETCH(QString, status);
        QFETCH(QString, current);
        TestProgramFolder folder(Catalogue::Empty);
        ScriptedPrompts prompts;
        stockNumbers({u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"O'BRIEN-7"_s});
        auto screen = openProducts();
        if (!before.isEmpty()) {
            shared().SearchWhere = before;
            screen->SearchForIt();
        }
        const bool refused = QTest::currentDataTag() == QByteArray("a condition the catalogue "
                                                                   "refuses keeps the rows");
        if (refused) {
            QLoggingCategory::setFilterRules(u"tovin.errors.info=true"_s);
            QTest::ignoreMessage(QtInfoMsg,
                                 QRegularExpression(u"^\\(Form\\) Products::Sub SearchForIt "_s));
        }
        onSearchForm(actions);
        click(screen.get(), u"cmdDetSearch"_s);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(screen->primaryRecordSet()->recordCount(), count);
        QCOMPARE(::status(screen.get()), status);
        if (!current.isEmpty())
            QCOMPARE(stockNo(screen.get()), current);
        QVERIFY(!shared().DetailSearchActive);
    }

    void searchNarrowsTheShownGrid() {
        TestProgramFolder folder(Catalogue::Empty);
        stockNumbers({u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"O'BRIEN-7"_s});
        auto screen = openProducts();
        click(screen.get(), u"cmdGrid"_s);
        shared().SearchWhere = u"[StockNo] like '*AB*'"_s;
        shared().SortOrder = u"StockNo Desc"_s;
        screen->SearchForIt();
        auto* grid = control<QTableView>(screen.get(), u"grdDataGrid"_s);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), u"ZAB3"_s);
        QCOMPARE(grid->currentIndex().row(), 0);
    }

    // ---- Suppliers ------------------------------------------------------------------------

    void supplierButtonShowsThatSupplier_data() {
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("where");
        QTest::newRow("plain name")
            << u"Kestrel Ridge Tool Supply"_s << u"name = 'Kestrel Ridge Tool Supply'"_s;
        QTest::newRow("apostrophe in the name")
            << u"O'Hara Supply"_s << u"name = 'O''Hara Supply'"_s;
    }

    void supplierButtonShowsThatSupplier() {
        QFETCH(QString, supplier);
        QFETCH(QString, where);
        TestProgramFolder folder(Catalogue::Demo);
        run(u"INSERT INTO Supplier (Name) VALUES ('O''Hara Supply')"_s);
        run(u"UPDATE Products SET Supplier = ? WHERE StockNo = '0012'"_s, {supplier});
        auto screen = openProducts();
        click(screen.get(), u"cmdSup(0)"_s);
        QCOMPARE(shared().SearchWhere, where);
        auto* suppliers = qobject_cast<RecordScreen*>(ChildWindows::find(u"frmSupplier"_s));
        QVERIFY(suppliers);
        QCOMPARE(status(suppliers), u"Record: 1  of  1"_s);
        QCOMPARE(box(suppliers, 8)->text(), supplier);
    }

    void webPageButton_data() {
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("the supplier's shop")
            << u"Kestrel Ridge Tool Supply"_s << u"http://www.kestrelridge.example.net/"_s
            << u"maplelane"_s << u"hammer16"_s;
        QTest::newRow("no such supplier: the usual shop")
            << u"Nobody Ltd"_s << Products::defaultShopAddress() << QString() << QString();
    }

    void webPageButton() {
        QFETCH(QString, supplier);
        QFETCH(QString, address);
        QFETCH(QString, user);
        QFETCH(QString, password);
        TestProgramFolder folder(Catalogue::Demo);
        run(u"UPDATE Products SET Supplier = ? WHERE StockNo = '0012'"_s, {supplier});
        auto screen = openProducts();
        click(screen.get(), u"cmdSup(1)"_s);
        QCOMPARE(shared().WebAddress, address);
        QCOMPARE(shared().SupplierUserName, user);
        QCOMPARE(shared().SupplierPassword, password);
        QCOMPARE(web(*screen)->lastNavigation(), address);
        QVERIFY(!ChildWindows::find(u"frmSupplier"_s));
    }

    void supplierPickedOnTheSupplierScreen_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("click in the box") << false;
        QTest::newRow("key in the box") << true;
    }

    void supplierPickedOnTheSupplierScreen() {
        QFETCH(bool, byKey);
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        QTest::keyClick(screen.get(), Qt::Key_Down); // AB12, from Brightwater Giftworks
        bool scripted = false;
        QTimer::singleShot(100, [&scripted] {
            auto* suppliers = qobject_cast<RecordScreen*>(ChildWindows::find(u"frmSupplier"_s));
            if (!suppliers)
                return;
            click(suppliers, u"cmdNext"_s);
            click(suppliers, u"cmdNext"_s);
            click(suppliers, u"cmdClose"_s);
            scripted = true;
        });
        QLineEdit* supplier = box(screen.get(), 28);
        if (byKey)
            QTest::keyClick(supplier, Qt::Key_Right);
        else
            QTest::mouseClick(supplier, Qt::LeftButton);
        QVERIFY(scripted);
        // The pick is saved through Update, which reads the catalogue again from its start.
        QCOMPARE(screen->primaryRecordSet()->absolutePosition(), 1);
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(scalar(u"SELECT Supplier FROM Products WHERE StockNo = 'AB12'"_s).toString(),
                 u"Pennybrook Lamp & Garden Co."_s);
        QVERIFY(!shared().SupplierScreenClosed);
        QTRY_VERIFY(!ChildWindows::find(u"frmSupplier"_s));
    }

    // ---- Web view events ------------------------------------------------------------------

    void webViewEvents() {
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = openProducts();
        FakeWebView* view = web(*screen);
        // A tick box of the thumbnail page flips its entry and loads nothing.
        QVERIFY(view->fireBeforeNavigate(folder.filePath(u"Vex_3"_s)));
        QCOMPARE(shared().ThumbChecked.at(2), std::int16_t(1));
        QVERIFY(view->fireBeforeNavigate(folder.filePath(u"Vex_3"_s)));
        QCOMPARE(shared().ThumbChecked.at(2), std::int16_t(0));
        QVERIFY(!view->fireBeforeNavigate(folder.filePath(u"page.htm"_s)));
        // A picture address selects nothing unless a thumbnail page is being made.
        view->fireNavigateComplete(folder.filePath(u"pictures/GD-610.jpg"_s));
        QCOMPARE(shared().WebAddress, folder.filePath(u"pictures/GD-610.jpg"_s));
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        // A page that fails to load gives way to the last one that loaded.
        view->fireNavigateError(u"http://nowhere.example/"_s);
        QCOMPARE(view->lastNavigation(), folder.filePath(u"pictures/GD-610.jpg"_s));
    }

    // ---- Closing --------------------------------------------------------------------------

    void openOrderRefusesToClose_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Close button") << true;
        QTest::newRow("closing the window") << false;
    }

    void openOrderRefusesToClose() {
        QFETCH(bool, byButton);
        TestProgramFolder folder(Catalogue::Demo);
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openProducts();
        control<QPushButton>(screen.get(), u"Command2"_s)->show();
        if (byButton)
            click(screen.get(), u"cmdClose"_s);
        else
            QVERIFY(!screen->close());
        QCOMPARE(prompts.shownTexts(),
                 QStringList{u"You Have An Open Order! Please Click On The 'Order Done' Button "
                             u"To Finish Your Last Order"_s});
        QVERIFY(screen->isVisible());
        control<QPushButton>(screen.get(), u"Command2"_s)->hide();
        click(screen.get(), u"cmdClose"_s);
        QVERIFY(!screen->isVisible());
    }
};

QTEST_MAIN(ProductsTest)
#include "tst_products.moc"
