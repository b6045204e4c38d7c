#include "UndoFixtures.h"
#include "core/journal/JournalChunks.h"
#include "core/journal/RunUndoSetDelete.h"
#include "core/settings/SettingsStore.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QTest>

using namespace tovin;
using namespace tovin::test;
using namespace Qt::Literals::StringLiterals;

// The server's delete of the rows a run added, a set at a time, whose statement for the next
// set is made while the server deletes the present one.
class RunUndoSetDeleteTest : public QObject {
    Q_OBJECT

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
        importLines(catalogue, "Q0,Lamp,1\nQ1,Box,2\nQ2,Jar,3\n");
        std::vector<RunUndoSetDelete::Added> added;
        JournalChunks::forEach(db, lastRun(db), [&](JournalChunks::Entry& entry) {
            added.push_back({entry.key, entry.newValues});
            return true;
        });
        QCOMPARE(added.size(), size_t(3));
        RunUndoWrites::Table products;
        products.name = u"Products"_s;
        for (const ColumnInfo& column : db.columns(products.name)) {
            products.columns << column.name;
            products.kinds << column.kind;
        }

        ScopedTransaction transaction(db);
        RunUndoSetDelete remove(db, products);
        QVERIFY(remove.usable());
        QCOMPARE(remove.remove({added[0]}, {added[size_t(expected)]}), QSet{added[0].first});
        QCOMPARE(remove.remove({added[size_t(next)]}), QSet{added[size_t(next)].first});
        transaction.commit();
        QCOMPARE(db.scalar(u"SELECT StockNo FROM Products WHERE StockNo IN ('Q0', 'Q1', 'Q2')"_s)
                     .toString(),
                 left);
        QCOMPARE(catalogue.count(u"StockNo IN ('Q0', 'Q1', 'Q2')"_s), 1);
    }
};

QTEST_GUILESS_MAIN(RunUndoSetDeleteTest)
#include "tst_runundosetdelete.moc"
