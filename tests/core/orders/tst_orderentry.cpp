// The hand-over of an order line between the catalogue, the orders screen and the invoice
// screen, and of a sale from stock between the inventory, sales and Products screens, played
// as the screens take their steps, without a window.
#include "core/orders/OrderEntry.h"
#include "core/orders/StockSaleEntry.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// One step of a screen; what it answered, if anything, and the state code it left.
QString orderStep(OrderEntry& entry, const QString& step) {
    QString said;
    const auto yesNo = [](bool b) { return b ? u"yes"_s : u"no"_s; };
    if (step == u"ask")
        entry.askForLine();
    else if (step == u"refuse")
        entry.refuseNumber();
    else if (step == u"open")
        entry.openLine();
    else if (step == u"fill")
        entry.awaitDecision();
    else if (step == u"save")
        said = yesNo(entry.saveLine(5));
    else if (step == u"cancel")
        said = yesNo(entry.cancelLine());
    else if (step == u"close")
        entry.screenClosed();
    else if (step == u"finish")
        said = entry.finish() ? u"saved x"_s + QString::number(entry.savedQuantity()) : u"no"_s;
    else if (step == u"done")
        entry.orderDone();
    else if (step == u"invoice")
        said = yesNo(entry.takeOrderDone());
    else if (step == u"refused?")
        said = yesNo(entry.numberRefused());
    else if (step == u"opened?")
        said = yesNo(entry.lineOpened());
    else if (step == u"decided?")
        said = yesNo(entry.decided());
    else
        return u"unknown step "_s + step;
    return step + (said.isEmpty() ? QString() : u' ' + said) + u' ' +
           QString::number(int(entry.state()));
}

QString saleText(const std::optional<StockSaleEntry::Sale>& sale) {
    return sale ? sale->stockNo + u" x"_s + QString::number(sale->quantity) : u"none"_s;
}

QString saleStep(StockSaleEntry& entry, const QString& step) {
    if (step == u"open AB7")
        return step + (entry.open(u"AB7"_s, 3, u"2.5"_s) ? u" yes"_s : u" no"_s);
    if (step == u"open CUP")
        return step + (entry.open(u"CUP"_s, 1, u"4"_s) ? u" yes"_s : u" no"_s);
    if (step == u"show")
        return step + u' ' + saleText(entry.openSale()) + u" $"_s + entry.openSaleCost().toText();
    if (step == u"save")
        return step + u' ' + saleText(entry.save());
    if (step == u"cancel")
        return step + u' ' + saleText(entry.cancel());
    return u"unknown step "_s + step;
}

} // namespace

