// A record set on the server whose connection's backend the server ended: however the loss is
// found (by the listening socket, by a statement that fails, by a statement that connects
// again), the connection comes back listening and another program's writes still reach the
// set; a transaction it was lost in keeps nothing; and no error of the lost connection ever
// leaves an event handler.
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/catalogue/RowWriter.h"
#include "core/storage/CatalogueChanges.h"
#include "core/storage/PostgresConnection.h"
#include "support/core/PrivateCluster.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <exception>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// Generous: the machine is busy with other builds.
constexpr int WaitMs = 60000;

// Every event goes through here: an error leaving a handler is kept, not let through to Qt.
class EscapeCatchingApp : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            escapes << QString::fromUtf8(error.what());
        } catch (...) {
            escapes << u"an unknown error"_s;
        }
        return false;
    }
    static inline QStringList escapes;
};

qint64 number(StorageConnection& db, const QString& sql) {
    const auto q = db.prepare(sql);
    return q->next() ? q->integer(0) : -1;
}

// The message of the error `work` raises; empty when it raised none.
template <typename Work> QString failureOf(Work&& work) {
    try {
        work();
    } catch (const RunTimeError& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

} // namespace

class PgConnectionLossTest : public QObject {
    Q_OBJECT

    // A cluster of this test's own, whose backends it may end.
    std::unique_ptr<test::PrivateCluster> m_cluster;
    std::unique_ptr<PostgresConnection> m_admin;

    // Ends the backend of `db`'s connection and waits for it to be gone, without running the
    // event loop: the connection itself has not looked at its socket yet.
    void endBackend(CatalogueDatabase& db) {
        const qint64 backend = number(db.connection(), u"SELECT pg_backend_pid()"_s);
        QCOMPARE(number(*m_admin, u"SELECT count(*) FROM pg_stat_activity WHERE pid = "_s +
                                      QString::number(backend)),
                 qint64(1));
        QCOMPARE(number(*m_admin,
                        u"SELECT pg_terminate_backend("_s + QString::number(backend) + u")::int"_s),
                 qint64(1));
        while (number(*m_admin, u"SELECT count(*) FROM pg_stat_activity WHERE pid = "_s +
                                    QString::number(backend)) != 0)
            QThread::msleep(20);
    }

    // Another program adds a product and tells the catalogue's listeners, as it does.
    void otherProgramAdds(const QString& stockNo) {
        m_admin
            ->prepare(u"INSERT INTO Products (StockNo, ProdName) VALUES ('"_s + stockNo +
                      u"', 'Mug')"_s)
            ->execute();
        const qint64 key = number(*m_admin, u"SELECT max(rowid) FROM Products"_s);
        const QString sender = QUuid::createUuid().toString(QUuid::Id128) + u"/1"_s;
        const auto notify = m_admin->prepare(u"SELECT pg_notify('tovin_catalogue', ?)"_s);
        notify->bind(1, QVariant(sender + u" 1\nproducts\n"_s + QString::number(key)));
        notify->execute();
    }

private slots:
    void initTestCase() {
        m_cluster = std::make_unique<test::PrivateCluster>();
        if (!m_cluster->isValid())
            QSKIP(qPrintable(u"No private PostgreSQL cluster: "_s + m_cluster->error()));
        CatalogueDatabase::create(m_cluster->uri());
        m_admin = PostgresConnection::open(m_cluster->uri());
    }
    void cleanupTestCase() {
        m_admin.reset();
        m_cluster.reset();
    }
    void init() {
        EscapeCatchingApp::escapes.clear();
        m_admin->prepare(u"DELETE FROM Products"_s)->execute();
    }

    void otherProgramsWritesReachTheSetAgain_data() {
        QTest::addColumn<QString>("found");
        QTest::newRow("by the listening socket") << u"listener"_s;
        QTest::newRow("by a statement, which fails") << u"statement"_s;
        QTest::newRow("by a statement in a transaction") << u"transaction"_s;
        QTest::newRow("by the listening socket, in a transaction") << u"listener, transaction"_s;
        QTest::newRow("by a statement that connects again") << u"reset"_s;
        QTest::newRow("by the set taking in a write") << u"told"_s;
        QTest::newRow("by a rollback") << u"rollback"_s;
    }
    void otherProgramsWritesReachTheSetAgain() {
        QFETCH(QString, found);
        CatalogueDatabase db(m_cluster->uri());
        RecordSet set;
        set.open(u"select * from Products order by StockNo"_s, db);
        QCOMPARE(set.recordCount(), 0);
        QSignalSpy lost(&CatalogueChanges::instance(), &CatalogueChanges::connectionLost);
        QSignalSpy back(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack);
        if (found.endsWith(u"transaction"_s) || found == u"rollback"_s) {
            db.connection().begin();
            db.run(u"INSERT INTO Products (StockNo) VALUES ('LOST-1')"_s);
        }
        endBackend(db);
        if (found == u"listener, transaction"_s) {
            // The listening socket sees the end first, while the transaction is still open.
            QVERIFY(lost.wait(WaitMs));
            found = u"transaction"_s;
        }
        if (found == u"statement"_s || found == u"reset"_s) {
            QVERIFY(
                failureOf([&] { number(db.connection(), u"SELECT 1"_s); }).contains(u"was lost"_s));
            if (found == u"reset"_s)
                QCOMPARE(number(db.connection(), u"SELECT 1"_s), qint64(1));
        } else if (found == u"transaction"_s) {
            QVERIFY(
                failureOf([&] { number(db.connection(), u"SELECT 1"_s); }).contains(u"was lost"_s));
            QVERIFY(!db.connection().inTransaction());
        } else if (found == u"rollback"_s) {
            db.connection().rollback();
        } else if (found == u"told"_s) {
            // The set reads the rows another program wrote on a connection found lost there.
            QMetaObject::invokeMethod(
                &CatalogueChanges::instance(),
                [&db] {
                    emit CatalogueChanges::instance().rowsChanged(db.identity(), u"Products"_s,
                                                                  {1});
                },
                Qt::QueuedConnection);
        }
        if (back.isEmpty())
            QVERIFY(back.wait(WaitMs));
        QCOMPARE(lost.size(), qsizetype(1));
        QCOMPARE(EscapeCatchingApp::escapes, QStringList());
        QCOMPARE(number(*m_admin, u"SELECT count(*) FROM Products"_s), qint64(0));

        QSignalSpy told(&CatalogueChanges::instance(), &CatalogueChanges::rowsChanged);
        otherProgramAdds(u"A-1"_s);
        QVERIFY(told.wait(WaitMs));
        // The set took the write in as it was told (it hears before the spy).
        QCOMPARE(set.recordCount(), 1);
        QCOMPARE(EscapeCatchingApp::escapes, QStringList());
    }
};

int main(int argc, char** argv) {
    EscapeCatchingApp app(argc, argv);
    PgConnectionLossTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pgconnectionloss.moc"
