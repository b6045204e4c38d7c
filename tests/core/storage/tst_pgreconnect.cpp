// A connection that loses its server while the program waits for events: it says so once,
// fails a statement tried meanwhile in plain words, comes back by itself and listens again.
#include "core/storage/CatalogueChanges.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/PostgresConnection.h"
#include "support/core/PrivateCluster.h"

#include <QSignalSpy>
#include <QTest>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// Generous: the server stops and starts on a machine busy with other builds.
constexpr int WaitMs = 90000;

qint64 count(StorageConnection& db, const QString& sql) {
    const auto q = db.prepare(sql);
    return q->next() ? q->integer(0) : -1;
}

// Returns once every event queued before the call has been handled: a call queued now runs
// after them.
void runQueuedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&reached] { reached = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(reached);
}

} // namespace

class PgReconnectTest : public QObject {
    Q_OBJECT

    // A cluster of this test's own: it is stopped and started, which the shared one never is.
    std::unique_ptr<test::PrivateCluster> m_cluster;
    QString m_uri;

    bool stopServer() { return m_cluster->stopServer(); }
    bool startServer() { return m_cluster->startServer(); }

private slots:
    void initTestCase() {
        m_cluster = std::make_unique<test::PrivateCluster>();
        if (!m_cluster->isValid())
            QSKIP(qPrintable(u"No private PostgreSQL cluster: "_s + m_cluster->error()));
        m_uri = m_cluster->uri();
    }
    void cleanupTestCase() { m_cluster.reset(); }

    // Two screens' connections to one catalogue: the views hear of the loss once and of the
    // return once, and then of what another computer writes. A statement tried while the
    // server is down fails at once; the return is still left to the background.
    void restartedServerIsListenedToAgain() {
        const auto first = PostgresConnection::open(m_uri);
        const auto second = PostgresConnection::open(m_uri);
        const QString identity = CatalogueLocation::withoutPassword(m_uri);
        QSignalSpy lost(&CatalogueChanges::instance(), &CatalogueChanges::connectionLost);
        QSignalSpy back(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack);
        QSignalSpy told(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged);

        QVERIFY(stopServer());
        QVERIFY(lost.wait(WaitMs));
        QCOMPARE(lost.first().at(0).toString(), identity);
        QVERIFY(!lost.first().at(1).toString().isEmpty());
        QString message;
        try {
            count(*first, u"SELECT 1"_s);
        } catch (const CatalogueFailure& failure) {
            message = failure.description();
        }
        QVERIFY2(message.contains(u"could not be reached again"_s), qPrintable(message));
        QVERIFY(startServer());
        QVERIFY(back.wait(WaitMs));
        QCOMPARE(back.first().at(0).toString(), identity);
        QCOMPARE(lost.size(), qsizetype(1));

        const auto writer = PostgresConnection::open(m_uri);
        QCOMPARE(count(*writer, u"SELECT count(*) FROM pg_stat_activity WHERE query = "
                                u"'LISTEN tovin_catalogue' AND pid <> pg_backend_pid()"_s),
                 qint64(2));
        writer->prepare(u"CREATE TABLE IF NOT EXISTS t (rowid bigint PRIMARY KEY)"_s)->execute();
        writer->prepare(u"INSERT INTO t VALUES (42)"_s)->execute();
        // As another program tells it (this program's own notices are not told to it).
        const QString sender = QUuid::createUuid().toString(QUuid::Id128) + u"/1"_s;
        const auto notify = writer->prepare(u"SELECT pg_notify('tovin_catalogue', ?)"_s);
        notify->bind(1, QVariant(sender + u" 1\nt\n42"_s));
        notify->execute();
        QVERIFY(told.wait(WaitMs));
        QCOMPARE(told.first().at(0).toString(), identity);
        QCOMPARE(told.first().at(1).toString(), u"t"_s);
        QCOMPARE(told.first().at(2).value<QList<qint64>>(), QList<qint64>{42});
        // Each of the two listening connections had the notice; the views heard it once. A
        // statement's answer comes after the notices sent before it, and the connection takes
        // them in with it: once both have run one and the deliveries they queued have run,
        // nothing more is to come.
        QCOMPARE(count(*first, u"SELECT 1"_s), qint64(1));
        QCOMPARE(count(*second, u"SELECT 1"_s), qint64(1));
        runQueuedEvents();
        QCOMPARE(told.size(), qsizetype(1));
        QCOMPARE(back.size(), qsizetype(1));
        QCOMPARE(lost.size(), qsizetype(1));
    }
};

QTEST_GUILESS_MAIN(PgReconnectTest)
#include "tst_pgreconnect.moc"
