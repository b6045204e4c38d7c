#include "../import/ImporterFixtures.h"
#include "core/import/ImportReport.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"
#include "core/margins/MarginSettings.h"
#include "core/settings/SettingsStore.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestCatalogue.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Stock number, Cost1, Price, Retail.
const FieldMap PriceMap{{0, PC::StockNo}, {1, PC::Cost1}, {2, PC::Price}, {3, PC::Retail}};

ImportOptions marginOptions(bool keep, const QString& ending = u"none"_s) {
    ImportOptions options = quietOptions();
    options.keepMargins = keep;
    MarginSettings settings;
    settings.ending = *PriceEnding::fromText(ending);
    options.margins = settings;
    return options;
}

QVariant amount(const QString& text) {
    return text == u"-"_s ? QVariant() : QVariant(text);
}

// A product with its cost, retail and price ("-" for none).
void addPriced(TestCatalogue& catalogue, qint64 pid, const QString& stockNumber,
               const QString& cost, const QString& retail, const QString& price,
               const QString& name = QString()) {
    catalogue.add(pid, stockNumber,
                  {{PC::ProdName, name},
                   {PC::Cost1, amount(cost)},
                   {PC::Retail, amount(retail)},
                   {PC::Price, amount(price)}});
}

QString prices(TestCatalogue& catalogue, const QString& stockNumber) {
    return catalogue.text(stockNumber, u"Cost1"_s) + u'|' +
           catalogue.text(stockNumber, u"Retail"_s) + u'|' +
           catalogue.text(stockNumber, u"Price"_s);
}

qint64 lastRun(CatalogueDatabase& db) {
    const QList<RunHistory::RunInfo> runs = RunHistory::runs(db);
    return runs.isEmpty() ? 0 : runs.first().number;
}

// A catalogue of products whose costs the file below moves every way.
void addShop(TestCatalogue& catalogue) {
    addPriced(catalogue, 1, u"RISE"_s, u"4.25"_s, u"9.99"_s, u"9.99"_s, u"Vase"_s);
    addPriced(catalogue, 2, u"FALL"_s, u"6.80"_s, u"15.95"_s, u"-"_s, u"Frame"_s);
    addPriced(catalogue, 3, u"BIG"_s, u"10"_s, u"30"_s, u"25"_s, u"Clock"_s);
    addPriced(catalogue, 4, u"LOSS"_s, u"3"_s, u"5"_s, u"5"_s, u"Mug"_s);
    addPriced(catalogue, 5, u"THIN"_s, u"3"_s, u"5"_s, u"5"_s, u"Cup"_s);
    addPriced(catalogue, 6, u"NOCOST"_s, u"-"_s, u"8"_s, u"8"_s, u"Bell"_s);
    addPriced(catalogue, 7, u"SAME"_s, u"2"_s, u"2.50"_s, u"2.50"_s, u"Pen"_s);
}
const QByteArray ShopFile = "RISE,5,,\nFALL,6,,\nBIG,14,,\nLOSS,5.50,,\nTHIN,4.20,,\n"
                            "NOCOST,1,,\nSAME,2.00,,\nNEW,3,3.50,\nBARE,,,\n"_ba;

} // namespace

