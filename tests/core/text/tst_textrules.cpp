#include "core/base/RunTimeError.h"
#include "core/storage/ColumnValues.h"
#include "core/text/DateText.h"
#include "core/text/Money.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::TextRules;

class TextRulesTest : public QObject {
    Q_OBJECT
    static constexpr int Overflowed = 1 << 20; // a whole number no 16-bit result can be
private slots:
    // Numbers and dates through a pattern; with no pattern, a field value's plain text.
    void format_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QVariant& value, const QString& pattern,
                            const QString& expected) {
            QTest::newRow(name) << value << pattern << expected;
        };
        row("cost 1234.5", 1234.5, u"$#,###.00"_s, u"$1,234.50"_s);
        row("cost below one", 0.99, u"$#,###.00"_s, u"$.99"_s);
        row("cost million", 1234567.891, u"$#,###.00"_s, u"$1,234,567.89"_s);
        row("cost half cent up", 2.675, u"$#,###.00"_s, u"$2.68"_s);
        row("order 1234.5", 1234.5, u"$#,###.##"_s, u"$1,234.5"_s);
        row("order quarter", 0.25, u"$#,###.##"_s, u"$.25"_s);
        row("order whole", 108.0, u"$#,###.##"_s, u"$108"_s);
        row("order negative", -12.5, u"$#,###.##"_s, u"-$12.5"_s);
        row("negative below a cent shows no sign", -0.001, u"$#,###.##"_s, u"$0"_s);
        row("page 12.5", 12.5, u"#,###.#0"_s, u"12.50"_s);
        row("page half", 0.5, u"#,###.#0"_s, u".50"_s);
        row("page 1234", 1234.0, u"#,###.#0"_s, u"1,234.00"_s);
        row("currency negative", -1234.5, u"$#,##0.00"_s, u"-$1,234.50"_s);
        row("percent 8.25 rounds", 0.0825, u"0%"_s, u"8%"_s);
        row("percent 12.5 away from zero", 0.125, u"0%"_s, u"13%"_s);
        row("notes date", QDate(2026, 1, 5), u"MM/DD/YY"_s, u"01/05/26"_s);
        row("boxes date", QDate(2026, 1, 5), u"MM/DD/YYYY"_s, u"01/05/2026"_s);
        row("bound date", QDate(1999, 12, 31), u"MM/dd/yyyy"_s, u"12/31/1999"_s);
        row("invalid date", QDate(), u"MM/DD/YYYY"_s, QString());
        row("true", true, QString(), u"True"_s);
        row("null", QVariant(), QString(), QString());
        row("date text", QDate(2026, 3, 4), QString(), u"03/04/2026"_s);
        row("whole", 5.0, QString(), u"5"_s);
        row("tax rate", 0.07, QString(), u"0.07"_s);
        row("negative", -1.5, QString(), u"-1.5"_s);
        row("large", 123456789.0, QString(), u"123456789"_s);
        row("binary noise", 0.1 + 0.2, QString(), u"0.3"_s);
        row("tiny", 0.0001, QString(), u"0.0001"_s);
    }
    void format() {
        QFETCH(QVariant, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        if (pattern.isEmpty())
            QCOMPARE(toText(value), expected);
        else if (value.typeId() == QMetaType::QDate)
            QCOMPARE(formatDate(value.toDate(), pattern), expected);
        else
            QCOMPARE(formatNumber(value.toDouble(), pattern), expected);
    }

    void parseDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("us long") << u"01/05/2026"_s << QDate(2026, 1, 5);
        QTest::newRow("us short year") << u"1/5/26"_s << QDate(2026, 1, 5);
        QTest::newRow("last century") << u"12/31/99"_s << QDate(1999, 12, 31);
        QTest::newRow("iso") << u"2026-01-05"_s << QDate(2026, 1, 5);
        QTest::newRow("impossible") << u"02/30/2024"_s << QDate();
        QTest::newRow("leap day") << u"02/29/2024"_s << QDate(2024, 2, 29);
        QTest::newRow("word") << u"tomorrow"_s << QDate();
    }
    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(TextRules::parseDate(text), expected);
    }

    // Val, IsNumeric and CInt of one text: CInt rounds half to even, raises overflow outside
    // 16 bits and type mismatch for any text that is not numeric.
    void numbersFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("val");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<int>("whole");
        const auto row = [](const char* name, const QString& text, double val, bool numeric,
                            int whole = 0) {
            QTest::newRow(name) << text << val << numeric << whole;
        };
        row("trailing letters", u"12.50abc"_s, 12.5, false);
        row("currency", u"$1,234.50"_s, 0.0, true, 1234);
        row("negative currency", u"-$3"_s, 0.0, true, -3);
        row("word", u"abc"_s, 0.0, false);
        row("blanks inside", u" 1 2 3"_s, 123.0, false);
        row("blanks around", u"  7 "_s, 7.0, true, 7);
        row("negative", u"-7.25 each"_s, -7.25, false);
        row("comma stops Val", u"1,000"_s, 1.0, true, 1000);
        row("groups of three", u"$1,234,567.5"_s, 0.0, true, Overflowed);
        row("decimal comma", u"44,38"_s, 44.0, false);
        row("comma and one digit", u"1,5"_s, 1.0, false);
        row("comma in every gap", u"1,2,3"_s, 1.0, false);
        row("first group of four", u"1234,567"_s, 1234.0, false);
        row("group of four", u"1,2345"_s, 1.0, false);
        row("two commas together", u"1,,234"_s, 1.0, false);
        row("comma at the end", u"12,"_s, 12.0, false);
        row("comma before the point", u"1,.5"_s, 1.0, false);
        row("exponent", u"1.5e2x"_s, 150.0, false);
        row("leading point", u".5"_s, 0.5, true, 0);
        row("hexadecimal", u"&H1F"_s, 31.0, false);
        row("empty", QString(), 0.0, false);
        row("only point", u"."_s, 0.0, false);
        row("dollar only", u"$"_s, 0.0, false);
        row("two points", u"1.2.3"_s, 1.2, false);
        row("dash", u"-"_s, 0.0, false);
        row("half to even up", u"3.5"_s, 3.5, true, 4);
        row("negative half", u"-2.5"_s, -2.5, true, -2);
        row("above half", u"2.51"_s, 2.51, true, 3);
        row("rounds into range", u"32767.4"_s, 32767.4, true, 32767);
        row("rounds out of range", u"32767.5"_s, 32767.5, true, Overflowed);
        row("smallest", u"-32768"_s, -32768.0, true, -32768);
        row("below smallest", u"-32769"_s, -32769.0, true, Overflowed);
    }
    void numbersFromText() {
        QFETCH(QString, text);
        QFETCH(double, val);
        QFETCH(bool, numeric);
        QFETCH(int, whole);
        QCOMPARE(Val(text), val);
        QCOMPARE(IsNumeric(text), numeric);
        const int error = !numeric ? ErrorNumber::TypeMismatch
                                   : (whole == Overflowed ? ErrorNumber::Overflow : 0);
        try {
            QCOMPARE(int(CInt(text)), whole);
            QCOMPARE(error, 0);
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), error);
        }
    }

    void roundHalfEvenToDecimals() {
        QCOMPARE(roundHalfEven(1.00005, 4), 1.0);
        QCOMPARE(roundHalfEven(1.00015, 4), 1.0002);
        QCOMPARE(roundHalfEven(0.125, 2), 0.12);
    }

    // Amounts of money as stored (ten-thousandths) and as written back as text are the same
    // whichever way they are worked out: the rounding of their 15 decimal digits, half to even,
    // and the shortcut taken for amounts a few decimals long. Ties at the fifth decimal, amounts
    // past ten million and negative ones included; "sweep" tries many amounts near ties.
    void moneyDigits_data() {
        QTest::addColumn<QList<double>>("amounts");
        const auto row = [](const char* name, QList<double> amounts) {
            QTest::newRow(name) << amounts;
        };
        row("cents", {12.34, 19.99, 0.1, 0.7, 1234.5, -3.05, 0.01});
        row("four decimals", {0.0001, -0.0001, 1234567.8912, 9999999.9999, 0.0003});
        row("ties at the fifth decimal", {2.00005, 0.00015, 0.00025, 1.23455, -1.23465, 0.00005});
        row("past ten million", {10000000.5, 12345678.12345, 922337203685.4775});
        row("more digits", {1.0 / 3.0, 2.0 / 3.0, 0.123456789, -98765.4321012, 3.14159265358979});
        row("just off a ten-thousandth", {0.30000000000000004, 1.00000000001, 0.99999999999});
        QList<double> sweep;
        QRandomGenerator random(4242);
        for (int i = 0; i < 20000; ++i) {
            const double whole = random.bounded(100000000) / 10000.0;
            const double offsets[] = {0.0, 0.00005, -0.00005, 0.000049999, 0.0000250001};
            sweep << whole + offsets[i % 5] << -(whole + offsets[i % 5]);
        }
        row("sweep", sweep);
    }
    void moneyDigits() {
        QFETCH(QList<double>, amounts);
        for (const double amount : amounts) {
            const qint64 stored = ColumnValues::moneyToStorage(amount);
            QCOMPARE(stored, std::llround(roundHalfEven(amount, 4) * 10000.0));
            if (std::fabs(amount) >= 0.0001)
                QCOMPARE(plainDecimal(amount), QString::asprintf("%.15g", amount));
            const double back = Money::fromStored(stored).toDouble();
            if (back != 0.0 && std::fabs(back) < 1e15)
                QCOMPARE(plainDecimal(back), QString::asprintf("%.15g", back));
        }
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
