#include "ImporterFixtures.h"
#include "core/import/Divider.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/journal/RunHistory.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/StorageStatement.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestData.h"
#include "support/core/TestServer.h"

#include <QTest>
#include <atomic>
#include <future>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

Q_DECLARE_METATYPE(tovin::Divider)
Q_DECLARE_METATYPE(tovin::FieldMap)

namespace {
// Which items of a run are in the catalogue before it: those are edited.
enum class Existing { None, Refused, Every };
} // namespace
Q_DECLARE_METATYPE(Existing)

class ProductImporterTest : public QObject {
    Q_OBJECT
private slots:
    // Money values without a number are named with the line they came from, counted from the
    // file's first line, for edited and new products alike; the run's entry in the journal keeps
    // them under its totals.
    void pricesLeftAreNamed_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("edited and new")
            << "E1,Pen,call\nN1,Ink,3\nN2,Cup,ask\n"_ba << 0
            << QStringList{u"line 1: E1 Cost1 'call'"_s, u"line 3: N2 Cost1 'ask'"_s};
        QTest::newRow("after a heading line")
            << "Stock,Name,Cost\nN1,Ink,N/A\n"_ba << 1 << QStringList{u"line 2: N1 Cost1 'N/A'"_s};
        // A stock number on several lines is imported at its last line, its price from an
        // earlier one.
        QTest::newRow("repeated stock number") << "R1,Ink,call\nN1,Cup,2\nR1,Ink,\n"_ba << 0
                                               << QStringList{u"line 3: R1 Cost1 'call'"_s};
        QTest::newRow("none") << "N1,Ink,2\n"_ba << 0 << QStringList{};
    }
    void pricesLeftAreNamed() {
        QFETCH(QByteArray, lines);
        QFETCH(int, startLine);
        QFETCH(QStringList, named);
        TestCatalogue catalogue;
        catalogue.add(7, u"E1"_s, {{PC::Cost1, 5.0}});
        const FieldMap map{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}};
        const ImportOutcome outcome =
            ProductImporter::importText(catalogue.db(), TextFile::decode(lines), startLine,
                                        Divider::comma(), map, quietOptions(), {});
        QCOMPARE(outcome.passedOver, named.size());
        QCOMPARE(outcome.passedOverNamed, named);
        const QList<RunHistory::RunInfo> runs = RunHistory::runs(catalogue.db());
        QCOMPARE(runs.size(), 1);
        QStringList entry = RunHistory::line(runs.first()).split(u'\n');
        entry.removeFirst();
        QStringList expected;
        if (!named.isEmpty())
            expected << u"    "_s + ImportMessages::pricesLeft(named.size()) + u':';
        for (const QString& name : named)
            expected << u"       "_s + name;
        QCOMPARE(entry, expected);
        QCOMPARE(catalogue.text(u"E1"_s, u"Cost1"_s), u"5"_s);
    }

    // Lines "stock number, name, Cost1, OnSpecial, Catagory" imported into an empty catalogue
    // or one holding E1 (named Pen, Cost1 5, a line of notes): the totals told, and a column of
    // a product afterwards ("Stock.Column=value"). Edits and additions leave a line in the notes.
    void recordRules_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("editOnly");
        const auto row = [](const char* name, bool existing, const QByteArray& lines,
                            const QString& totals, const QString& expected,
                            const QString& note = QString(), bool editOnly = false) {
            QTest::newRow(name) << existing << lines << totals << expected << note << editOnly;
        };
        row("skipped stock numbers are not counted", false, "0,a,1\n99999999,b,2\n,c,3\nK1,d,4\n",
            totals(1, 1, 0), u"K1.Cost1=4"_s);
        row("edit only, all new", true, "N1,x,1\nN2,y,2\n", totals(0, 0, 0), u"N1.ProdName="_s, {},
            true);
        row("edit only still edits", true, "N1,x,1\nE1,y,2\n", totals(1, 0, 1), u"E1.Cost1=2"_s, {},
            true);
        row("dollar price read as its number", false, "P1,x,$5\n", totals(1, 1, 0),
            u"P1.Cost1=5"_s);
        row("price without a number keeps the stored one", true, "E1,,call\n", totals(1, 0, 0),
            u"E1.Cost1=5"_s);
        // A new product's money columns the file gives no number for get the default, as those
        // it does not map: one rule for every new product.
        row("price without a number on a new row takes the default", false, "P1,x,N/A\n",
            totals(1, 1, 0), u"P1.Cost1=0"_s);
        row("blank price on a new row takes the default", false, "P1,x,\n", totals(1, 1, 0),
            u"P1.Cost1=0"_s);
        row("unmapped price on a new row takes the default", false, "P1,x,2\n", totals(1, 1, 0),
            u"P1.Retail=0"_s);
        row("blank price, then the price on a later line", false, "P1,x,\nP1,x,3\n",
            totals(1, 1, 0), u"P1.Cost1=3"_s);
        row("blank yes/no on a new row keeps its default", false, "P1,x,2,\n", totals(1, 1, 0),
            u"P1.OnSpecial=False"_s);
        row("blank price leaves a stored price alone", true, "E1,Pen,\n", totals(1, 0, 0),
            u"E1.Cost1=5"_s);
        row("stock number in other letter case finds the row", true, "e1,Red Pen,5\n",
            totals(1, 0, 1), u"E1.ProdName=Red Pen"_s);
        row("same item twice: the later line, counted once", false, "D1,One,1\nD1,Two,1\n",
            totals(1, 1, 0), u"D1.ProdName=Two"_s);
        row("same item twice: a field left empty keeps the earlier value", false,
            "D1,One,1\nD1,,2\n", totals(1, 1, 0), u"D1.ProdName=One"_s);
        row("same item in other letter case", false, "D1,One,1\nX1,,2\nd1,Two,1\n", totals(2, 2, 0),
            u"D1.ProdName=Two"_s);
        row("same stored item twice: no change there and back", true, "E1,Red Pen,6\nE1,Pen,5\n",
            totals(1, 0, 0), u"E1.Notes=old line\r\n"_s, u"again"_s);
        row("apostrophe in stock number", false, "O'Brien-7,Chair,3\nO'Brien-7,Chair,4\n",
            totals(1, 1, 0), u"O'Brien-7.Cost1=4"_s);
        row("Y is yes, also for an existing row", true, "E1,,,Y\nN1,,,Y\n", totals(2, 1, 1),
            u"E1.OnSpecial=True"_s);
        row("added with a note", false, "A1,Pen,5\n", totals(1, 1, 0),
            u"A1.Notes=05/01/26 wp-cd.txt - Added This Item\r\n"_s, u"05/01/26 wp-cd.txt"_s);
        row("added without a note", false, "A1,Pen,5\n", totals(1, 1, 0), u"A1.Notes="_s);
        row("edited with a note", true, "E1,Red Pen,6\n", totals(1, 0, 1),
            u"E1.Notes=old line\r\nrefresh - Edited This Item\r\n"
            u"   Changed: ProdName From 'Pen' To 'Red Pen'\r\n"
            u"   Changed: Cost1 From '5' To '6'\r\n"_s,
            u"refresh"_s);
        row("edited without a note: today's date", true, "E1,Pen,7.5\n", totals(1, 0, 1),
            u"E1.Notes=old line\r\n05/01/26 - Edited This Item\r\n"
            u"   Changed: Cost1 From '5' To '7.5'\r\n"_s);
        row("unchanged item (5 and 5.00) is no edit and adds no note", true, "E1,Pen,5.00\n",
            totals(1, 0, 0), u"E1.Notes=old line\r\n"_s, u"refresh"_s);
    }
    void recordRules() {
        QFETCH(bool, existing);
        QFETCH(QByteArray, lines);
        QFETCH(QString, totals);
        QFETCH(QString, expected);
        QFETCH(QString, note);
        QFETCH(bool, editOnly);
        TestCatalogue catalogue;
        if (existing)
            catalogue.add(
                7, u"E1"_s,
                {{PC::ProdName, u"Pen"_s}, {PC::Cost1, 5.0}, {PC::Notes, u"old line\r\n"_s}});
        ImportOptions options = quietOptions();
        options.note = note;
        options.editOnly = editOnly;
        QCOMPARE(importLines(catalogue, lines, options).totals, totals);
        const qsizetype dot = expected.indexOf(u'.');
        const qsizetype eq = expected.indexOf(u'=');
        QCOMPARE(catalogue.text(expected.left(dot), expected.mid(dot + 1, eq - dot - 1)),
                 expected.mid(eq + 1));
    }

    // The edits of a group are written together (on a server in one statement): every row
    // ends as when each item is written alone (a transaction an item, which makes groups of
    // one), whatever columns each item changes and whatever values it gives.
    void editsWrittenTogetherAsOneByOne_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("every kind of column")
            << "E1,Lamp,7,Y,3\nE2,Desk,8.5,N,4\nE3,Chair,9.25,True,5\nE4,Shelf,10,False,6\n"_ba;
        QTest::newRow("columns changing from item to item")
            << "E1,Lamp\nE2,Desk\nE3,,9\nE4,,10\nE5,,,Y\nE6,Rug,11,Y,7\nE7,Mat\nE8,,12\n"_ba;
        QTest::newRow("unchanged items between edits")
            << "E1,Old 1,1\nE2,Desk,2\nE3,Old 3,3\nE4,Shelf,4.50\nE5,Old 5,5.00\n"_ba;
        QTest::newRow("texts with marks and spaces")
            << "E1,\"O'Brien, \\\"Big\\\" {x}\",1\nE2,NULL,2\nE3,  Rug  ,3\nE4,\u00c9t\u00e9,4\n"_ba;
        QTest::newRow("prices without a number among prices")
            << "E1,,call\nE2,,6\nE3,,ask\nE4,,7\n"_ba;
        QTest::newRow("edits and new items")
            << "E1,Lamp,7\nN1,New,1\nE2,Desk,8\nN2,Newer,2\nE3,Chair,9\n"_ba;
    }
    void editsWrittenTogetherAsOneByOne() {
        QFETCH(QByteArray, lines);
        const auto imported = [&lines](int commitEvery) {
            TestCatalogue catalogue;
            for (int i = 1; i <= 8; ++i) {
                ColumnValueList values{
                    {PC::ProdName, u"Old %1"_s.arg(i)}, {PC::Cost1, double(i)}, {PC::Catagory, i}};
                if (i % 2 == 0)
                    values.append({PC::Notes, u"note %1"_s.arg(i)});
                catalogue.add(i, u"E%1"_s.arg(i), values);
            }
            ImportOptions options = quietOptions();
            options.note = u"refresh"_s;
            options.commitEvery = commitEvery;
            const ImportOutcome outcome = importLines(catalogue, lines, options);
            return outcome.totals + u'\n' + productRows(catalogue.db());
        };
        QCOMPARE(imported(1000), imported(1));
    }

    // A trial run does the whole import, tells what it did and leaves the catalogue untouched;
    // values without a number are counted and named.
    void trialRunRollsBackAndReports() {
        TestCatalogue catalogue;
        catalogue.add(7, u"E1"_s, {{PC::Cost1, 3.89}, {PC::ProdName, u"Pen"_s}});
        catalogue.add(8, u"E2"_s, {{PC::Cost1, 2.0}});
        ImportReport report;
        ImportOptions options = quietOptions();
        options.dryRun = true;
        options.commitEvery = 1;
        options.report = &report;
        const ImportOutcome outcome =
            importLines(catalogue, "E1,Pen,4.25\nE2,,call\nN1,New,$1.10\n"_ba, options);
        QCOMPARE(outcome.totals, totals(3, 1, 1));
        QCOMPARE(outcome.passedOver, 1);
        QCOMPARE(report.changes, QStringList{u"E1:    Changed: Cost1 From '3.89' To '4.25'"_s});
        QCOMPARE(report.added, QStringList{u"N1"_s});
        QCOMPARE(report.passedOver, QStringList{u"line 2: E2 Cost1 'call'"_s});
        QCOMPARE(catalogue.count(), 2);
        QCOMPARE(catalogue.text(u"E1"_s, u"Cost1"_s), u"3.89"_s);
        QCOMPARE(catalogue.text(u"E1"_s, u"Notes"_s), QString());

        options.dryRun = false;
        options.report = nullptr;
        importLines(catalogue, "E1,Pen,4.25\n"_ba, options);
        QCOMPARE(catalogue.text(u"E1"_s, u"Cost1"_s), u"4.25"_s);
    }

    // Stock numbers on several items of one file are named with their lines (counted from 1,
    // the start line's items included); only the last item is imported.
    void repeatedStockNumbersAreNamed() {
        TestCatalogue catalogue;
        const ImportOutcome outcome = importLines(
            catalogue, "Stock,Name\nAB12,a,1\nC3,b,2\nab12,c,3\nC3,d,4\nC3,e,5\nF6,f,6\n"_ba,
            quietOptions());
        QCOMPARE(outcome.repeatedCount, 2);
        QCOMPARE(outcome.repeated,
                 (QStringList{u"AB12 is on lines 2 and 4; the later line was used"_s,
                              u"C3 is on lines 3, 5 and 6; the last line was used"_s}));
        QCOMPARE(outcome.totals, totals(4, 4, 0));
        QCOMPARE(catalogue.text(u"C3"_s, u"Cost1"_s), u"5"_s);
    }

    // Real supplier files imported as they are read from disk, streamed, give the rows, totals
    // and messages of the same files read whole: quoted fields over several lines, repeated
    // stock numbers, Windows-1252 text with decimal commas, a byte-order mark, a start line.
    void streamedImportMatchesWholeFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Divider>("divider");
        QTest::addColumn<int>("startLine");
        QTest::addColumn<FieldMap>("map");
        QTest::addColumn<bool>("decimalComma");
        QTest::newRow("multi-line descriptions")
            << u"magento_products_gear_bags.csv"_s << Divider::comma() << 1
            << FieldMap{{1, PC::ProdName}, {2, PC::StockNo}, {3, PC::Retail}, {5, PC::ProdDesc}}
            << false;
        QTest::newRow("variant rows repeat the handle")
            << u"shopify_jewelery.csv"_s << Divider::comma() << 1
            << FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::ProdDesc}, {19, PC::Retail}}
            << false;
        QTest::newRow("orders repeat products")
            << u"superstore_orders_utf8bom_crlf.csv"_s << Divider::comma() << 0
            << FieldMap{{13, PC::StockNo}, {16, PC::ProdName}, {17, PC::Cost1}} << false;
        QTest::newRow("Windows-1252, tabs, decimal commas")
            << u"bdpm_CIS_CIP_cp1252_tab_first500.txt"_s << Divider::tab() << 0
            << FieldMap{{0, PC::StockNo}, {2, PC::ProdName}, {9, PC::Retail}} << true;
        QTest::newRow("price list words")
            << u"woocommerce_sample_products.csv"_s << Divider::comma() << 1
            << FieldMap{{2, PC::StockNo}, {3, PC::ProdName}, {8, PC::ProdDesc}, {24, PC::Cost1}}
            << false;
    }
    void streamedImportMatchesWholeFile() {
        QFETCH(QString, name);
        QFETCH(Divider, divider);
        QFETCH(int, startLine);
        QFETCH(FieldMap, map);
        QFETCH(bool, decimalComma);
        const QString path = test::testDataFile(u"delimited/"_s + name);
        REQUIRE_TEST_FILE(path);
        QStringList told[2];
        QString rows[2];
        for (int streamed = 0; streamed < 2; ++streamed) {
            TestCatalogue catalogue;
            catalogue.add(1, u"24-WB04"_s, {{PC::ProdName, u"Old bag"_s}, {PC::Retail, 1}});
            QList<RunTimeError> errors;
            ImportOptions options = quietOptions(&errors);
            options.decimalComma = decimalComma;
            options.commitEvery = 7;
            options.note = u"list"_s;
            const ImportOutcome outcome =
                streamed ? ProductImporter::importFile(catalogue.db(), path, QString(), startLine,
                                                       divider, map, options, {})
                         : ProductImporter::importText(catalogue.db(), TextFile::load(path),
                                                       startLine, divider, map, options, {});
            told[streamed] = toldBy(outcome, errors);
            rows[streamed] = productRows(catalogue.db());
        }
        QCOMPARE(told[1], told[0]);
        QCOMPARE(rows[1], rows[0]);
        QVERIFY(rows[0].count(u'\n') > 10);
    }

    // The block an import adds to Notes starts on a line of its own, after the Notes value of
    // the file or the notes already stored.
    void notesBlockStartsOnItsOwnLine_data() {
        QTest::addColumn<QString>("stored"); // notes of E1; "-" for no product E1
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("notes");
        QTest::newRow("new row with notes")
            << u"-"_s << "E1,Fragile,1"_ba << u"Fragile\r\nspring - Added This Item\r\n"_s;
        QTest::newRow("notes typed without a line end")
            << u"typed by hand"_s << "E1,,6"_ba
            << u"typed by hand\r\nspring - Edited This Item\r\n"
               u"   Changed: Cost1 From '5' To '6'\r\n"_s;
        QTest::newRow("edited notes") << u"old"_s << "E1,Fragile,5"_ba
                                      << u"Fragile\r\nspring - Edited This Item\r\n"
                                         u"   Changed: Notes From 'old' To 'Fragile'\r\n"_s;
    }
    void notesBlockStartsOnItsOwnLine() {
        QFETCH(QString, stored);
        QFETCH(QByteArray, line);
        QFETCH(QString, notes);
        TestCatalogue catalogue;
        if (stored != u"-"_s)
            catalogue.add(7, u"E1"_s, {{PC::Cost1, 5.0}, {PC::Notes, stored}});
        ImportOptions options = quietOptions();
        options.note = u"spring"_s;
        importLines(catalogue, line, options,
                    FieldMap{{0, PC::StockNo}, {1, PC::Notes}, {2, PC::Cost1}});
        QCOMPARE(catalogue.text(u"E1"_s, u"Notes"_s), notes);
    }

    // The importer reads prices the way the file writes decimals (the rules test holds every
    // form): a price left unread is counted and named.
    void moneyMarks_data() {
        QTest::addColumn<QByteArray>("price");
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<QString>("cost"); // of P1; the default "0" when the price was left
        QTest::newRow("decimal comma unticked") << "44,38"_ba << false << u"0"_s;
        QTest::newRow("thousands") << "1,234.50"_ba << false << u"1234.5"_s;
        QTest::newRow("decimal comma") << "1.234,50"_ba << true << u"1234.5"_s;
    }
    void moneyMarks() {
        QFETCH(QByteArray, price);
        QFETCH(bool, decimalComma);
        QFETCH(QString, cost);
        TestCatalogue catalogue;
        ImportReport report;
        ImportOptions options = quietOptions();
        options.decimalComma = decimalComma;
        options.report = &report;
        const ImportOutcome outcome =
            importLines(catalogue, "P1\tx\t" + price + "\n", options, SimpleMap, Divider::tab());
        QCOMPARE(catalogue.text(u"P1"_s, u"Cost1"_s), cost);
        const bool passedOver = cost == u"0"_s;
        QCOMPARE(outcome.passedOver, passedOver ? 1 : 0);
        QCOMPARE(report.passedOver, passedOver ? QStringList{u"line 1: P1 Cost1 '"_s +
                                                             QString::fromLatin1(price) + u"'"_s}
                                               : QStringList{});
    }

    // Lines of the stock file "S1]Lamp]1]2]3]9.99]Each]<stock>]<stock>]x]<discontinued>]x]Y".
    void stockFileFields_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("skipDiscontinued");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<QString>("outStock");
        const auto row = [](const char* name, const QByteArray& stock, const QByteArray& disco,
                            bool skip, const QString& outStock = QString()) {
            QTest::newRow(name) << "S1]Lamp]1]2]3]9.99]Each]" + stock + "]x]" + disco + "]x]Y"
                                << skip << qint64(disco == "yes" ? 0 : 1) << outStock;
        };
        row("dashes become empty", "-]-", "N", false);
        row("second stock field wins", "Low]Back order", "N", false, u"Back order"_s);
        row("discontinued kept", "-]-", "Y", false);
        row("discontinued passed over", "-]-", "yes", true);
    }
    void stockFileFields() {
        QFETCH(QByteArray, line);
        QFETCH(bool, skipDiscontinued);
        QFETCH(qint64, rows);
        QFETCH(QString, outStock);
        TestCatalogue catalogue;
        const FixedMappings::SupplierFile stock = FixedMappings::stockFile();
        ImportOptions options = quietOptions();
        options.skipDiscontinued = skipDiscontinued;
        const ImportOutcome outcome =
            importLines(catalogue, line, options, stock.map, stock.divider);
        QCOMPARE(catalogue.count(), rows);
        QCOMPARE(outcome.counts.checked, int(rows));
        if (rows)
            QCOMPARE(catalogue.text(u"S1"_s, u"OutStock"_s), outStock);
    }

    void refusedValueIsReportedAndPassedOver() {
        TestCatalogue catalogue;
        QList<RunTimeError> errors;
        const ImportOutcome outcome =
            importLines(catalogue, "R1,Chair,3,Y,garden\n"_ba, quietOptions(&errors));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().number(), ErrorNumber::TypeMismatch);
        QVERIFY2(errors.first().description().startsWith(u"item R1, column Catagory: "_s),
                 qPrintable(errors.first().description()));
        QCOMPARE(outcome.errors, 1);
        QCOMPARE(catalogue.text(u"R1"_s, u"ProdName"_s), u"Chair"_s);
        QCOMPARE(catalogue.text(u"R1"_s, u"Cost1"_s), u"3"_s);
    }

    // A row the catalogue refuses (here a rule of the shop's own) is passed over and named; the
    // rows after it are written as usual.
    void refusedRowIsPassedOverAndTheRestWritten_data() {
        QTest::addColumn<Existing>("existing");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("commitEvery");
        QTest::newRow("new item refused") << Existing::None << u"N25"_s << 60 << 10;
        QTest::newRow("edit refused") << Existing::Refused << u"N25"_s << 60 << 10;
        // On a server the edits of a group go in one statement: refused, they go again one
        // by one.
        QTest::newRow("edit refused among edits") << Existing::Every << u"N25"_s << 60 << 100;
        // The run's first write: the run's journal goes on after it.
        QTest::newRow("first new item refused") << Existing::None << u"N1"_s << 60 << 10;
        // On a server the answers to the first group's writes come while the next group is
        // read and looked up.
        const int groups = 2 * ProductImporter::GroupSize + 10;
        QTest::newRow("new item refused, next group read meanwhile")
            << Existing::None << u"N25"_s << groups << 2000;
        QTest::newRow("edit refused, next group read meanwhile")
            << Existing::Refused << u"N25"_s << groups << 2000;
        QTest::newRow("edit refused among edits, next group read meanwhile")
            << Existing::Every << u"N25"_s << groups << 2000;
    }
    void refusedRowIsPassedOverAndTheRestWritten() {
        QFETCH(Existing, existing);
        QFETCH(QString, refused);
        QFETCH(int, lines);
        QFETCH(int, commitEvery);
        TestCatalogue catalogue;
        if (existing == Existing::Refused) {
            catalogue.add(1, refused);
        } else if (existing == Existing::Every) {
            ScopedTransaction transaction(catalogue.db());
            for (int i = 1; i <= lines; ++i)
                catalogue.add(i, u"N"_s + QString::number(i));
            transaction.commit();
        }
        const QString when = existing != Existing::None ? u"UPDATE"_s : u"INSERT"_s;
        const QString row = existing != Existing::None ? u"old"_s : u"new"_s;
        test::addRefusingTrigger(catalogue.db(), when + u" ON Products"_s, u"not this one"_s,
                                 row + u".StockNo = '"_s + refused + u'\'');
        QList<RunTimeError> errors;
        ImportOptions options = quietOptions(&errors);
        options.commitEvery = commitEvery;
        const ImportOutcome outcome = importLines(catalogue, numberedLines(lines), options);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().description(),
                 u"item "_s + refused + u": the catalogue refused it (not this one)"_s);
        QCOMPARE(catalogue.count(
                     catalogue.db().dialect().likeIgnoringCase(u"ProdName"_s, u"'Item %'"_s)),
                 lines - 1);
        QCOMPARE(catalogue.text(refused, u"ProdName"_s), QString());
        QCOMPARE(catalogue.count(), existing == Existing::None ? lines - 1 : lines);
        const QString expected = existing == Existing::Every     ? totals(lines, 0, lines - 1)
                                 : existing == Existing::Refused ? totals(lines, lines - 1, 0)
                                                                 : totals(lines - 1, lines - 1, 0);
        QCOMPARE(outcome.totals, expected);
        QCOMPARE(catalogue.text(u"N"_s + QString::number(lines), u"ProdName"_s),
                 u"Item "_s + QString::number(lines));
    }

    // Items are looked up in groups; two stock numbers that the catalogue's comparison takes as
    // one product are still found as one, the later editing what the earlier added. The file
    // folds only the letters A to Z; the server folds every letter and reads composed and
    // decomposed accents alike.
    // The later may come in the next group, looked up while the catalogue is still writing the
    // earlier group.
    void stockNumbersTheCatalogueTakesAsOne_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("between"); // items between the two
        QTest::newRow("accented capital") << u"\u00C91"_s << u"\u00E91"_s << 0;
        QTest::newRow("composed and decomposed") << u"\u00E91"_s << u"e\u03011"_s << 0;
        QTest::newRow("in the next group")
            << u"\u00C91"_s << u"\u00E91"_s << ProductImporter::GroupSize + 10;
    }
    void stockNumbersTheCatalogueTakesAsOne() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, between);
        TestCatalogue catalogue;
        const QByteArray lines = (first + u",First,1\n"_s).toUtf8() + numberedLines(between, 100) +
                                 (second + u",Second,2\n"_s).toUtf8();
        const ImportOutcome outcome =
            importLines(catalogue, lines + numberedLines(3), quietOptions());
        const bool asOne = test::onServer();
        const int items = 5 + between;
        QCOMPARE(outcome.totals, asOne ? totals(items, items - 1, 1) : totals(items, items, 0));
        QCOMPARE(catalogue.text(first, u"ProdName"_s), asOne ? u"Second"_s : u"First"_s);
    }

    // A group's stock numbers go to the server as one list: marks that the list's own writing
    // uses stay part of the number, so a second import finds each product again.
    void stockNumbersWithMarksAreFoundAgain_data() {
        QTest::addColumn<QString>("stockNumber");
        QTest::newRow("double quote") << u"A\"1"_s;
        QTest::newRow("backslash") << u"B\\2"_s;
        QTest::newRow("comma") << u"C,3"_s;
        QTest::newRow("braces") << u"{D4}"_s;
        QTest::newRow("the word NULL") << u"NULL"_s;
        QTest::newRow("inner space") << u"E 5"_s;
        QTest::newRow("single quote") << u"'F6"_s;
    }
    void stockNumbersWithMarksAreFoundAgain() {
        QFETCH(QString, stockNumber);
        TestCatalogue catalogue;
        const auto lines = [&](const QString& name) {
            return (stockNumber + u"\t"_s + name + u"\t1\nN1\t"_s + name + u"\t1\n"_s).toUtf8();
        };
        importLines(catalogue, lines(u"First"_s), quietOptions(), SimpleMap, Divider::tab());
        const ImportOutcome again =
            importLines(catalogue, lines(u"Second"_s), quietOptions(), SimpleMap, Divider::tab());
        QCOMPARE(again.totals, totals(2, 0, 2));
        QCOMPARE(catalogue.text(stockNumber, u"ProdName"_s), u"Second"_s);
        QCOMPARE(catalogue.count(), qint64(2));
    }

    // A stock number holding the character NUL is another product's number with more after it.
    // The file keeps it whole; the server cannot keep it, so the item is passed over and named
    // there, never taken as the product whose number ends at the NUL.
    void stockNumberHoldingNulIsNeverCutShort_data() {
        QTest::addColumn<bool>("shortOneThere"); // the catalogue holds "AB" before the import
        QTest::newRow("new item") << false;
        QTest::newRow("beside the number it starts with") << true;
    }
    void stockNumberHoldingNulIsNeverCutShort() {
        QFETCH(bool, shortOneThere);
        TestCatalogue catalogue;
        if (shortOneThere)
            catalogue.add(1, u"AB"_s, {{PC::ProdName, u"Short"_s}});
        const QString cut = u"AB"_s + QChar(0) + u"CD"_s;
        QList<RunTimeError> errors;
        const ImportOutcome outcome = importLines(
            catalogue, cut.toUtf8() + ",Long,2\n"_ba + numberedLines(3), quietOptions(&errors));
        const int before = shortOneThere ? 1 : 0;
        if (test::onServer()) {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().description().contains(u"NUL"_s),
                     qPrintable(errors.first().description()));
            QCOMPARE(outcome.totals, totals(3, 3, 0));
            QCOMPARE(catalogue.count(), qint64(before + 3));
        } else {
            QCOMPARE(errors.size(), 0);
            QCOMPARE(outcome.totals, totals(4, 4, 0));
            QCOMPARE(catalogue.text(cut, u"ProdName"_s), u"Long"_s);
        }
        if (shortOneThere)
            QCOMPARE(catalogue.text(u"AB"_s, u"ProdName"_s), u"Short"_s);
    }
};

QTEST_GUILESS_MAIN(ProductImporterTest)
#include "tst_productimporter.moc"
