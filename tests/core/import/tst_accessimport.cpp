#include "core/base/RunTimeError.h"
#include "core/import/AccessTableImport.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestData.h"
#include "support/core/TestHelpers.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::TestCatalogue;
using Choice = AccessTableImport::TableChoice;

namespace {

QString database(const QString& name) {
    return test::testDataFile(u"mdb/"_s + name);
}

ImportOptions quiet() {
    ImportOptions options;
    options.onError = [](const RunTimeError&) {};
    return options;
}

} // namespace

class AccessImportTest : public QObject {
    Q_OBJECT
private slots:
    // System tables stand as "** DON'T USE **" in the list and cannot be picked.
    void systemTablesAreRefused() {
        REQUIRE_TEST_FILE(database(u"nwind_jet3.mdb"_s));
        AccessTableImport import(database(u"nwind_jet3.mdb"_s));
        const QStringList choices = import.tableChoices();
        QVERIFY(!choices.join(u'|').contains(u"MSys"_s, Qt::CaseInsensitive));
        QCOMPARE(import.chooseTable(0), Choice::Refused);
        QCOMPARE(import.chooseTable(u"MSysObjects"_s), Choice::Refused);
        QCOMPARE(import.chooseTable(int(choices.size())), Choice::Invalid);
        QVERIFY(import.table().isEmpty());
        QCOMPARE(import.chooseTable(int(choices.indexOf(u"Products"_s))), Choice::Chosen);
        QCOMPARE(import.mapping().label(1), u"ProductName"_s);
        QCOMPARE(import.mapping().fieldCount(), 10);
    }

