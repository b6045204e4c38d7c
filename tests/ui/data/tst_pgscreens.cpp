// Screens on a catalogue on a PostgreSQL server: what the user sees when the server drops the
// connection in the middle of an edit.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/DisplayFormat.h"
#include "core/orders/OrderSession.h"
#include "core/share/CatalogueShare.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/core/TestServer.h"
#include "support/ui/ScreenDriver.h"
#include "ui/data/Catagory.h"
#include "ui/data/FrmInventory.h"

#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Where the screens of these tests ask their questions, and the tests' scripts answer them.
PromptsInUse& screenPrompts() {
    static PromptsInUse prompts;
    return prompts;
}

// Ends every other connection to the catalogue, as a restarted server or a broken network does.
void dropOtherConnections(const QString& uri) {
    CatalogueDatabase(uri).scalar(
        u"SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
        u"WHERE datname = current_database() AND pid <> pg_backend_pid()"_s);
}

// A screen over the products' names, as the screens over Products build on the pattern.
class ProductNames : public RecordScreen {
public:
    ProductNames()
        : RecordScreen(TestProgramFolder::current().catalogue(), screenPrompts(), u"ProductNames"_s,
                       u"Products"_s,
                       u"select PID,StockNo,ProdName from Products order by StockNo"_s) {
        addTextBox({1, u"StockNo"_s, u"Stock #:"_s, {}, DisplayFormat::Plain});
        addTextBox({2, u"ProdName"_s, u"Name:"_s, {}, DisplayFormat::Plain});
        Form_Load();
    }
};

std::unique_ptr<RecordScreen> openByName(const QString& name, OrderSession& order) {
    if (name == u"frmInventory"_s)
        return openScreen<FrmInventory>(TestProgramFolder::current().catalogue(), screenPrompts(),
                                        order);
    return openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
}

} // namespace

class PgScreensTest : public QObject {
    Q_OBJECT
    // The order session the inventory and orders screens are made with.
    OrderSession m_order;

private slots:
    void initTestCase() {
        quietenPlatformNotes();
        if (clusterUri().isEmpty())
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
    }

    // The save that meets a lost connection is refused in plain words, the typing stays on the
    // screen in edit mode, and the next save goes through on a connection made again.
    void lostConnectionKeepsTheTyping_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("check"); // SQL giving the typed value once it is saved
        QTest::addColumn<QString>("saved");
        QTest::newRow("category name")
            << u"Catagory"_s << 1 << u"Lighting"_s
            << u"select CatName from Catagory where CID = 1"_s << u"Lighting"_s;
        QTest::newRow("stock description")
            << u"frmInventory"_s << 4 << u"Big Teddy"_s
            << u"select count(*) from Inventory where Description = 'Big Teddy'"_s << u"1"_s;
    }
    void lostConnectionKeepsTheTyping() {
        QFETCH(QString, screen);
        QFETCH(int, boxIndex);
        QFETCH(QString, typed);
        QFETCH(QString, check);
        QFETCH(QString, saved);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ServerDatabase server;
        CatalogueShare::share(folder.cataloguePath(), server.uri(), false);
        folder.catalogue().path = server.uri();
        const QString before = dbValue(check).toString();
        QVERIFY(before != saved);
        ScriptedPrompts prompts(screenPrompts());
        auto form = openByName(screen, m_order);
        click(form.get(), u"cmdEdit"_s);
        type(form.get(), boxIndex, typed);

        dropOtherConnections(server.uri());
        prompts.answerMessage(MessageAnswer::Ok);
        click(form.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        const QString told = prompts.shown().at(0).text;
        QVERIFY2(told.contains(u"The connection to the catalogue server"_s) &&
                     told.contains(u"was lost"_s),
                 qPrintable(told));
        QVERIFY(inEditMode(form.get()));
        QCOMPARE(box(form.get(), boxIndex)->text(), typed);
        QCOMPARE(dbValue(check).toString(), before);

        click(form.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        QVERIFY(!inEditMode(form.get()));
        QCOMPARE(dbValue(check).toString(), saved);
    }

    // Another program's change reaches the open screen through the server's notices and is
    // shown; saving the row afterwards writes what the screen now shows, never the old name.
    void changeByAnotherProgramIsShown() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ServerDatabase server;
        CatalogueShare::share(folder.cataloguePath(), server.uri(), false);
        folder.catalogue().path = server.uri();
        auto form = openScreen<ProductNames>();
        const QString stockNo = box(form.get(), 1)->text();
        const QString before = box(form.get(), 2)->text();
        QVERIFY(!stockNo.isEmpty() && before != u"Renamed"_s);

        const CliRun edit =
            runProgram({u"bulk-edit"_s, u"--db"_s, server.uri(), u"--where"_s,
                        u"StockNo = '"_s + stockNo + u"'"_s, u"--set"_s, u"ProdName=Renamed"_s});
        QCOMPARE(edit.status, 0);
        QTRY_COMPARE(box(form.get(), 2)->text(), u"Renamed"_s);

        click(form.get(), u"cmdEdit"_s);
        click(form.get(), u"cmdUpdate"_s);
        click(form.get(), u"cmdNext"_s);
        click(form.get(), u"cmdPrevious"_s);
        QCOMPARE(box(form.get(), 2)->text(), u"Renamed"_s);
        QCOMPARE(
            dbValue(u"select ProdName from Products where StockNo = ?"_s, {stockNo}).toString(),
            u"Renamed"_s);
    }
};

QTEST_MAIN(PgScreensTest)
#include "tst_pgscreens.moc"
