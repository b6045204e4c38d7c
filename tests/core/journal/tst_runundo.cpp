#include "UndoFixtures.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/import/AccessTableImport.h"
#include "core/import/DeleteRecords.h"
#include "core/import/Divider.h"
#include "core/import/FolderImport.h"
#include "core/import/PicturePathChange.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"
#include "core/orders/Receiving.h"
#include "core/orders/StoredRows.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/StorageStatement.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestData.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <functional>

using namespace tovin;
using namespace tovin::test;
using namespace Qt::Literals::StringLiterals;

namespace {

// Work before an undo, giving the run to undo.
using UndoSteps = std::function<qint64(TestCatalogue&)>;

qint64 imported(TestCatalogue& c, const QByteArray& lines) {
    importLines(c, lines);
    return lastRun(c.db());
}
qint64 deletedAll(TestCatalogue& c) {
    DeleteRecords().run(c.db());
    return lastRun(c.db());
}
qint64 undone(TestCatalogue& c, qint64 run) {
    return RunUndo::undo(c.db(), run).undoRun;
}

// An import of `lines` committing every `commitEvery` lines, killed as it reaches line `killedAt`.
void importBrokenOff(TestCatalogue& c, const QByteArray& lines, int commitEvery, int killedAt) {
    ImportOptions options = quiet();
    options.commitEvery = commitEvery;
    ProductImporter::importText(c.db(), TextFile::decode(lines), 0, Divider::comma(),
                                FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}},
                                options, [killedAt](const ImportProgress& p) {
                                    if (p.value == killedAt)
                                        throw RunTimeError(ErrorNumber::DatabaseRefused,
                                                           u"killed"_s);
                                    return true;
                                });
}

// The catalogue and each run with the run that undid it: all a trial must leave as it was.
QString state(CatalogueDatabase& db) {
    QString all = dump(db);
    for (const RunHistory::RunInfo& run : RunHistory::runs(db))
        all += u"run %1 undone by %2\n"_s.arg(run.number).arg(run.undoneBy);
    return all;
}

