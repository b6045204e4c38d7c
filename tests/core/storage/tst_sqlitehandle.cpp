#include "core/storage/SqliteHandle.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// How an outcome reads to the backups, which word their refusals from it.
QString kindOf(const SqliteOutcome& outcome) {
    if (outcome.ok())
        return u"ok"_s;
    if (outcome.busy())
        return u"busy"_s;
    if (outcome.notADatabase())
        return u"not a database"_s;
    if (outcome.damaged())
        return u"damaged"_s;
    if (outcome.cannotOpen())
        return u"cannot open"_s;
    return u"other: "_s + outcome.message;
}

// Overwrites `count` bytes of the file at `offset`.
bool overwrite(const QString& path, qint64 offset, int count) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(offset) &&
           file.write(QByteArray(count, '\xff')) == count;
}

} // namespace

// The backups' own connection to a database file tells each way a file fails apart, for the
// first read and for the check of its pages.
class SqliteHandleTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // A database of several pages: its first page holds the list of tables, the second the
    // root of table t.
    QString database() {
        const QString path = m_dir.filePath(u"d%1.db"_s.arg(++m_files));
        // The handle opens only a file that is there; an empty one is an empty database.
        if (QFile empty(path); !empty.open(QIODevice::WriteOnly))
            return QString();
        SqliteHandle file(path, SqliteAccess::ReadWrite, 0);
        const SqliteOutcome made =
            file.exec(u"CREATE TABLE t (a, b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                      u"i + 1 FROM n WHERE i < 2000) INSERT INTO t SELECT i, hex(zeroblob(25)) "
                      u"FROM n"_s);
        return made.ok() ? path : QString();
    }

private slots:
    void outcomesAreToldApart_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("firstRead");
        QTest::addColumn<QString>("pageCheck");
        QTest::newRow("whole") << u"whole"_s << u"ok"_s << u"ok"_s;
        QTest::newRow("missing") << u"missing"_s << u"cannot open"_s << u"cannot open"_s;
        QTest::newRow("text file") << u"text"_s << u"not a database"_s << u"not a database"_s;
        QTest::newRow("first page damaged") << u"first page"_s << u"damaged"_s << u"damaged"_s;
        QTest::newRow("a later page damaged") << u"later page"_s << u"ok"_s << u"damaged"_s;
        QTest::newRow("held alone elsewhere") << u"held"_s << u"busy"_s << u"busy"_s;
    }
    void outcomesAreToldApart() {
        QFETCH(QString, file);
        QFETCH(QString, firstRead);
        QFETCH(QString, pageCheck);
        QString path = database();
        QVERIFY(!path.isEmpty());
        std::unique_ptr<SqliteHandle> holder;
        if (file == u"missing"_s) {
            QVERIFY(QFile::remove(path));
        } else if (file == u"text"_s) {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
            text.write(QByteArray(2048, 'x'));
        } else if (file == u"first page"_s) {
            // The header of the first page's tree, just past the file's own header.
            QVERIFY(overwrite(path, 100, 64));
        } else if (file == u"later page"_s) {
            // Read first and closed: a plain descriptor beside the database's own would drop
            // its locks.
            const int pageSize = SqliteHandle(path, SqliteAccess::ReadOnly, 0).pageSize().toInt();
            QVERIFY(pageSize > 0);
            QVERIFY(overwrite(path, pageSize + 8, 64));
        } else if (file == u"held"_s) {
            holder = std::make_unique<SqliteHandle>(path, SqliteAccess::ReadWrite, 0);
            QVERIFY(holder->setWriteAheadLog(true).ok());
            QVERIFY(holder->holdAlone().ok());
            QVERIFY(holder->firstRead().ok());
        }
        SqliteHandle reader(path, SqliteAccess::ReadOnly, 0);
        QCOMPARE(kindOf(reader.firstRead()), firstRead);
        SqliteOutcome failure;
        const QStringList check = reader.checkPages(false, failure);
        QCOMPARE(kindOf(failure), pageCheck);
        if (failure.ok())
            QCOMPARE(check, QStringList{u"ok"_s});
    }

    // The copy is the database as it was, compacted, with pages of the size asked for.
    void copyAndPageSize() {
        const QString path = database();
        QVERIFY(!path.isEmpty());
        const QString copy = m_dir.filePath(u"copy.db"_s);
        {
            SqliteHandle source(path, SqliteAccess::ReadOnly, 0);
            QCOMPARE(kindOf(source.writeCopyTo(copy)), u"ok"_s);
            // Never over a file that is there.
            QVERIFY(!source.writeCopyTo(copy).ok());
        }
        SqliteHandle copied(copy, SqliteAccess::ReadWrite, 0);
        SqliteOutcome failure;
        QCOMPARE(copied.tableNames(failure), QStringList{u"t"_s});
        QCOMPARE(copied.columnNames(u"t"_s, failure), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(copied.texts(u"SELECT count(*) FROM t"_s, failure), QStringList{u"2000"_s});
        QVERIFY(failure.ok());
        const QString other = copied.pageSize() == u"8192"_s ? u"16384"_s : u"8192"_s;
        QCOMPARE(kindOf(copied.setPageSize(other)), u"ok"_s);
        QCOMPARE(copied.pageSize(), other);
        QCOMPARE(copied.checkPages(true, failure), QStringList{u"ok"_s});
    }
};

QTEST_GUILESS_MAIN(SqliteHandleTest)
#include "tst_sqlitehandle.moc"
