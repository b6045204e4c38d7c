// An Advanced Search stays on the Products screen while its rows are read again: Refresh All
// shows the same search with the values as the catalogue now holds them, and the selection the
// other screens work on (export, bulk edit, Delete All, the page designer) stays the search's.
// (A catalogue-wide task drops the search: see the tests of those tasks.)
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/SearchFormDriver.h"
#include "ui/Screens.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// The stock numbers the screen's record set holds, in its order; the screen ends on its first.
QStringList heldStockNumbers(Products& screen) {
    RecordSet* set = screen.primaryRecordSet();
    QStringList numbers;
    if (set->recordCount() < 1)
        return numbers;
    for (set->moveFirst(); !set->eof(); set->moveNext())
        numbers << set->value(int(ProductBox::StockNo)).toString();
    set->moveFirst();
    return numbers;
}

// The stock numbers holding `text`, as the catalogue holds them now, in stock-number order.
QStringList catalogueStockNumbers(const QString& text, bool descending) {
    QStringList numbers;
    const int count =
        dbValue(u"SELECT count(*) FROM Products WHERE instr(StockNo, ?) > 0"_s, {text}).toInt();
    for (int i = 0; i < count; ++i)
        numbers << dbValue(u"SELECT StockNo FROM Products WHERE instr(StockNo, ?) > 0 "_s
                           u"ORDER BY StockNo "_s +
                               (descending ? u"DESC"_s : u"ASC"_s) + u" LIMIT 1 OFFSET ?"_s,
                           {text, i})
                       .toString();
    return numbers;
}

QTableView* showGrid(Products& screen) {
    click(&screen, u"cmdGrid"_s);
    auto* grid = control<QTableView>(&screen, u"grdDataGrid"_s);
    if (!grid->isVisible())
        QTest::qFail("the grid did not show", __FILE__, __LINE__);
    return grid;
}

} // namespace

class SearchKeptTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() {
        ChildWindows::unloadAll();
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    // Refresh All after an Advanced Search for a part of the stock number: the same search and
    // sort, over the rows as another program left them meanwhile, in the grid too.
    void refreshKeepsTheSearch_data() {
        QTest::addColumn<QString>("text");    // looked for in the stock number
        QTest::addColumn<bool>("descending"); // Reverse Order ticked
        QTest::addColumn<bool>("grid");       // the grid shown during the search
        QTest::addColumn<QString>("change");  // written by another program before Refresh All
        QTest::addColumn<int>("count");       // the matches after Refresh All
        QTest::newRow("a search") << u"AB"_s << false << false << QString() << 11;
        QTest::newRow("in reverse order") << u"AB"_s << true << false << QString() << 11;
        QTest::newRow("with the grid shown") << u"AB"_s << true << true << QString() << 11;
        QTest::newRow("a product now matches")
            << u"AB"_s << false << true
            << u"UPDATE Products SET StockNo = 'ZAB-1' WHERE StockNo = '0012'"_s << 12;
        QTest::newRow("a product no longer matches")
            << u"AB"_s << true << false
            << u"UPDATE Products SET StockNo = 'XY7' WHERE StockNo = 'AB7'"_s << 10;
        QTest::newRow("a product gets a new name")
            << u"AB"_s << false << false
            << u"UPDATE Products SET ProdName = 'Pewter Frame 8x10' WHERE StockNo = 'AB12'"_s << 11;
        QTest::newRow("nothing matches") << u"QQ"_s << false << false << QString() << 0;
        QTest::newRow("nothing matched, now a product does")
            << u"QQ"_s << false << true
            << u"UPDATE Products SET StockNo = 'QQ-1' WHERE StockNo = '0012'"_s << 1;
        QTest::newRow("nothing matched in reverse order, now two products do")
            << u"QQ"_s << true << true
            << u"UPDATE Products SET StockNo = 'QQ-' || StockNo WHERE StockNo IN ('0012', 'AB12')"_s
            << 2;
    }
    void refreshKeepsTheSearch() {
        QFETCH(QString, text);
        QFETCH(bool, descending);
        QFETCH(bool, grid);
        QFETCH(QString, change);
        QFETCH(int, count);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell);
        QTableView* gridView = grid ? showGrid(*screen) : nullptr;
        onSearchForm((descending ? u"click:chkReverse|type:"_s : u"type:"_s) + text + u"|search"_s);
        click(screen.get(), u"cmdDetSearch"_s);
        const QString where = m_shell.search.SearchWhere;
        const QString sort = m_shell.search.SortOrder;
        QVERIFY(!where.isEmpty());
        const QStringList found = catalogueStockNumbers(text, descending);
        QCOMPARE(status(screen.get()), found.isEmpty() ? u"No Matches Found"_s
                                                       : u"%1 - Matches Found"_s.arg(found.size()));
        // The grid shown meanwhile is narrowed and sorted as the screen is, on its first row.
        if (gridView && !found.isEmpty()) {
            QCOMPARE(gridView->model()->rowCount(), found.size());
            QCOMPARE(gridView->model()->index(0, 0).data().toString(), found.first());
            QCOMPARE(gridView->currentIndex().row(), 0);
        }

