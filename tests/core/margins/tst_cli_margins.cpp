#include "../import/ImporterFixtures.h"
#include "support/core/CliRun.h"
#include "support/core/TestCatalogue.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

QVariant amount(const QString& text) {
    return text == u"-"_s ? QVariant() : QVariant(text);
}

// Products with every kind of margin: cost, retail, price ("-" for none).
void addShop(TestCatalogue& catalogue) {
    const QStringList rows{
        u"A1 Vase 4.25 9.99 9.99"_s, u"B2 Frame 6 - 6.50"_s, u"C3 Clock 10 30 12"_s,
        u"D4 Mug 5.50 5 5"_s,        u"E5 Cup 4.20 5 -"_s,   u"F6 Bell - 8 8"_s,
        u"G7 Pen 2 - -"_s,           u"H8 Free 0 3 3"_s,     u"K9 Tied 4.20 5 0"_s};
    qint64 pid = 0;
    for (const QString& row : rows) {
        const QStringList v = row.split(u' ');
        ++pid;
        catalogue.add(pid, v[0],
                      {{PC::ProdName, v[1]},
                       {PC::Supplier, pid % 2 ? u"Odd"_s : u"Even"_s},
                       {PC::Cost1, amount(v[2])},
                       {PC::Retail, amount(v[3])},
                       {PC::Price, amount(v[4])}});
    }
}

} // namespace