class MarginImportTest : public QObject {
    Q_OBJECT
private slots:
    // The selling price moves with Cost1 unless the file gives it, and is left as it is (and
    // counted) when there is nothing to scale it from. The new price's rounding and ending, and
    // each reason a price cannot move, are the margin test's (keptPrice, priceEnding).
    void keepMargins_data() {
        QTest::addColumn<QString>("stored"); // cost retail price, "-" for none
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("expected"); // cost|retail|price after
        QTest::addColumn<QString>("kept");     // moved, left as they were
        QTest::newRow("rise moves Price") << u"4.25 9.99 9.99"_s << "A,5,,"_ba << u".99"_s << true
                                          << u"5|9.99|11.99"_s << u"1 0"_s;
        QTest::newRow("Retail when there is no Price")
            << u"2 5 -"_s << "A,3,,"_ba << u"none"_s << true << u"3|7.5|"_s << u"1 0"_s;
        QTest::newRow("Retail when Price is 0")
            << u"2 5 0"_s << "A,3,,"_ba << u"none"_s << true << u"3|7.5|0"_s << u"1 0"_s;
        QTest::newRow("the file gives Price")
            << u"4 8 8"_s << "A,5,9,"_ba << u".99"_s << true << u"5|8|9"_s << u"0 0"_s;
        QTest::newRow("the file gives Retail, Price sells")
            << u"4 8 8"_s << "A,5,,12"_ba << u"none"_s << true << u"5|12|10"_s << u"1 0"_s;
        QTest::newRow("the file gives Retail, Retail sells")
            << u"4 8 -"_s << "A,5,,12"_ba << u"none"_s << true << u"5|12|"_s << u"0 0"_s;
        QTest::newRow("no old cost")
            << u"- 9.99 9.99"_s << "A,5,,"_ba << u"none"_s << true << u"5|9.99|9.99"_s << u"0 1"_s;
        QTest::newRow("no selling price")
            << u"4 - -"_s << "A,5,,"_ba << u"none"_s << true << u"5||"_s << u"0 1"_s;
        QTest::newRow("cost unchanged")
            << u"4 10 10"_s << "A,4.00,,"_ba << u".99"_s << true << u"4|10|10"_s << u"0 0"_s;
        QTest::newRow("off") << u"4.25 9.99 9.99"_s << "A,5,,"_ba << u".99"_s << false
                             << u"5|9.99|9.99"_s << u"0 0"_s;
    }
    void keepMargins() {
        QFETCH(QString, stored);
        QFETCH(QByteArray, line);
        QFETCH(QString, ending);
        QFETCH(bool, keep);
        QFETCH(QString, expected);
        QFETCH(QString, kept);
        TestCatalogue catalogue;
        const QStringList values = stored.split(u' ');
        addPriced(catalogue, 1, u"A"_s, values[0], values[1], values[2]);
        const ImportOutcome outcome =
            importLines(catalogue, line, marginOptions(keep, ending), PriceMap);
        QCOMPARE(prices(catalogue, u"A"_s), expected);
        QCOMPARE(u"%1 %2"_s.arg(outcome.margins.pricesMoved).arg(outcome.margins.pricesUnmovable),
                 kept);
    }

    // A moved price is one more change of the product, in its notes and the run's report.
    void movedPriceIsAChange() {
        TestCatalogue catalogue;
        addPriced(catalogue, 1, u"A"_s, u"4.25"_s, u"9.99"_s, u"9.99"_s);
        ImportReport report;
        ImportOptions options = marginOptions(true, u".99"_s);
        options.report = &report;
        importLines(catalogue, "A,5,,"_ba, options, PriceMap);
        QCOMPARE(report.changes, (QStringList{u"A:    Changed: Cost1 From '4.25' To '5'"_s,
                                              u"A:    Changed: Price From '9.99' To '11.99'"_s}));
        QVERIFY(catalogue.text(u"A"_s, u"Notes"_s)
                    .contains(u"Changed: Price From '9.99' To '11.99'"_s));
    }

    // The summary counts the products added or changed: not those only checked.
    void summaryOfARun() {
        TestCatalogue catalogue;
        addShop(catalogue);
        const ImportOutcome outcome =
            importLines(catalogue, ShopFile, marginOptions(false), PriceMap);
        const MarginSummary& s = outcome.margins;
        QCOMPARE(s.touched, 8); // SAME is unchanged
        QCOMPARE(s.costRose, 4);
        QCOMPARE(s.costFell, 1);
        QCOMPARE(s.largestRise->stockNumber, u"BIG"_s);
        QCOMPARE(s.atOrBelowCost, 1);
        QCOMPARE(s.atOrBelowCostNamed.first().stockNumber, u"LOSS"_s);
        QCOMPARE(s.belowMinimum, 2); // THIN at 16 %, NEW at 14.2 %
        QStringList below;
        for (const MarginProduct& product : s.belowMinimumNamed)
            below << product.stockNumber;
        QCOMPARE(below, (QStringList{u"NEW"_s, u"THIN"_s}));
        // BARE is added without a price (its cost takes the column's default of 0).
        QCOMPARE(s.withoutPriceOrCost, 1);
        QCOMPARE(s.withoutPriceOrCostNamed.first().stockNumber, u"BARE"_s);
        QCOMPARE(
            s.lines().mid(0, 3),
            (QStringList{u"Margins of the 8 products added or changed (minimum margin 20.0%):"_s,
                         u"  Cost1 rose for 4 products and fell for 1"_s,
                         u"  Largest rise: BIG \"Clock\", cost 10.00 to 14.00 (+4.00, +40.0%)"_s}));
    }

