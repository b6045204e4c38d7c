#include "UndoFixtures.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/RunUndoSetDelete.h"
#include "core/journal/ServerJournal.h"
#include "core/settings/SettingsStore.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QTest>

using namespace tovin;
using namespace tovin::test;
using namespace Qt::Literals::StringLiterals;

// The server's delete of the rows a run added, a set at a time: by the versions the run left
// them in, else by their values, whose statement for the next set is made while the server
// deletes the present one.
class RunUndoSetDeleteTest : public QObject {
    Q_OBJECT

    static RunUndoWrites::Table products(CatalogueDatabase& db) {
        RunUndoWrites::Table table;
        table.name = u"Products"_s;
        for (const ColumnInfo& column : db.columns(table.name)) {
            table.columns << column.name;
            table.kinds << column.kind;
        }
        return table;
    }

    // The rows the last run added, as the journal keeps them, in its order.
    static std::vector<RunUndoSetDelete::Added> addedByLastRun(CatalogueDatabase& db) {
        std::vector<RunUndoSetDelete::Added> added;
        JournalChunks::forEach(db, lastRun(db), [&](JournalChunks::Entry& entry) {
            added.push_back({entry.key, entry.newValues});
            return true;
        });
        return added;
    }

    // Q0, Q1 and Q2 added by one import: the rows it added, in its order.
    static std::vector<RunUndoSetDelete::Added> importThree(TestCatalogue& catalogue) {
        importLines(catalogue, "Q0,Lamp,1\nQ1,Box,2\nQ2,Jar,3\n");
        return addedByLastRun(catalogue.db());
    }

private slots:
    void initTestCase() {
        SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-setdelete-settings.ini"_s);
    }

    // A statement made ahead for rows that do not come next is not used: the rows that do come
    // are the ones deleted, and the rows expected are left.
    void statementMadeAheadServesOnlyItsRows_data() {
        QTest::addColumn<int>("expected"); // the row expected after the first
        QTest::addColumn<int>("next");     // the row that comes
        QTest::addColumn<QString>("left");
        QTest::newRow("the rows expected come") << 1 << 1 << u"Q2"_s;
        QTest::newRow("other rows come") << 1 << 2 << u"Q1"_s;
    }
    void statementMadeAheadServesOnlyItsRows() {
        QFETCH(int, expected);
        QFETCH(int, next);
        QFETCH(QString, left);
        if (!onServer())
            QSKIP("a file catalogue deletes the rows a run added one by one");
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        const std::vector<RunUndoSetDelete::Added> added = importThree(catalogue);
        QCOMPARE(added.size(), size_t(3));

        ScopedTransaction transaction(db);
        RunUndoSetDelete remove(db, products(db));
        QVERIFY(remove.usable());
        QCOMPARE(remove.remove({added[0]}, {added[size_t(expected)]}), QSet{added[0].first});
        QCOMPARE(remove.remove({added[size_t(next)]}), QSet{added[size_t(next)].first});
        transaction.commit();
        QCOMPARE(db.scalar(u"SELECT StockNo FROM Products WHERE StockNo IN ('Q0', 'Q1', 'Q2')"_s)
                     .toString(),
                 left);
        QCOMPARE(catalogue.count(u"StockNo IN ('Q0', 'Q1', 'Q2')"_s), 1);
    }

    // The rows of a range still in a version the run left them in are deleted at once,
    // uncompared; a row written since is left, even with the values the run wrote.
    void rowsInTheRunsVersionsAreDeletedAtOnce_data() {
        QTest::addColumn<QString>("since"); // run on Q1 after the import
        QTest::addColumn<bool>("deleted");
        QTest::newRow("unchanged") << QString() << true;
        QTest::newRow("written again with its values")
            << u"UPDATE Products SET ProdName = ProdName WHERE StockNo = 'Q1'"_s << false;
        QTest::newRow("changed") << u"UPDATE Products SET ProdName = 'Pot' WHERE StockNo = 'Q1'"_s
                                 << false;
    }
    void rowsInTheRunsVersionsAreDeletedAtOnce() {
        QFETCH(QString, since);
        QFETCH(bool, deleted);
        if (!onServer())
            QSKIP("a catalogue file keeps no row versions");
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        const std::vector<RunUndoSetDelete::Added> added = importThree(catalogue);
        QCOMPARE(added.size(), size_t(3));
        const qint64 run = lastRun(db);
        if (!since.isEmpty())
            db.run(since);

        ScopedTransaction transaction(db);
        const QString versions = ServerJournal::versionsOf(db, run);
        QVERIFY(!versions.isEmpty());
        RunUndoSetDelete remove(db, products(db), versions);
        QSet<qint64> expected{added[0].first, added[2].first};
        if (deleted)
            expected.insert(added[1].first);
        QCOMPARE(remove.removeInVersions(added[0].first, added[2].first), expected);
        transaction.commit();
        QCOMPARE(catalogue.count(u"StockNo IN ('Q0', 'Q1', 'Q2')"_s), deleted ? 0 : 1);
    }

