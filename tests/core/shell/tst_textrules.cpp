#include "core/shell/RunTimeError.h"
#include "core/shell/TextRules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::TextRules;

class TextRulesTest : public QObject {
    Q_OBJECT
private slots:
    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        // Preview page cost and catalogue page money.
        QTest::newRow("cost 1234.5") << 1234.5 << u"$#,###.00"_s << u"$1,234.50"_s;
        QTest::newRow("cost below one") << 0.99 << u"$#,###.00"_s << u"$.99"_s;
        QTest::newRow("cost million") << 1234567.891 << u"$#,###.00"_s << u"$1,234,567.89"_s;
        QTest::newRow("cost half cent up") << 2.675 << u"$#,###.00"_s << u"$2.68"_s;
        // Order and sales computations: at most two decimals, no added zeros.
        QTest::newRow("order 1234.5") << 1234.5 << u"$#,###.##"_s << u"$1,234.5"_s;
        QTest::newRow("order quarter") << 0.25 << u"$#,###.##"_s << u"$.25"_s;
        QTest::newRow("order whole") << 108.0 << u"$#,###.##"_s << u"$108"_s;
        QTest::newRow("order negative") << -12.5 << u"$#,###.##"_s << u"-$12.5"_s;
        QTest::newRow("order thirds")
            << 36.0 / 3.0 * 1.0 + 1.0 / 3.0 << u"$#,###.##"_s << u"$12.33"_s;
        // Catalogue page prices.
        QTest::newRow("page 12.5") << 12.5 << u"#,###.#0"_s << u"12.50"_s;
        QTest::newRow("page half") << 0.5 << u"#,###.#0"_s << u".50"_s;
        QTest::newRow("page 1234") << 1234.0 << u"#,###.#0"_s << u"1,234.00"_s;
        // Bound money boxes.
        QTest::newRow("currency zero") << 0.0 << u"$#,##0.00"_s << u"$0.00"_s;
        QTest::newRow("currency 0.99") << 0.99 << u"$#,##0.00"_s << u"$0.99"_s;
        QTest::newRow("currency negative") << -1234.5 << u"$#,##0.00"_s << u"-$1,234.50"_s;
        // Percent of the supplier's tax rate.
        QTest::newRow("percent 7") << 0.07 << u"0%"_s << u"7%"_s;
        QTest::newRow("percent 8.25 rounds") << 0.0825 << u"0%"_s << u"8%"_s;
        QTest::newRow("percent 12.5 away from zero") << 0.125 << u"0%"_s << u"13%"_s;
        QTest::newRow("percent zero") << 0.0 << u"0%"_s << u"0%"_s;
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(TextRules::formatNumber(value, pattern), expected);
    }

    void formatDate_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("notes") << QDate(2026, 1, 5) << u"MM/DD/YY"_s << u"01/05/26"_s;
        QTest::newRow("boxes") << QDate(2026, 1, 5) << u"MM/DD/YYYY"_s << u"01/05/2026"_s;
        QTest::newRow("bound") << QDate(1999, 12, 31) << u"MM/dd/yyyy"_s << u"12/31/1999"_s;
        QTest::newRow("invalid") << QDate() << u"MM/DD/YYYY"_s << QString();
    }
    void formatDate() {
        QFETCH(QDate, date);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(TextRules::formatDate(date, pattern), expected);
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
        QTest::newRow("empty") << QString() << QDate();
    }
    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(TextRules::parseDate(text), expected);
    }

    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("trailing letters") << u"12.50abc"_s << 12.5;
        QTest::newRow("dollar sign") << u"$5"_s << 0.0;
        QTest::newRow("word") << u"abc"_s << 0.0;
        QTest::newRow("blanks inside") << u" 1 2 3"_s << 123.0;
        QTest::newRow("negative") << u"-7.25 each"_s << -7.25;
        QTest::newRow("comma stops") << u"1,000"_s << 1.0;
        QTest::newRow("exponent") << u"1.5e2x"_s << 150.0;
        QTest::newRow("hex") << u"&H1F"_s << 31.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("only point") << u"."_s << 0.0;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Val(text), expected);
    }

    void isNumeric_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("integer") << u"42"_s << true;
        QTest::newRow("decimal") << u"5.00"_s << true;
        QTest::newRow("currency") << u"$1,234.50"_s << true;
        QTest::newRow("negative currency") << u"-$3"_s << true;
        QTest::newRow("blanks around") << u"  7 "_s << true;
        QTest::newRow("leading point") << u".5"_s << true;
        QTest::newRow("trailing letters") << u"12.50abc"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dollar only") << u"$"_s << false;
        QTest::newRow("two points") << u"1.2.3"_s << false;
        QTest::newRow("dash") << u"-"_s << false;
    }
    void isNumeric() {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(IsNumeric(text), expected);
    }

    void wholeNumbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("overflows");
        QTest::newRow("half to even down") << 2.5 << 2 << false;
        QTest::newRow("half to even up") << 3.5 << 4 << false;
        QTest::newRow("negative half") << -2.5 << -2 << false;
        QTest::newRow("above half") << 2.51 << 3 << false;
        QTest::newRow("largest") << 32767.0 << 32767 << false;
        QTest::newRow("rounds into range") << 32767.4 << 32767 << false;
        QTest::newRow("rounds out of range") << 32767.5 << 0 << true;
        QTest::newRow("smallest") << -32768.0 << -32768 << false;
        QTest::newRow("below smallest") << -32769.0 << 0 << true;
    }
    void wholeNumbers() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QFETCH(bool, overflows);
        if (overflows) {
            try {
                CInt(value);
                QFAIL("no overflow raised");
            } catch (const RunTimeError& e) {
                QCOMPARE(e.number(), ErrorNumber::Overflow);
            }
        } else {
            QCOMPARE(int(CInt(value)), expected);
        }
    }

    void wordIsTypeMismatch() {
        try {
            CInt(u"seven"_s);
            QFAIL("no error raised");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
        }
    }

    void roundHalfEvenToDecimals() {
        QCOMPARE(roundHalfEven(1.00005, 4), 1.0);
        QCOMPARE(roundHalfEven(1.00015, 4), 1.0002);
        QCOMPARE(roundHalfEven(0.125, 2), 0.12);
    }

    void counterStopsAt32767() {
        Counter16 counter;
        for (int i = 0; i < 40000; ++i)
            counter.increment();
        QCOMPARE(counter.value(), std::int16_t(32767));
        QVERIFY(!counter.increment());
    }

    void plainDecimal_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 5.0 << u"5"_s;
        QTest::newRow("tax rate") << 0.07 << u"0.07"_s;
        QTest::newRow("negative") << -1.5 << u"-1.5"_s;
        QTest::newRow("large") << 123456789.0 << u"123456789"_s;
        QTest::newRow("binary noise") << 0.1 + 0.2 << u"0.3"_s;
        QTest::newRow("tiny") << 0.0001 << u"0.0001"_s;
    }
    void plainDecimal() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(TextRules::plainDecimal(value), expected);
    }

    void toText() {
        QCOMPARE(TextRules::toText(QVariant(true)), u"True"_s);
        QCOMPARE(TextRules::toText(QVariant(false)), u"False"_s);
        QCOMPARE(TextRules::toText(QVariant()), QString());
        QCOMPARE(TextRules::toText(QVariant(QDate(2026, 3, 4))), u"03/04/2026"_s);
        QCOMPARE(TextRules::toText(QVariant(12.5)), u"12.5"_s);
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