    // A trial run tells what the run does, figure for figure, and writes nothing.
    void trialEqualsRun() {
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString before = productRows(catalogue.db());
        ImportReport trialReport;
        ImportOptions trial = marginOptions(true, u".99"_s);
        trial.dryRun = true;
        trial.report = &trialReport;
        const ImportOutcome tried = importLines(catalogue, ShopFile, trial, PriceMap);
        QCOMPARE(productRows(catalogue.db()), before);
        ImportReport runReport;
        ImportOptions run = marginOptions(true, u".99"_s);
        run.report = &runReport;
        const ImportOutcome done = importLines(catalogue, ShopFile, run, PriceMap);
        QVERIFY(productRows(catalogue.db()) != before);
        QCOMPARE(tried.totals, done.totals);
        QCOMPARE(tried.margins.lines(), done.margins.lines());
        QCOMPARE(trialReport.changes, runReport.changes);
        QCOMPARE(done.margins.pricesMoved, 5);
    }

    // Undoing a keep-margins run gives every product back as it was, byte for byte.
    void undoGivesBackEveryPrice() {
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString before = productRows(catalogue.db());
        importLines(catalogue, ShopFile, marginOptions(true, u".49/.99"_s), PriceMap);
        QCOMPARE(prices(catalogue, u"RISE"_s), u"5|9.99|11.99"_s);
        const RunUndo::Result undone = RunUndo::undo(catalogue.db(), lastRun(catalogue.db()));
        QVERIFY(undone.kept.isEmpty());
        QCOMPARE(productRows(catalogue.db()), before);
    }

    // A product whose row the catalogue refuses is not in the summary.
    void refusedRowIsNotCounted() {
        TestCatalogue catalogue;
        addShop(catalogue);
        addRefusingTrigger(catalogue.db(), u"UPDATE ON Products"_s, u"not this one"_s,
                           u"old.StockNo = 'LOSS'"_s);
        const ImportOutcome outcome =
            importLines(catalogue, ShopFile, marginOptions(true), PriceMap);
        QCOMPARE(outcome.margins.touched, 7);
        QCOMPARE(outcome.margins.atOrBelowCost, 0);
        QCOMPARE(outcome.margins.pricesMoved, 4);
    }

    // A setting that cannot be read refuses the run before it writes anything.
    void unreadableSettingWritesNothing_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("minimum margin") << MarginSettings::MinimumMarginKey << u"abc"_s;
        QTest::newRow("price ending") << MarginSettings::PriceEndingKey << u".97"_s;
    }
    void unreadableSettingWritesNothing() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"settings.ini"_s);
        {
            SettingsStore store(file);
            store.setValue(MarginSettings::Section, key, value);
        }
        SettingsStore::setProgramFile(file);
        const auto restore =
            qScopeGuard([&dir] { SettingsStore::setProgramFile(dir.filePath(u"unused.ini"_s)); });
        TestCatalogue catalogue;
        addShop(catalogue);
        const QString before = productRows(catalogue.db());
        ImportOptions options = quietOptions();
        options.keepMargins = true;
        try {
            importLines(catalogue, ShopFile, options, PriceMap);
            QFAIL("the run went on");
        } catch (const RunTimeError& error) {
            QVERIFY2(error.description().contains(u'"' + value + u'"'),
                     qPrintable(error.description()));
        }
        QCOMPARE(productRows(catalogue.db()), before);
        QCOMPARE(lastRun(catalogue.db()), 0);
    }
};

QTEST_GUILESS_MAIN(MarginImportTest)
#include "tst_marginimport.moc"
