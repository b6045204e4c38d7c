// A sale from stock saved on the sales screen is in the catalogue together with its product's
// counts, however the program ends: each case sells through the inventory and sales screens of
// the whole window, leaves it by File > Exit without going back to the Products screen, and
// reads the catalogue afresh.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/StockSaleProduct.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/browser/WebEngineView.h"
#include "ui/data/RecordScreen.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/ShellState.h"

#include <QAction>
#include <QApplication>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using A = MessageAnswer;

// A product's Inventory and NoSold, "-" when no product has the stock number.
QString counts(CatalogueDatabase& db, const QString& stockNo) {
    StorageStatement& q =
        db.run(u"SELECT Inventory, NoSold FROM Products WHERE StockNo = ?"_s, {QVariant(stockNo)});
    if (!q.next())
        return u"-"_s;
    const QString text = q.value(0).toString() + u'/' + q.value(1).toString();
    q.reset();
    return text;
}

QString stockOnHand(CatalogueDatabase& db, const QString& stockNo) {
    return db.scalar(u"SELECT Number FROM Inventory WHERE \"Product Id\" = ?"_s, {stockNo})
        .toString();
}

QStringList salesRows(CatalogueDatabase& db) {
    QStringList rows;
    StorageStatement& q =
        db.run(u"SELECT \"Sales Product ID\", \"Number Sold\" FROM Sales ORDER BY rowid"_s);
    while (q.next())
        rows << q.value(0).toString() + u" x"_s + q.value(1).toString();
    return rows;
}

RecordScreen* recordScreen(const QString& name) {
    return qobject_cast<RecordScreen*>(ChildWindows::find(name));
}

} // namespace

class SavedSaleTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    // One AB7 (4 on the stock row and on the product, none sold) is sold for 20, no expenses.
    void saleOutlivesTheWindow_data() {
        QTest::addColumn<QString>("before");    // SQL run on the catalogue first, if any
        QTest::addColumn<QString>("typedNo");   // typed over the sale's stock number, if any
        QTest::addColumn<QString>("firstDate"); // a first Date Sold the catalogue refuses
        QTest::addColumn<QString>("ending");    // the sales screen's button
        QTest::addColumn<QString>("ab7");       // AB7's Inventory/NoSold afterwards, as stored
        QTest::addColumn<QString>("shown");     // and on the Products screen, when it shows AB7
        QTest::addColumn<QString>("stock");     // AB7's stock row afterwards
        QTest::addColumn<QStringList>("sales"); // the rows of Sales afterwards
        QTest::addColumn<QString>("notice");    // told after Update, if anything
        const QStringList demo{u"CND-315 x2"_s, u"LMP-1001 x1"_s};
        QTest::newRow("saved") << QString() << QString() << QString() << u"cmdUpdate"_s << u"3/1"_s
                               << u"3/1"_s << u"3"_s << demo + QStringList{u"AB7 x1"_s}
                               << QString();
        QTest::newRow("cancelled") << QString() << QString() << QString() << u"cmdCancel"_s
                                   << u"4/0"_s << u"4/0"_s << u"4"_s << demo << QString();
        QTest::newRow("refused, then saved once")
            << QString() << QString() << u"31/02/2003"_s << u"cmdUpdate"_s << u"3/1"_s << u"3/1"_s
            << u"3"_s << demo + QStringList{u"AB7 x1"_s} << QString();
        // The items came off AB7's stock row: AB7 gives them up, CND-315 keeps its counts.
        QTest::newRow("stock number retyped on the sale")
            << QString() << u"CND-315"_s << QString() << u"cmdUpdate"_s << u"3/1"_s << u"3/1"_s
            << u"3"_s << demo + QStringList{u"CND-315 x1"_s} << QString();
        QTest::newRow("no product has the stock number")
            << u"UPDATE Products SET StockNo = 'AB7-OLD' WHERE StockNo = 'AB7'"_s << QString()
            << QString() << u"cmdUpdate"_s << u"-"_s << QString() << u"3"_s
            << demo + QStringList{u"AB7 x1"_s} << StockSaleProduct::noProductMessage(u"AB7"_s, 1);
    }
    void saleOutlivesTheWindow() {
        QFETCH(QString, before);
        QFETCH(QString, typedNo);
        QFETCH(QString, firstDate);
        QFETCH(QString, ending);
        QFETCH(QString, ab7);
        QFETCH(QString, shown);
        QFETCH(QString, stock);
        QFETCH(QStringList, sales);
        QFETCH(QString, notice);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        if (!before.isEmpty())
            dbRun(before);
        ScriptedPrompts prompts(m_shell.prompts);
        {
            FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
            int exits = 0;
            main.setExitHandler([&exits] { ++exits; });
            main.MDIForm_Load();
            main.show();
            RecordScreen* products = recordScreen(u"Products"_s);
            QVERIFY(products);
            if (!shown.isEmpty()) {
                searchStock(products, u"AB7"_s);
                QCOMPARE(box(products, ProductBox::Inventory)->text(), u"4"_s);
            }

            main.entry(u"mnuDatafrmInventory"_s)->trigger();
            RecordScreen* inventory = recordScreen(u"frmInventory"_s);
            QVERIFY(inventory);
            inventory->primaryRecordSet()->find(u"[Product Id] = 'AB7'"_s, 0,
                                                RecordSet::SearchDirection::Forward,
                                                RecordSet::FindStart::FirstRow);
            QCOMPARE(box(inventory, 0)->text(), u"AB7"_s);
            prompts.answerInput(u"1"_s);
            click(inventory, u"cmdSales"_s);
            RecordScreen* salesScreen = recordScreen(u"frmSales"_s);
            QVERIFY(salesScreen && inEditMode(salesScreen));
            type(salesScreen, 3, u"0"_s);
            type(salesScreen, 5, u"20"_s);
            if (!typedNo.isEmpty())
                type(salesScreen, 0, typedNo);
            if (!firstDate.isEmpty()) {
                const QString today = box(salesScreen, 2)->text();
                type(salesScreen, 2, firstDate);
                prompts.answerMessage(A::Ok);
                click(salesScreen, u"cmdUpdate"_s);
                QVERIFY(inEditMode(salesScreen));
                CatalogueDatabase meanwhile(folder.cataloguePath());
                QCOMPARE(counts(meanwhile, u"AB7"_s), u"4/0"_s);
                type(salesScreen, 2, today);
            }
            if (!notice.isEmpty())
                prompts.answerMessage(A::Ok);
            click(salesScreen, ending);
            QVERIFY(!inEditMode(salesScreen));
            QCOMPARE(prompts.shownTexts().contains(notice), !notice.isEmpty());
            // The Products screen on show follows the write at once, without being activated.
            if (!shown.isEmpty())
                QCOMPARE(box(products, ProductBox::Inventory)->text() + u'/' +
                             box(products, ProductBox::NoSold)->text(),
                         shown);

            main.entry(u"mnuFileExit"_s)->trigger();
            QCOMPARE(exits, 1);
            ChildWindows::unloadAll();
        }
        QCOMPARE(prompts.unanswered(), 0);
        CatalogueDatabase db(folder.cataloguePath());
        QCOMPARE(counts(db, u"AB7"_s), ab7);
        QCOMPARE(counts(db, u"CND-315"_s), u"4/2"_s);
        QCOMPARE(counts(db, u"AB7-OLD"_s), before.isEmpty() ? u"-"_s : u"4/0"_s);
        QCOMPARE(stockOnHand(db, u"AB7"_s), stock);
        QCOMPARE(salesRows(db), sales);
        resumeWaits();
        m_shell = ShellState{};
    }
};

QTEST_MAIN(SavedSaleTest)
#include "tst_savedsale.moc"
