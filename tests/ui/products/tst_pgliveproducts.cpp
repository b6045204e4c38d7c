// The open screens once the connection to the catalogue server is back: what other computers
// changed meanwhile, unheard of, shows, while what the user is typing and the screen's search
// stay; and the Products screen's preview following another computer's change.
#include "LiveCatalogue.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/products/PreviewPage.h"
#include "core/storage/CatalogueChanges.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/data/Catagory.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

bool clusterMissing(bool server) {
    return server && clusterUri().isEmpty();
}

} // namespace

class PgLiveProductsTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() { ChildWindows::unloadAll(); }

    // Products on show after an advanced search, and a category screen beside it. Another
    // computer changes the product on show and its neighbour, adds a product the search
    // matches and renames the category on show, while nobody hears of it. Once the connection
    // is back, the screens show all of it, on the same product under the same search; a product
    // being typed into keeps the typing, and saving it keeps the other computer's change too.
    void readAgainWhenBack_data() {
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("typing");
        QTest::newRow("file, looking") << false << false;
        QTest::newRow("file, typing") << false << true;
        QTest::newRow("server, looking") << true << false;
        QTest::newRow("server, typing") << true << true;
    }
    void readAgainWhenBack() {
        QFETCH(bool, server);
        QFETCH(bool, typing);
        if (clusterMissing(server))
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
        LiveCatalogue catalogue(server);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto categories =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), m_shell.prompts);
        auto screen = showProducts(m_shell);
        m_shell.search.SearchWhere = u"[StockNo] like '*AB*'"_s;
        screen->SearchForIt();
        searchStock(screen.get(), u"AB30"_s);
        RecordSet* products = screen->primaryRecordSet();
        const QString search = products->filter();
        const int count = products->recordCount();
        QVERIFY(!search.isEmpty());
        click(screen.get(), u"cmdGrid"_s);
        const QString retail = box(screen.get(), ProductBox::Retail)->text();
        if (typing) {
            click(screen.get(), u"cmdEdit"_s);
            type(screen.get(), ProductBox::ProdName, u"Typed Name"_s);
        }

        QVERIFY(catalogue.writeUntold(
            u"UPDATE Products SET Retail = 123400 WHERE StockNo = 'AB30'; "
            u"UPDATE Products SET ProdName = 'Behind Its Back' WHERE StockNo = 'AB31'; "
            u"INSERT INTO Products (StockNo, ProdName) VALUES ('AB99', 'New Arrival'); "
            u"UPDATE Catagory SET CatName = 'Lamps' WHERE CID = 1"_s));
        QCOMPARE(box(screen.get(), ProductBox::Retail)->text(), retail);
        // The grid's record set was opened last, so it is read again last.
        QSignalSpy gridRead(screen->gridRecordSet(), &RecordSet::rowsReset);
        emit CatalogueChanges::instance().connectionBack(products->connection()->identity());
        QTRY_VERIFY(!gridRead.isEmpty());
        QCOMPARE(box(categories.get(), 1)->text(), u"Lamps"_s);
        QCOMPARE(screen->gridRecordSet()->recordCount(), count + 1);
        if (typing) {
            QVERIFY(inEditMode(screen.get()));
            QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Typed Name"_s);
            QCOMPARE(box(screen.get(), ProductBox::Retail)->text(), retail);
            click(screen.get(), u"cmdUpdate"_s);
            QVERIFY(!inEditMode(screen.get()));
            QCOMPARE(productColumn(u"ProdName"_s, u"AB30"_s), u"Typed Name"_s);
        }
        QCOMPARE(stockNo(screen.get()), u"AB30"_s);
        QCOMPARE(box(screen.get(), ProductBox::Retail)->text(), u"$12.34"_s);
        QCOMPARE(products->filter(), search);
        QCOMPARE(products->recordCount(), count + 1);
        QVERIFY2(status(screen.get()).endsWith(u"of  %1"_s.arg(count + 1)),
                 qPrintable(status(screen.get())));
        click(screen.get(), u"cmdNext"_s);
        QCOMPARE(stockNo(screen.get()), u"AB31"_s);
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Behind Its Back"_s);
    }

    // Reading the rows again fails (the table is gone for a moment, as the server may go away
    // again): the screen keeps the rows it had, and the next move reads them.
    void failedReadKeepsTheRows_data() {
        QTest::addColumn<bool>("server");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }
    void failedReadKeepsTheRows() {
        QFETCH(bool, server);
        if (clusterMissing(server))
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
        LiveCatalogue catalogue(server);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell);
        searchStock(screen.get(), u"AB30"_s);
        RecordSet* products = screen->primaryRecordSet();
        const int count = products->recordCount();
        // Opened after the products, so read again after them.
        auto categories =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), m_shell.prompts);
        QVERIFY(catalogue.writeUntold(u"ALTER TABLE Products RENAME TO ProductsAway"_s));
        QSignalSpy categoriesRead(categories->primaryRecordSet(), &RecordSet::moveComplete);
        emit CatalogueChanges::instance().connectionBack(products->connection()->identity());
        QTRY_VERIFY(!categoriesRead.isEmpty());
        QCOMPARE(products->recordCount(), count);
        QVERIFY(catalogue.writeUntold(u"ALTER TABLE ProductsAway RENAME TO Products"_s));
        QVERIFY(catalogue.writeUntold(
            u"UPDATE Products SET ProdName = 'Behind Its Back' WHERE StockNo = 'AB31'"_s));
        click(screen.get(), u"cmdNext"_s);
        QCOMPARE(stockNo(screen.get()), u"AB31"_s);
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Behind Its Back"_s);
        QCOMPARE(products->recordCount(), count);
    }

    // Another computer renames and reprices a product: the preview of the product on show
    // follows as soon as the server's notice comes; a change to another product writes no page.
    void previewFollowsAnotherComputer_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("rendered");
        QTest::newRow("the product on show") << u"0012"_s << true;
        QTest::newRow("another product") << u"AB7"_s << false;
    }
    void previewFollowsAnotherComputer() {
        QFETCH(QString, written);
        QFETCH(bool, rendered);
        if (clusterMissing(true))
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
        LiveCatalogue catalogue(true);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        auto screen = showProducts(m_shell, true);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        auto renders = [&] { return fakeWeb(*screen)->navigations().count(PreviewPage::path()); };
        const qsizetype before = renders();
        QSignalSpy told(screen->primaryRecordSet(), &RecordSet::rowUpdated);
        const CliRun edit =
            runProgram({u"bulk-edit"_s, u"--db"_s, TestProgramFolder::current().catalogue().path,
                        u"--where"_s, u"StockNo = '"_s + written + u"'"_s, u"--set"_s,
                        u"ProdName=Sea Glass Lamp"_s, u"--set"_s, u"Cost1=7.50"_s});
        QCOMPARE(edit.status, 0);
        QTRY_VERIFY(!told.isEmpty());
        screen->flushPreview();
        QCOMPARE(renders() - before, rendered ? 1 : 0);
        const QString page = QString::fromUtf8(readFile(PreviewPage::path()));
        QCOMPARE(page.contains(u"Sea Glass Lamp"_s), rendered);
        QCOMPARE(page.contains(u"Your Cost: $7.50"_s), rendered);
    }
};

QTEST_MAIN(PgLiveProductsTest)
#include "tst_pgliveproducts.moc"
