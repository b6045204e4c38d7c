// The text a bound box or grid cell shows for a value, and the value typed text stands for.
#include "core/catalogue/DisplayFormat.h"

#include <QDate>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class DisplayFormatTest : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        const QString money = DisplayFormat::Currency, date = DisplayFormat::Date,
                      percent = DisplayFormat::Percent, plain = DisplayFormat::Plain;
        QTest::newRow("money") << QVariant(1234.5) << money << u"$1,234.50"_s;
        QTest::newRow("money below one") << QVariant(0.5) << money << u"$0.50"_s;
        QTest::newRow("money typed, not yet written")
            << QVariant(u"12.5"_s) << money << u"$12.50"_s;
        QTest::newRow("money typed with more digits than a double holds")
            << QVariant(u"12345678901.234999"_s) << money << u"$12,345,678,901.23"_s;
        QTest::newRow("a word typed for money stays as typed")
            << QVariant(u"cheap"_s) << money << u"cheap"_s;
        QTest::newRow("empty money") << QVariant() << money << QString();
        QTest::newRow("date") << QVariant(QDate(2026, 3, 7)) << date << u"03/07/2026"_s;
        QTest::newRow("date typed short") << QVariant(u"3/7/26"_s) << date << u"03/07/2026"_s;
        QTest::newRow("impossible date stays as typed")
            << QVariant(u"02/30/2024"_s) << date << u"02/30/2024"_s;
        QTest::newRow("percent") << QVariant(0.07) << percent << u"7%"_s;
        QTest::newRow("plain number") << QVariant(5.0) << plain << u"5"_s;
        QTest::newRow("plain yes/no") << QVariant(true) << plain << u"True"_s;
    }
    void text() {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(DisplayFormat::text(value, format), text);
    }

    void typedValue_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("percent with its sign")
            << u" 8% "_s << DisplayFormat::Percent << QVariant(0.08);
        QTest::newRow("percent without a sign goes as typed")
            << u"8"_s << DisplayFormat::Percent << QVariant(u"8"_s);
        QTest::newRow("a word with a percent sign goes as typed")
            << u"lots%"_s << DisplayFormat::Percent << QVariant(u"lots%"_s);
        QTest::newRow("a percent sign in a money box goes as typed")
            << u"8%"_s << DisplayFormat::Currency << QVariant(u"8%"_s);
    }
    void typedValue() {
        QFETCH(QString, typed);
        QFETCH(QString, format);
        QFETCH(QVariant, value);
        QCOMPARE(DisplayFormat::typedValue(typed, format), value);
    }

    // The supplier's tax rate typed in percent and kept as a fraction.
    void fractionOfPercent_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // "-" for nothing kept
        QTest::newRow("7") << u"7"_s << u"0.07"_s;
        QTest::newRow("quarter percent") << u"8.25"_s << u"0.0825"_s;
        QTest::newRow("blanks around") << u" 6 "_s << u"0.06"_s;
        QTest::newRow("grouped") << u"1,000"_s << u"10"_s;
        QTest::newRow("zero") << u"0"_s << u"0"_s;
        QTest::newRow("with its sign, left to the box") << u"7%"_s << u"-"_s;
        QTest::newRow("a word") << u"seven"_s << u"-"_s;
        QTest::newRow("empty") << u""_s << u"-"_s;
    }
    void fractionOfPercent() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(DisplayFormat::fractionOfPercent(typed).value_or(u"-"_s), kept);
    }
};

QTEST_GUILESS_MAIN(DisplayFormatTest)
#include "tst_displayformat.moc"
