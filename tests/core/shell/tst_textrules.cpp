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
        QTest::newRow("cost 1234.5") << 1234.5 << u"$#,###.00"_s << u"$1,234.50"_s;
        QTest::newRow("cost below one") << 0.99 << u"$#,###.00"_s << u"$.99"_s;
        QTest::newRow("cost million") << 1234567.891 << u"$#,###.00"_s << u"$1,234,567.89"_s;
        QTest::newRow("cost half cent up") << 2.675 << u"$#,###.00"_s << u"$2.68"_s;
        // At most two decimals, no added zeros.
        QTest::newRow("order 1234.5") << 1234.5 << u"$#,###.##"_s << u"$1,234.5"_s;
        QTest::newRow("order quarter") << 0.25 << u"$#,###.##"_s << u"$.25"_s;
        QTest::newRow("order whole") << 108.0 << u"$#,###.##"_s << u"$108"_s;
        QTest::newRow("order negative") << -12.5 << u"$#,###.##"_s << u"-$12.5"_s;
        QTest::newRow("order thirds") << 12.0 + 1.0 / 3.0 << u"$#,###.##"_s << u"$12.33"_s;
        QTest::newRow("page 12.5") << 12.5 << u"#,###.#0"_s << u"12.50"_s;
        QTest::newRow("page half") << 0.5 << u"#,###.#0"_s << u".50"_s;
        QTest::newRow("page 1234") << 1234.0 << u"#,###.#0"_s << u"1,234.00"_s;
        QTest::newRow("currency 0.99") << 0.99 << u"$#,##0.00"_s << u"$0.99"_s;
        QTest::newRow("currency negative") << -1234.5 << u"$#,##0.00"_s << u"-$1,234.50"_s;
        QTest::newRow("percent 7") << 0.07 << u"0%"_s << u"7%"_s;
        QTest::newRow("percent 8.25 rounds") << 0.0825 << u"0%"_s << u"8%"_s;
        QTest::newRow("percent 12.5 away from zero") << 0.125 << u"0%"_s << u"13%"_s;
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
    }
    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(TextRules::parseDate(text), expected);
    }

    void valAndIsNumeric_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("val");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("trailing letters") << u"12.50abc"_s << 12.5 << false;
        QTest::newRow("currency") << u"$1,234.50"_s << 0.0 << true;
        QTest::newRow("negative currency") << u"-$3"_s << 0.0 << true;
        QTest::newRow("word") << u"abc"_s << 0.0 << false;
        QTest::newRow("blanks inside") << u" 1 2 3"_s << 123.0 << false;
        QTest::newRow("blanks around") << u"  7 "_s << 7.0 << true;
        QTest::newRow("negative") << u"-7.25 each"_s << -7.25 << false;
        QTest::newRow("comma stops Val") << u"1,000"_s << 1.0 << true;
        QTest::newRow("exponent") << u"1.5e2x"_s << 150.0 << false;
        QTest::newRow("leading point") << u".5"_s << 0.5 << true;
        QTest::newRow("empty") << QString() << 0.0 << false;
        QTest::newRow("only point") << u"."_s << 0.0 << false;
        QTest::newRow("dollar only") << u"$"_s << 0.0 << false;
        QTest::newRow("two points") << u"1.2.3"_s << 1.2 << false;
        QTest::newRow("dash") << u"-"_s << 0.0 << false;
    }
    void valAndIsNumeric() {
        QFETCH(QString, text);
        QFETCH(double, val);
        QFETCH(bool, numeric);
        QCOMPARE(Val(text), val);
        QCOMPARE(IsNumeric(text), numeric);
    }

    // CInt rounds half to even and raises overflow outside 16 bits, type mismatch for a word.
    void wholeNumbers_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("error");
        QTest::newRow("half to even down") << QVariant(2.5) << 2 << 0;
        QTest::newRow("half to even up") << QVariant(3.5) << 4 << 0;
        QTest::newRow("negative half") << QVariant(-2.5) << -2 << 0;
        QTest::newRow("above half") << QVariant(2.51) << 3 << 0;
        QTest::newRow("rounds into range") << QVariant(32767.4) << 32767 << 0;
        QTest::newRow("rounds out of range") << QVariant(32767.5) << 0 << ErrorNumber::Overflow;
        QTest::newRow("smallest") << QVariant(-32768.0) << -32768 << 0;
        QTest::newRow("below smallest") << QVariant(-32769.0) << 0 << ErrorNumber::Overflow;
        QTest::newRow("word") << QVariant(u"seven"_s) << 0 << ErrorNumber::TypeMismatch;
    }
    void wholeNumbers() {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        QFETCH(int, error);
        try {
            const int result = value.typeId() == QMetaType::QString ? CInt(value.toString())
                                                                    : CInt(value.toDouble());
            QCOMPARE(result, expected);
            QCOMPARE(error, 0);
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), error);
        }
    }

    void roundHalfEvenAndHexVal() {
        QCOMPARE(Val(u"&H1F"_s), 31.0);
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

    void toText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("true") << QVariant(true) << u"True"_s;
        QTest::newRow("false") << QVariant(false) << u"False"_s;
        QTest::newRow("null") << QVariant() << QString();
        QTest::newRow("date") << QVariant(QDate(2026, 3, 4)) << u"03/04/2026"_s;
        QTest::newRow("whole") << QVariant(5.0) << u"5"_s;
        QTest::newRow("tax rate") << QVariant(0.07) << u"0.07"_s;
        QTest::newRow("negative") << QVariant(-1.5) << u"-1.5"_s;
        QTest::newRow("large") << QVariant(123456789.0) << u"123456789"_s;
        QTest::newRow("binary noise") << QVariant(0.1 + 0.2) << u"0.3"_s;
        QTest::newRow("tiny") << QVariant(0.0001) << u"0.0001"_s;
    }
    void toText() {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(TextRules::toText(value), expected);
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
