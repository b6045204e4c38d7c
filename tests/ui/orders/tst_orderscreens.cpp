// The orders, invoice, inventory and sales screens, and ordering from the Products screen,
// driven through their controls on the demo catalogue.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/Receiving.h"
#include "core/orders/StoredRows.h"
#include "core/text/DateText.h"
#include "core/text/ValueText.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmOrders.h"
#include "ui/products/Products.h"
#include "ui/products/ReorderDialog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;
using A = MessageAnswer;

QString today(const QString& pattern = u"MM/DD/YYYY"_s) {
    return TextRules::formatDate(QDate::currentDate(), pattern);
}

QVariant value(const QString& table, const QString& column, const QString& keyColumn,
               const QString& key) {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    const auto row = StoredRows::firstWhere(db, table, {column}, keyColumn, key);
    return row ? row->value(column) : QVariant(u"(no row)"_s);
}

// Everything ordering, receiving and selling may change, as one text.
QString snapshot() {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    QString all;
    for (const auto& [table, columns] : QList<QPair<QString, QStringList>>{
             {u"Products"_s, {u"Inventory"_s, u"OnOrder"_s, u"NoSold"_s, u"Notes"_s}},
             {u"Inventory"_s, {u"Product Id"_s, u"Number"_s}},
             {u"Orders"_s, {u"Order ID"_s, u"Date Received"_s}},
             {u"Invoice"_s, {u"Order ID"_s}},
             {u"Sales"_s, {u"Sales Product ID"_s}}})
        for (const StoredRows::Row& row : StoredRows::allRows(db, table, columns))
            for (const QString& c : columns)
                all += TextRules::toText(row.value(c)) + u'|';
    return all;
}

QWidget* screen(const QString& name) {
    return ChildWindows::find(name);
}

// Presses a button of the orders screen each time the catalogue waits there for the user's
// decision on a line it filled, `lines` times; a `quantity` given is typed into "# Ordered:"
// first.
std::unique_ptr<QTimer> whenLineWaits(const OrderSession& order, const QString& button,
                                      int lines = 1, const QString& quantity = QString()) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QObject::connect(timer.get(), &QTimer::timeout,
                     [t = timer.get(), &order, button, lines, quantity]() mutable {
                         QWidget* orders = screen(u"frmOrders"_s);
                         if (order.OrderEntryState != 2 || !orders || !inEditMode(orders))
                             return;
                         if (--lines == 0)
                             t->stop();
                         if (!quantity.isEmpty())
                             type(orders, 6, quantity);
                         click(orders, button);
                     });
    timer->start();
    return timer;
}

// The orders screen on a line not yet received: order 0999, two AB7 at $8.50.
QWidget* ordersOnNewLine() {
    {
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        StoredRows::insert(db, u"Orders"_s,
                           {{u"Order ID"_s, u"0999"_s},
                            {u"ProductOrderID"_s, u"AB7"_s},
                            {u"NumberOrdered"_s, 2},
                            {u"Cost"_s, 8.5}});
    }
    return ChildWindows::show(u"frmOrders"_s);
}

void activate(QWidget* widget) {
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(widget, &activation);
}

void goToRow(QWidget* recordScreen, const QString& condition) {
    RecordSet* rs = static_cast<RecordScreen*>(recordScreen)->primaryRecordSet();
    rs->find(condition, 0, RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
    QVERIFY(rs->hasCurrentRow());
}

} // namespace

