#include "UndoFixtures.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunUndo.h"
#include "core/settings/SettingsStore.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QTest>

using namespace tovin;
using namespace tovin::test;
using namespace Qt::Literals::StringLiterals;

// The rows a run added that were changed since stay, however small the change; on a server the
// server itself tells them apart from the rows it deletes.
class UndoChangedSinceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-changedsince-settings.ini"_s);
    }

    // An added row is deleted only when every value is still exactly what the run wrote: a
    // null is not an empty text, texts differ by letter case, money by a ten-thousandth, a
    // zero by its sign. Its neighbours of the same run, with quotes and nulls, go.
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
};

QTEST_GUILESS_MAIN(UndoChangedSinceTest)
#include "tst_undochangedsince.moc"