        if (!change.isEmpty())
            dbRun(change);
        click(screen.get(), u"cmdRefresh"_s);

        // The search, its sort and the selection other screens read stay as they were.
        RecordSet* set = screen->primaryRecordSet();
        QCOMPARE(m_shell.search.SearchWhere, where);
        QCOMPARE(m_shell.search.SortOrder, sort);
        QCOMPARE(set->filter(), where);
        QCOMPARE(set->recordCount(), count);
        const QStringList expected = catalogueStockNumbers(text, descending);
        QCOMPARE(expected.size(), count);
        if (count == 0) {
            QCOMPARE(status(screen.get()), u"No Matches Found"_s);
            return;
        }
        QCOMPARE(set->sort(), sort);
        QCOMPARE(status(screen.get()), u"Record: 1  of  "_s + QString::number(count));
        QCOMPARE(stockNo(screen.get()), expected.first());
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(),
                 productColumn(u"ProdName"_s, expected.first()));
        if (gridView) {
            QCOMPARE(gridView->model()->rowCount(), count);
            QCOMPARE(gridView->model()->index(0, 0).data().toString(), expected.first());
            QCOMPARE(gridView->currentIndex().row(), 0);
        }
        QCOMPARE(heldStockNumbers(*screen), expected);
    }

    // A search that matched nothing says so in the status line and on the preview, and keeps
    // saying so when the rows are moved through or read again; the searches and Reset Data stay
    // in use, and Reset Data drops the search and its sort and shows the first of all products.
    void noMatchesSaySo_data() {
        QTest::addColumn<QString>("actions"); // on the search form
        QTest::addColumn<QString>("then");    // a button pressed afterwards, or none
        QTest::newRow("after the search") << u"type:QQ|search"_s << QString();
        QTest::newRow("reverse order, after the search")
            << u"click:chkReverse|type:QQ|search"_s << QString();
        QTest::newRow("Refresh All") << u"type:QQ|search"_s << u"cmdRefresh"_s;
        QTest::newRow("Cancel of an Add") << u"type:QQ|search"_s << u"cmdAdd cmdCancel"_s;
    }
    void noMatchesSaySo() {
        QFETCH(QString, actions);
        QFETCH(QString, then);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell);
        onSearchForm(actions);
        click(screen.get(), u"cmdDetSearch"_s);
        if (!then.isEmpty())
            click(screen.get(), then.split(u' '));
        screen->flushPreview();
        QCOMPARE(screen->primaryRecordSet()->recordCount(), 0);
        QCOMPARE(status(screen.get()), u"No Matches Found"_s);
        const QString page = fakeWeb(*screen)->document();
        QVERIFY2(page.contains(u"No Matches Found"_s), qPrintable(page));
        QVERIFY2(!page.contains(u"0 - Matches"_s), qPrintable(page));
        QVERIFY(!helpShown(*screen));
        for (const QString& name : {u"cmdDetSearch"_s, u"cmdReset"_s, u"cmdRefresh"_s})
            QVERIFY2(control<QWidget>(screen.get(), name)->isEnabled(), qPrintable(name));

        click(screen.get(), u"cmdReset"_s);
        QCOMPARE(status(screen.get()), u"Record: 1  of  50"_s);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        QVERIFY(m_shell.search.SearchWhere.isEmpty());
        QTest::keyClick(screen.get(), Qt::Key_Down); // in stock-number order again
        QCOMPARE(stockNo(screen.get()), u"AB12"_s);
    }
};

QTEST_MAIN(SearchKeptTest)
#include "tst_searchkept.moc"
