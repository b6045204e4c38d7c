// Receiving order lines into stock, the product changes of ordering and selling, the supplier
// terms and the re-order list.
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/CatalogueOrdering.h"
#include "core/orders/Receiving.h"
#include "core/orders/ReorderList.h"
#include "core/orders/StockSaleProduct.h"
#include "core/orders/StoredRows.h"
#include "core/text/NumberFormat.h"
#include "core/text/ValueText.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestCatalogue.h"

#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

const QDate Received(2003, 3, 12);

struct Product {
    QString stockNo;
    double inventory;
    double onOrder;
    bool stockRow; // has a row in table Inventory, with 5 on hand
};

} // namespace

class ReceivingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestCatalogue> m_catalogue;

    CatalogueDatabase& db() { return m_catalogue->db(); }

    // Inserts a row: the first columns named, given values in the same order.
    qint64 insert(const QString& table, const QStringList& columns, const QVariantList& values) {
        StoredRows::Changes changes;
        for (qsizetype i = 0; i < values.size(); ++i)
            changes.append({columns.value(i), values[i]});
        return StoredRows::insert(db(), table, changes);
    }

    void addProduct(const Product& p) {
        insert(u"Products"_s,
               {u"StockNo"_s, u"ProdName"_s, u"Supplier"_s, u"Inventory"_s, u"OnOrder"_s,
                u"Retail"_s, u"Notes"_s},
               {p.stockNo, u"Item "_s + p.stockNo, u"Brightwater Giftworks"_s, p.inventory,
                p.onOrder, 9.99, u"01/06/03 - Added This Item\r\n"_s});
        if (p.stockRow)
            insert(u"Inventory"_s, {u"Product Id"_s, u"Number"_s}, {p.stockNo, 5});
    }

    // A line of 3 at $100 gross with shipping 10, fees 6 and discount 4: net cost each $37.33.
    qint64 addLine(const QString& orderId, const QString& stockNo, double quantity = 3) {
        return insert(u"Orders"_s,
                      {u"Order ID"_s, u"ProductOrderID"_s, u"Description"_s, u"NumberOrdered"_s,
                       u"WtPrice"_s, u"Cost"_s, u"Shipping"_s, u"Fees"_s, u"Discount"_s,
                       u"Date Ordered"_s},
                      {orderId, stockNo, u"Item "_s + stockNo, quantity, 33.3333, 100, 10, 6, 4,
                       QDate(2003, 3, 3)});
    }

    QVariant product(const QString& stockNo, const QString& column) {
        return StoredRows::firstWhere(db(), u"Products"_s, {column}, u"StockNo"_s, stockNo)
            ->value(column);
    }
    std::optional<StoredRows::Row> stock(const QString& stockNo) {
        return StoredRows::firstWhere(
            db(), u"Inventory"_s,
            {u"Number"_s, u"Description"_s, u"Wholesale"_s, u"Retail"_s, u"Date In"_s, u"Cost"_s},
            u"Product Id"_s, stockNo);
    }
    // Everything receiving may touch, as one text, to show that nothing changed.
    QString snapshot() {
        QString all;
        for (const auto& [table, columns] : QList<QPair<QString, QStringList>>{
                 {u"Products"_s, {u"StockNo"_s, u"Inventory"_s, u"OnOrder"_s, u"Notes"_s}},
                 {u"Inventory"_s, {u"Product Id"_s, u"Number"_s}},
                 {u"Orders"_s, {u"ProductOrderID"_s, u"Date Received"_s}}})
            for (const StoredRows::Row& row : StoredRows::allRows(db(), table, columns))
                for (const QString& c : columns)
                    all += TextRules::toText(row.value(c)) + u'|';
        return all;
    }

