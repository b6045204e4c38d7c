// The money of order lines and invoices, and the checks of a sale from stock.
#include "core/orders/OrderMath.h"
#include "core/orders/StockSale.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::OrderMath;

namespace {

SupplierTerms terms(double discount, const QString& fees, double ship2, double taxRate) {
    SupplierTerms t;
    t.discountPercent = discount;
    t.fees = fees;
    t.shipPercent = {8, ship2, 12, 15};
    t.taxRate = taxRate;
    return t;
}

QString optionalText(const std::optional<Money>& n) {
    return n ? moneyText(*n) : u"(unchanged)"_s;
}

} // namespace

class OrderMathTest : public QObject {
    Q_OBJECT

private slots:
    // Boxes 13 and 10 of an order line; a box that can't be worked out stays as it was. The
    // fee is charged once per line, not once per item.
    void netCosts_data() {
        QTest::addColumn<QStringList>("boxes"); // shipping, fees, number, cost, discount
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("each");
        QTest::newRow("100/10/6/4/3")
            << QStringList{u"10"_s, u"6"_s, u"3"_s, u"100"_s, u"4"_s} << u"$112"_s << u"$37.33"_s;
        QTest::newRow("4 x 12.50, 3 % off, fee 2, shipping 5.50")
            << QStringList{u"5.5"_s, u"2"_s, u"4"_s, u"50"_s, u"1.5"_s} << u"$56"_s << u"$14"_s;
        QTest::newRow("4 x 2.50 from the catalogue, supplier method 2")
            << QStringList{u"0.5"_s, u"1.5"_s, u"4"_s, u"10"_s, u"1"_s} << u"$11"_s << u"$2.75"_s;
        QTest::newRow("one item carries the whole fee")
            << QStringList{u"0"_s, u"2"_s, u"1"_s, u"12.5"_s, u"0"_s} << u"$14.5"_s << u"$14.5"_s;
        QTest::newRow("as the boxes show money")
            << QStringList{u"$10.00"_s, u"$6.00"_s, u"3"_s, u"$1,100.00"_s, u"$4.00"_s}
            << u"$1,112"_s << u"$370.67"_s;
        QTest::newRow("more digits than a double holds")
            << QStringList{u"0"_s, u"0"_s, u"1"_s, u"12345678901234.5678"_s, u"0"_s}
            << u"$12,345,678,901,234.57"_s << u"$12,345,678,901,234.57"_s;
        QTest::newRow("nothing ordered") << QStringList{u"10"_s, u"6"_s, u"0"_s, u"100"_s, u"4"_s}
                                         << u"(unchanged)"_s << u"(unchanged)"_s;
        QTest::newRow("number empty") << QStringList{u"10"_s, u"6"_s, u""_s, u"100"_s, u"4"_s}
                                      << u"(unchanged)"_s << u"(unchanged)"_s;
        QTest::newRow("word in fees") << QStringList{u"10"_s, u"six"_s, u"3"_s, u"100"_s, u"4"_s}
                                      << u"(unchanged)"_s << u"(unchanged)"_s;
    }
    void netCosts() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, line);
        QFETCH(QString, each);
        const auto lineCost = netLineCost(boxes[0], boxes[1], boxes[2], boxes[3], boxes[4]);
        QCOMPARE(optionalText(lineCost), line);
        if (lineCost)
            QCOMPARE(optionalText(netCostEach(moneyText(*lineCost), boxes[2])), each);
    }

    // One line of 4 at $2.50 from a supplier with 10 % discount, fees 1.5 and 5 % for method 2.
    void orderLine_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shipping");
        QTest::newRow("supplier method 2") << u"2"_s << u"0.5"_s;
        QTest::newRow("supplier method 4, the last") << u"4"_s << u"1.5"_s;
        QTest::newRow("set amount as typed") << u"$7.50"_s << u"$7.50"_s;
        QTest::newRow("12 percent") << u"12"_s << u"1.2"_s;
        QTest::newRow("a fraction is a percentage") << u"2.5"_s << u"0.25"_s;
        QTest::newRow("not a number") << u"fast"_s << u"(ends)"_s;
        QTest::newRow("nothing typed") << u""_s << u"(ends)"_s;
    }
    void orderLine() {
        QFETCH(QString, answer);
        QFETCH(QString, shipping);
        const auto choice = readShippingAnswer(answer);
        if (!choice) {
            QCOMPARE(u"(ends)"_s, shipping);
            return;
        }
        const LineCosts line =
            lineCosts(4, Money::fromStored(25000), terms(10, u"1.5"_s, 5, 0.07), *choice);
        QCOMPARE(line.grossCost.toText(), u"10"_s);
        QCOMPARE(line.discount.toText(), u"1"_s);
        QCOMPARE(line.fees, u"1.5"_s);
        QCOMPARE(line.shipping, shipping);
    }

    // The running totals of lines of 4, in invoice column order; a line of another order is
    // left out.
    void totals_data() {
        QTest::addColumn<QString>("costEach");
        QTest::addColumn<double>("taxRate");
        QTest::addColumn<QStringList>("orders"); // the order number of each line
        QTest::addColumn<QStringList>("expected");
        const QStringList one{u"A100"_s, u"1"_s,   u"11.63"_s, u"0.5"_s,
                              u"9"_s,    u"1.5"_s, u"$.63"_s,  u"10"_s};
        QTest::newRow("one line, 7 % tax")
            << u"2.5"_s << double(0.07f) << QStringList{u"A100"_s} << one;
        QTest::newRow("two lines under one number")
            << u"2.5"_s << double(0.07f) << QStringList{u"A100"_s, u"A100"_s}
            << QStringList{u"A100"_s, u"2"_s, u"23.26"_s, u"1"_s,
                           u"18"_s,   u"3"_s, u"$1.26"_s, u"20"_s};
        QTest::newRow("another order's line")
            << u"2.5"_s << double(0.07f) << QStringList{u"A100"_s, u"B200"_s} << one;
        QTest::newRow("no tax") << u"2.5"_s << 0.0 << QStringList{u"A100"_s}
                                << QStringList{u"A100"_s, u"1"_s,   u"11"_s, u"0.5"_s,
                                               u"9"_s,    u"1.5"_s, u"0"_s,  u"10"_s};
        QTest::newRow("more digits than a double holds")
            << u"1234567890123.4567"_s << 0.07 << QStringList{u"A100"_s}
            << QStringList{u"A100"_s,
                           u"493827156049.3827"_s,
                           u"5002469090781.7454"_s,
                           u"246913578024.6913"_s,
                           u"4444444404444.4441"_s,
                           u"1.5"_s,
                           u"$311,111,108,311.11"_s,
                           u"4938271560493.8268"_s};
    }
    void totals() {
        QFETCH(QString, costEach);
        QFETCH(double, taxRate);
        QFETCH(QStringList, orders);
        QFETCH(QStringList, expected);
        const LineCosts line =
            lineCosts(4, *Money::fromText(costEach), terms(10, u"1.5"_s, 5, taxRate),
                      *readShippingAnswer(u"2"_s));
        OrderTotals totals;
        for (const QString& order : orders)
            QCOMPARE(addLineToTotals(totals, order, line, taxRate), order == orders.first());
        QCOMPARE(QStringList(totals.begin(), totals.end()), expected);
    }

    void soldAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("onHand");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("quantity");
        using O = StockSale::SoldAnswer::Outcome;
        QTest::newRow("10 sell 4") << u"4"_s << u"10"_s << int(O::Sell) << 4;
        QTest::newRow("the whole quantity") << u"3"_s << u"3"_s << int(O::Sell) << 3;
        QTest::newRow("zero") << u"0"_s << u"3"_s << int(O::Sell) << 0;
        QTest::newRow("half to even") << u"2.5"_s << u"3"_s << int(O::Sell) << 2;
        QTest::newRow("3 sell 7") << u"7"_s << u"3"_s << int(O::NotOnHand) << 0;
        QTest::newRow("negative") << u"-1"_s << u"3"_s << int(O::NotOnHand) << 0;
        QTest::newRow("beyond a counter") << u"40000"_s << u"50000"_s << int(O::NotOnHand) << 0;
        QTest::newRow("a word") << u"four"_s << u"3"_s << int(O::NotANumber) << 0;
        QTest::newRow("cancelled") << u""_s << u"3"_s << int(O::Cancelled) << 0;
    }
    void soldAnswers() {
        QFETCH(QString, answer);
        QFETCH(QString, onHand);
        QFETCH(int, outcome);
        QFETCH(int, quantity);
        const StockSale::SoldAnswer checked = StockSale::checkSoldAnswer(answer, onHand);
        QCOMPARE(int(checked.outcome), outcome);
        QCOMPARE(int(checked.quantity), quantity);
        // Only more than is on hand is told; the other refusals end without a word.
        QCOMPARE(
            checked.message,
            checked.outcome == StockSale::SoldAnswer::Outcome::NotOnHand
                ? u"%1 - Is Not A valid Number... You Only Show %2 Items In Your Inventory"_s.arg(
                      answer, onHand)
                : QString());
        if (checked.outcome == StockSale::SoldAnswer::Outcome::Sell)
            QCOMPARE(checked.onHandAfter, onHand.toDouble() - quantity);
    }

    void netProfit_data() {
        QTest::addColumn<QStringList>("boxes"); // price sold, cost, expenses
        QTest::addColumn<QString>("profit");
        QTest::newRow("4 x $2.50 sold for 25, expenses 3")
            << QStringList{u"25"_s, u"$10.00"_s, u"3"_s} << u"$12"_s;
        QTest::newRow("sold below cost")
            << QStringList{u"$8.00"_s, u"$10.00"_s, u"$1.00"_s} << u"-$3"_s;
        QTest::newRow("more digits than a double holds")
            << QStringList{u"12345678901234.56"_s, u"0.01"_s, u"0"_s}
            << u"$12,345,678,901,234.55"_s;
        QTest::newRow("expenses empty") << QStringList{u"25"_s, u"10"_s, u""_s} << u"(unchanged)"_s;
    }
    void netProfit() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, profit);
        QCOMPARE(StockSale::netProfitText(boxes[0], boxes[1], boxes[2]).value_or(u"(unchanged)"_s),
                 profit);
        QCOMPARE(StockSale::saleCost(4, u"$123,456,789,012.3456"_s).toText(),
                 u"493827156049.3824"_s);
    }
};

QTEST_APPLESS_MAIN(OrderMathTest)
#include "tst_ordermath.moc"