class OrderEntryTest : public QObject {
    Q_OBJECT
private slots:
    // Each step with what it answered and the state code it left, the code the screens share.
    void orderSequences_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("line saved")
            << QStringList{u"ask"_s,  u"opened?"_s,  u"fill"_s,  u"decided?"_s,
                           u"save"_s, u"decided?"_s, u"finish"_s}
            << QStringList{
                   u"ask 1"_s,      u"opened? no 1"_s,   u"fill 2"_s,           u"decided? no 2"_s,
                   u"save yes 3"_s, u"decided? yes 3"_s, u"finish saved x5 0"_s};
        QTest::newRow("line opened, then cancelled")
            << QStringList{u"ask"_s, u"open"_s, u"opened?"_s, u"fill"_s, u"cancel"_s, u"finish"_s}
            << QStringList{u"ask 1"_s,  u"open 7"_s,       u"opened? yes 7"_s,
                           u"fill 2"_s, u"cancel yes 0"_s, u"finish no 0"_s};
        QTest::newRow("number used: ask again")
            << QStringList{u"ask"_s, u"close"_s, u"refuse"_s, u"refused?"_s, u"ask"_s}
            << QStringList{u"ask 1"_s, u"close 1"_s, u"refuse 2"_s, u"refused? yes 2"_s,
                           u"ask 1"_s};
        QTest::newRow("screen closed while the line waits")
            << QStringList{u"ask"_s, u"open"_s, u"fill"_s, u"close"_s, u"decided?"_s, u"finish"_s}
            << QStringList{u"ask 1"_s,   u"open 7"_s,         u"fill 2"_s,
                           u"close 0"_s, u"decided? yes 0"_s, u"finish no 0"_s};
        QTest::newRow("closing after Update keeps the line saved")
            << QStringList{u"ask"_s, u"open"_s, u"fill"_s, u"save"_s, u"close"_s, u"finish"_s}
            << QStringList{u"ask 1"_s,      u"open 7"_s,  u"fill 2"_s,
                           u"save yes 3"_s, u"close 3"_s, u"finish saved x5 0"_s};
        QTest::newRow("Update or Cancel of a line nobody waits for")
            << QStringList{u"save"_s, u"cancel"_s, u"ask"_s, u"save"_s, u"cancel"_s}
            << QStringList{u"save no 0"_s, u"cancel no 0"_s, u"ask 1"_s, u"save no 1"_s,
                           u"cancel no 1"_s};
        QTest::newRow("a second Update changes nothing")
            << QStringList{u"ask"_s, u"open"_s, u"fill"_s, u"save"_s, u"save"_s}
            << QStringList{u"ask 1"_s, u"open 7"_s, u"fill 2"_s, u"save yes 3"_s, u"save no 3"_s};
        QTest::newRow("order done: the invoice takes it once")
            << QStringList{u"done"_s, u"invoice"_s, u"invoice"_s}
            << QStringList{u"done 7"_s, u"invoice yes 0"_s, u"invoice no 0"_s};
        QTest::newRow("the invoice leaves a waiting line alone")
            << QStringList{u"ask"_s, u"open"_s, u"fill"_s, u"invoice"_s, u"save"_s}
            << QStringList{u"ask 1"_s, u"open 7"_s, u"fill 2"_s, u"invoice no 2"_s,
                           u"save yes 3"_s};
    }
    void orderSequences() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, trace);
        OrderSession session;
        OrderEntry entry(session);
        QStringList made;
        for (const QString& step : steps)
            made << orderStep(entry, step);
        QCOMPARE(made, trace);
    }

    void quantities_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("count");
        using O = OrderEntry::Quantity::Outcome;
        QTest::newRow("4") << u"4"_s << int(O::Order) << 4;
        QTest::newRow("one, the least") << u"1"_s << int(O::Order) << 1;
        QTest::newRow("a half rounds to even") << u"2.5"_s << int(O::Order) << 2;
        QTest::newRow("half of one rounds to nothing") << u"0.5"_s << int(O::Refused) << 0;
        QTest::newRow("just over a half") << u"0.51"_s << int(O::Order) << 1;
        QTest::newRow("grouped thousands") << u"1,200"_s << int(O::Order) << 1200;
        QTest::newRow("largest") << u"32767"_s << int(O::Order) << 32767;
        QTest::newRow("beyond 16 bits") << u"32768"_s << int(O::Refused) << 0;
        QTest::newRow("zero") << u"0"_s << int(O::Refused) << 0;
        QTest::newRow("negative") << u"-2"_s << int(O::Refused) << 0;
        QTest::newRow("a word") << u"four"_s << int(O::Refused) << 0;
        QTest::newRow("blanks only") << u"  "_s << int(O::Cancelled) << 0;
    }
    void quantities() {
        QFETCH(QString, typed);
        QFETCH(int, outcome);
        QFETCH(int, count);
        const OrderEntry::Quantity q = OrderEntry::readQuantity(typed);
        QCOMPARE(int(q.outcome), outcome);
        QCOMPARE(q.count, count);
    }

    // A sale of 3 AB7 at 2.50 each, or 1 CUP at 4, through the three screens.
    void saleSequences_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("a saved sale ends once")
            << QStringList{u"open AB7"_s, u"show"_s, u"save"_s, u"show"_s, u"save"_s}
            << QStringList{u"open AB7 yes"_s, u"show AB7 x3 $7.5"_s, u"save AB7 x3"_s,
                           u"show none $0"_s, u"save none"_s};
        QTest::newRow("cancelled sale gives its items back")
            << QStringList{u"open AB7"_s, u"cancel"_s, u"cancel"_s, u"save"_s}
            << QStringList{u"open AB7 yes"_s, u"cancel AB7 x3"_s, u"cancel none"_s, u"save none"_s};
        QTest::newRow("one open sale at a time")
            << QStringList{u"open AB7"_s, u"open CUP"_s, u"show"_s}
            << QStringList{u"open AB7 yes"_s, u"open CUP no"_s, u"show AB7 x3 $7.5"_s};
        QTest::newRow("the next sale opens once the first is saved")
            << QStringList{u"open AB7"_s, u"save"_s, u"open CUP"_s, u"show"_s, u"save"_s}
            << QStringList{u"open AB7 yes"_s, u"save AB7 x3"_s, u"open CUP yes"_s,
                           u"show CUP x1 $4"_s, u"save CUP x1"_s};
    }
    void saleSequences() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, trace);
        OrderSession session;
        StockSaleEntry entry(session);
        QStringList made;
        for (const QString& step : steps)
            made << saleStep(entry, step);
        QCOMPARE(made, trace);
    }
};

QTEST_GUILESS_MAIN(OrderEntryTest)
#include "tst_orderentry.moc"