private slots:
    void init() { m_catalogue = std::make_unique<test::TestCatalogue>(); }
    void cleanup() { m_catalogue.reset(); }

    // Three lines, one product without a stock row: two stock rows grow, one is made from the
    // line and the product; every product moves 3 from On Order into Inventory with a note. A
    // product that had fewer on order than arrived has none on order left, not fewer than none.
    void receiveAllMakesTheMissingStockRow() {
        for (const Product& p : {Product{u"AB7"_s, 4, 3, true}, Product{u"CND-315"_s, 0, 1, true},
                                 Product{u"MUG-401"_s, 1, 5, false}})
            addProduct(p);
        for (const QString& s : {u"MUG-401"_s, u"AB7"_s, u"CND-315"_s})
            addLine(u"1002"_s, s);
        addLine(u"1003"_s, u"AB7"_s); // another order: not received

        const Receiving::OrderResult result = Receiving::receiveOrder(db(), u"1002"_s, Received);
        QCOMPARE(result.received, 3);
        QCOMPARE(result.skipped, 0);
        QVERIFY(result.failures.isEmpty());
        QCOMPARE(stock(u"AB7"_s)->value(u"Number"_s).toDouble(), 8.0);
        QCOMPARE(stock(u"CND-315"_s)->value(u"Number"_s).toDouble(), 8.0);
        const StoredRows::Row made = *stock(u"MUG-401"_s);
        QCOMPARE(made.value(u"Number"_s).toDouble(), 3.0);
        QCOMPARE(made.value(u"Description"_s).toString(), u"Item MUG-401"_s);
        QCOMPARE(made.value(u"Wholesale"_s).toDouble(), 33.3333);
        QCOMPARE(made.value(u"Retail"_s).toDouble(), 9.99);
        QCOMPARE(made.value(u"Date In"_s).toDate(), Received);
        QCOMPARE(made.value(u"Cost"_s).toDouble(), 37.33);
        QCOMPARE(product(u"MUG-401"_s, u"Inventory"_s).toDouble(), 4.0);
        QCOMPARE(product(u"MUG-401"_s, u"OnOrder"_s).toDouble(), 2.0);
        QCOMPARE(product(u"CND-315"_s, u"Inventory"_s).toDouble(), 3.0);
        QCOMPARE(product(u"CND-315"_s, u"OnOrder"_s).toDouble(), 0.0);
        QCOMPARE(product(u"AB7"_s, u"Notes"_s).toString(),
                 u"01/06/03 - Added This Item\r\n03/12/03 - Received Item\r\n"_s);
        QCOMPARE(StoredRows::allRows(db(), u"Orders"_s, {u"Date Received"_s})
                     .last()
                     .value(u"Date Received"_s),
                 QVariant());
    }

    // A stock row made from a line costs the line's net cost each, kept to the cent as the
    // orders screen shows it, however many digits the amounts have.
    void madeStockRowCostKeepsEveryDigit() {
        addProduct({u"MUG-401"_s, 0, 0, false});
        insert(u"Orders"_s, {u"Order ID"_s, u"ProductOrderID"_s, u"NumberOrdered"_s, u"Cost"_s},
               {u"1002"_s, u"MUG-401"_s, 1, u"12345678901234.5678"_s});
        QCOMPARE(Receiving::receiveOrder(db(), u"1002"_s, Received).received, 1);
        QCOMPARE(TextRules::toText(stock(u"MUG-401"_s)->value(u"Cost"_s)), u"12345678901234.57"_s);
    }

    // A line that fails leaves the product, the stock row and the line as they were, and the
    // other lines are still received.
    void failingLineChangesNothingOfIt_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("badDate");
        QTest::newRow("order line refused") << u"UPDATE OF \"Date Received\" ON Orders"_s << false;
        QTest::newRow("stock row refused") << u"INSERT ON Inventory"_s << false;
        QTest::newRow("no date") << QString() << true;
    }
    void failingLineChangesNothingOfIt() {
        QFETCH(QString, refusal);
        QFETCH(bool, badDate);
        addProduct({u"AB7"_s, 4, 3, true});
        addProduct({u"MUG-401"_s, 1, 5, false});
        addLine(u"1002"_s, u"MUG-401"_s);
        const QString before = snapshot();
        if (!refusal.isEmpty())
            test::addRefusingTrigger(db(), refusal, u"refused"_s);
        const Receiving::OrderResult result =
            Receiving::receiveOrder(db(), u"1002"_s, badDate ? QDate() : Received);
        QCOMPARE(result.received, 0);
        QCOMPARE(result.failures.size(), 1);
        QVERIFY(result.failures.first().startsWith(u"MUG-401: "_s));
        QCOMPARE(snapshot(), before);
        QVERIFY(Receiving::summary(u"1002"_s, result).contains(u"nothing of these lines"_s));
    }

    // Only a receipt makes a line received: a Date Received typed and saved by hand does not.
    // In a catalogue from before receipts were listed, a filled date is taken as a receipt.
    void onlyAReceiptCounts_data() {
        QTest::addColumn<bool>("olderLayout");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<int>("received");
        QTest::newRow("dated and saved by hand") << false << true << 1;
        QTest::newRow("not dated") << false << false << 1;
        QTest::newRow("dated before the upgrade") << true << true << 0;
        QTest::newRow("not dated before the upgrade") << true << false << 1;
    }
    void onlyAReceiptCounts() {
        QFETCH(bool, olderLayout);
        QFETCH(bool, dated);
        QFETCH(int, received);
        if (olderLayout && test::onServer())
            QSKIP("a catalogue on a server is never brought up to date in place");
        addProduct({u"AB7"_s, 4, 3, true});
        const qint64 line = addLine(u"1002"_s, u"AB7"_s);
        if (dated)
            StoredRows::update(db(), u"Orders"_s, line, {{u"Date Received"_s, QDate(2003, 3, 10)}});
        if (olderLayout) {
            db().run(u"DROP TRIGGER \"Orders leave ReceivedLines\""_s);
            db().run(u"DROP TABLE ReceivedLines"_s);
            db().run(u"UPDATE SchemaVersion SET Version = 2"_s);
            m_catalogue->reopen();
        }
        const Receiving::OrderResult first = Receiving::receiveOrder(db(), u"1002"_s, Received);
        QCOMPARE(first.received, received);
        QCOMPARE(first.skipped, 1 - received);
        QCOMPARE(stock(u"AB7"_s)->value(u"Number"_s).toDouble(), 5.0 + 3 * received);
        // Receiving the order again changes nothing and says how many lines it skipped.
        const QString after = snapshot();
        const Receiving::OrderResult again = Receiving::receiveOrder(db(), u"1002"_s, Received);
        QCOMPARE(again.received, 0);
        QCOMPARE(again.skipped, 1);
        QCOMPARE(snapshot(), after);
        QVERIFY(Receiving::summary(u"1002"_s, again).contains(u"Skipped 1 line"_s));
        QCOMPARE(Receiving::receiveLine(db(), line, Received).outcome,
                 Receiving::LineResult::Outcome::AlreadyReceived);
    }

    // A line whose stock number no product has: the stock is received and the user is told.
    void lineWithoutProduct() {
        const qint64 line = addLine(u"1002"_s, u"GONE-1"_s);
        const Receiving::LineResult result = Receiving::receiveLine(db(), line, Received);
        QCOMPARE(result.outcome, Receiving::LineResult::Outcome::Received);
        QVERIFY(result.productMissing);
        QCOMPARE(stock(u"GONE-1"_s)->value(u"Number"_s).toDouble(), 3.0);
        QVERIFY(Receiving::summary(result).contains(u"GONE-1"_s));
        QCOMPARE(Receiving::receiveLine(db(), line, Received).outcome,
                 Receiving::LineResult::Outcome::AlreadyReceived);
    }

    // Saving an ordered line raises On Order from 3 to 7 with a dated note; a sale whose row is
    // in the file already moves stock to the sold count in a transaction of its own; an unknown
    // stock number changes nothing.
    void productChanges() {
        addProduct({u"AB7"_s, 4, 3, true});
        const QString note = CatalogueOrdering::orderedNote(QDate(2003, 1, 31), 4, u"A100"_s);
        QCOMPARE(note, u"01/31/03 - Ordered 4 Items. Order Number: A100\r\n"_s);
        QVERIFY(CatalogueOrdering::recordOrdered(db(), u"AB7"_s, 4, note));
        QCOMPARE(product(u"AB7"_s, u"OnOrder"_s).toDouble(), 7.0);
        QVERIFY(product(u"AB7"_s, u"Notes"_s).toString().endsWith(note));
        QCOMPARE(StockSaleProduct::writeNow(db(), u"AB7"_s, 3), StockSaleProduct::Outcome::Taken);
        QCOMPARE(product(u"AB7"_s, u"Inventory"_s).toDouble(), 1.0);
        QCOMPARE(product(u"AB7"_s, u"NoSold"_s).toDouble(), 3.0);
        const QString before = snapshot();
        QVERIFY(!CatalogueOrdering::recordOrdered(db(), u"AB77"_s, 4, note));
        QCOMPARE(StockSaleProduct::writeNow(db(), u"NONE"_s, 1),
                 StockSaleProduct::Outcome::NoProduct);
        QCOMPARE(snapshot(), before);
    }

    // A sale of 3 AB7 (4 in stock, 2 sold) armed on the connection while the sale's row is
    // written in `commits` transactions (0: one rolled back): the product's counts go with the
    // first commit, all or nothing, and only with it.
    void saleCountsGoWithTheSaleRow_data() {
        QTest::addColumn<QString>("soldNo");
        QTest::addColumn<int>("commits");
        QTest::addColumn<QString>("refusal"); // a write the catalogue refuses, if any
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("counts"); // AB7's Inventory/NoSold afterwards
        QTest::addColumn<int>("saleRows");
        using O = StockSaleProduct::Outcome;
        QTest::newRow("committed") << u"AB7"_s << 1 << QString() << int(O::Taken) << u"1/5"_s << 1;
        QTest::newRow("rolled back")
            << u"AB7"_s << 0 << QString() << int(O::NotWritten) << u"4/2"_s << 0;
        QTest::newRow("a later transaction is no part of the sale")
            << u"AB7"_s << 2 << QString() << int(O::Taken) << u"1/5"_s << 2;
        QTest::newRow("no product has the stock number")
            << u"NONE"_s << 1 << QString() << int(O::NoProduct) << u"4/2"_s << 1;
        QTest::newRow("the product refuses the counts")
            << u"AB7"_s << 1 << u"UPDATE OF NoSold ON Products"_s << int(O::NotWritten) << u"4/2"_s
            << 0;
        QTest::newRow("the sale's row is refused")
            << u"AB7"_s << 1 << u"INSERT ON Sales"_s << int(O::NotWritten) << u"4/2"_s << 0;
    }
    void saleCountsGoWithTheSaleRow() {
        QFETCH(QString, soldNo);
        QFETCH(int, commits);
        QFETCH(QString, refusal);
        QFETCH(int, outcome);
        QFETCH(QString, counts);
        QFETCH(int, saleRows);
        addProduct({u"AB7"_s, 4, 0, true});
        StoredRows::update(
            db(), u"Products"_s,
            StoredRows::firstWhere(db(), u"Products"_s, {u"StockNo"_s}, u"StockNo"_s, u"AB7"_s)
                ->rowId,
            {{u"NoSold"_s, 2}});
        if (!refusal.isEmpty())
            test::addRefusingTrigger(db(), refusal, u"refused"_s);
        bool raised = false;
        {
            StockSaleProduct sale(db(), soldNo, 3);
            for (int i = 0; i < qMax(commits, 1); ++i) {
                try {
                    ScopedTransaction transaction(db());
                    insert(u"Sales"_s, {u"Sales Product ID"_s, u"Number Sold"_s}, {soldNo, 3});
                    if (commits > 0)
                        transaction.commit();
                } catch (const RunTimeError&) {
                    raised = true;
                }
            }
            QCOMPARE(int(sale.outcome()), outcome);
        }
        QCOMPARE(raised, !refusal.isEmpty());
        // Gone, it leaves later transactions alone.
        {
            ScopedTransaction transaction(db());
            insert(u"Supplier"_s, {u"Name"_s}, {u"Kestrel Ridge Tool Supply"_s});
            transaction.commit();
        }
        QCOMPARE(TextRules::toText(product(u"AB7"_s, u"Inventory"_s)) + u'/' +
                     TextRules::toText(product(u"AB7"_s, u"NoSold"_s)),
                 counts);
        QCOMPARE(StoredRows::allRows(db(), u"Sales"_s, {u"Number Sold"_s}).size(), saleRows);
    }

    // The terms come from the supplier the product names, whatever else the table holds.
    void supplierTermsByName() {
        const QStringList columns{u"Name"_s, u"Discounts"_s, u"OtherChgs"_s, u"Ship2"_s,
                                  u"TaxRate"_s};
        insert(u"Supplier"_s, columns, {u"Kestrel Ridge Tool Supply"_s, u"3"_s});
        insert(u"Supplier"_s, columns,
               {u"Brightwater Giftworks"_s, u"10"_s, u"1.50"_s, u"5"_s, 0.07});
        const auto terms = CatalogueOrdering::supplierTerms(db(), u" brightwater giftworks "_s);
        QVERIFY(terms);
        QCOMPARE(terms->discountPercent, 10.0);
        QCOMPARE(terms->fees, u"1.50"_s);
        QCOMPARE(terms->shipPercent[1], 5.0);
        QCOMPARE(terms->taxRate, 0.07);
        QVERIFY(!CatalogueOrdering::supplierTerms(db(), u"Pennybrook Lamp & Garden Co."_s));
        QVERIFY(!CatalogueOrdering::supplierTerms(db(), QString()));
    }

    void reorderList() {
        struct P {
            QString stockNo, supplier;
            double inventory, onOrder, reOrder, minOrdW;
            bool orderable, disco;
        };
        const QList<P> products{
            {u"A1"_s, u"Zed Co"_s, 2, 0, 3, 6, true, false},  // below: at least MinOrdW
            {u"A2"_s, u"Zed Co"_s, 0, 0, 10, 1, true, false}, // below: up to one over ReOrder
            {u"B1"_s, u"acme"_s, 3, 0, 3, 0, true, false},    // at the level
            {u"B2"_s, u"acme"_s, 1, 5, 3, 0, true, false},    // covered by goods on order
            {u"B3"_s, u"acme"_s, 0, 0, 3, 0, false, false},   // not orderable
            {u"B4"_s, u"acme"_s, 0, 0, 3, 0, true, true},     // discontinued
            {u"B5"_s, u"acme"_s, 9, 0, 3, 0, true, false},    // enough in stock
            {u"B6"_s, u"acme"_s, 0, 0, 0, 0, true, false},    // no re-order level
        };
        for (const P& p : products)
            insert(u"Products"_s,
                   {u"StockNo"_s, u"Supplier"_s, u"Inventory"_s, u"OnOrder"_s, u"ReOrder"_s,
                    u"MinOrdW"_s, u"Orderable"_s, u"Disco"_s},
                   {p.stockNo, p.supplier, p.inventory, p.onOrder, p.reOrder, p.minOrdW,
                    p.orderable, p.disco});
        QStringList got;
        for (const ReorderList::SupplierGroup& group : ReorderList::build(db()))
            for (const ReorderList::Item& item : group.items)
                got << group.supplier + u' ' + item.stockNo + u' ' +
                           TextRules::plainDecimal(item.quantity);
        QCOMPARE(got, (QStringList{u"acme B1 1"_s, u"Zed Co A1 6"_s, u"Zed Co A2 11"_s}));
    }

    // A quantity the order prompt would refuse is said on its line, in the list and as text.
    void reorderQuantityBeyondOneLine_data() {
        QTest::addColumn<double>("reOrder");
        QTest::addColumn<double>("minOrdW");
        QTest::addColumn<bool>("told");
        QTest::newRow("the largest a line takes") << 32766.0 << 0.0 << false;
        QTest::newRow("one more") << 32767.0 << 0.0 << true;
        QTest::newRow("50 000 short") << 49999.0 << 0.0 << true;
        QTest::newRow("minimum order beyond") << 3.0 << 40000.0 << true;
    }
    void reorderQuantityBeyondOneLine() {
        QFETCH(double, reOrder);
        QFETCH(double, minOrdW);
        QFETCH(bool, told);
        insert(u"Products"_s,
               {u"StockNo"_s, u"Supplier"_s, u"Inventory"_s, u"ReOrder"_s, u"MinOrdW"_s,
                u"Orderable"_s},
               {u"BULK-1"_s, u"acme"_s, 0, reOrder, minOrdW, true});
        const QList<ReorderList::SupplierGroup> groups = ReorderList::build(db());
        QCOMPARE(groups.size(), 1);
        const ReorderList::Item item = groups.first().items.value(0);
        QCOMPARE(item.quantity, std::max(reOrder + 1, minOrdW));
        const QString note = ReorderList::limitNote(item);
        QCOMPARE(!note.isEmpty(), told);
        if (told) {
            QCOMPARE(note, u"More than the 32767 one order line takes: order it over several "
                           u"lines."_s);
            QVERIFY(ReorderList::asText(groups).contains(u"\n    "_s + note + u'\n'));
        }
    }
};

QTEST_GUILESS_MAIN(ReceivingTest)
#include "tst_receiving.moc"
