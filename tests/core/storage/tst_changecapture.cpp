#include "core/base/RunTimeError.h"
#include "core/storage/ChangeCapture.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/SqliteConnection.h"
#include "support/core/TestServer.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

using Operation = ChangeCapture::Operation;

QVariant valueOf(const ChangeCapture::Value& value) {
    switch (value.type) {
    case ChangeCapture::Value::Type::Integer:
        return QVariant(qlonglong(value.integer));
    case ChangeCapture::Value::Type::Real:
        return QVariant(value.real);
    case ChangeCapture::Value::Type::Text:
        return QVariant(QString::fromUtf8(value.bytes));
    case ChangeCapture::Value::Type::Blob:
        return QVariant(value.bytes.toByteArray());
    case ChangeCapture::Value::Type::Null:
        break;
    }
    return QVariant();
}

QVariantList valuesOf(ChangeCapture::Values values) {
    QVariantList list;
    for (const ChangeCapture::Value& value : values)
        list << valueOf(value);
    return list;
}

// What a listener was told, its values copied while they were valid.
struct Told {
    int table = -1;
    Operation operation = Operation::Insert;
    qint64 key = 0;
    QVariantList before;
    QVariantList after;
};

class Recorder final : public ChangeCapture::Listener {
public:
    QList<Told> told;
    int rollbacks = 0;
    bool holdCommit = false;

    void rowChanging(const ChangeCapture::RowChange& row) override {
        QVERIFY(row.readable);
        told << Told{row.table, row.operation, row.key, valuesOf(row.before), valuesOf(row.after)};
    }
    void rolledBack() override { ++rollbacks; }
    bool mayCommit() const override { return !holdCommit; }
};

// Equal value by value and in type: a whole number where a real is due is a different value
// for the journal, though QVariant compares them equal.
bool sameTyped(const QVariantList& a, const QVariantList& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.at(i).typeId() != b.at(i).typeId() || a.at(i) != b.at(i))
            return false;
    return true;
}

QString shown(const QVariantList& values) {
    QStringList parts;
    for (const QVariant& value : values)
        parts << QString::fromUtf8(value.typeName() ? value.typeName() : "null") + u':' +
                     value.toString();
    return parts.join(u", "_s);
}

} // namespace

// The engines' change capture: a file tells each row of a watched table as it is written, with
// its values as reading them gives them; a server notes them in its session.
class ChangeCaptureTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // A file with the watched table T (number 3) holding row 5, the table U not watched, and
    // a temporary table T that is no table of the main database.
    std::unique_ptr<SqliteConnection> watchedFile(Recorder*& recorder) {
        QString failure;
        auto connection = SqliteConnection::open(m_dir.filePath(u"f%1.db"_s.arg(++m_files)),
                                                 SqliteConnection::OpenMode::ReadWrite, failure);
        if (!connection)
            return nullptr;
        for (const QString& sql :
             {u"CREATE TABLE T (a INTEGER, p REAL, t TEXT, b BLOB)"_s, u"CREATE TABLE U (a)"_s,
              u"CREATE TEMP TABLE T (a INTEGER, p REAL, t TEXT, b BLOB)"_s,
              u"INSERT INTO main.T (rowid, a, p, t, b) VALUES (5, 1, 2, 'x', x'00ff')"_s})
            connection->prepare(sql)->next();
        ChangeCapture& capture = connection->changeCapture();
        auto made = std::make_unique<Recorder>();
        recorder = made.get();
        capture.listen(std::move(made));
        capture.watch(u"T"_s, 3);
        capture.setRun(1);
        return connection;
    }

