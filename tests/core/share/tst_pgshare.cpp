#include "ShareTestShop.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/share/CatalogueShare.h"
#include "core/storage/CatalogueFailure.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

// A shop moved to a server database and back: the copy that comes back is the original table
// for table and row for row, the server goes on with keys where the file left off, and a
// server database that holds a catalogue is replaced only when asked and stays as it was when
// a copy onto it fails.
class PgShareTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_shop;

private slots:
    void initTestCase() {
        if (clusterUri().isEmpty())
            QSKIP("no PostgreSQL cluster was started for this run");
        m_shop = m_dir.filePath(u"shop.mde"_s);
        makeShop(m_shop);
    }

    void fileToServerToFileIsTheSame() {
        const ServerDatabase server;
        const QString back = m_dir.filePath(u"back.mde"_s);
        const auto there = CatalogueShare::share(m_shop, server.uri(), false);
        const auto home = CatalogueShare::share(server.uri(), back, false);
        QCOMPARE(home.rowsPerTable, there.rowsPerTable);
        CatalogueDatabase original(m_shop);
        CatalogueDatabase onServer(server.uri());
        CatalogueDatabase returned(back);
        const QMap<QString, Rows> rows = everyTable(original);
        const QMap<QString, Rows> rowsOnServer = everyTable(onServer);
        const QMap<QString, Rows> rowsReturned = everyTable(returned);
        QCOMPARE(rowsOnServer.keys(), rows.keys());
        QCOMPARE(rowsReturned.keys(), rows.keys());
        for (const QString& table : rows.keys()) {
            QCOMPARE(rowsOnServer.value(table).size(), rows.value(table).size());
            QVERIFY2(rowsReturned.value(table) == rows.value(table), qPrintable(table));
        }
    }

    // Keys handed out on the server and in the file that came back go on after every key the
    // original gave out, those of rows it deleted since included.
    void keysGoOnWhereTheOriginalLeftOff_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("column");
        QTest::newRow("counter key") << u"Products"_s << 2;
        QTest::newRow("row numbers") << u"Inventory"_s << 1;
        QTest::newRow("run journal") << u"Runs"_s << -1;
    }
    void keysGoOnWhereTheOriginalLeftOff() {
        QFETCH(QString, table);
        QFETCH(int, column);
        QTemporaryDir dir;
        const QString probe = dir.filePath(u"probe.mde"_s);
        QVERIFY(QFile::copy(m_shop, probe));
        const qint64 given = addRow(probe, table, column);
        const ServerDatabase server;
        CatalogueShare::share(m_shop, server.uri(), false);
        const QString back = dir.filePath(u"back.mde"_s);
        CatalogueShare::share(server.uri(), back, false);
        const qint64 onServer = addRow(server.uri(), table, column);
        QVERIFY2(onServer >= given,
                 qPrintable(u"%1 on the server, %2 before"_s.arg(onServer).arg(given)));
        const qint64 inFile = addRow(back, table, column);
        QVERIFY2(inFile >= given,
                 qPrintable(u"%1 in the file, %2 before"_s.arg(inFile).arg(given)));
    }

    void aServerCatalogueIsReplacedOnlyWhenAsked() {
        const ServerDatabase server;
        CatalogueShare::share(m_shop, server.uri(), false);
        const QString other = m_dir.filePath(u"other.mde"_s);
        if (!QFile::exists(other)) {
            CatalogueDatabase::create(other);
            CatalogueDatabase db(other);
            db.run(u"INSERT INTO Products (StockNo, Retail) VALUES ('OTHER', 10000)"_s);
        }
        const auto before = [&] {
            CatalogueDatabase db(server.uri());
            return everyTable(db);
        }();
        QString description;
        QCOMPARE(errorOf([&] { CatalogueShare::share(other, server.uri(), false); }, &description),
                 ErrorNumber::DatabaseRefused);
        QVERIFY2(description.contains(u"already holds a catalogue"_s), qPrintable(description));
        // A connection lost part way through a replacing copy.
        int calls = 0;
        const auto failing = [&calls](const QString&, qint64, qint64) {
            if (++calls == 2)
                throw CatalogueFailure(ErrorNumber::DatabaseRefused, u"The connection was lost."_s);
        };
        QVERIFY(errorOf([&] { CatalogueShare::share(m_shop, server.uri(), true, failing); }) != 0);
        {
            CatalogueDatabase db(server.uri());
            QVERIFY(everyTable(db) == before);
        }
        CatalogueShare::share(other, server.uri(), true);
        CatalogueDatabase db(server.uri());
        QCOMPARE(rowsOf(db, u"Products"_s).size(), 1);
        QCOMPARE(db.scalar(u"SELECT StockNo FROM Products"_s).toString(), u"OTHER"_s);
    }
};

QTEST_GUILESS_MAIN(PgShareTest)
#include "tst_pgshare.moc"