class OrderScreensTest : public QObject {
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
        m_shell.order = OrderSession{};
        ChildWindows::unloadAll();
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    // The whole road: two products ordered from the catalogue, the invoice, receiving, a sale
    // from stock, and the Products screen's counts and notes; receiving again changes nothing.
    void roadTest() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));

        searchStock(products.get(), u"AB12"_s);
        prompts.answerInput(u"R-500"_s).answerInput(u"2"_s).answerInput(u"2"_s);
        auto update = whenLineWaits(m_shell.order, u"cmdUpdate"_s);
        click(products.get(), u"Command1"_s);
        QCOMPARE(box(products.get(), 13)->text(), u"2"_s);
        QVERIFY(control<QPushButton>(products.get(), u"Command2"_s)->isVisible());
        const QStringList rowChanges{u"cmdAdd"_s, u"cmdEdit"_s, u"cmdDelete"_s, u"cmdEditRec"_s,
                                     u"cmdDAll"_s};
        for (const QString& name : rowChanges)
            QVERIFY2(control<QPushButton>(products.get(), name)->isHidden(), qPrintable(name));

        searchStock(products.get(), u"AB15"_s);
        prompts.answerInput(u"3"_s).answerInput(u"$7.50"_s); // no order number asked again
        update = whenLineWaits(m_shell.order, u"cmdUpdate"_s);
        click(products.get(), u"Command1"_s);
        QCOMPARE(value(u"Orders"_s, u"Shipping"_s, u"ProductOrderID"_s, u"AB15"_s).toDouble(), 7.5);

        click(products.get(), u"Command2"_s); // Order Done
        for (const QString& name : rowChanges)
            QVERIFY2(!control<QPushButton>(products.get(), name)->isHidden(), qPrintable(name));
        QWidget* invoice = screen(u"frmInvoice"_s);
        QVERIFY(invoice && inEditMode(invoice));
        QCOMPARE(box(invoice, 0)->text(), u"R-500"_s);
        click(invoice, u"cmdUpdate"_s);
        for (const auto& [column, amount] :
             QList<QPair<QString, double>>{{u"Total Order"_s, 69.1},
                                           {u"Discount"_s, 3.455},
                                           {u"Sub Total"_s, 65.645},
                                           {u"Sub Total2"_s, 3},
                                           {u"Shipping"_s, 8.86},
                                           {u"Tax"_s, 4.6},
                                           {u"Grand Total"_s, 82.105}})
            QCOMPARE(value(u"Invoice"_s, column, u"Order ID"_s, u"R-500"_s).toDouble(), amount);

        click(invoice, u"Command1"_s); // View Items
        QWidget* orders = screen(u"frmOrders"_s);
        QCOMPARE(status(orders), u"Record: 1  of  2"_s);
        prompts.answerMessage(A::Yes).answerInput(u"03/20/2003"_s).answerMessage(A::Ok);
        click(orders, u"Command2"_s);
        QVERIFY(prompts.shownTexts().last().startsWith(u"Received 2 lines of order R-500."_s));

        searchStock(products.get(), u"AB12"_s);
        QCOMPARE(box(products.get(), 8)->text(), u"2"_s);
        QWidget* inventory = ChildWindows::show(u"frmInventory"_s);
        goToRow(inventory, u"[Product Id] = 'AB12'"_s);
        prompts.answerInput(u"1"_s);
        click(inventory, u"cmdSales"_s);
        QWidget* sales = screen(u"frmSales"_s);
        QVERIFY(sales && inEditMode(sales));
        type(sales, 5, u"20"_s);
        type(sales, 3, u"1"_s);
        click(sales, u"cmdUpdate"_s);

        // The open Products screen shows the sale at once, without being activated or moved.
        QCOMPARE(box(products.get(), 27)->text(), u"AB12"_s);
        QCOMPARE(box(products.get(), 8)->text(), u"1"_s);  // Inventory: 2 received, 1 sold
        QCOMPARE(box(products.get(), 13)->text(), u"0"_s); // OnOrder
        QCOMPARE(box(products.get(), 11)->text(), u"1"_s); // NoSold
        QCOMPARE(value(u"Products"_s, u"Notes"_s, u"StockNo"_s, u"AB12"_s).toString(),
                 u"01/06/03 - Added This Item\r\n"_s + today(u"MM/DD/YY"_s) +
                     u" - Ordered 2 Items. Order Number: R-500\r\n03/20/03 - Received Item\r\n"_s);
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB15"_s), QVariant(3.0));

        const QString before = snapshot();
        prompts.answerMessage(A::Yes).answerInput(u"03/21/2003"_s).answerMessage(A::Ok);
        click(orders, u"Command2"_s);
        QVERIFY(prompts.shownTexts().last().contains(u"Skipped 2 lines already received"_s));
        QCOMPARE(snapshot(), before);
        QCOMPARE(prompts.unanswered(), 0);
    }

    // An order number already used is refused by the orders screen and asked again; giving up
    // leaves no order open and nothing written.
    void usedOrderNumberIsAskedAgain() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        const QString before = snapshot();
        prompts.answerInput(u"1001"_s).answerInput(u"1"_s).answerInput(u"1"_s);
        prompts.answerMessage(A::Ok).answerInput(QString());
        click(products.get(), u"Command1"_s);
        QCOMPARE(prompts.shownTexts().at(3),
                 u"That Order Number Already Exists, Please Choose A Different One!"_s);
        QCOMPARE(prompts.shownTexts().at(4), u"Enter The Order Number/ID Below"_s);
        QVERIFY(control<QPushButton>(products.get(), u"Command2"_s)->isHidden());
        QTRY_VERIFY(!screen(u"frmOrders"_s)); // closed itself
        QVERIFY(m_shell.order.CurrentKey.isEmpty());
        QCOMPARE(snapshot(), before);
    }

    // A line cancelled on the orders screen changes neither the product nor the totals.
    void cancelledLineCountsNowhere() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        const QString before = snapshot();
        prompts.answerInput(u"C-1"_s).answerInput(u"4"_s).answerInput(u"12"_s);
        auto cancel = whenLineWaits(m_shell.order, u"cmdCancel"_s);
        click(products.get(), u"Command1"_s);
        QCOMPARE(snapshot(), before);
        QVERIFY(m_shell.order.OrderedItems[0].isEmpty());
        click(products.get(), u"Command2"_s); // Order Done: no line, no invoice
        QVERIFY(!inEditMode(screen(u"frmInvoice"_s)));
        QCOMPARE(snapshot(), before);
    }

    // A line changed on the orders screen before it is saved: On Order grows by the quantity
    // saved, while the notes keep the quantity ordered.
    void savedQuantityAndNotedQuantity_data() {
        QTest::addColumn<QString>("typed"); // into "# Ordered:" before Update; empty: as filled
        QTest::addColumn<double>("onOrderGrowth");
        QTest::newRow("saved as ordered") << QString() << 2.0;
        QTest::newRow("raised to 5") << u"5"_s << 5.0;
        QTest::newRow("lowered to 1") << u"1"_s << 1.0;
    }
    void savedQuantityAndNotedQuantity() {
        QFETCH(QString, typed);
        QFETCH(double, onOrderGrowth);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        const double onOrder =
            value(u"Products"_s, u"OnOrder"_s, u"StockNo"_s, u"AB12"_s).toDouble();
        searchStock(products.get(), u"AB12"_s);
        prompts.answerInput(u"N-1"_s).answerInput(u"2"_s).answerInput(u"1"_s);
        auto update = whenLineWaits(m_shell.order, u"cmdUpdate"_s, 1, typed);
        click(products.get(), u"Command1"_s);
        QCOMPARE(value(u"Products"_s, u"OnOrder"_s, u"StockNo"_s, u"AB12"_s).toDouble(),
                 onOrder + onOrderGrowth);
        QCOMPARE(value(u"Orders"_s, u"NumberOrdered"_s, u"Order ID"_s, u"N-1"_s).toDouble(),
                 onOrderGrowth);
        const QString notes = value(u"Products"_s, u"Notes"_s, u"StockNo"_s, u"AB12"_s).toString();
        QVERIFY2(
            notes.endsWith(today(u"MM/DD/YY"_s) + u" - Ordered 2 Items. Order Number: N-1\r\n"_s),
            qPrintable(notes));
    }

    // A product whose supplier is not in the supplier table is not ordered on other terms.
    void unknownSupplierIsTold() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        dbRun(u"UPDATE Products SET Supplier = 'Gone Ltd' WHERE StockNo = 'AB12'"_s);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        searchStock(products.get(), u"AB12"_s);
        prompts.answerMessage(A::Ok);
        click(products.get(), u"Command1"_s);
        QVERIFY(prompts.shownTexts().first().startsWith(u"The supplier \"Gone Ltd\""_s));
        QVERIFY(!screen(u"frmOrders"_s));
    }

    // The re-order list orders the chosen supplier's items one line each, starting each
    // quantity at the one the list suggests.
    void reorderListOrdersOneSupplier() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<ReorderDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* list = control<QTreeWidget>(dialog, u"lstReorder"_s);
            const QList<QTreeWidgetItem*> found =
                list->findItems(u"Pennybrook Lamp & Garden Co."_s, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->setCurrentItem(found.first()->child(0));
            click(dialog, u"cmdOrderSupplier"_s);
        });
        prompts.answerInput(u"RO-1"_s).answerInput(u"1"_s).answerInput(u"1"_s);
        prompts.answerInput(u"3"_s).answerInput(u"1"_s);
        auto update = whenLineWaits(m_shell.order, u"cmdUpdate"_s, 2);
        click(products.get(), u"cmdReorder"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().at(1).defaultText, u"1"_s);
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        QStringList lines;
        for (const StoredRows::Row& row :
             StoredRows::rowsWhere(db, u"Orders"_s, {u"ProductOrderID"_s, u"NumberOrdered"_s},
                                   u"Order ID"_s, u"RO-1"_s))
            lines << row.value(u"ProductOrderID"_s).toString() + u' ' +
                         TextRules::toText(row.value(u"NumberOrdered"_s));
        QCOMPARE(lines, (QStringList{u"GD-605 1"_s, u"LMP-1001 3"_s}));
        QCOMPARE(value(u"Products"_s, u"OnOrder"_s, u"StockNo"_s, u"LMP-1001"_s), QVariant(3.0));
    }

    // Boxes 13 and 10, and the search by order number.
    void ordersScreenFiguresAndSearch() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        QWidget* orders = ChildWindows::show(u"frmOrders"_s);
        click(orders, u"cmdEdit"_s);
        for (const auto& [index, text] : QList<QPair<int, QString>>{
                 {2, u"100"_s}, {15, u"10"_s}, {14, u"6"_s}, {12, u"4"_s}, {6, u"3"_s}})
            type(orders, index, text);
        QCOMPARE(box(orders, 13)->text(), u"$112"_s);
        QCOMPARE(box(orders, 10)->text(), u"$37.33"_s);
        type(orders, 6, u"0"_s);
        QCOMPARE(box(orders, 13)->text(), u"$112"_s);
        click(orders, u"cmdCancel"_s);

        control<QLineEdit>(orders, u"txtSrch"_s)->setText(u"zz"_s);
        click(orders, u"cmdSearch"_s);
        QCOMPARE(status(orders), u"No Matches Found"_s);
        QCOMPARE(box(orders, 0)->text(), u"1001"_s);
    }

    // "No" switches to item by item; "R-Update" receives the current line with its typed date,
    // also one whose Date Received was saved with Update first, and only once; an unreadable
    // date receives nothing.
    void receivingItemByItem_data() {
        QTest::addColumn<bool>("datedWithUpdate");
        QTest::newRow("date typed") << false;
        QTest::newRow("date saved with Update first") << true;
    }
    void receivingItemByItem() {
        QFETCH(bool, datedWithUpdate);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        QWidget* orders = ordersOnNewLine();
        QCOMPARE(box(orders, 0)->text(), u"0999"_s);
        const QVariant received = QDate(2003, 3, 30);
        const double stock =
            value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB7"_s).toDouble();
        if (datedWithUpdate) {
            click(orders, u"cmdEdit"_s);
            type(orders, 4, u"03/30/2003"_s);
            click(orders, u"cmdUpdate"_s);
            QCOMPARE(value(u"Orders"_s, u"Date Received"_s, u"Order ID"_s, u"0999"_s), received);
        }
        prompts.answerMessage(A::No).answerMessage(A::Ok);
        click(orders, u"Command2"_s);
        QCOMPARE(control<QPushButton>(orders, u"Command2"_s)->text(), u"R-Update"_s);

        if (!datedWithUpdate) {
            const QString before = snapshot();
            type(orders, 4, u"31/02/2003"_s);
            prompts.answerMessage(A::Ok);
            click(orders, u"Command2"_s);
            QVERIFY(prompts.shownTexts().last().startsWith(u"\"31/02/2003\" Is Not A Date"_s));
            QCOMPARE(snapshot(), before);
            type(orders, 4, u"03/30/2003"_s);
        }
        // Yes receives more items by hand, No goes back to receiving whole orders.
        prompts.answerMessage(datedWithUpdate ? A::Yes : A::No);
        click(orders, u"Command2"_s);
        QCOMPARE(prompts.shownTexts().last(), u"Manually Receive More Items?"_s);
        QCOMPARE(control<QPushButton>(orders, u"Command2"_s)->text(),
                 datedWithUpdate ? u"R-Update"_s : u"Receive"_s);
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB7"_s).toDouble(),
                 stock + 2);
        QCOMPARE(value(u"Orders"_s, u"Date Received"_s, u"Order ID"_s, u"0999"_s), received);
        if (datedWithUpdate) {
            prompts.answerMessage(A::Ok).answerMessage(A::No);
            click(orders, u"Command2"_s);
            QVERIFY(prompts.shownTexts()
                        .at(prompts.shownTexts().size() - 2)
                        .contains(u"was received before"_s));
            QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB7"_s).toDouble(),
                     stock + 2);
        }
        QCOMPARE(prompts.unanswered(), 0);
    }

    // Receiving and selling on another connection (another screen, the command line) show at
    // once in the open screen's boxes, without the screen reading its row again.
    void writesElsewhereShowAtOnce_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("shown");
        QTest::newRow("line received") << u"frmOrders"_s << 4 << u"03/30/2003"_s;
        QTest::newRow("stock sold") << u"frmInventory"_s << 5 << u"7"_s;
    }
    void writesElsewhereShowAtOnce() {
        QFETCH(QString, screen);
        QFETCH(int, boxIndex);
        QFETCH(QString, shown);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        QWidget* shownScreen =
            screen == u"frmOrders"_s ? ordersOnNewLine() : ChildWindows::show(u"frmInventory"_s);
        QVERIFY(shownScreen);
        if (screen == u"frmInventory"_s)
            goToRow(shownScreen, u"[Product Id] = 'AB30'"_s);
        QVERIFY(box(shownScreen, boxIndex)->text() != shown);
        {
            CatalogueDatabase elsewhere(TestProgramFolder::current().catalogue().path);
            if (screen == u"frmOrders"_s) {
                const auto line = StoredRows::firstWhere(elsewhere, u"Orders"_s, {u"Order ID"_s},
                                                         u"Order ID"_s, u"0999"_s);
                QVERIFY(line);
                QCOMPARE(Receiving::receiveLine(elsewhere, line->rowId, QDate(2003, 3, 30)).outcome,
                         Receiving::LineResult::Outcome::Received);
            } else {
                elsewhere.run(u"UPDATE Inventory SET Number = 7 WHERE [Product Id] = 'AB30'"_s);
            }
        }
        QCOMPARE(box(shownScreen, boxIndex)->text(), shown);
    }

    // The date for receiving the whole order is asked again until it reads as a date.
    void unreadableReceivingDateIsAskedAgain() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        QWidget* orders = ChildWindows::show(u"frmOrders"_s);
        const QString before = snapshot();
        prompts.answerMessage(A::Yes).answerInput(u"soon"_s).answerMessage(A::Ok);
        prompts.answerInput(QString());
        click(orders, u"Command2"_s);
        QCOMPARE(prompts.shownTexts().at(0), u"Receive ALL Items For This Invoice: 1001 ?"_s);
        QCOMPARE(prompts.shownTexts().at(3), u"Enter Date Received Below."_s);
        QCOMPARE(snapshot(), before);
    }

    // The screen closed by the user while the order is received (the program lets events run
    // between the writes and the re-read): the order is received whole and still told.
    void screenClosedWhileReceivingAll() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        QPointer<QWidget> orders = ChildWindows::show(u"frmOrders"_s);
        prompts.answerMessage(A::Yes).answerInput(u"03/20/2003"_s).answerMessage(A::Ok);
        QTimer::singleShot(0, orders, [orders] {
            QWidget* window = orders->window();
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->close();
        });
        click(orders, u"Command2"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(orders.isNull());
        QVERIFY(prompts.shownTexts().last().startsWith(u"Received "_s));
        QCOMPARE(value(u"Orders"_s, u"Date Received"_s, u"Order ID"_s, u"1001"_s),
                 QVariant(QDate(2003, 3, 20)));
    }

    void sellingFromStock_data() {
        QTest::addColumn<QString>("onHand");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("left");
        QTest::newRow("10 sell 4") << u"10"_s << QStringList{u"4"_s} << QString() << u"6"_s;
        QTest::newRow("3 sell 7")
            << u"3"_s << QStringList{u"7"_s}
            << u"7 - Is Not A valid Number... You Only Show 3 Items In Your Inventory"_s << u"3"_s;
        QTest::newRow("a word, then cancelled") << u"3"_s << QStringList{u"some"_s, QString()}
                                                << u"You Must Enter A Number!"_s << u"3"_s;
    }
    void sellingFromStock() {
        QFETCH(QString, onHand);
        QFETCH(QStringList, answers);
        QFETCH(QString, message);
        QFETCH(QString, left);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        // The stock changes after the screen showed it (as receiving does): the sale starts
        // from the catalogue's quantity.
        m_shell.order.CurrentKey = u"OPEN-1"_s; // an order open meanwhile keeps its number
        QWidget* inventory = ChildWindows::show(u"frmInventory"_s);
        dbRun(u"UPDATE Inventory SET Number = ?, Cost = 25000 WHERE [Product Id] = 'AB30'"_s,
              {onHand.toInt()});
        for (const QString& answer : answers) {
            prompts.answerInput(answer);
            if (answer == answers.first() && !message.isEmpty())
                prompts.answerMessage(A::Ok);
        }
        click(inventory, u"cmdSales"_s);
        QCOMPARE(prompts.shown().first().defaultText, onHand);
        QCOMPARE(box(inventory, 5)->text(), left);
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB30"_s).toString(), left);
        QCOMPARE(prompts.shownTexts().contains(message), !message.isEmpty());
        QWidget* sales = screen(u"frmSales"_s);
        QCOMPARE(bool(sales), message.isEmpty());
        if (!sales)
            return;
        // 4 at $2.50 each: the sale's row, and a net profit of 12 after 25 sold, 3 expenses.
        QCOMPARE(box(sales, 0)->text(), u"AB30"_s);
        QCOMPARE(box(sales, 4)->text(), u"4"_s);
        QCOMPARE(box(sales, 2)->text(), today());
        QCOMPARE(box(sales, 1)->text(), u"$10.00"_s);
        QCOMPARE(box(sales, 7)->text(), QString()); // not the profit of the first sale on file
        type(sales, 5, u"25"_s);
        type(sales, 3, u"3"_s);
        QCOMPARE(box(sales, 7)->text(), u"$12"_s);
        // Cancelled, nothing is sold: the items go back on the stock row, the product keeps its
        // stock, and coming back to the screen starts no sale.
        const QVariant productStock = value(u"Products"_s, u"Inventory"_s, u"StockNo"_s, u"AB30"_s);
        click(sales, u"cmdCancel"_s);
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB30"_s), QVariant(10.0));
        QCOMPARE(value(u"Products"_s, u"Inventory"_s, u"StockNo"_s, u"AB30"_s), productStock);
        activate(sales);
        QVERIFY(!inEditMode(sales));
        // Sold again and saved: the product gives up the 4 with the saved row.
        prompts.answerInput(u"4"_s);
        click(inventory, u"cmdSales"_s);
        activate(sales); // no second row while the first is open
        QCOMPARE(box(sales, 4)->text(), u"4"_s);
        click(sales, u"cmdUpdate"_s);
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB30"_s), QVariant(6.0));
        QCOMPARE(value(u"Products"_s, u"Inventory"_s, u"StockNo"_s, u"AB30"_s).toDouble(),
                 productStock.toDouble() - 4);
        QCOMPARE(m_shell.order.CurrentKey, u"OPEN-1"_s);
        QVERIFY(!m_shell.order.SaleFromInventory);
    }

    // The invoice of an order finished while the user types a row of their own waits for that
    // row to be saved or dropped, and then opens with the order's totals.
    void finishedOrderLeavesTypedInvoiceAlone_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("invoices");
        QTest::newRow("typed row saved")
            << u"cmdUpdate"_s << QStringList{u"1001"_s, u"C-1"_s, u"MINE"_s};
        QTest::newRow("typed row dropped") << u"cmdCancel"_s << QStringList{u"1001"_s, u"C-1"_s};
    }
    void finishedOrderLeavesTypedInvoiceAlone() {
        QFETCH(QString, button);
        QFETCH(QStringList, invoices);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        prompts.answerInput(u"C-1"_s).answerInput(u"4"_s).answerInput(u"1"_s);
        auto update = whenLineWaits(m_shell.order, u"cmdUpdate"_s);
        click(products.get(), u"Command1"_s);

        QWidget* invoice = ChildWindows::show(u"frmInvoice"_s);
        click(invoice, u"cmdAdd"_s);
        type(invoice, 0, u"MINE"_s);
        type(invoice, 7, u"12"_s);
        click(products.get(), u"Command2"_s); // Order Done
        QCOMPARE(box(invoice, 0)->text(), u"MINE"_s);
        QCOMPARE(box(invoice, 7)->text(), u"12"_s);

        click(invoice, button);
        QVERIFY(inEditMode(invoice));
        QCOMPARE(box(invoice, 0)->text(), u"C-1"_s);
        QVERIFY(box(invoice, 7)->text() != u"12"_s);
        click(invoice, u"cmdUpdate"_s);
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        QStringList stored;
        for (const StoredRows::Row& row : StoredRows::allRows(db, u"Invoice"_s, {u"Order ID"_s}))
            stored << row.value(u"Order ID"_s).toString();
        stored.sort();
        QCOMPARE(stored, invoices);
    }

    // One sale from stock at a time: a second one is refused while the first is open, and
    // however the first ends, the stock rows, the products and the sales rows agree.
    void oneSaleFromStockAtATime_data() {
        QTest::addColumn<QString>("firstEnds");
        QTest::addColumn<double>("ab30Left"); // on the stock row and the product alike
        QTest::addColumn<double>("ab30Sold");
        QTest::addColumn<QStringList>("salesRows");
        const QStringList before{u"CND-315"_s, u"LMP-1001"_s};
        QTest::newRow("saved") << u"cmdUpdate"_s << 2.0 << 1.0
                               << (before + QStringList{u"AB30"_s, u"AB7"_s});
        QTest::newRow("cancelled")
            << u"cmdCancel"_s << 3.0 << 0.0 << (before + QStringList{u"AB7"_s});
        QTest::newRow("closed and dropped")
            << u"close"_s << 3.0 << 0.0 << (before + QStringList{u"AB7"_s});
    }
    void oneSaleFromStockAtATime() {
        QFETCH(QString, firstEnds);
        QFETCH(double, ab30Left);
        QFETCH(double, ab30Sold);
        QFETCH(QStringList, salesRows);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto products = openScreen<Products>(fakeWebOptions(m_shell));
        QWidget* inventory = ChildWindows::show(u"frmInventory"_s);
        goToRow(inventory, u"[Product Id] = 'AB30'"_s);
        prompts.answerInput(u"1"_s);
        click(inventory, u"cmdSales"_s);
        QWidget* sales = screen(u"frmSales"_s);
        QVERIFY(sales && inEditMode(sales));

        goToRow(inventory, u"[Product Id] = 'AB7'"_s);
        prompts.answerMessage(A::Ok);
        click(inventory, u"cmdSales"_s);
        QVERIFY(prompts.shownTexts().last().startsWith(u"A sale of 1 of AB30 is still open"_s));
        QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, u"AB7"_s), QVariant(4.0));
        QCOMPARE(box(sales, 0)->text(), u"AB30"_s);
        QCOMPARE(box(sales, 4)->text(), u"1"_s);

        if (firstEnds == u"close"_s) {
            prompts.answerMessage(A::No);
            ChildWindows::unload(u"frmSales"_s);
            QTRY_VERIFY(!screen(u"frmSales"_s));
        } else {
            click(sales, firstEnds);
        }
        prompts.answerInput(u"2"_s);
        click(inventory, u"cmdSales"_s);
        sales = screen(u"frmSales"_s);
        QVERIFY(sales && inEditMode(sales));
        QCOMPARE(box(sales, 0)->text(), u"AB7"_s);
        click(sales, u"cmdUpdate"_s);

        const QList<std::tuple<QString, double, double>> expected{{u"AB30"_s, ab30Left, ab30Sold},
                                                                  {u"AB7"_s, 2.0, 2.0}};
        for (const auto& [stockNo, left, sold] : expected) {
            QCOMPARE(value(u"Inventory"_s, u"Number"_s, u"Product Id"_s, stockNo), QVariant(left));
            QCOMPARE(value(u"Products"_s, u"Inventory"_s, u"StockNo"_s, stockNo).toDouble(), left);
            QCOMPARE(value(u"Products"_s, u"NoSold"_s, u"StockNo"_s, stockNo).toDouble(), sold);
        }
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        QStringList stored;
        for (const StoredRows::Row& row :
             StoredRows::allRows(db, u"Sales"_s, {u"Sales Product ID"_s}))
            stored << row.value(u"Sales Product ID"_s).toString();
        QCOMPARE(stored, salesRows);
        QCOMPARE(prompts.unanswered(), 0);
    }
};

QTEST_MAIN(OrderScreensTest)
#include "tst_orderscreens.moc"