private slots:
    void fileTellsEachRowOfAWatchedTable_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("told");
        QTest::addColumn<int>("operation");
        QTest::addColumn<qint64>("key");
        QTest::addColumn<QVariantList>("before");
        QTest::addColumn<QVariantList>("after");
        const QVariantList row5{qlonglong(1), 2.0, u"x"_s, QByteArray("\0\xff", 2)};
        QTest::newRow("insert: a whole number of a real column comes as a real")
            << u"INSERT INTO main.T (rowid, a, p, t, b) VALUES (9, -3, 4, 'é', NULL)"_s << true
            << int(Operation::Insert) << qint64(9) << QVariantList()
            << QVariantList{qlonglong(-3), 4.0, u"é"_s, QVariant()};
        QVariantList changed = row5;
        changed[2] = u"y"_s;
        QTest::newRow("update") << u"UPDATE main.T SET t = 'y' WHERE rowid = 5"_s << true
                                << int(Operation::Update) << qint64(5) << row5 << changed;
        QTest::newRow("update to another key keeps the key it had")
            << u"UPDATE main.T SET rowid = 7 WHERE rowid = 5"_s << true << int(Operation::Update)
            << qint64(5) << row5 << row5;
        QTest::newRow("delete") << u"DELETE FROM main.T WHERE rowid = 5"_s << true
                                << int(Operation::Delete) << qint64(5) << row5 << QVariantList();
        QTest::newRow("a table not watched") << u"INSERT INTO U VALUES (1)"_s << false << 0
                                             << qint64(0) << QVariantList() << QVariantList();
        QTest::newRow("a table of that name outside the main database")
            << u"INSERT INTO temp.T (a) VALUES (1)"_s << false << 0 << qint64(0) << QVariantList()
            << QVariantList();
    }
    void fileTellsEachRowOfAWatchedTable() {
        QFETCH(QString, statement);
        QFETCH(bool, told);
        Recorder* recorder = nullptr;
        const auto connection = watchedFile(recorder);
        QVERIFY(connection);
        QVERIFY(connection->changeCapture().tellsEachRow());
        connection->prepare(statement)->next();
        QCOMPARE(recorder->told.size(), told ? 1 : 0);
        if (!told)
            return;
        QFETCH(int, operation);
        QFETCH(qint64, key);
        QFETCH(QVariantList, before);
        QFETCH(QVariantList, after);
        const Told& row = recorder->told.first();
        QCOMPARE(row.table, 3);
        QCOMPARE(int(row.operation), operation);
        QCOMPARE(row.key, key);
        QVERIFY2(sameTyped(row.before, before), qPrintable(shown(row.before)));
        QVERIFY2(sameTyped(row.after, after), qPrintable(shown(row.after)));
    }

    // Nothing is told outside a run; a rollback is told; a commit the listener holds back is
    // refused and leaves nothing written.
    void fileRunRollbackAndHeldCommit() {
        Recorder* recorder = nullptr;
        const auto connection = watchedFile(recorder);
        QVERIFY(connection);
        ChangeCapture& capture = connection->changeCapture();
        capture.setRun(0);
        connection->prepare(u"INSERT INTO main.T (a) VALUES (1)"_s)->next();
        QCOMPARE(recorder->told.size(), 0);

        capture.setRun(2);
        connection->begin();
        connection->prepare(u"INSERT INTO main.T (a) VALUES (2)"_s)->next();
        connection->rollback();
        QCOMPARE(recorder->told.size(), 1);
        QCOMPARE(recorder->rollbacks, 1);

        recorder->holdCommit = true;
        connection->begin();
        connection->prepare(u"INSERT INTO main.T (a) VALUES (3)"_s)->next();
        QVERIFY_THROWS_EXCEPTION(RunTimeError, connection->commit());
        QVERIFY(!connection->inTransaction());
        const auto count = connection->prepare(u"SELECT count(*) FROM main.T WHERE a = 3"_s);
        QVERIFY(count->next());
        QCOMPARE(count->integer(0), 0);
    }

    // A write the journal notes itself is not told; the capture resumes after it, also when it
    // throws.
    void fileWriteUncaptured() {
        Recorder* recorder = nullptr;
        const auto connection = watchedFile(recorder);
        QVERIFY(connection);
        ChangeCapture& capture = connection->changeCapture();
        QVERIFY(capture.capturesRun(1));
        QVERIFY(!capture.capturesRun(2));
        const auto insert = [&](int a) {
            connection->prepare(u"INSERT INTO main.T (a) VALUES (%1)"_s.arg(a))->next();
        };
        capture.writeUncaptured([&] { insert(1); });
        QCOMPARE(recorder->told.size(), 0);
        QVERIFY_THROWS_EXCEPTION(RunTimeError, capture.writeUncaptured([&] {
            insert(2);
            throw RunTimeError(ErrorNumber::DatabaseRefused, u"refused"_s);
        }));
        QCOMPARE(recorder->told.size(), 0);
        insert(3);
        QCOMPARE(recorder->told.size(), 1);
        QVERIFY(capture.capturesRun(1));
    }

    // A server notes the changes in its session while its setting names the run.
    void serverNotesChangesInItsSession() {
        if (test::clusterUri().isEmpty())
            QSKIP("no PostgreSQL cluster (TOVIN_TEST_PG_URI)");
        test::ServerDatabase database;
        const auto connection = PostgresConnection::open(database.uri());
        ChangeCapture& capture = connection->changeCapture();
        QVERIFY(!capture.tellsEachRow());
        const auto setting = [&] {
            const auto q = connection->prepare(u"SELECT current_setting('tovin.run', true)"_s);
            return q->next() ? q->text(0) : u"(no row)"_s;
        };
        capture.setRun(42);
        QCOMPARE(setting(), u"42"_s);
        const auto notes = connection->prepare(u"SELECT count(*) FROM pg_temp.journal_pending"_s);
        QVERIFY(notes->next());
        QCOMPARE(notes->integer(0), 0);
        QVERIFY(capture.capturesRun(42));
        QVERIFY(!capture.capturesRun(43));

        // Silent around a write inside a transaction, named again after it, also after a throw.
        connection->begin();
        QString during;
        capture.writeUncaptured([&] { during = setting(); });
        QCOMPARE(during, QString());
        QCOMPARE(setting(), u"42"_s);
        QVERIFY_THROWS_EXCEPTION(RunTimeError, capture.writeUncaptured([] {
            throw RunTimeError(ErrorNumber::DatabaseRefused, u"refused"_s);
        }));
        QCOMPARE(setting(), u"42"_s);
        connection->rollback();

        capture.setRun(0);
        QCOMPARE(setting(), QString());
        QVERIFY(!capture.capturesRun(42));
    }
};

QTEST_GUILESS_MAIN(ChangeCaptureTest)
#include "tst_changecapture.moc"
