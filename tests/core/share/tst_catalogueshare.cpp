#include "ShareTestShop.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/catalogue/RowWriter.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunUndo.h"
#include "core/share/CatalogueShare.h"
#include "core/storage/CatalogueFailure.h"
#include "support/core/TestHelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

// Copying a whole catalogue from one place to another, here file to file: every table and key
// kept, the run journal still usable, and a target that is not empty or a copy that goes wrong
// left exactly as it was.
class CatalogueShareTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_shop;

private slots:
    void initTestCase() {
        m_shop = m_dir.filePath(u"shop.mde"_s);
        makeShop(m_shop);
    }

    void copiesEveryTableRowForRow() {
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"copy.mde"_s);
        const auto result = CatalogueShare::share(m_shop, copy, false);
        // Nothing but the copy is left in its folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"copy.mde"_s});
        CatalogueDatabase source(m_shop);
        CatalogueDatabase target(copy);
        const QMap<QString, Rows> original = everyTable(source);
        // The bookkeeping tables are among them, and the shop's history is not empty.
        QVERIFY(original.contains(CatalogueSchema::RunRowsTable));
        for (const QString& table : {CatalogueSchema::RunsTable, CatalogueSchema::RunRowsTable,
                                     CatalogueSchema::ReceivedLinesTable})
            QVERIFY2(!original.value(table).isEmpty(), qPrintable(table));
        const QMap<QString, Rows> copied = everyTable(target);
        QCOMPARE(copied.keys(), original.keys());
        for (const QString& table : original.keys())
            QVERIFY2(copied.value(table) == original.value(table), qPrintable(table));
        qint64 rows = 0;
        for (const Rows& table : original)
            rows += table.size();
        QCOMPARE(result.totalRows(), rows);
        // A run made before the move is undone after it: the deleted product comes back.
        const qint64 lastRun = source.scalar(u"SELECT max(Run) FROM Runs"_s).toLongLong();
        QVERIFY(RunUndo::undo(target, lastRun).undoRun > lastRun);
        QCOMPARE(rowsOf(target, u"Products"_s).size(), original.value(u"Products"_s).size() + 1);
    }

    // Tables longer than a page of reading and a batch of writing, with keys missing between.
    void copiesTablesPageByPage_data() {
        QTest::addColumn<int>("products");
        QTest::newRow("one short batch") << 7;
        QTest::newRow("whole batches") << 150;
        QTest::newRow("a page and a bit") << 1049;
        QTest::newRow("several pages") << 3210;
    }
    void copiesTablesPageByPage() {
        QFETCH(int, products);
        QTemporaryDir dir;
        const QString shop = dir.filePath(u"shop.mde"_s);
        CatalogueDatabase::create(shop);
        {
            CatalogueDatabase db(shop);
            db.run(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                   u"INSERT INTO Products (PID, StockNo, Retail) SELECT 3 * i, 'S' || i, i * 25 "
                   u"FROM n"_s,
                   {products});
        }
        const QString copy = dir.filePath(u"copy.mde"_s);
        const auto result = CatalogueShare::share(shop, copy, false);
        QCOMPARE(result.rowsPerTable.first(), qMakePair(u"Products"_s, qint64(products)));
        CatalogueDatabase original(shop);
        CatalogueDatabase copied(copy);
        QVERIFY(rowsOf(copied, u"Products"_s) == rowsOf(original, u"Products"_s));
    }

    // A row added to the copy never takes the number of a row the original holds or gave out
    // and deleted.
    void newRowsGetFreshKeys_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("column"); // a column to give the new row
        QTest::newRow("counter key") << u"Products"_s << 2;
        QTest::newRow("row numbers") << u"Inventory"_s << 1;
        QTest::newRow("run journal") << u"Runs"_s << -1;
    }
    void newRowsGetFreshKeys() {
        QFETCH(QString, table);
        QFETCH(int, column);
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"copy.mde"_s);
        CatalogueShare::share(m_shop, copy, false);
        // The key the original gives its next row, seen in a copy of its file.
        const QString probe = dir.filePath(u"probe.mde"_s);
        QVERIFY(QFile::copy(m_shop, probe));
        const qint64 given = addRow(probe, table, column);
        const qint64 key = addRow(copy, table, column);
        QVERIFY2(key >= given, qPrintable(u"%1 after the copy, %2 before"_s.arg(key).arg(given)));
    }

    // What stops a copy part way, and what it is told as; the target holds rows of its own.
    // Which differences the copy's check finds is the share check's own test.
    void failuresLeaveTheTargetAsItWas_data() {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("trigger"); // made on the target for the case
        QTest::addColumn<QString>("message");
        QTest::newRow("target not empty, no replace")
            << false << QString() << u"already holds a catalogue"_s;
        QTest::newRow("write refused") << true
                                       << u"CREATE TRIGGER refuse BEFORE INSERT ON Sales BEGIN "
                                          u"SELECT RAISE(ABORT, 'no sales here'); END"_s
                                       << u"The table Sales could not be copied"_s;
        QTest::newRow("a row lost")
            << true
            << u"CREATE TRIGGER lose AFTER INSERT ON Catagory BEGIN "
               u"DELETE FROM Catagory WHERE CID = new.CID; END"_s
            << u"The copy of the table Catagory does not match the original: it has 0 rows"_s;
        QTest::newRow("a money value raised")
            << true
            << u"CREATE TRIGGER shift AFTER INSERT ON Invoice BEGIN "
               u"UPDATE Invoice SET Tax = Tax + 1 WHERE rowid = new.rowid; END"_s
            << u"table Invoice does not match the original: its Tax column adds up to"_s;
    }
    void failuresLeaveTheTargetAsItWas() {
        QFETCH(bool, replace);
        QFETCH(QString, trigger);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"target.mde"_s);
        CatalogueDatabase::create(path);
        CatalogueDatabase target(path);
        target.run(u"INSERT INTO Products (PID, StockNo) VALUES (7, 'OWN')"_s);
        target.run(u"INSERT INTO Sales (\"Sales Product ID\", Cost) VALUES ('OWN', 5)"_s);
        if (!trigger.isEmpty())
            target.run(trigger);
        const QMap<QString, Rows> before = everyTable(target);
        CatalogueDatabase source(m_shop);
        QString description;
        bool asked = false; // the refusal is the question to put to the user
        QVERIFY(errorOf(
                    [&] {
                        try {
                            CatalogueShare::copy(source, target, replace);
                        } catch (const CatalogueShare::TargetHoldsCatalogue&) {
                            asked = true;
                            throw;
                        }
                    },
                    &description) != 0);
        QCOMPARE(asked, !replace);
        QVERIFY2(description.contains(message), qPrintable(description));
        QVERIFY2(description.contains(path + u" was left as it was"_s) ||
                     description.contains(path + u" already holds"_s),
                 qPrintable(description));
        QVERIFY(!target.connection().inTransaction());
        QVERIFY(everyTable(target) == before);
    }

    // A copy into a new file that fails part way (here a connection lost while writing) leaves
    // no file at the new name and nothing else behind.
    void failedCopyLeavesNoFile() {
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"copy.mde"_s);
        int calls = 0;
        const auto failing = [&calls](const QString&, qint64, qint64) {
            if (++calls == 3)
                throw CatalogueFailure(ErrorNumber::DatabaseRefused, u"The connection was lost."_s);
        };
        QString description;
        QCOMPARE(
            errorOf([&] { CatalogueShare::share(m_shop, copy, false, failing); }, &description),
            ErrorNumber::DatabaseRefused);
        QVERIFY2(description.contains(u"could not be copied to "_s + copy + u": "_s),
                 qPrintable(description));
        QVERIFY2(description.contains(u"The connection was lost."_s), qPrintable(description));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // An existing catalogue file is replaced only when asked, and never the one copied from.
    void fileTargetsFollowTheOutputRules_data() {
        QTest::addColumn<QString>("target"); // "@shop" for the catalogue copied from
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("copied");
        QTest::newRow("existing catalogue") << u"other.mde"_s << false << false;
        QTest::newRow("existing catalogue, replaced") << u"other.mde"_s << true << true;
        QTest::newRow("the catalogue itself") << u"@shop"_s << true << false;
    }
    void fileTargetsFollowTheOutputRules() {
        QFETCH(QString, target);
        QFETCH(bool, replace);
        QFETCH(bool, copied);
        QTemporaryDir dir;
        const QString shop = dir.filePath(u"shop.mde"_s);
        QVERIFY(QFile::copy(m_shop, shop));
        const QString path = target == u"@shop"_s ? shop : dir.filePath(target);
        if (path != shop)
            CatalogueDatabase::create(path);
        const QByteArray before = readFile(path);
        const int error = errorOf([&] { CatalogueShare::share(shop, path, replace); });
        QCOMPARE(error == 0, copied);
        if (copied) {
            CatalogueDatabase source(shop);
            CatalogueDatabase result(path);
            QVERIFY(everyTable(result) == everyTable(source));
        } else {
            QCOMPARE(readFile(path), before);
        }
    }
};

QTEST_GUILESS_MAIN(CatalogueShareTest)
#include "tst_catalogueshare.moc"