class CliMarginsTest : public QObject {
    Q_OBJECT
private slots:
    // Worst first, equal margins by stock number; products without a price or cost passed over
    // and counted; exit 0 whether or not any is listed.
    void listsWorstFirst_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("settings"); // MinimumMargin, empty for none
        QTest::addColumn<QStringList>("expected");
        const QString d4 = u"D4  Mug  cost 5.50  price 5.00  margin -10.0%"_s;
        const QString b2 = u"B2  Frame  cost 6.00  price 6.50  margin 7.6%"_s;
        const QString c3 = u"C3  Clock  cost 10.00  price 12.00  margin 16.6%"_s;
        const QString e5 = u"E5  Cup  cost 4.20  price 5.00  margin 16.0%"_s;
        const QString k9 = u"K9  Tied  cost 4.20  price 5.00  margin 16.0%"_s;
        QTest::newRow("default minimum")
            << u""_s << u""_s
            << QStringList{d4,
                           b2,
                           e5,
                           k9,
                           c3,
                           u"5 of 9 products under a margin of 20.0%; 2 without a price or "
                           u"cost passed over"_s};
        QTest::newRow("below given")
            << u"--below 10%"_s << u""_s
            << QStringList{d4, b2,
                           u"2 of 9 products under a margin of 10.0%; 2 without a price or "
                           u"cost passed over"_s};
        QTest::newRow("the setting") << u""_s << u"0"_s
                                     << QStringList{d4, u"1 of 9 products under a margin of "
                                                        u"0.0%; 2 without a price or cost "
                                                        u"passed over"_s};
        QTest::newRow("a condition") << u"--where Supplier~=~'Even'"_s << u""_s
                                     << QStringList{d4, b2,
                                                    u"2 of 4 products under a margin of 20.0%; "
                                                    u"1 without a price or cost passed over"_s};
        QTest::newRow("every product under 100")
            << u"--below 100 --where StockNo~=~'H8'"_s << u""_s
            << QStringList{u"0 of 1 product under a margin of 100.0%; 0 without a price or "
                           u"cost passed over"_s};
    }
    void listsWorstFirst() {
        QFETCH(QString, arguments);
        QFETCH(QString, settings);
        QFETCH(QStringList, expected);
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString settingsFile = catalogue.filePath(u"settings.ini"_s);
        if (!settings.isEmpty())
            writeTestFile(settingsFile, "[Margins]\nMinimumMargin=" + settings.toUtf8() + '\n');
        QStringList words{u"margins"_s, u"--db"_s, catalogue.path(), u"--settings"_s, settingsFile};
        if (!arguments.isEmpty())
            words += argumentLine(arguments, {});
        const CliRun r = runProgram(words);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, expected.join(u'\n') + u'\n');
    }

    // A bad limit or setting: a plain message naming the value, exit 2, nothing written. Which
    // percentages are read is the margin settings' own test; here one row for each way in.
    void refuses_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("message");
        const QString notPercent = u" is not a percentage from 0 to 100 (such as 20 or 17.5%)"_s;
        QTest::newRow("word") << u"margins --below abc"_s << u""_s
                              << u"--below \"abc\""_s + notPercent;
        QTest::newRow("unreadable minimum")
            << u"margins"_s << u"MinimumMargin=lots"_s
            << u"the setting MinimumMargin in section Margins is \"lots\", which is not a "
               u"percentage from 0 to 100"_s;
        QTest::newRow("import trial, unreadable minimum")
            << u"import --source @p --divider comma --map 0=2,1=7 --dry-run"_s
            << u"MinimumMargin=-3"_s
            << u"the setting MinimumMargin in section Margins is \"-3\", which is not a "
               u"percentage from 0 to 100 (nothing was written)"_s;
    }
    void refuses() {
        QFETCH(QString, arguments);
        QFETCH(QString, settings);
        QFETCH(QString, message);
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString settingsFile = catalogue.filePath(u"settings.ini"_s);
        writeTestFile(settingsFile, "[Margins]\n" + settings.toUtf8() + '\n');
        const QString prices = catalogue.filePath(u"p.csv"_s);
        writeTestFile(prices, "A1,5\nNEW,3\n");
        // Read through the open connection: the catalogue file is never opened past SQLite.
        const auto snapshot = [&catalogue] {
            return productRows(catalogue.db()) +
                   catalogue.db().scalar(u"SELECT count(*) FROM Runs"_s).toString();
        };
        const QString before = snapshot();
        const CliRun r =
            runProgram(argumentLine(arguments, {{u"@p"_s, prices}}) +
                       QStringList{u"--db"_s, catalogue.path(), u"--settings"_s, settingsFile});
        QCOMPARE(r.status, 2);
        const QString command = arguments.section(u' ', 0, 0);
        QCOMPARE(r.err, u"tovin-catalog "_s + command + u": "_s + message + u'\n');
        QCOMPARE(snapshot(), before);
    }

    // The import prints the summary after its totals, the trial run the same one.
    void importPrintsTheSummary() {
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString settingsFile = catalogue.filePath(u"settings.ini"_s);
        writeTestFile(settingsFile, "[Margins]\nPriceEnding=.99\n");
        const QString prices = catalogue.filePath(u"p.csv"_s);
        writeTestFile(prices, "A1,5\nC3,11\nF6,1\nNEW,3\n");
        const QStringList words{
            u"import"_s, u"--db"_s,    catalogue.path(), u"--source"_s, prices,
            u"--map"_s,  u"0=2,1=7"_s, u"--settings"_s,  settingsFile,  u"--keep-margins"_s,
            u"--note"_s, u"n"_s,       u"--divider"_s,   u"comma"_s};
        const CliRun trial = runProgram(words + QStringList{u"--dry-run"_s});
        const CliRun run = runProgram(words);
        QCOMPARE(run.status, 0);
        const QStringList summary{
            u"Total Checked: 4   Total Added: 1   Total Edited: 3"_s,
            u"Margins of the 4 products added or changed (minimum margin 20.0%):"_s,
            u"  Cost1 rose for 2 products and fell for 0"_s,
            u"  Largest rise: C3 \"Clock\", cost 10.00 to 11.00 (+1.00, +10.0%)"_s,
            u"  0 products at or below cost, 0 below the minimum margin, 1 without a price or "
            u"cost"_s,
            u"  Without a price or cost (1):"_s,
            u"    NEW: no price"_s,
            u"  Keep margins: 2 prices moved with their cost, 1 left as they were"_s,
            u"  Prices moved (2):"_s,
            u"    A1 \"Vase\": price 9.99 to 11.99 (cost 4.25 to 5.00)"_s,
            u"    C3 \"Clock\": price 12.00 to 13.99 (cost 10.00 to 11.00)"_s,
            u"  Prices left as they were (1):"_s,
            u"    F6 \"Bell\": cost none to 1.00, price 8.00 kept (no earlier cost)"_s};
        const QStringList lines = run.outLines();
        QCOMPARE(lines.mid(lines.indexOf(summary.first()), summary.size()), summary);
        const QStringList tried = trial.outLines();
        QCOMPARE(tried.mid(tried.indexOf(summary.first()), summary.size()), summary);
        QCOMPARE(productValue(catalogue.path(), u"Price"_s, u"C3"_s), u"139900"_s);
    }
};

QTEST_GUILESS_MAIN(CliMarginsTest)
#include "tst_cli_margins.moc"
