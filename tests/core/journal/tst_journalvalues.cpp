#include "core/journal/JournalValues.h"

#include <QTest>
#include <cmath>
#include <limits>
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
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        JournalValues::CurrentRun current;
        JournalValues::registerFunctions(db, &current);
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "SELECT journal_pack(0, 7, ?, 7)", -1, &statement, nullptr),
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
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        const QByteArray packed(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                                sqlite3_column_bytes(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);

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

    // A packed row cut short is refused, never read as other values.
    void cutShortIsRefused() {
        const QByteArray packed = JournalValues::packRow({QVariant(QString(300, u'z'))});
        for (qsizetype keep : {qsizetype(1), qsizetype(2), packed.size() - 1})
            QVERIFY_THROWS_EXCEPTION(std::exception, JournalValues::unpackRow(packed.left(keep)));
    }
};

QTEST_GUILESS_MAIN(JournalValuesTest)
#include "tst_journalvalues.moc"
