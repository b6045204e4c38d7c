// The words of the history: values in the catalogue's display formats, runs by name, rows
// counted once however many statements touched them, and the outcome of an undo.
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/HistoryWording.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunRowCounts.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/StorageStatement.h"
#include "support/core/TestCatalogue.h"

#include <QDir>
#include <QTest>

using namespace tovin;
using namespace tovin::test;
using namespace Qt::Literals::StringLiterals;
namespace PC = CatalogueSchema::ProductsColumn;

Q_DECLARE_METATYPE(tovin::ColumnKind)

namespace {

RunUndo::Kept keptPrice(qint64 key) {
    RunUndo::Kept kept;
    kept.table = u"Products"_s;
    kept.key = key;
    kept.stockNumber = u"S%1"_s.arg(key);
    kept.column = u"Retail"_s;
    kept.kind = ColumnKind::Money;
    kept.current = qlonglong(75000);
    kept.runValue = qlonglong(71000);
    kept.reason = u"changed since"_s;
    return kept;
}

} // namespace

class HistoryWordingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-historywording-settings.ini"_s);
    }

    void valueAsTheCatalogueShowsIt_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<ColumnKind>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("money") << QVariant(qlonglong(68000)) << ColumnKind::Money << u"$6.80"_s;
        QTest::newRow("money in thousands")
            << QVariant(qlonglong(12345000000)) << ColumnKind::Money << u"$1,234,500.00"_s;
        QTest::newRow("money of an older file") << QVariant(7.1) << ColumnKind::Money << u"$7.10"_s;
        QTest::newRow("money below zero")
            << QVariant(qlonglong(-25000)) << ColumnKind::Money << u"-$2.50"_s;
        QTest::newRow("date") << QVariant(u"2026-12-07"_s) << ColumnKind::Date << u"12/07/2026"_s;
        QTest::newRow("yes") << QVariant(qlonglong(1)) << ColumnKind::YesNo << u"Yes"_s;
        QTest::newRow("no") << QVariant(qlonglong(0)) << ColumnKind::YesNo << u"No"_s;
        QTest::newRow("number") << QVariant(2.5) << ColumnKind::Number << u"2.5"_s;
        QTest::newRow("text") << QVariant(u"Pen"_s) << ColumnKind::Text << u"Pen"_s;
        QTest::newRow("empty text") << QVariant(u""_s) << ColumnKind::Text << u"(empty)"_s;
        QTest::newRow("null") << QVariant() << ColumnKind::Money << u"(empty)"_s;
        QTest::newRow("bytes") << QVariant(QByteArray("abc")) << ColumnKind::Text << u"(3 bytes)"_s;
    }
    void valueAsTheCatalogueShowsIt() {
        QFETCH(QVariant, stored);
        QFETCH(ColumnKind, kind);
        QFETCH(QString, shown);
        QCOMPARE(HistoryWording::value(stored, kind), shown);
    }

    void oneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("one line") << u"Pen"_s << u"Pen"_s;
        QTest::newRow("a last break dropped") << u"Added\n"_s << u"Added"_s;
        QTest::newRow("breaks marked") << u"a\r\nb\nc\n\n"_s << u"a \u21b5 b \u21b5 c"_s;
    }
    void oneLine() {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(HistoryWording::oneLine(text), line);
    }

    void runName_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("import") << JournalRun::TextImport << u"/srv/lists/kestrel.txt"_s
                                << u"import of kestrel.txt"_s;
        QTest::newRow("supplier file") << JournalRun::SupplierFile << u"/app/Supplier/wp-cd.txt"_s
                                       << u"supplier file wp-cd.txt"_s;
        QTest::newRow("bulk edit") << JournalRun::BulkEdit << QString() << u"bulk edit"_s;
        QTest::newRow("undo") << JournalRun::Undo << u"run 7"_s << u"undo of run 7"_s;
        QTest::newRow("delete all") << JournalRun::Delete << u"Products"_s << u"delete"_s;
        QTest::newRow("delete found")
            << JournalRun::Delete << u"SELECT * FROM Products WHERE Disco"_s
            << u"delete of the products found"_s;
    }
    void runName() {
        QFETCH(QString, kind);
        QFETCH(QString, source);
        QFETCH(QString, name);
        RunHistory::RunInfo run;
        run.kind = kind;
        run.source = source;
        QCOMPARE(HistoryWording::runName(run), name);
    }

    // Rows are counted once each by what the run did to them in the end.
    void rowsCountedOnce_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QList<qint64>>("counts"); // added, changed, deleted
        QTest::addColumn<bool>("productsOnly");
        QTest::newRow("changed twice")
            << QStringList{u"UPDATE Products SET ProdName = 'X' WHERE StockNo = 'A1'"_s,
                           u"UPDATE Products SET Retail = 10000 WHERE StockNo = 'A1'"_s}
            << QList<qint64>{0, 1, 0} << true;
        QTest::newRow("added, then changed")
            << QStringList{u"INSERT INTO Products (PID, StockNo) VALUES (9, 'N9')"_s,
                           u"UPDATE Products SET ProdName = 'New' WHERE PID = 9"_s}
            << QList<qint64>{1, 0, 0} << true;
        QTest::newRow("added, then deleted")
            << QStringList{u"INSERT INTO Products (PID, StockNo) VALUES (9, 'N9')"_s,
                           u"DELETE FROM Products WHERE PID = 9"_s}
            << QList<qint64>{0, 0, 0} << true;
        QTest::newRow("changed, then deleted")
            << QStringList{u"UPDATE Products SET ProdName = 'X' WHERE StockNo = 'A1'"_s,
                           u"DELETE FROM Products WHERE StockNo = 'A1'"_s,
                           u"UPDATE Products SET ProdName = 'Y' WHERE StockNo = 'B2'"_s}
            << QList<qint64>{0, 1, 1} << true;
        QTest::newRow("a row of another table")
            << QStringList{u"UPDATE Products SET ProdName = 'X' WHERE StockNo = 'A1'"_s,
                           u"INSERT INTO Catagory (CID, CatName) VALUES (5, 'Lamps')"_s}
            << QList<qint64>{1, 1, 0} << false;
    }
    void rowsCountedOnce() {
        QFETCH(QStringList, statements);
        QFETCH(QList<qint64>, counts);
        QFETCH(bool, productsOnly);
        TestCatalogue catalogue;
        catalogue.add(1, u"A1"_s);
        catalogue.add(2, u"B2"_s);
        CatalogueDatabase& db = catalogue.db();
        qint64 number = 0;
        {
            JournalRun run(db, JournalRun::BulkEdit, QString());
            ScopedTransaction transaction(db);
            for (const QString& statement : statements)
                db.run(statement);
            transaction.commit();
            number = run.number();
        }
        QVERIFY(number > 0);
        const RunRowCounts read = RunRowCounts::read(db, number);
        QCOMPARE((QList<qint64>{read.added, read.changed, read.deleted}), counts);
        QCOMPARE(read.productsOnly, productsOnly);
        QCOMPARE(RunRowCounts::read(db, number + 1).total(), 0);
    }

    void outcome_data() {
        QTest::addColumn<QList<qint64>>("counts"); // deleted, restored, reinserted
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("trial");
        QTest::addColumn<qint64>("redone");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << QList<qint64>{0, 0, 0} << 0 << false << qint64(0)
                                 << u"Run 3 taken back: nothing needed changing."_s;
        QTest::newRow("all three") << QList<qint64>{1, 2, 3} << 0 << false << qint64(0)
                                   << u"Run 3 taken back: 1 row deleted, 2 set back, and 3 put "
                                      u"back."_s;
        QTest::newRow("trial") << QList<qint64>{4, 0, 1} << 0 << true << qint64(0)
                               << u"Undoing run 3 would delete 4 rows and put back 1.\n\n"
                                  u"Nothing was changed."_s;
        QTest::newRow("redo") << QList<qint64>{0, 1, 2} << 0 << false << qint64(2)
                              << u"Run 2 done again (its undo, run 3, taken back): 2 rows added "
                                 u"and 1 changed."_s;
        QTest::newRow("kept past those shown")
            << QList<qint64>{0, 1, 0} << 3 << true << qint64(0)
            << u"Undoing run 3 would set back 1 row.\n\nIn 3 rows values changed since the run "
               u"would be left as they are:\nS1 Retail: changed since, now $7.50, the run wrote "
               u"$7.10\nS2 Retail: changed since, now $7.50, the run wrote $7.10\n... and 1 "
               u"more\n\nNothing was changed."_s;
    }
    void outcome() {
        QFETCH(QList<qint64>, counts);
        QFETCH(int, kept);
        QFETCH(bool, trial);
        QFETCH(qint64, redone);
        QFETCH(QString, text);
        RunUndo::Result result;
        result.run = 3;
        result.rowsDeleted = counts.at(0);
        result.rowsRestored = counts.at(1);
        result.rowsReinserted = counts.at(2);
        for (int i = 1; i <= kept; ++i)
            result.kept << keptPrice(i);
        QCOMPARE(HistoryWording::outcome(result, trial, redone, false, 2), text);
    }
};

QTEST_MAIN(HistoryWordingTest)
#include "tst_historywording.moc"
