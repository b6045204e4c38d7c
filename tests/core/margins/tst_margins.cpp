#include "core/base/RunTimeError.h"
#include "core/margins/Margin.h"
#include "core/margins/MarginSettings.h"
#include "core/margins/MarginSummary.h"
#include "core/margins/PriceEnding.h"
#include "core/settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

Money money(const QString& text) {
    return *Money::fromText(text);
}

std::optional<Money> maybe(const QString& text) {
    return text.isEmpty() ? std::nullopt : Money::fromText(text);
}

QString shown(const std::optional<Money>& amount) {
    return amount ? amount->toText() : u"none"_s;
}

} // namespace

class MarginsTest : public QObject {
    Q_OBJECT
private slots:
    // One exact product and quotient, rounded once in the direction asked, or the error raised.
    void scaledBy_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("numerator");
        QTest::addColumn<QString>("denominator");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("rounding");
        QTest::addColumn<QString>("expected");
        constexpr int Even = int(Money::Rounding::HalfEven);
        constexpr int Up = int(Money::Rounding::Up);
        constexpr int Down = int(Money::Rounding::Down);
        QTest::newRow("third, halves to even")
            << u"1"_s << u"1"_s << u"3"_s << 4 << Even << u"0.3333"_s;
        QTest::newRow("third, up") << u"1"_s << u"1"_s << u"3"_s << 4 << Up << u"0.3334"_s;
        QTest::newRow("third, down") << u"1"_s << u"1"_s << u"3"_s << 4 << Down << u"0.3333"_s;
        QTest::newRow("negative third, up")
            << u"-1"_s << u"1"_s << u"3"_s << 4 << Up << u"-0.3333"_s;
        QTest::newRow("negative third, down")
            << u"-1"_s << u"1"_s << u"3"_s << 4 << Down << u"-0.3334"_s;
        QTest::newRow("half to even, down")
            << u"0.0001"_s << u"1"_s << u"2"_s << 4 << Even << u"0"_s;
        QTest::newRow("half to even, up")
            << u"0.0003"_s << u"1"_s << u"2"_s << 4 << Even << u"0.0002"_s;
        QTest::newRow("negative denominator")
            << u"1"_s << u"1"_s << u"-4"_s << 4 << Even << u"-0.25"_s;
        QTest::newRow("to the cent, up") << u"9.9901"_s << u"1"_s << u"1"_s << 2 << Up << u"10"_s;
        QTest::newRow("exact stays, up") << u"9.99"_s << u"1"_s << u"1"_s << 2 << Up << u"9.99"_s;
        QTest::newRow("to the cent, down")
            << u"9.9999"_s << u"1"_s << u"1"_s << 2 << Down << u"9.99"_s;
        // The product needs more than 64 bits before the division brings it back.
        QTest::newRow("wide product") << u"900000000000"_s << u"900000000000"_s << u"900000000000"_s
                                      << 4 << Even << u"900000000000"_s;
        QTest::newRow("price with its cost")
            << u"9.99"_s << u"5"_s << u"4.25"_s << 4 << Up << u"11.7530"_s.chopped(1);
        QTest::newRow("zero denominator")
            << u"1"_s << u"1"_s << u"0"_s << 4 << Even << u"error 11"_s;
        QTest::newRow("beyond the range") << u"900000000000000"_s << u"2"_s << u"1"_s << 4 << Even
                                          << u"error %1"_s.arg(ErrorNumber::Overflow);
    }
    void scaledBy() {
        QFETCH(QString, amount);
        QFETCH(QString, numerator);
        QFETCH(QString, denominator);
        QFETCH(int, decimals);
        QFETCH(int, rounding);
        QFETCH(QString, expected);
        QString result;
        try {
            result = money(amount)
                         .scaledBy(money(numerator), money(denominator), decimals,
                                   Money::Rounding(rounding))
                         .toText();
        } catch (const RunTimeError& error) {
            result = u"error %1"_s.arg(error.number());
        }
        QCOMPARE(result, expected);
    }

    void priceEnding_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none, exact cent stays") << u"none"_s << u"9.99"_s << u"9.99"_s;
        QTest::newRow("none, next cent") << u"none"_s << u"9.9901"_s << u"10"_s;
        QTest::newRow("none, smallest") << u"none"_s << u"0.0001"_s << u"0.01"_s;
        QTest::newRow(".99, exact stays") << u".99"_s << u"9.99"_s << u"9.99"_s;
        QTest::newRow(".99, a hundredth of a cent over") << u".99"_s << u"9.9901"_s << u"10.99"_s;
        QTest::newRow(".99, whole dollar") << u".99"_s << u"10"_s << u"10.99"_s;
        QTest::newRow(".99, cents") << u".99"_s << u"0.01"_s << u"0.99"_s;
        QTest::newRow(".95, exact stays") << u".95"_s << u"9.95"_s << u"9.95"_s;
        QTest::newRow(".95, below") << u".95"_s << u"9.94"_s << u"9.95"_s;
        QTest::newRow(".95, above") << u".95"_s << u"9.96"_s << u"10.95"_s;
        QTest::newRow(".49/.99, .49 stays") << u".49/.99"_s << u"9.49"_s << u"9.49"_s;
        QTest::newRow(".49/.99, just over .49") << u".49/.99"_s << u"9.4901"_s << u"9.99"_s;
        QTest::newRow(".49/.99, .50") << u".49/.99"_s << u"9.50"_s << u"9.99"_s;
        QTest::newRow(".49/.99, 9.99 stays") << u".49/.99"_s << u"9.99"_s << u"9.99"_s;
        QTest::newRow(".49/.99, 10.00") << u".49/.99"_s << u"10"_s << u"10.99"_s;
        QTest::newRow(".49/.99, just under 10") << u".49/.99"_s << u"9.991"_s << u"10.99"_s;
        QTest::newRow(".49/.99, no .49 from 10 on") << u".49/.99"_s << u"10.20"_s << u"10.99"_s;
        QTest::newRow(".49/.99, whole dollar under 10") << u".49/.99"_s << u"3"_s << u"3.49"_s;
        QTest::newRow(".49/.99, cents") << u".49/.99"_s << u"0.50"_s << u"0.99"_s;
        QTest::newRow("zero stays") << u".99"_s << u"0"_s << u"0"_s;
        QTest::newRow("negative stays") << u".99"_s << u"-2"_s << u"-2"_s;
    }
    void priceEnding() {
        QFETCH(QString, ending);
        QFETCH(QString, amount);
        QFETCH(QString, expected);
        const std::optional<PriceEnding> read = PriceEnding::fromText(ending);
        QVERIFY(read);
        QCOMPARE(read->text(), ending);
        QCOMPARE(read->apply(money(amount)).toText(), expected);
    }

    // Old price x new cost / old cost, rounded up to the cent and the ending; nothing when the
    // price cannot move with the cost.
    void keptPrice_data() {
        QTest::addColumn<QString>("oldPrice");
        QTest::addColumn<QString>("oldCost"); // "" for none
        QTest::addColumn<QString>("newCost");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rise, .99") << u"9.99"_s << u"4.25"_s << u"5"_s << u".99"_s << u"11.99"_s;
        QTest::newRow("fall, .99") << u"15.95"_s << u"6.80"_s << u"6"_s << u".99"_s << u"14.99"_s;
        QTest::newRow("exact") << u"10"_s << u"4"_s << u"5"_s << u"none"_s << u"12.5"_s;
        QTest::newRow("rise rounds up") << u"10"_s << u"3"_s << u"4"_s << u"none"_s << u"13.34"_s;
        QTest::newRow("fall rounds up too")
            << u"10"_s << u"3"_s << u"2"_s << u"none"_s << u"6.67"_s;
        // 9.99 x 4.2501 / 4.25 = 9.99235...: one rounding, up to the cent.
        QTest::newRow("tiny rise") << u"9.99"_s << u"4.25"_s << u"4.2501"_s << u"none"_s << u"10"_s;
        QTest::newRow("same cost") << u"9.99"_s << u"4.25"_s << u"4.25"_s << u".95"_s << u"10.95"_s;
        QTest::newRow("zero cost is a cost of the new one")
            << u"9.99"_s << u"4.25"_s << u"0"_s << u"none"_s << u"none"_s;
        QTest::newRow("no old cost") << u"9.99"_s << u""_s << u"5"_s << u"none"_s << u"none"_s;
        QTest::newRow("old cost zero") << u"9.99"_s << u"0"_s << u"5"_s << u"none"_s << u"none"_s;
        QTest::newRow("no old price") << u"0"_s << u"4"_s << u"5"_s << u"none"_s << u"none"_s;
    }
    void keptPrice() {
        QFETCH(QString, oldPrice);
        QFETCH(QString, oldCost);
        QFETCH(QString, newCost);
        QFETCH(QString, ending);
        QFETCH(QString, expected);
        QCOMPARE(shown(Margin::keptPrice(money(oldPrice), maybe(oldCost), money(newCost),
                                         *PriceEnding::fromText(ending))),
                 expected);
    }

    void percent_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<bool>("belowTwenty");
        QTest::newRow("exactly the minimum") << u"10"_s << u"8"_s << u"20"_s << false;
        QTest::newRow("a hair under") << u"10"_s << u"8.0001"_s << u"19.999"_s << true;
        QTest::newRow("rounded down") << u"3"_s << u"2"_s << u"33.3333"_s << false;
        QTest::newRow("zero cost") << u"10"_s << u"0"_s << u"100"_s << false;
        QTest::newRow("at cost") << u"10"_s << u"10"_s << u"0"_s << true;
        QTest::newRow("below cost") << u"10"_s << u"12"_s << u"-20"_s << true;
        // -1/3 % rounds down, away from zero, so a limit of -0.3333 is not met.
        QTest::newRow("negative, rounded down") << u"3"_s << u"3.01"_s << u"-0.3334"_s << true;
    }
    void percent() {
        QFETCH(QString, price);
        QFETCH(QString, cost);
        QFETCH(QString, percent);
        QFETCH(bool, belowTwenty);
        QCOMPARE(Margin::percent(money(price), money(cost)).toText(), percent);
        QCOMPARE(Margin::isBelow(money(price), money(cost), money(u"20"_s)), belowTwenty);
    }

    // Price, or Retail when Price is null or 0; neither gives no selling price.
    void sellingPrice_data() {
        QTest::addColumn<QVariant>("price");
        QTest::addColumn<QVariant>("retail");
        QTest::addColumn<QString>("expected");
        const QVariant none;
        const auto m = [](const QString& text) { return QVariant::fromValue(money(text)); };
        QTest::newRow("price") << m(u"4.99"_s) << m(u"5.99"_s) << u"4.99"_s;
        QTest::newRow("no price") << none << m(u"5.99"_s) << u"5.99"_s;
        QTest::newRow("price 0") << m(u"0"_s) << m(u"5.99"_s) << u"5.99"_s;
        QTest::newRow("neither") << none << m(u"0"_s) << u"none"_s;
        QTest::newRow("price as text") << QVariant(u"3.5"_s) << none << u"3.5"_s;
    }
    void sellingPrice() {
        QFETCH(QVariant, price);
        QFETCH(QVariant, retail);
        QFETCH(QString, expected);
        QCOMPARE(shown(Margin::sellingPrice(price, retail)), expected);
    }

    void readPercent_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << u"20"_s << u"20"_s;
        QTest::newRow("with a percent sign") << u"20%"_s << u"20"_s;
        QTest::newRow("spaces and decimals") << u" 17.5 % "_s << u"17.5"_s;
        QTest::newRow("leading point") << u".5"_s << u"0.5"_s;
        QTest::newRow("zero") << u"0"_s << u"0"_s;
        QTest::newRow("a hundred") << u"100"_s << u"100"_s;
        QTest::newRow("past a hundred") << u"100.0001"_s << u"none"_s;
        QTest::newRow("150%") << u"150%"_s << u"none"_s;
        QTest::newRow("negative") << u"-5"_s << u"none"_s;
        QTest::newRow("empty") << u""_s << u"none"_s;
        QTest::newRow("word") << u"abc"_s << u"none"_s;
        QTest::newRow("exponent") << u"1e1"_s << u"none"_s;
        QTest::newRow("currency sign") << u"$5"_s << u"none"_s;
        QTest::newRow("two percent signs") << u"20%%"_s << u"none"_s;
        QTest::newRow("five decimals") << u"12.34567"_s << u"none"_s;
        QTest::newRow("thousands comma") << u"1,5"_s << u"none"_s;
    }
    void readPercent() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(shown(MarginSettings::readPercent(text)), expected);
    }

    // The settings as written in the store; an unreadable one is named with its value.
    void settings_data() {
        QTest::addColumn<QString>("minimum"); // "-" for unset
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << u"-"_s << u"-"_s << u"20 none"_s;
        QTest::newRow("both set") << u"35%"_s << u".49/.99"_s << u"35 .49/.99"_s;
        QTest::newRow("ending in capitals") << u"-"_s << u" NONE "_s << u"20 none"_s;
        QTest::newRow("bad minimum")
            << u"lots"_s << u".99"_s
            << u"the setting MinimumMargin in section Margins is \"lots\", which is not a "
               u"percentage from 0 to 100"_s;
        QTest::newRow("empty minimum")
            << u""_s << u"-"_s
            << u"the setting MinimumMargin in section Margins is \"\", which is not a "
               u"percentage from 0 to 100"_s;
        QTest::newRow("bad ending") << u"20"_s << u".98"_s
                                    << u"the setting PriceEnding in section Margins is \".98\", "
                                       u"which is not one of none, .99, .95 or .49/.99"_s;
    }
    void settings() {
        QFETCH(QString, minimum);
        QFETCH(QString, ending);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(u"settings.ini"_s));
        if (minimum != u"-"_s)
            store.setValue(MarginSettings::Section, MarginSettings::MinimumMarginKey, minimum);
        if (ending != u"-"_s)
            store.setValue(MarginSettings::Section, MarginSettings::PriceEndingKey, ending);
        try {
            const MarginSettings read = MarginSettings::read(store);
            QCOMPARE(read.minimumPercent.toText() + u' ' + read.ending.text(), expected);
        } catch (const RunTimeError& error) {
            QCOMPARE(error.description(), expected);
        }
    }

    // Which group a product the import touched falls in, and what its cost did.
    void summaryGroups_data() {
        QTest::addColumn<QString>("oldCost");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("counts"); // rose fell atOrBelow below without
        QTest::newRow("rise, healthy") << u"4"_s << u"5"_s << u"10"_s << u"1 0 0 0 0"_s;
        QTest::newRow("fall, below minimum") << u"9"_s << u"8.5"_s << u"10"_s << u"0 1 0 1 0"_s;
        QTest::newRow("at cost") << u"9"_s << u"10"_s << u"10"_s << u"1 0 1 0 0"_s;
        QTest::newRow("below cost") << u"9"_s << u"11"_s << u"10"_s << u"1 0 1 0 0"_s;
        QTest::newRow("at the minimum") << u"8"_s << u"8"_s << u"10"_s << u"0 0 0 0 0"_s;
        QTest::newRow("zero cost is a cost") << u"1"_s << u"0"_s << u"10"_s << u"0 1 0 0 0"_s;
        QTest::newRow("no cost") << u""_s << u""_s << u"10"_s << u"0 0 0 0 1"_s;
        QTest::newRow("no price") << u"4"_s << u"5"_s << u""_s << u"1 0 0 0 1"_s;
        QTest::newRow("added") << u""_s << u"5"_s << u"10"_s << u"0 0 0 0 0"_s;
    }
    void summaryGroups() {
        QFETCH(QString, oldCost);
        QFETCH(QString, cost);
        QFETCH(QString, price);
        QFETCH(QString, counts);
        MarginSummary summary;
        summary.minimumPercent = money(u"20"_s);
        summary.add({u"A1"_s, u"Vase"_s, maybe(oldCost), maybe(cost), maybe(price), {}, {}});
        QCOMPARE(u"%1 %2 %3 %4 %5"_s.arg(summary.costRose)
                     .arg(summary.costFell)
                     .arg(summary.atOrBelowCost)
                     .arg(summary.belowMinimum)
                     .arg(summary.withoutPriceOrCost),
                 counts);
        QCOMPARE(summary.touched, 1);
    }

    // The named lists keep the worst margins first, at most 20 of them, and say how many more
    // there are; the largest rise is the first of the largest.
    void summaryNamesWorstFirst() {
        MarginSummary summary;
        summary.minimumPercent = money(u"20"_s);
        for (int i = 1; i <= 25; ++i) { // margins 1 % to 25 %, in a scattered order
            const int margin = (i * 7) % 25 + 1;
            const Money cost = Money::fromStored(qint64(100 - margin) * Money::Scale);
            summary.add({u"S%1"_s.arg(margin), QString(), cost, cost, money(u"100"_s), {}, {}});
        }
        summary.add({u"R1"_s, QString(), money(u"1"_s), money(u"3"_s), money(u"10"_s), {}, {}});
        summary.add({u"R2"_s, QString(), money(u"2"_s), money(u"4"_s), money(u"10"_s), {}, {}});
        QCOMPARE(summary.belowMinimum, 19);
        QCOMPARE(summary.belowMinimumNamed.size(), 19);
        QCOMPARE(summary.belowMinimumNamed.first().stockNumber, u"S1"_s);
        QCOMPARE(summary.belowMinimumNamed.last().stockNumber, u"S19"_s);
        QCOMPARE(summary.largestRise->stockNumber, u"R1"_s);

        MarginSummary many;
        for (int i = 0; i < 25; ++i)
            many.add({u"L%1"_s.arg(i),
                      QString(),
                      {},
                      money(u"5"_s),
                      money(u"%1"_s.arg(5 - i * 0.125)),
                      {},
                      {}});
        QCOMPARE(many.atOrBelowCost, 25);
        QCOMPARE(many.atOrBelowCostNamed.size(), MarginSummary::Named);
        QCOMPARE(many.atOrBelowCostNamed.first().stockNumber, u"L24"_s);
        QVERIFY(many.lines().contains(u"    ... and 5 more"_s));
    }
};

QTEST_GUILESS_MAIN(MarginsTest)
#include "tst_margins.moc"
