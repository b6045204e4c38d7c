#include "core/base/RunTimeError.h"
#include "core/text/Money.h"

#include <QTest>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {
constexpr qint64 Max = std::numeric_limits<qint64>::max();
constexpr qint64 Min = std::numeric_limits<qint64>::min();
constexpr qint64 Refused = Min + 1; // stands for "not read" / "overflow" in the tables below
} // namespace

class MoneyTest : public QObject {
    Q_OBJECT
private slots:
    // Text to ten-thousandths without a double in between.
    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<int>("reading");
        const auto row = [](const char* name, const QString& text, qint64 stored,
                            Money::Reading reading = Money::Reading::Read) {
            QTest::newRow(name) << text << stored << int(reading);
        };
        row("beyond a double's digits", u"123456789012.3456"_s, 1234567890123456);
        row("currency and commas", u"$1,234,567.5"_s, 12345675000);
        row("negative currency", u"-$3"_s, -30000);
        row("smallest amount", u"-0.0001"_s, -1);
        row("half below even stays", u"0.00005"_s, 0);
        row("half above odd goes up", u"0.00015"_s, 2);
        row("negative half to even", u"-0.00005"_s, 0);
        row("just over half", u"0.000050001"_s, 1);
        row("far below half", u"0.000009"_s, 0);
        row("exponent", u"1.5e2"_s, 1500000);
        row("negative exponent", u"25e-5"_s, 2);
        row("zero with a large exponent", u"0e30"_s, 0);
        row("zero with an exponent past any amount", u"0E0110"_s, 0);
        row("exponent with leading zeros", u"1e0000001"_s, 100000);
        row("negative exponent with leading zeros", u"1e-00000001"_s, 1000);
        row("exponent past any number", u"1e1000000"_s, Refused, Money::Reading::NotANumber);
        row("largest", u"922337203685477.5807"_s, Max);
        row("smallest", u"-922337203685477.5808"_s, Min);
        row("one past the largest", u"922337203685477.5808"_s, Refused, Money::Reading::TooLarge);
        row("rounds past the largest", u"922337203685477.58075"_s, Refused,
            Money::Reading::TooLarge);
        row("twenty digits", u"12345678901234567890"_s, Refused, Money::Reading::TooLarge);
        row("decimal comma", u"44,38"_s, Refused, Money::Reading::NotANumber);
        row("word", u"abc"_s, Refused, Money::Reading::NotANumber);
    }
    void read() {
        QFETCH(QString, text);
        QFETCH(qint64, stored);
        QFETCH(int, reading);
        Money amount = Money::fromStored(Refused);
        QCOMPARE(int(Money::read(text, amount)), reading);
        QCOMPARE(amount.toStored(), stored);
    }

    // Ten-thousandths written plainly and through the number patterns.
    void format_data() {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, qint64 stored, const QString& pattern,
                            const QString& expected) {
            QTest::newRow(name) << stored << pattern << expected;
        };
        row("plain beyond a double's digits", 1234567890123456, QString(), u"123456789012.3456"_s);
        row("currency beyond a double's digits", 1234567890123456, u"$#,##0.00"_s,
            u"$123,456,789,012.35"_s);
        row("plain smallest", -1, QString(), u"-0.0001"_s);
        row("plain largest", Max, QString(), u"922337203685477.5807"_s);
        row("plain most negative", Min, QString(), u"-922337203685477.5808"_s);
        row("grouped most negative", Min, u"$#,###.00"_s, u"-$922,337,203,685,477.58"_s);
        row("half a cent away from zero", 26750, u"$#,###.00"_s, u"$2.68"_s);
        row("negative half a cent", -26750, u"$#,###.00"_s, u"-$2.68"_s);
        row("negative below a cent", -49, u"$#,###.##"_s, u"$0"_s);
        row("negative rounds to zero", -1, u"$#,##0.00"_s, u"$0.00"_s);
        row("below one", 9900, u"$#,###.00"_s, u"$.99"_s);
        row("percent", 825, u"0%"_s, u"8%"_s);
    }
    void format() {
        QFETCH(qint64, stored);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        const Money amount = Money::fromStored(stored);
        QCOMPARE(pattern.isEmpty() ? amount.toText() : amount.format(pattern), expected);
    }

    // Each operation on an amount: its exact result or an overflow.
    void arithmetic_data() {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<double>("operand");
        QTest::addColumn<qint64>("expected");
        const auto row = [](const char* name, qint64 stored, const QString& operation,
                            double operand, qint64 expected) {
            QTest::newRow(name) << stored << operation << operand << expected;
        };
        row("sum beyond a double's digits", 1234567890123456, u"+"_s, 1, 1234567890123457);
        row("sum past the largest", Max, u"+"_s, 1, Refused);
        row("difference past the smallest", Min, u"-"_s, 1, Refused);
        row("negating the smallest", Min, u"neg"_s, 0, Refused);
        row("quantity", 1234567890123456, u"*"_s, 3, 3703703670370368);
        row("quantity past the largest", Max / 2 + 1, u"*"_s, 2, Refused);
        row("tax rate as written", 1000000, u"times"_s, 0.07, 70000);
        row("rate to half a ten-thousandth", 5, u"times"_s, 0.5, 2);
        row("rate above half", 15, u"times"_s, 0.5, 8);
        row("percent", 1234567890123456, u"percent"_s, 10, 123456789012346);
        row("negative percent half to even", -25, u"percent"_s, 10, -2);
        row("negative percent", 1000000, u"percent"_s, -10, -100000);
        row("negative percent of a negative amount", -1000000, u"percent"_s, -10, 100000);
        row("negative rate", 1000000, u"times"_s, -0.1, -100000);
        row("negative rate half to even", 5, u"times"_s, -0.5, -2);
        row("third", 100000, u"divide"_s, 3, 33333);
        row("half to even", 5, u"divide"_s, 2, 2);
        row("negative divisor", 15, u"divide"_s, -2, -8);
        row("by zero", 15, u"divide"_s, 0, Refused);
        row("cents half to even", 12250, u"cents"_s, 0, 12200);
        row("cents above half", 12251, u"cents"_s, 0, 12300);
    }
    void arithmetic() {
        QFETCH(qint64, stored);
        QFETCH(QString, operation);
        QFETCH(double, operand);
        QFETCH(qint64, expected);
        const Money a = Money::fromStored(stored);
        const auto n = qint64(operand);
        qint64 result = Refused;
        try {
            if (operation == u"+"_s)
                result = (a + Money::fromStored(n)).toStored();
            else if (operation == u"-"_s)
                result = (a - Money::fromStored(n)).toStored();
            else if (operation == u"neg"_s)
                result = (-a).toStored();
            else if (operation == u"*"_s)
                result = (a * n).toStored();
            else if (operation == u"times"_s)
                result = a.times(operand).toStored();
            else if (operation == u"percent"_s)
                result = a.percent(operand).toStored();
            else if (operation == u"divide"_s)
                result = a.dividedBy(n).toStored();
            else
                result = a.rounded(2).toStored();
        } catch (const RunTimeError&) {
        }
        QCOMPARE(result, expected);
    }

    // A rate rounded to the cent: exact halves go to the even cent, or away from zero when asked
    // (as a tax is), whatever the signs of the amount and the rate; anything else to the nearest.
    void centsOfARate_data() {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<double>("factor");
        QTest::addColumn<bool>("awayFromZero");
        QTest::addColumn<qint64>("expected");
        const auto row = [](const char* name, qint64 stored, double factor, bool away,
                            qint64 expected) {
            QTest::newRow(name) << stored << factor << away << expected;
        };
        row("half to an odd cent, away", 6250, 1, true, 6300);
        row("half to an odd cent, even", 6250, 1, false, 6200);
        row("half to an even cent, away", 6150, 1, true, 6200);
        row("half to an even cent, even", 6150, 1, false, 6200);
        row("negative half, away", -6250, 1, true, -6300);
        row("negative half, even", -6250, 1, false, -6200);
        row("half by a negative rate, away", 6250, -1, true, -6300);
        row("half by a negative rate, even", 6250, -1, false, -6200);
        row("just under half, away", 6249, 1, true, 6200);
        row("just over half, even", 6251, 1, false, 6300);
        row("6 % of 10.25 is 0.615, away", 102500, 0.06, true, 6200);
        row("6 % of 10.25 is 0.615, even", 102500, 0.06, false, 6200);
        row("6 % of 10.75 is 0.645, away", 107500, 0.06, true, 6500);
        row("6 % of 10.75 is 0.645, even", 107500, 0.06, false, 6400);
        row("6 % of a refund of 10.75, away", -107500, 0.06, true, -6500);
        row("half a cent, away", 50, 1, true, 100);
        row("half a cent, even", 50, 1, false, 0);
        row("minus half a cent, away", -50, 1, true, -100);
    }
    void centsOfARate() {
        QFETCH(qint64, stored);
        QFETCH(double, factor);
        QFETCH(bool, awayFromZero);
        QFETCH(qint64, expected);
        const Money::Halves halves =
            awayFromZero ? Money::Halves::AwayFromZero : Money::Halves::ToEven;
        QCOMPARE(Money::fromStored(stored).times(factor, 2, halves).toStored(), expected);
        // The same rate as a percentage rounds the same way.
        QCOMPARE(Money::fromStored(stored).percent(factor * 100, 2, halves).toStored(), expected);
    }
};

QTEST_GUILESS_MAIN(MoneyTest)
#include "tst_money.moc"