    // A row in the run's versions that its journal does not hold stops the undo, which then
    // changes nothing.
    void aRowTheJournalLacksStopsTheUndo() {
        if (!onServer())
            QSKIP("a catalogue file keeps no row versions");
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        QCOMPARE(importThree(catalogue).size(), size_t(3));
        const qint64 run = lastRun(db);
        // The journal loses Q1, the middle row.
        JournalChunks::Chunk kept;
        kept.run = run;
        JournalChunks::forEach(db, run, [&](JournalChunks::Entry& entry) {
            if (entry.key !=
                db.scalar(u"SELECT rowid FROM Products WHERE StockNo = 'Q1'"_s).toLongLong())
                JournalChunks::append(kept, 0, entry.table, entry.change, entry.key,
                                      entry.oldValues, entry.newValues);
            return true;
        });
        QCOMPARE(kept.added, 2);
        {
            ScopedTransaction transaction(db);
            db.run(u"DELETE FROM RunRows WHERE Run = ?"_s, {run});
            JournalChunks::write(db, kept);
            transaction.commit();
        }
        QVERIFY_THROWS_EXCEPTION(RunTimeError, RunUndo::undo(db, run));
        QCOMPARE(catalogue.count(u"StockNo IN ('Q0', 'Q1', 'Q2')"_s), 3);
    }

    // The versions are believed only on the server that made them, while the transactions'
    // 32-bit numbers cannot have come round since; a catalogue put on a server without their
    // table keeps none, and its runs still commit and are undone by their values.
    void versionsAreBelievedOnlyWhereTheyWereMade_data() {
        QTest::addColumn<QString>("change"); // to RunVersions, after the import
        QTest::addColumn<bool>("believed");
        const QString next = u"txid_snapshot_xmax(txid_current_snapshot())"_s;
        QTest::newRow("as kept") << QString() << true;
        QTest::newRow("another server")
            << u"UPDATE RunVersions SET Server = Server || '0'"_s << false;
        // One transaction's row is enough to spoil them.
        const QString oldest = u" WHERE Xact = (SELECT min(Xact) FROM RunVersions)"_s;
        QTest::newRow("long ago, within half a round")
            << u"UPDATE RunVersions SET Xact = "_s + next + u" - 2147483000"_s + oldest << true;
        QTest::newRow("half a round ago")
            << u"UPDATE RunVersions SET Xact = "_s + next + u" - 2147483648"_s + oldest << false;
        QTest::newRow("later than the server's last")
            << u"UPDATE RunVersions SET Xact = "_s + next +
                   u" + 10 WHERE Xact = (SELECT max(Xact) FROM RunVersions)"_s
            << false;
        QTest::newRow("no table") << u"DROP TABLE RunVersions"_s << false;
    }
    void versionsAreBelievedOnlyWhereTheyWereMade() {
        QFETCH(QString, change);
        QFETCH(bool, believed);
        if (!onServer())
            QSKIP("a catalogue file keeps no row versions");
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        const bool dropped = change.startsWith(u"DROP"_s);
        if (dropped)
            db.run(change);
        // Two rows a transaction: the run's versions come from several transactions.
        importLines(catalogue, "Q0,Lamp,1\nQ1,Box,2\nQ2,Jar,3\nQ3,Cup,4\nQ4,Pan,5\n");
        const qint64 run = lastRun(db);
        if (!dropped) {
            QCOMPARE(db.scalar(u"SELECT count(*) FROM RunVersions WHERE Run = ?"_s, {run}).toInt(),
                     3);
            if (!change.isEmpty())
                db.run(change);
        }
        {
            ScopedTransaction transaction(db);
            QCOMPARE(!ServerJournal::versionsOf(db, run).isEmpty(), believed);
        }
        const RunUndo::Result undone = RunUndo::undo(db, run);
        QCOMPARE(undone.rowsDeleted, 5);
        QCOMPARE(catalogue.count(u"StockNo LIKE 'Q%'"_s), 0);
    }
};

QTEST_GUILESS_MAIN(RunUndoSetDeleteTest)
#include "tst_runundosetdelete.moc"