// The rows of changesSinceAreKeptAndListed where a row or a value the undo would put back has
// been taken by another row since: each is kept and named.
void keyTakenSinceRows() {
    const QString stockNo = u"Products DUP1: not put back, row 2 has StockNo \"DUP1\" since"_s;
    const QString dup1 = u"upper(StockNo) = 'DUP1'"_s;
    QTest::newRow("redo of an import, the number imported again")
        << UndoSteps([](TestCatalogue& c) {
               const qint64 undo = undone(c, imported(c, "DUP1,First,10.00\n"));
               importLines(c, "DUP1,Second,20.00\n");
               return undo;
           })
        << u"0 rows deleted, 0 rows restored, 0 rows put back; 1 change kept"_s
        << QStringList{stockNo} << dup1 + u" AND ProdName = 'Second'"_s << qint64(1);
    QTest::newRow("redo of an import, imported again in small letters")
        << UndoSteps([](TestCatalogue& c) {
               const qint64 undo = undone(c, imported(c, "DUP1,First,10.00\n"));
               importLines(c, "dup1,Second,20.00\n");
               return undo;
           })
        << u"0 rows deleted, 0 rows restored, 0 rows put back; 1 change kept"_s
        << QStringList{stockNo} << dup1 << qint64(1);
    QTest::newRow("delete all, the number imported again")
        << UndoSteps([](TestCatalogue& c) {
               imported(c, "DUP1,First,10.00\nOK1,Other,1\n");
               const qint64 removal = deletedAll(c);
               importLines(c, "DUP1,Second,20.00\n");
               return removal;
           })
        << u"0 rows deleted, 0 rows restored, 1 row put back; 1 change kept"_s
        << QStringList{u"Products DUP1: not put back, row 3 has StockNo \"DUP1\" since"_s}
        << dup1 + u" OR StockNo = 'OK1'"_s << qint64(2);
    QTest::newRow("redo of a delete, the number imported again")
        << UndoSteps([](TestCatalogue& c) {
               imported(c, "DUP1,First,10.00\nOK1,Other,1\n");
               const qint64 redo = undone(c, undone(c, deletedAll(c)));
               importLines(c, "DUP1,Second,20.00\n");
               return redo;
           })
        << u"0 rows deleted, 0 rows restored, 1 row put back; 1 change kept"_s
        << QStringList{u"Products DUP1: not put back, row 3 has StockNo \"DUP1\" since"_s}
        << dup1 + u" OR StockNo = 'OK1'"_s << qint64(2);
    QTest::newRow("stock number changed back")
        << UndoSteps([](TestCatalogue& c) {
               imported(c, "DUP1,First,10.00\n");
               {
                   JournalRun run(c.db(), JournalRun::BulkEdit, u"test"_s);
                   ScopedTransaction transaction(c.db());
                   c.db().run(u"UPDATE Products SET StockNo = 'NEW1', ProdName = 'Renamed'"_s);
                   transaction.commit();
               }
               const qint64 change = lastRun(c.db());
               importLines(c, "DUP1,Second,20.00\n");
               return change;
           })
        << u"0 rows deleted, 1 row restored, 0 rows put back; 1 change kept"_s
        << QStringList{u"Products NEW1 StockNo: not set back, row 2 has StockNo \"DUP1\" "
                       u"since"_s}
        << u"StockNo = 'NEW1' AND ProdName = 'First'"_s << qint64(1);
    QTest::newRow("products sharing a number before the run")
        << UndoSteps([](TestCatalogue& c) {
               c.add(1, u"TWIN"_s);
               c.add(2, u"twin"_s);
               return deletedAll(c);
           })
        << u"0 rows deleted, 0 rows restored, 2 rows put back; 0 changes kept"_s << QStringList()
        << u"upper(StockNo) = 'TWIN'"_s << qint64(2);
    QTest::newRow("products without a stock number") << UndoSteps([](TestCatalogue& c) {
        const QString empty = u"INSERT INTO Products (StockNo) VALUES ('')"_s;
        c.db().run(empty);
        const qint64 removal = deletedAll(c);
        c.db().run(empty);
        return removal;
    }) << u"0 rows deleted, 0 rows restored, 1 row put back; 0 changes kept"_s
                                                     << QStringList() << u"StockNo = ''"_s
                                                     << qint64(2);
    QTest::newRow("stock row of a received order")
        << UndoSteps([](TestCatalogue& c) {
               seed(c);
               Receiving::receiveOrder(c.db(), u"1002"_s, QDate(2026, 5, 2));
               const qint64 undo = undone(c, lastRun(c.db()));
               StoredRows::insert(c.db(), u"Inventory"_s,
                                  {{u"Product Id"_s, u"c3"_s}, {u"Number"_s, 1}});
               return undo;
           })
        << u"0 rows deleted, 5 rows restored, 2 rows put back; 1 change kept"_s
        << QStringList{u"Inventory row 2: not put back, row 3 has Product Id \"C3\" since"_s}
        << u"StockNo = 'C3' AND (SELECT count(*) FROM Inventory WHERE upper(\"Product Id\") = "
           u"'C3') = 1"_s
        << qint64(1);
}

} // namespace

class RunUndoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-runundo-settings.ini"_s);
    }

    void undoGivesBackTheCatalogue_data() {
        QTest::addColumn<RunTask>("task");
        QTest::newRow("text import, new and refreshed") << RunTask([](TestCatalogue& c) {
            importLines(c, "A1,Brass Lamp,3.25\nN1,New One,1\nN2,,0.1\nB2,Tin Box Large,\n"
                           "N3,Third,2\n");
        });
        QTest::newRow("Access table") << RunTask([](TestCatalogue& c) {
            const QString path = testDataFile(u"mdb/nwind_jet3.mdb"_s);
            QVERIFY(QFileInfo::exists(path));
            AccessTableImport import(path);
            import.chooseTable(u"Products"_s);
            import.mapping().map(0, PC::StockNo);
            import.mapping().map(1, PC::ProdName);
            import.options() = quiet();
            import.run(c.db());
        });
        QTest::newRow("folder") << RunTask([](TestCatalogue& c) {
            const QString folder = c.folder() + u"/pictures"_s;
            QDir().mkpath(folder);
            for (const QString& name : {u"A1.jpg"_s, u"Z9.jpg"_s, u"Z8.jpg"_s})
                QFile(folder + u'/' + name).open(QIODevice::WriteOnly);
            FolderImport import;
            QVERIFY(import.chooseFile(folder + u"/A1.jpg"_s));
            import.setNote(u"05/01/26 folder"_s);
            import.setCommitEvery(1);
            import.run(c.db());
        });
        QTest::newRow("picture paths") << RunTask([](TestCatalogue& c) {
            PicturePathChange change;
            QCOMPARE(change.useInternetAddress(u"http://shop.example/img/"_s, u".JPG"_s),
                     PicturePathChange::Choice::Ok);
            change.setNote(u"05/01/26 pictures"_s);
            change.run(c.db());
        });
        QTest::newRow("delete all") << RunTask([](TestCatalogue& c) {
            DeleteRecords remove;
            remove.setCommitEvery(2);
            remove.run(c.db());
        });
        QTest::newRow("bulk edit") << RunTask([](TestCatalogue& c) {
            BulkEdit edit;
            edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
            edit.set(BulkEdit::columnOf(u"Notes"_s), u"raised"_s);
            edit.set(BulkEdit::columnOf(u"Weight"_s), QString());
            edit.setIncludeBlank(true);
            edit.run(c.db(), QString());
        });
        QTest::newRow("rows changed again in one batch") << RunTask(changeRowsAgain);
        QTest::newRow("receive all") << RunTask([](TestCatalogue& c) {
            const Receiving::OrderResult result =
                Receiving::receiveOrder(c.db(), u"1002"_s, QDate(2026, 5, 2));
            QCOMPARE(result.received, 2);
        });
        // An import that dies part way keeps a journal of exactly the batches it kept.
        QTest::newRow("import broken off after two batches") << RunTask([](TestCatalogue& c) {
            QByteArray lines;
            for (int i = 0; i < 9; ++i)
                lines += "N" + QByteArray::number(i) + ",Item,1\n";
            QVERIFY_THROWS_EXCEPTION(RunTimeError, importBrokenOff(c, lines, 2, 5));
            QCOMPARE(c.count(c.db().dialect().likeIgnoringCase(u"StockNo"_s, u"'N%'"_s)), 4);
            QCOMPARE(RunHistory::runs(c.db()).first().added, 4);
        });
    }

    // Open views hear of the rows a run wrote in the shop's tables, never of the journal's own
    // rows that the run wrote with them. Undo restores every table row for row and value for
    // value; undoing the undo gives the run's result back, keys included.
    void undoGivesBackTheCatalogue() {
        QFETCH(RunTask, task);
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        const QString before = dump(db);
        QStringList tables;
        const QMetaObject::Connection heard =
            connect(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged, this,
                    [&](const QString&, const QString& table, const QList<qint64>& rows) {
                        QVERIFY(!rows.isEmpty());
                        if (!tables.contains(table))
                            tables.append(table);
                    });
        task(catalogue);
        disconnect(heard);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!tables.isEmpty());
        for (const QString& table : std::as_const(tables))
            QVERIFY2(!CatalogueSchema::isBookkeepingTable(table), qPrintable(table));
        const QString after = dump(db);
        QVERIFY(after != before);
        const qint64 run = lastRun(db);
        QVERIFY(run > 0);

        const RunUndo::Result undone = RunUndo::undo(db, run);
        QVERIFY2(undone.kept.isEmpty(), qPrintable(RunUndo::line(undone.kept.value(0))));
        QCOMPARE(dump(db), before);
        QCOMPARE(RunHistory::run(db, run)->undoneBy, undone.undoRun);

        const RunUndo::Result redone = RunUndo::undo(db, undone.undoRun);
        QVERIFY(redone.kept.isEmpty());
        QCOMPARE(dump(db), after);
        // The first run stands again, so it can be undone once more.
        QCOMPARE(RunHistory::run(db, run)->undoneBy, 0);
        RunUndo::undo(db, redone.undoRun);
        QCOMPARE(dump(db), before);
    }

    // What cannot be taken back stays and is listed, the trial telling the same and changing
    // nothing: a value edited since the run, a row the run added and someone deleted since, and
    // a row or value put back that another row has taken since, which would give two rows the
    // value the program finds one row by.
    void changesSinceAreKeptAndListed_data() {
        QTest::addColumn<UndoSteps>("steps");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("holders"); // the products with the value after the undo...
        QTest::addColumn<qint64>("held");     // ... and how many
        QTest::newRow("values edited since the run")
            << UndoSteps([](TestCatalogue& c) {
                   seed(c);
                   const qint64 run = imported(c, "A1,Lamp,3.25\nB2,Box,4\nN1,New,1\n");
                   c.db().run(u"UPDATE Products SET Cost1 = 99000 WHERE StockNo = 'A1'"_s);
                   c.db().run(u"UPDATE Products SET ProdName = 'Mine' WHERE StockNo = 'N1'"_s);
                   return run;
               })
            << u"0 rows deleted, 2 rows restored, 0 rows put back; 2 changes kept"_s
            // Amounts as the user typed them, not in the ten-thousandths the file holds.
            << QStringList{u"Products N1 ProdName: changed since, now \"Mine\", the run wrote \"New\""_s,
                           u"Products A1 Cost1: changed since, now 9.9, the run wrote 3.25"_s}
            << u"(StockNo = 'A1' AND Cost1 = 99000 AND ProdName = 'Brass Lamp') OR (StockNo = "
               u"'B2' AND ProdName = 'Tin Box') OR (StockNo = 'N1' AND ProdName = 'Mine')"_s
            << qint64(3);
        QTest::newRow("a row the run added deleted since")
            << UndoSteps([](TestCatalogue& c) {
                   const qint64 run = imported(c, "N1,New,1\nN2,Other,2\n");
                   c.db().run(u"DELETE FROM Products WHERE StockNo = 'N1'"_s);
                   return run;
               })
            << u"1 row deleted, 0 rows restored, 0 rows put back; 1 change kept"_s
            << QStringList{u"Products N1: already deleted"_s} << u"StockNo LIKE 'N%'"_s
            << qint64(0);
        QTest::newRow("bulk edit, a row deleted since")
            << UndoSteps([](TestCatalogue& c) {
                   seed(c);
                   BulkEdit edit;
                   edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
                   edit.set(BulkEdit::columnOf(u"Notes"_s), u"raised"_s);
                   edit.run(c.db(), QString());
                   c.db().run(u"DELETE FROM Products WHERE StockNo = 'B2'"_s);
                   return lastRun(c.db());
               })
            << u"0 rows deleted, 2 rows restored, 0 rows put back; 1 change kept"_s
            << QStringList{u"Products row 2 Notes: row deleted since, now (none), the run wrote "
                           u"\"raised\""_s}
            << u"Notes = 'raised' OR StockNo = 'B2'"_s << qint64(0);
        keyTakenSinceRows();
    }
    void changesSinceAreKeptAndListed() {
        QFETCH(UndoSteps, steps);
        QFETCH(QString, figures);
        QFETCH(QStringList, kept);
        QFETCH(QString, holders);
        QFETCH(qint64, held);
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        const qint64 run = steps(catalogue);
        const QString before = state(db);
        const RunUndo::Result trial = RunUndo::undo(db, run, true);
        QCOMPARE(state(db), before);
        QCOMPARE(trial.undoRun, 0);
        if (onServer()) {
            // A user who may only read the catalogue gets the same trial, taking no write turn,
            // and no undo.
            const ReadingRole role(db);
            CatalogueDatabase reader(role.uriOf(catalogue.path()));
            const RunUndo::Result read = RunUndo::undo(reader, run, true);
            QCOMPARE(RunUndo::summary(read, true), RunUndo::summary(trial, true));
            QCOMPARE(keptLines(read), keptLines(trial));
            QVERIFY_THROWS_EXCEPTION(RunTimeError, RunUndo::undo(reader, run));
            QCOMPARE(state(db), before);
        }
        const RunUndo::Result real = RunUndo::undo(db, run);
        QCOMPARE(
            RunUndo::summary(trial, true),
            u"Undoing run %1 would take back: %2 (nothing was changed)."_s.arg(run).arg(figures));
        QCOMPARE(RunUndo::summary(real, false), u"Run %1 taken back: %2."_s.arg(run).arg(figures));
        QCOMPARE(keptLines(real), kept);
        QCOMPARE(keptLines(trial), kept);
        QCOMPARE(catalogue.count(holders), held);
    }

    // A row the run added is deleted only when every value is still exactly what the run wrote,
    // however small the change: a null is not an empty text, texts differ by letter case, money
    // by a ten-thousandth, a zero by its sign; on a server the server itself tells the rows
    // apart. Its neighbours of the same run, with quotes and nulls, go.
    void addedRowChangedSinceIsKept_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("keptColumn"); // empty: the row is unchanged and goes
        QTest::addColumn<bool>("serverOnly");
        // Its neighbours holding the same values, or other ones in every column: a server
        // compares a column holding one value in every row otherwise than one whose values
        // differ.
        QTest::addColumn<bool>("alike");
        const struct {
            const char* name;
            QString change;
            QString kept;
            bool serverOnly;
        } cases[] = {
            {"unchanged", u"ProdName = ProdName"_s, QString(), false},
            {"money by a ten-thousandth", u"Retail = 12346"_s, u"Retail"_s, false},
            {"null to an empty text", u"Notes = ''"_s, u"Notes"_s, false},
            {"empty text to null", u"Weight = NULL"_s, u"Weight"_s, false},
            {"letter case only", u"ProdName = 'Say \"HI\" \\ there'"_s, u"ProdName"_s, false},
            {"quote dropped", u"ProdName = 'Say hi \\ there'"_s, u"ProdName"_s, false},
            {"zero to minus zero", u"Inventory = CAST('-0' AS double precision)"_s, u"Inventory"_s,
             true},
            {"yes to no", u"Taxable = 0"_s, u"Taxable"_s, false},
        };
        for (const auto& c : cases)
            for (const bool alike : {true, false})
                QTest::addRow("%s, %s", c.name, alike ? "neighbours alike" : "neighbours unlike")
                    << c.change << c.kept << c.serverOnly << alike;
    }
    void addedRowChangedSinceIsKept() {
        QFETCH(QString, change);
        QFETCH(QString, keptColumn);
        QFETCH(bool, serverOnly);
        QFETCH(bool, alike);
        if (serverOnly && !onServer())
            QSKIP("a file keeps a zero without its sign");
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        {
            JournalRun journal(db, JournalRun::TextImport, u"test"_s);
            ScopedTransaction transaction(db);
            const QString insert = u"INSERT INTO Products (StockNo, ProdName, Retail, Weight, "
                                   u"Notes, Inventory, Taxable) VALUES (?, ?, ?, ?, ?, ?, ?)"_s;
            for (const QString& stock : {u"Q0"_s, u"Q1"_s, u"Q2"_s}) {
                if (alike || stock == u"Q1"_s)
                    db.run(insert,
                           {stock, u"Say \"hi\" \\ there"_s, 12345, u""_s, QVariant(), 0.0, 1});
                else
                    db.run(insert, {stock, u"Other"_s, 5, u"w"_s, u"n"_s, 1.5, 0});
            }
            transaction.commit();
        }
        const qint64 run = lastRun(db);
        db.run(u"UPDATE Products SET "_s + change + u" WHERE StockNo = 'Q1'"_s);
        const QString before = dump(db);

        const RunUndo::Result trial = RunUndo::undo(db, run, true);
        QCOMPARE(dump(db), before);
        const RunUndo::Result real = RunUndo::undo(db, run);
        const QStringList expected =
            keptColumn.isEmpty() ? QStringList() : QStringList{u"Q1 "_s + keptColumn};
        for (const RunUndo::Result& result : {trial, real}) {
            QStringList kept;
            for (const RunUndo::Kept& k : result.kept)
                kept << k.stockNumber + u' ' + k.column;
            QCOMPARE(kept, expected);
            QCOMPARE(result.rowsDeleted, keptColumn.isEmpty() ? 3 : 2);
        }
        QCOMPARE(catalogue.count(u"StockNo IN ('Q0', 'Q1', 'Q2')"_s), keptColumn.isEmpty() ? 0 : 1);
        // The undo's own journal puts the deleted rows back exactly.
        RunUndo::undo(db, real.undoRun);
        QCOMPARE(dump(db), before);
    }
    void refusalsChangeNothing_data() {
        QTest::addColumn<bool>("undoFirst");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown run") << false << qint64(40) << u"There is no run 41"_s;
        QTest::newRow("already undone") << true << qint64(0) << u"already undone by run 2"_s;
    }
    void refusalsChangeNothing() {
        QFETCH(bool, undoFirst);
        QFETCH(qint64, offset);
        QFETCH(QString, message);
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        importLines(catalogue, "N1,New,1\n");
        const qint64 run = lastRun(db);
        QCOMPARE(run, 1);
        if (undoFirst)
            RunUndo::undo(db, run);
        const QString before = state(db);
        try {
            RunUndo::undo(db, run + offset);
            QFAIL("the undo was not refused");
        } catch (const RunTimeError& error) {
            QVERIFY2(error.description().contains(message), qPrintable(error.description()));
        }
        QCOMPARE(state(db), before);
    }

    // Only the rows a run writes are journalled, each with its columns' old and new values.
    void historyListsTheRowsOfARun() {
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        db.run(u"UPDATE Products SET ProdName = 'Own edit' WHERE StockNo = 'B2'"_s);
        importLines(catalogue, "A1,Brass Lamp,3.25\nN1,New,1\n");
        QStringList lines;
        for (const RunHistory::RowChange& change : RunHistory::rows(db, lastRun(db)))
            if (change.column != u"Notes"_s)
                lines << RunHistory::line(change);
        QCOMPARE(lines, (QStringList{u"A1  Cost1: 0 -> 3.25"_s, u"N1  added"_s}));
        const RunHistory::RunInfo info = RunHistory::runs(db).first();
        QCOMPARE(info.kind, u"import"_s);
        QCOMPARE(info.added, 1);
        QCOMPARE(info.changed, 1);
        QCOMPARE(info.totals, u"Total Checked: 2   Total Added: 1   Total Edited: 1"_s);
    }

    // Runs past the last ones kept and older than the days kept are dropped by the next run.
    void oldRunsAreDropped() {
        TestCatalogue catalogue;
        CatalogueDatabase& db = catalogue.db();
        for (int i = 0; i < 4; ++i)
            importLines(catalogue, "N" + QByteArray::number(i) + ",New,1\n");
        db.run(u"UPDATE Runs SET Started = '2001-01-01T00:00:00Z' WHERE Run <= 2"_s);
        SettingsStore::program().setValue(u"Journal"_s, u"KeepRuns"_s, u"2"_s);
        importLines(catalogue, "N9,New,1\n");
        SettingsStore::program().setValue(u"Journal"_s, u"KeepRuns"_s, u"50"_s);
        QList<qint64> numbers;
        for (const RunHistory::RunInfo& run : RunHistory::runs(db))
            numbers << run.number;
        QCOMPARE(numbers, (QList<qint64>{5, 4, 3}));
        QCOMPARE(db.scalar(u"SELECT count(*) FROM RunRows WHERE Run <= 2"_s).toLongLong(), 0);
    }

    // A run of more changes than a batch, and more than a chunk, holds is taken back exactly
    // from a few journal rows, and done again the same way.
    void largeRunIsUndoneExactly() {
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        const QString before = dump(db);
        const int count = int(JournalChunks::ChangesPerChunk) * 2 + 100;
        QByteArray lines = "A1,Brass Lamp,3.25\n";
        for (int i = 0; i < count; ++i)
            lines += "N" + QByteArray::number(i) + ",Item,0." + QByteArray::number(i) + "\n";
        lines += "B2,Tin Box,7\n";
        ImportOptions options = quiet();
        options.commitEvery = count / 2 + 10;
        importLines(catalogue, lines, options);
        const QString after = dump(db);
        const RunHistory::RunInfo info = RunHistory::runs(db).first();
        QCOMPARE(info.added, count);
        QCOMPARE(info.changed, 2);
        const qint64 chunks =
            db.scalar(u"SELECT count(*) FROM RunRows WHERE Run = ?"_s, {info.number}).toLongLong();
        QVERIFY2(chunks >= 3 && chunks <= 6, qPrintable(QString::number(chunks)));

        const RunUndo::Result undone = RunUndo::undo(db, info.number);
        QVERIFY2(undone.kept.isEmpty(), qPrintable(RunUndo::line(undone.kept.value(0))));
        QCOMPARE(undone.rowsDeleted, count);
        QCOMPARE(undone.rowsRestored, 2);
        QCOMPARE(dump(db), before);
        QVERIFY(RunUndo::undo(db, undone.undoRun).kept.isEmpty());
        QCOMPARE(dump(db), after);
    }

    // Work rolled back leaves nothing in the journal, neither under its own run nor under the
    // next run, which may get the same number.
    void rolledBackWorkLeavesNoJournal_data() {
        QTest::addColumn<RunTask>("rolledBack");
        QTest::newRow("batch of a run") << RunTask([](TestCatalogue& c) {
            JournalRun run(c.db(), JournalRun::BulkEdit, u"test"_s);
            ScopedTransaction transaction(c.db());
            c.db().run(u"UPDATE Products SET ProdName = 'Gone' WHERE StockNo = 'B2'"_s);
            c.db().run(u"DELETE FROM Products WHERE StockNo = 'C3'"_s);
        });
        QTest::newRow("import broken off") << RunTask([](TestCatalogue& c) {
            QVERIFY_THROWS_EXCEPTION(
                RunTimeError, importBrokenOff(c, "A1,Lamp,3.25\nN1,New,1\nN2,New,2\n", 100, 3));
        });
    }
    void rolledBackWorkLeavesNoJournal() {
        QFETCH(RunTask, rolledBack);
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        rolledBack(catalogue);
        const QString before = dump(db);
        const QVariant journalBefore = db.scalar(u"SELECT count(*) FROM RunRows"_s);
        importLines(catalogue, "N7,Seventh,7\n");
        const qint64 run = lastRun(db);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM RunRows WHERE Run <> ?"_s, {run}), journalBefore);
        QStringList lines;
        for (const RunHistory::RowChange& change : RunHistory::rows(db, run))
            lines << RunHistory::line(change);
        QCOMPARE(lines, QStringList{u"N7  added"_s});
        QVERIFY(RunUndo::undo(db, run).kept.isEmpty());
        QCOMPARE(dump(db), before);
    }

    // During a run every write is part of a transaction whose commit writes its journal; one
    // made outside any would go unjournalled, so it is refused and changes nothing.
    void writeOutsideATransactionIsRefused_data() {
        QTest::addColumn<QString>("write");
        QTest::newRow("change") << u"UPDATE Products SET ProdName = 'Mine' WHERE rowid = 2"_s;
        QTest::newRow("add") << u"INSERT INTO Products (StockNo) VALUES ('N5'), ('N6')"_s;
        QTest::newRow("delete") << u"DELETE FROM Products WHERE rowid = 2"_s;
    }
    void writeOutsideATransactionIsRefused() {
        QFETCH(QString, write);
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        const QString before = dump(db);
        {
            JournalRun run(db, JournalRun::BulkEdit, u"test"_s);
            QVERIFY(run.number() > 0);
            QVERIFY_THROWS_EXCEPTION(RunTimeError, db.run(write));
        }
        QCOMPARE(dump(db), before);
        db.run(write);
        QVERIFY(dump(db) != before);
    }

    // A catalogue of an earlier layout gets the journal as this version keeps it; the runs of
    // a journal kept a row per change are dropped with it.
    void earlierLayoutGetsTheJournal_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("without a journal") << 3;
        QTest::newRow("a row per change") << 4;
    }
    void earlierLayoutGetsTheJournal() {
        QFETCH(int, layout);
        TestCatalogue catalogue;
        const QString path = catalogue.filePath(u"old.mde"_s);
        CatalogueDatabase::create(path);
        {
            CatalogueDatabase old(path);
            old.run(u"DROP TABLE RunRows"_s);
            if (layout == 3) {
                old.run(u"DROP TABLE Runs"_s);
            } else {
                old.run(u"CREATE TABLE RunRows (Seq INTEGER PRIMARY KEY, Run INTEGER NOT NULL, "
                        u"TableName TEXT NOT NULL, RowKey INTEGER NOT NULL, Change INTEGER NOT "
                        u"NULL, OldValues BLOB, NewValues BLOB)"_s);
                old.run(u"INSERT INTO Runs (Kind, Started) VALUES ('text import', "
                        u"'2026-01-01T00:00:00Z')"_s);
                old.run(u"INSERT INTO RunRows VALUES (4294967297, 1, 'Products', 1, 1, NULL, "
                        u"x'0101')"_s);
            }
            old.run(u"UPDATE SchemaVersion SET Version = ?"_s, {layout});
        }
        CatalogueDatabase db(path);
        QCOMPARE(db.scalar(u"SELECT Version FROM SchemaVersion"_s).toInt(), 5);
        QVERIFY(RunHistory::runs(db).isEmpty());
        QVERIFY(!db.tableNames().contains(u"RunRows"_s));
        ProductImporter::importText(db, TextFile::decode("N1,New,1\n"), 0, Divider::comma(),
                                    FieldMap{{0, PC::StockNo}, {1, PC::ProdName}}, quiet(), {});
        const qint64 run = lastRun(db);
        QCOMPARE(RunHistory::run(db, run)->added, 1);
        QCOMPARE(RunUndo::undo(db, run).rowsDeleted, 1);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 0);
    }

    // A server's catalogue made by an earlier version keeps its own triggers: one for each added,
    // changed or deleted row, which copies a row's values after every change as well, or one
    // for the rows a statement added that notes each key apart. Its runs are taken back as
    // exactly.
    void earlierServerTriggerIsRead_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("a trigger for each row") << QStringList{
            u"CREATE OR REPLACE FUNCTION journal_row() RETURNS trigger LANGUAGE plpgsql AS "
            u"$body$ BEGIN "
            u"IF coalesce(current_setting('tovin.run', true), '') = '' THEN RETURN NULL; "
            u"END IF; "
            u"IF TG_OP = 'INSERT' THEN "
            u"INSERT INTO pg_temp.journal_pending (tbl, op, key, after) "
            u"VALUES (TG_TABLE_NAME, 1, NEW.rowid, to_jsonb(NEW)); "
            u"ELSIF TG_OP = 'UPDATE' THEN "
            u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before, after) "
            u"VALUES (TG_TABLE_NAME, 2, OLD.rowid, to_jsonb(OLD), to_jsonb(NEW)); "
            u"ELSE "
            u"INSERT INTO pg_temp.journal_pending (tbl, op, key, before) "
            u"VALUES (TG_TABLE_NAME, 3, OLD.rowid, to_jsonb(OLD)); "
            u"END IF; RETURN NULL; END $body$"_s,
            u"DROP TRIGGER journal_added ON Products"_s, u"DROP TRIGGER journal ON Products"_s,
            u"CREATE TRIGGER journal AFTER INSERT OR UPDATE OR DELETE ON Products FOR EACH ROW "
            u"EXECUTE FUNCTION journal_row()"_s};
        QTest::newRow("each added key apart") << QStringList{
            u"CREATE OR REPLACE FUNCTION journal_added() RETURNS trigger LANGUAGE plpgsql AS "
            u"$body$ BEGIN "
            u"IF coalesce(current_setting('tovin.run', true), '') = '' THEN RETURN NULL; "
            u"END IF; "
            u"INSERT INTO pg_temp.journal_pending (tbl, op, key) SELECT TG_TABLE_NAME, 1, rowid "
            u"FROM added; RETURN NULL; END $body$"_s};
    }
    void earlierServerTriggerIsRead() {
        QFETCH(QStringList, statements);
        if (!test::onServer())
            QSKIP("only a catalogue on a server journals through a trigger");
        TestCatalogue catalogue;
        seed(catalogue);
        CatalogueDatabase& db = catalogue.db();
        for (const QString& statement : statements)
            db.run(statement);
        const QString before = dump(db);
        changeRowsAgain(catalogue);
        const QString after = dump(db);
        const RunUndo::Result undone = RunUndo::undo(db, lastRun(db));
        QVERIFY2(undone.kept.isEmpty(), qPrintable(RunUndo::line(undone.kept.value(0))));
        QCOMPARE(dump(db), before);
        QVERIFY(RunUndo::undo(db, undone.undoRun).kept.isEmpty());
        QCOMPARE(dump(db), after);
    }
};

QTEST_GUILESS_MAIN(RunUndoTest)
#include "tst_runundo.moc"
