#include "core/journal/JournalBuffer.h"
#include "core/journal/JournalValues.h"
#include "core/storage/ChangeCapture.h"
#include "core/storage/SqliteConnection.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <memory>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Values packed by the journal's triggers come back in type and value, whatever their size:
// the packing shortens whole numbers and lengths, which is where an off-by-one bit would hide.
class JournalValuesTest : public QObject {
    Q_OBJECT
private slots:
    void packedByTheDatabaseComeBackExactly_data() {
        QTest::addColumn<QVariant>("value");
        const qint64 min = std::numeric_limits<qint64>::min();
        const qint64 max = std::numeric_limits<qint64>::max();
        for (const qint64 i :
             {qint64(0), qint64(1), qint64(-1), qint64(63), qint64(-64), qint64(64), qint64(127),
              qint64(128), qint64(-129), qint64(123456789012345678), min, max, min + 1})
            QTest::addRow("integer %lld", static_cast<long long>(i)) << QVariant(qlonglong(i));
        QTest::newRow("double with every bit") << QVariant(0.1 + 0.2);
        QTest::newRow("negative zero") << QVariant(-0.0);
        QTest::newRow("null") << QVariant();
        QTest::newRow("empty text") << QVariant(QString(u""_s));
        QTest::newRow("text of 127 bytes") << QVariant(QString(127, u'x'));
        QTest::newRow("text of 128 bytes") << QVariant(QString(128, u'y'));
        QTest::newRow("text of 20 000 letters and signs")
            << QVariant(QString(10000, u'é') + u"O'Brien \U0001F600"_s);
        QTest::newRow("blob") << QVariant(QByteArray("\0\x80\xff", 3));
    }
    void packedByTheDatabaseComeBackExactly() {
        QFETCH(QVariant, value);
        QString failure;
        const std::unique_ptr<SqliteConnection> connection =
            SqliteConnection::open(u":memory:"_s, SqliteConnection::OpenMode::ReadWrite, failure);
        QVERIFY2(connection, qPrintable(failure));
        sqlite3* db = connection->handle();
        QCOMPARE(sqlite3_exec(db, "CREATE TABLE T (a, b, c)", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        auto listener = std::make_unique<JournalBuffer::CurrentRun>();
        JournalBuffer::CurrentRun& current = *listener;
        current.run = 1;
        ChangeCapture& capture = connection->changeCapture();
        capture.listen(std::move(listener));
        capture.watch(u"T"_s, JournalBuffer::addTable(current, u"T"_s));
        capture.setRun(1);
        // Inside a transaction, as a run writes: its commit would write the pending changes.
        QCOMPARE(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO T (rowid, a, b, c) VALUES (5, 7, ?, 7)", -1,
                                    &statement, nullptr),
                 SQLITE_OK);
        switch (value.typeId()) {
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, 1, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(statement, 1, value.toDouble());
            break;
        case QMetaType::QString: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            break;
        }
        QCOMPARE(sqlite3_step(statement), SQLITE_DONE);
        sqlite3_finalize(statement);
        QCOMPARE(sqlite3_exec(db, "DELETE FROM T", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(current.pending.size(), 1);
        const QList<JournalChunks::Entry> entries =
            JournalChunks::read(current.pending.first().bytes);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.first().table, u"T"_s);
        QCOMPARE(entries.first().key, 5);
        const QByteArray packed = entries.first().newValues;
        // Deleted, the row is packed from the database's old values the same way.
        QCOMPARE(entries.last().oldValues, packed);

        // The same value packed on the program's side gives the same bytes, and both read back.
        QCOMPARE(JournalValues::packRow({7, value, 7}), packed);
        const JournalValues::Row row = JournalValues::unpackRow(packed);
        QCOMPARE(row.size(), 3);
        QVERIFY2(JournalValues::same(row.at(1), value), qPrintable(row.at(1).toString()));
        QCOMPARE(row.at(1).typeId(), value.typeId());
        QCOMPARE(row.at(2), QVariant(qlonglong(7)));
        if (value.typeId() == QMetaType::Double)
            QCOMPARE(std::signbit(row.at(1).toDouble()), std::signbit(value.toDouble()));
    }

    // A chunk gives back its entries in order, each with its own table, key and values, however
    // the tables alternate; cut short anywhere it is refused.
    void chunkGivesBackItsEntries_data() {
        QTest::addColumn<QList<int>>("tables");
        QTest::newRow("one table") << QList<int>{0, 0, 0};
        QTest::newRow("tables in turn") << QList<int>{0, 1, 0, 1};
        QTest::newRow("a table coming back") << QList<int>{1, 1, 0, 0, 1};
    }
    void chunkGivesBackItsEntries() {
        QFETCH(QList<int>, tables);
        const QStringList names{u"Products"_s, u"Order Lines é"_s};
        const QList<qint64> keys{1, -1, 300, std::numeric_limits<qint64>::max(),
                                 std::numeric_limits<qint64>::min()};
        JournalChunks::Chunk chunk;
        for (int i = 0; i < tables.size(); ++i) {
            const auto change = RunHistory::Change(1 + i % 3);
            const QByteArray before =
                change == RunHistory::Change::Added ? QByteArray() : "o" + QByteArray::number(i);
            const QByteArray after =
                change == RunHistory::Change::Deleted ? QByteArray() : "n" + QByteArray::number(i);
            JournalChunks::append(chunk, tables.at(i), names.at(tables.at(i)), change,
                                  keys.at(i % keys.size()), before, after);
        }
        const QList<JournalChunks::Entry> entries = JournalChunks::read(chunk.bytes);
        QCOMPARE(entries.size(), tables.size());
        QCOMPARE(chunk.entries(), tables.size());
        for (int i = 0; i < tables.size(); ++i) {
            const JournalChunks::Entry& entry = entries.at(i);
            QCOMPARE(entry.table, names.at(tables.at(i)));
            QCOMPARE(entry.key, keys.at(i % keys.size()));
            QCOMPARE(int(entry.change), 1 + i % 3);
            QCOMPARE(entry.oldValues.isEmpty(), entry.change == RunHistory::Change::Added);
            QCOMPARE(entry.newValues.isEmpty(), entry.change == RunHistory::Change::Deleted);
        }
        // Cut anywhere, it is refused or gives whole entries as they were, never other values.
        for (qsizetype keep = 1; keep < chunk.bytes.size(); ++keep) {
            QList<JournalChunks::Entry> part;
            try {
                part = JournalChunks::read(chunk.bytes.left(keep));
            } catch (const std::exception&) {
                continue;
            }
            QVERIFY(part.size() < entries.size());
            for (qsizetype i = 0; i < part.size(); ++i)
                QVERIFY(part.at(i).key == entries.at(i).key &&
                        part.at(i).oldValues == entries.at(i).oldValues &&
                        part.at(i).newValues == entries.at(i).newValues);
        }
    }

    // A packed row cut short is refused, never read as other values.
    void cutShortIsRefused() {
        const QByteArray packed = JournalValues::packRow({QVariant(QString(300, u'z'))});
        for (qsizetype keep : {qsizetype(1), qsizetype(2), packed.size() - 1})
            QVERIFY_THROWS_EXCEPTION(std::exception, JournalValues::unpackRow(packed.left(keep)));
    }
};

QTEST_GUILESS_MAIN(JournalValuesTest)
#include "tst_journalvalues.moc"