    // Tables read with the user's mapping, or (for a database named TOVIN.MDB in any letter
    // case) with the fixed one: rows added, and columns of one product ("Column=value").
    void tables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table"); // empty: the fixed mapping
        QTest::addColumn<QList<int>>("map");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QStringList>("expected");
        const QString jet4 = u"stock_inventory_jet4.mdb"_s, jet3 = u"nwind_jet3.mdb"_s;
        QTest::newRow("shop stock table, code as stock number, whole-number prices")
            << jet4 << u"product_table"_s << QList<int>{2, 2, 3, 3, 0, 1, 5, 7, 6, 12} << 96
            << u"P-RUBY1-MB"_s
            << QStringList{u"ProdName=RUBY 1 CHAIR MARBLE BGE"_s, u"Retail=260"_s};
        QTest::newRow("non-ASCII names, money, discontinued passed over")
            << jet3 << u"Products"_s << QList<int>{0, 2, 1, 3, 5, 12, 9, 21} << 69 << u"22"_s
            << QStringList{u"ProdName=Gustaf's Knäckebröd"_s, u"Retail=21"_s};
        QTest::newRow("Access 2007 file")
            << u"asset_sample_ace12.accdb"_s << u"Asset Items"_s << QList<int>{0, 2, 4, 3, 8, 7}
            << 65 << u"30050"_s << QStringList{u"Cost1=1995.5"_s};
        // No table has the 19 product columns, so the one named Products is read: UnitPrice at
        // position 5 is Cost3, ReorderLevel at 8 the page, "24 - 500 g pkgs." is no price and
        // leaves Cost2 at 0 (two numbers, not one with letters after it), and Discontinued at 9
        // is the discontinued flag.
        QTest::newRow("TOVIN.MDB") << u"ToViN.mDb"_s << QString() << QList<int>{} << 69 << u"22"_s
                                   << QStringList{u"ProdName=Gustaf's Knäckebröd"_s, u"Cost3=21"_s,
                                                  u"PageNo=25"_s, u"Cost2=0"_s};
    }
    void tables() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QList<int>, map);
        QFETCH(int, rows);
        QFETCH(QString, stock);
        QFETCH(QStringList, expected);
        TestCatalogue catalogue;
        if (table.isEmpty())
            QVERIFY(QFile::copy(database(u"nwind_jet3.mdb"_s), catalogue.filePath(file)));
        AccessTableImport import(table.isEmpty() ? catalogue.filePath(file) : database(file));
        QCOMPARE(import.isTovinDatabase(), table.isEmpty());
        if (table.isEmpty()) {
            QCOMPARE(import.tovinProductTable(), u"Products"_s);
            QCOMPARE(import.useFixedMapping(), Choice::Chosen);
            QCOMPARE(import.mapping().map().stockFieldIndex(), 0);
        } else {
            QCOMPARE(import.chooseTable(table), Choice::Chosen);
        }
        QVERIFY(!import.isEmpty());
        for (qsizetype i = 0; i + 1 < map.size(); i += 2)
            import.mapping().map(map.at(i), map.at(i + 1));
        import.mapping().setSkipDiscontinued(true);
        import.options() = quiet();
        import.setNote(u"from the database"_s);
        const ImportOutcome outcome = import.run(catalogue.db());
        QCOMPARE(outcome.counts.added, rows);
        QCOMPARE(catalogue.count(), rows);
        QCOMPARE(catalogue.count(u"Disco <> 0"_s), 0);
        for (const QString& check : expected) {
            const qsizetype eq = check.indexOf(u'=');
            QCOMPARE(catalogue.text(stock, check.left(eq)), check.mid(eq + 1));
        }
        QCOMPARE(catalogue.text(stock, u"Notes"_s), u"from the database - Added This Item\r\n"_s);
        // The same table again changes nothing.
        const ImportOutcome again = import.run(catalogue.db());
        QCOMPARE(again.counts.checked, rows);
        QCOMPARE(again.counts.edited, 0);
    }

    void cancelKeepsWhatWasWritten() {
        TestCatalogue catalogue;
        REQUIRE_TEST_FILE(database(u"nwind_jet3.mdb"_s));
        AccessTableImport import(database(u"nwind_jet3.mdb"_s));
        import.chooseTable(u"Products"_s);
        import.mapping().map(0, 2);
        import.options() = quiet();
        const ImportOutcome outcome = import.run(
            catalogue.db(), [](const ImportProgress& progress) { return progress.value < 50; });
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.counts.checked, 50);
        QCOMPARE(catalogue.count(), qint64(outcome.counts.added));
    }

    // Rows that share a stock number (here the order number of each order line) are taken as
    // one product, counted once and named, as the lines of a text file are.
    void repeatedStockNumbersAreTakenOnce() {
        TestCatalogue catalogue;
        REQUIRE_TEST_FILE(database(u"nwind_jet3.mdb"_s));
        AccessTableImport import(database(u"nwind_jet3.mdb"_s));
        import.chooseTable(u"Order Details"_s);
        import.mapping().map(0, 2);
        import.options() = quiet();
        const ImportOutcome outcome = import.run(catalogue.db());
        const qint64 orders = catalogue.count();
        QVERIFY(orders > 0 && orders < import.rowCount());
        QCOMPARE(qint64(outcome.counts.checked), orders);
        QCOMPARE(qint64(outcome.counts.added), orders);
        QCOMPARE(outcome.counts.edited, 0);
        QVERIFY(outcome.repeatedCount > 0);
        QVERIFY2(outcome.repeated.value(0).startsWith(
                     u"10248 is on rows 1, 2 and 3; the last row was used"_s),
                 qPrintable(outcome.repeated.value(0)));
    }

    // A database that cannot be read, is cut short, or holds a table libmdb cannot read exactly
    // is refused before anything is written (a damaged one used to be read up to the damage and
    // reported as a success). A cut copy keeps half a real database plus `at` bytes; a damaged
    // one has the bytes at `at` of a real Jet 3 database (pages of 2048 bytes) flipped by
    // `mask`: rows libmdb passes over without a word (the rows read fall short of the rows the
    // pages hold), or pages it complains about while every row still comes out.
    void unreadableDatabaseIsRefusedWhole_data() {
        QTest::addColumn<QString>("path"); // "cut" or "damaged": a copy of a real database
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        const int cannotOpen = ErrorNumber::CannotOpenDatabase;
        const QString stock = u"Product_Table"_s;
        const auto damaged = [](const QString& table) {
            return u"The table '%1' of 'damaged.mdb' is damaged"_s.arg(table);
        };
        QTest::newRow("missing") << u"/nonexistent/tovin.mdb"_s << qint64(0) << QByteArray()
                                 << stock << int(ErrorNumber::FileNotFound) << QString();
        QTest::newRow("text file") << test::testDataFile(u"SOURCES.md"_s) << qint64(0)
                                   << QByteArray() << stock << cannotOpen << QString();
        QTest::newRow("cut at a page edge")
            << u"cut"_s << qint64(0) << QByteArray() << stock << cannotOpen << u"cut short"_s;
        QTest::newRow("cut inside a page")
            << u"cut"_s << qint64(1000) << QByteArray() << stock << cannotOpen << u"cut short"_s;
        QTest::newRow("first row's position, two rows passed over quietly")
            << u"damaged"_s << qint64(569 * 2048 + 10) << "\xff\x0f"_ba << u"Products"_s
            << cannotOpen << damaged(u"Products"_s);
        QTest::newRow("row data, libmdb complains")
            << u"damaged"_s << qint64(569 * 2048 + 0x700) << "\xff\xff\xff"_ba << u"Products"_s
            << cannotOpen << damaged(u"Products"_s);
        QTest::newRow("long text's page, libmdb complains but reads every row")
            << u"damaged"_s << qint64(108 * 2048 + 759) << "\xff"_ba << u"Employees"_s << cannotOpen
            << damaged(u"Employees"_s);
    }
    void unreadableDatabaseIsRefusedWhole() {
        QFETCH(QString, path);
        QFETCH(qint64, at);
        QFETCH(QByteArray, mask);
        QFETCH(QString, table);
        QFETCH(int, error);
        QFETCH(QString, reason);
        TestCatalogue catalogue;
        if (path == u"cut"_s) {
            const QByteArray bytes = test::readFile(database(u"stock_inventory_jet4.mdb"_s));
            QVERIFY2(bytes.size() > 8192, "test file missing: mdb/stock_inventory_jet4.mdb");
            const qint64 pageEdge = bytes.size() / 2 / 4096 * 4096;
            path = test::writeFile(catalogue.filePath(u"cut.mdb"_s), bytes.left(pageEdge + at));
        } else if (path == u"damaged"_s) {
            const QByteArray bytes = test::damagedTestFile(u"mdb/nwind_jet3.mdb"_s, at, mask);
            QVERIFY2(!bytes.isEmpty(), "test file missing: mdb/nwind_jet3.mdb");
            path = test::writeFile(catalogue.filePath(u"damaged.mdb"_s), bytes);
        }
        QString why;
        QCOMPARE(test::errorOf(
                     [&] {
                         AccessTableImport import(path);
                         QCOMPARE(import.chooseTable(table), Choice::Chosen);
                         // The stock number: the code of the shop's table, the first column
                         // of the others.
                         import.mapping().map(table == u"Product_Table"_s ? 2 : 0, 2);
                         import.options() = quiet();
                         import.run(catalogue.db());
                     },
                     &why),
                 error);
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(catalogue.count(), 0);
    }
};

QTEST_GUILESS_MAIN(AccessImportTest)
#include "tst_accessimport.moc"
