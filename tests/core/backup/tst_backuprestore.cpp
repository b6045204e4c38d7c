#include "core/backup/BackupRestore.h"
#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/backup/SqliteFile.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/SqliteConnection.h"
#include "support/core/CliRun.h"
#include "support/core/LockWaitWatch.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Backups of a catalogue and their way back: a copy is only ever put in the catalogue's place
// when it is whole, and the catalogue as it was is kept first.
class BackupRestoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_catalogue;

    // A catalogue with `count` products whose stock numbers start with `prefix`.
    static void makeCatalogue(const QString& path, const QString& prefix, int count) {
        CatalogueDatabase::create(path);
        CatalogueDatabase db(path);
        ScopedTransaction transaction(db);
        for (int i = 0; i < count; ++i)
            db.run(
                u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s,
                {prefix + QString::number(i), u"Product with a name long enough to fill pages"_s});
        transaction.commit();
    }
    // Statements run on a plain connection of the database's own, outside the program.
    static void execRaw(const QString& path, const char* sql, bool keepLog = false) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
        const QString message = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        // As a program stopped while it worked leaves the file: its changes only in the log.
        if (keepLog)
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(db);
        QVERIFY2(rc == SQLITE_OK, qPrintable(message));
    }
    static void leaveChangesInLog(const QString& path, const char* sql) {
        execRaw(path, (QByteArray("PRAGMA wal_autocheckpoint = 0; ") + sql).constData(), true);
        QVERIFY(SqliteFile::hasLogBeside(path));
    }
    // Every file of the catalogue's folder, journals and Backups included, with its bytes.
    QString snapshot() const { return test::folderSnapshot(m_dir.path()); }

private slots:
    void init() {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        m_catalogue = m_dir.filePath(u"shop.mde"_s);
        makeCatalogue(m_catalogue, u"NOW"_s, 30);
        CatalogueBackup::setClock([] { return QDate(2026, 12, 7); });
    }
    void cleanupTestCase() { CatalogueBackup::setClock({}); }

    // A copy written and given its dated name in Backups beside the catalogue, holding what
    // the catalogue holds; a second copy on the same day takes the time into its name and
    // leaves the first as it was.
    void backupWritesTheDayCopy() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QCOMPARE(copy, m_dir.filePath(u"Backups/shop-2026-12-07.mde"_s));
        QCOMPARE(test::productCount(copy), qint64(30));
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"DELETE FROM Products WHERE StockNo = 'NOW0'"_s);
        }
        const QString second = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QVERIFY2(QRegularExpression(u"/Backups/shop-2026-12-07-\\d{6}\\.mde$"_s)
                     .match(second)
                     .hasMatch(),
                 qPrintable(second));
        QCOMPARE(test::productCount(copy), qint64(30));
        QCOMPARE(test::productCount(second), qint64(29));
        // A third within the same second still finds a name of its own.
        const QString third = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QCOMPARE(QSet<QString>({copy, second, third}).size(), 3);
        // Nothing else is left in the folder: no hidden file, no journal.
        QCOMPARE(
            QDir(m_dir.filePath(u"Backups"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QDir(m_dir.filePath(u"Backups"_s)).entryList(QDir::Files));
        QCOMPARE(QDir(m_dir.filePath(u"Backups"_s)).entryList(QDir::Files).size(), 3);
        // Newest first, the day's plain copy last.
        QCOMPARE(CatalogueBackup::copies(m_catalogue).constLast().path, copy);
    }

    // The rotation counts days, not copies: every copy of a kept day stays, every copy of a
    // day that is not kept goes, but for one the user has open in a screen: the screen would
    // go on with a file no longer there.
    void rotationCountsDaysNotCopies() {
        const QList<QDate> days{QDate(2026, 12, 3), QDate(2026, 12, 5), QDate(2026, 12, 7)};
        QStringList written;
        for (const QDate& day : days)
            for (int n = 0; n < 2; ++n)
                written << CatalogueBackup::write(m_catalogue, day);
        QCOMPARE(written.size(), 6);
        CatalogueDatabase lookingBack(written.at(0));
        const QStringList removed =
            CatalogueBackup::rotate(m_catalogue, QDate(2026, 12, 7), RotationCounts{2, 0});
        QCOMPARE(removed, QStringList{written.at(1)});
        for (const QString& kept : QStringList{written.at(0)} + written.mid(2))
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        QCOMPARE(lookingBack.scalar(u"SELECT count(*) FROM Products"_s).toLongLong(), qint64(30));
    }

    // The catalogue open on a connection of this program is read for a check and a copy only
    // through the database: another descriptor of the file, closed, would drop the
    // connection's locks (the test's watch stops the run at such an open).
    void openCatalogueIsReadOnlyThroughTheDatabase() {
        CatalogueDatabase open(m_catalogue);
        open.run(u"PRAGMA wal_autocheckpoint = 0"_s);
        open.run(u"DELETE FROM Products WHERE StockNo = 'NOW0'"_s);
        QCOMPARE(CatalogueCheck::problem(m_catalogue, CatalogueCheck::Depth::Layout), std::nullopt);
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QCOMPARE(test::productCount(copy), qint64(29));
        QCOMPARE(CatalogueBackup::takeDaily(m_catalogue, false), std::nullopt);
        open.run(u"DELETE FROM Products WHERE StockNo = 'NOW1'"_s);
        QCOMPARE(open.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 28);
    }

    // Another program holds the whole file for a moment (as on folding its write-ahead log back
    // into it when it closes): the copy waits for it instead of calling the catalogue damaged.
    void backupWaitsForAMomentaryWholeFileLock() {
        test::LockWaitWatch watch;
        sqlite3* holder = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_catalogue).constData(), &holder), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(holder,
                         "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                         "UPDATE Products SET ProdName = 'Held' WHERE StockNo = 'NOW0'; COMMIT",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        // The holder lets go once the copy has met its lock and waits for it.
        std::thread release([holder, &watch] {
            watch.waitForSleep();
            sqlite3_close(holder);
        });
        const auto released = qScopeGuard([&] {
            watch.over();
            release.join();
        });
        QString copy;
        try {
            copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        } catch (const RunTimeError& error) {
            QFAIL(qPrintable(error.description()));
        }
        QVERIFY(watch.slept());
        QCOMPARE(test::productCount(copy, u"ProdName = 'Held'"_s), qint64(1));
    }

    // A conversion about to replace a file keeps a copy of it when it is a catalogue.
    void keptBeforeBeingReplaced_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("kept");
        QTest::newRow("a catalogue") << u"shop.mde"_s << true;
        QTest::newRow("a text file") << u"notes.mde"_s << false;
        QTest::newRow("a new name") << u"new.mde"_s << false;
    }
    void keptBeforeBeingReplaced() {
        QFETCH(QString, target);
        QFETCH(bool, kept);
        test::writeTestFile(m_dir.filePath(u"notes.mde"_s), "not a catalogue\n");
        QCOMPARE(CatalogueBackup::keepBeforeReplacing(m_dir.filePath(target)), std::nullopt);
        const QList<BackupCopy> copies = CatalogueBackup::copies(m_dir.filePath(target));
        QCOMPARE(copies.size(), kept ? 1 : 0);
        if (kept)
            QCOMPARE(test::productCount(copies.first().path), qint64(30));
    }

    // A hidden copy a stopped backup or restore left half written goes with the next backup,
    // rotation or restore, with its journal, however young; one still being written (its
    // writer holds a lock on it) stays, and so do those of other catalogues.
    void leftoverHalfCopiesAreRemoved_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("removed");
        const QString backup = u"Backups/.shop-2026-12-05.mde.Ab12Cd.part"_s;
        const QString restore = u".shop.mde.Ab12Cd.part"_s;
        for (const QString& step : {u"rotation"_s, u"backup"_s}) {
            QTest::addRow("%s, left by a stopped backup", qPrintable(step))
                << step << backup << false << true;
            QTest::addRow("%s, still being written", qPrintable(step))
                << step << backup << true << false;
            QTest::addRow("%s, of another catalogue", qPrintable(step))
                << step << u"Backups/.cafe-2026-12-05.mde.Ab12Cd.part"_s << false << false;
        }
        QTest::newRow("restore, left by a stopped restore")
            << u"restore"_s << restore << false << true;
        QTest::newRow("restore, still being written") << u"restore"_s << restore << true << false;
        QTest::newRow("restore, of another catalogue")
            << u"restore"_s << u".cafe.mde.Ab12Cd.part"_s << false << false;
    }
    void leftoverHalfCopiesAreRemoved() {
        QFETCH(QString, step);
        QFETCH(QString, name);
        QFETCH(bool, held);
        QFETCH(bool, removed);
        const QString good = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        const QString part = m_dir.filePath(name);
        test::writeTestFile(part, QByteArray(100000, 'x'));
        test::writeTestFile(part + u"-journal"_s, "journal");
        const int writer = ::open(QFile::encodeName(part).constData(), O_RDONLY);
        QVERIFY(writer >= 0);
        if (held)
            QCOMPARE(::flock(writer, LOCK_EX), 0);
        if (step == u"rotation"_s)
            CatalogueBackup::rotate(m_catalogue, CatalogueBackup::today(), {});
        else if (step == u"backup"_s)
            CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        else
            BackupRestore::restore(good, m_catalogue);
        ::close(writer);
        QCOMPARE(QFileInfo::exists(part), !removed);
        QCOMPARE(QFileInfo::exists(part + u"-journal"_s), !removed);
    }

    void restoreOfADamagedCopyIsRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason"); // part of the refusal
        QTest::newRow("truncated") << u"truncate"_s << u"damaged"_s;
        QTest::newRow("a page flipped") << u"flip"_s << u"damaged"_s;
        QTest::newRow("an index that disagrees with its table") << u"index"_s << u"damaged"_s;
        QTest::newRow("not a catalogue at all") << u"text"_s << u"is not a catalogue"_s;
        QTest::newRow("a database of another program")
            << u"other"_s << u"not a catalogue of this program"_s;
        QTest::newRow("a catalogue of a newer program") << u"newer"_s << u"newer version"_s;
        QTest::newRow("the catalogue itself") << u"itself"_s << u"the catalogue itself"_s;
    }
    void restoreOfADamagedCopyIsRefused() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QString copy = m_dir.filePath(u"copy.mde"_s);
        makeCatalogue(copy, u"OLD"_s, 400);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray whole = file.readAll();
        const qint64 pageSize = 4096;
        QVERIFY(whole.size() > 4 * pageSize);
        if (damage == u"truncate"_s) {
            QVERIFY(file.resize(whole.size() / 2));
        } else if (damage == u"flip"_s) {
            // A page in the middle of the products, every bit turned.
            QByteArray page = whole.mid(3 * pageSize, pageSize);
            for (char& byte : page)
                byte = char(~byte);
            file.seek(3 * pageSize);
            file.write(page);
        } else if (damage == u"text"_s) {
            file.resize(0);
            file.write("StockNo,ProdName\r\nNOW1,A product\r\n");
        }
        file.close();
        if (damage == u"other"_s || damage == u"newer"_s) {
            QFile::remove(copy);
            if (damage == u"newer"_s)
                makeCatalogue(copy, u"NEW"_s, 3);
            QString failure;
            const auto db =
                SqliteConnection::open(copy, SqliteConnection::OpenMode::ReadWrite, failure);
            QVERIFY2(db, qPrintable(failure));
            db->prepare(damage == u"other"_s
                            ? u"CREATE TABLE Notes (Id INTEGER PRIMARY KEY, Text TEXT)"_s
                            : u"UPDATE SchemaVersion SET Version = 99"_s)
                ->next();
        }
        if (damage == u"index"_s) {
            // The index of stock numbers declared on the names: its entries no longer match
            // the rows, which only the full check compares.
            execRaw(copy, "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                          "'CREATE INDEX ProductsStockNo ON Products (ProdName)' "
                          "WHERE name = 'ProductsStockNo'");
            QCOMPARE(SqliteFile::run(copy, SqliteFile::Access::Unchanging, u"PRAGMA quick_check"_s)
                         .firstValue,
                     u"ok"_s);
        }
        if (damage == u"itself"_s)
            copy = m_catalogue;
        const QString before = snapshot();
        QString refusal;
        try {
            BackupRestore::restore(copy, m_catalogue);
        } catch (const RunTimeError& error) {
            refusal = error.description();
        }
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
        QVERIFY2(refusal.contains(u"is unchanged"_s), qPrintable(refusal));
        QCOMPARE(snapshot(), before);
    }

    // A whole copy takes the catalogue's place in the same file, with the same permissions,
    // owner and group (a shop's catalogue shared by its users stays theirs); the catalogue as
    // it was is in Backups.
    void restoreOfAGoodCopyKeepsTheCurrentFileFirst() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        const QByteArray name = QFile::encodeName(m_catalogue);
        QCOMPARE(::chmod(name.constData(), 0664), 0);
        const bool owned = ::chown(name.constData(), 4321, 4322) == 0; // not permitted everywhere
        struct stat old {};
        QCOMPARE(::stat(name.constData(), &old), 0);
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"DELETE FROM Products WHERE StockNo LIKE 'NOW1%'"_s);
        }
        QCOMPARE(test::productCount(m_catalogue), qint64(19));
        const QString before = BackupRestore::restore(copy, m_catalogue);
        QCOMPARE(test::productCount(m_catalogue), qint64(30));
        QCOMPARE(test::productCount(before), qint64(19));
        QVERIFY(QFileInfo(before).fileName().startsWith(u"shop-2026-12-07-"_s));
        struct stat now {};
        QCOMPARE(::stat(name.constData(), &now), 0);
        QCOMPARE(now.st_mode & 07777, mode_t(0664));
        QCOMPARE(now.st_ino, old.st_ino);
        if (owned) {
            QCOMPARE(now.st_uid, uid_t(4321));
            QCOMPARE(now.st_gid, gid_t(4322));
        }
        // The copy restored from is left as it was.
        QCOMPARE(test::productCount(copy), qint64(30));
        // The restored catalogue is written to as before, by several connections at once.
        CatalogueDatabase first(m_catalogue);
        CatalogueDatabase second(m_catalogue);
        first.run(u"INSERT INTO Products (StockNo) VALUES ('AFTER')"_s);
        QCOMPARE(second.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 31);
        QCOMPARE(second.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    }

    // A copy written with pages of another size than the catalogue's is restored all the same;
    // the catalogue keeps its page size and its journal mode.
    void restoreOfACopyWithAnotherPageSize() {
        const QString copy = m_dir.filePath(u"small-pages.mde"_s);
        makeCatalogue(copy, u"OLD"_s, 300);
        execRaw(copy, "PRAGMA journal_mode = DELETE; PRAGMA page_size = 1024; VACUUM");
        QCOMPARE(
            SqliteFile::run(copy, SqliteFile::Access::Unchanging, u"PRAGMA page_size"_s).firstValue,
            u"1024"_s);
        const QString size =
            SqliteFile::run(m_catalogue, SqliteFile::Access::ReadOnly, u"PRAGMA page_size"_s)
                .firstValue;
        QVERIFY(size != u"1024"_s);
        BackupRestore::restore(copy, m_catalogue);
        CatalogueDatabase db(m_catalogue);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 300);
        QCOMPARE(db.scalar(u"PRAGMA page_size"_s).toString(), size);
        QCOMPARE(db.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        QCOMPARE(db.scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    }

    // A copy with a write-ahead log beside it holding committed changes: the changes belong to
    // the copy, for a restore from it as for a backup of it, and the copy and its log are left
    // exactly as they were.
    void copyWithChangesInItsLog_data() {
        QTest::addColumn<bool>("restoring");
        QTest::newRow("restored from") << true;
        QTest::newRow("backed up") << false;
    }
    void copyWithChangesInItsLog() {
        QFETCH(bool, restoring);
        const QString copy = m_dir.filePath(u"kept/copy.mde"_s);
        QVERIFY(QDir().mkpath(m_dir.filePath(u"kept"_s)));
        makeCatalogue(copy, u"OLD"_s, 40);
        leaveChangesInLog(copy, "UPDATE Products SET ProdName = 'In the log'; "
                                "DELETE FROM Products WHERE StockNo LIKE 'OLD1%'");
        const QByteArray file = test::fileBytes(copy);
        const QByteArray log = test::fileBytes(copy + u"-wal"_s);
        QString result = m_catalogue;
        if (restoring)
            BackupRestore::restore(copy, m_catalogue);
        else
            result =
                CatalogueBackup::write(copy, CatalogueBackup::today(), m_dir.filePath(u"to"_s));
        QCOMPARE(test::productCount(result), qint64(29));
        QCOMPARE(test::productCount(result, u"ProdName = 'In the log'"_s), qint64(29));
        if (restoring) {
            QCOMPARE(test::fileBytes(copy), file);
            QCOMPARE(test::fileBytes(copy + u"-wal"_s), log);
        }
    }

    // While a connection holds the catalogue open (here one of this program: a screen left
    // open acts as another program would), the restore waits, says so, and then refuses.
    void restoreRefusedWhileTheCatalogueIsOpen() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QString refusal;
        int told = 0;
        {
            CatalogueDatabase open(m_catalogue);
            open.run(u"DELETE FROM Products WHERE StockNo LIKE 'NOW1%'"_s);
            try {
                BackupRestore::restore(copy, m_catalogue, [&] { ++told; });
            } catch (const RunTimeError& error) {
                refusal = error.description();
            }
            QCOMPARE(open.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 19);
        }
        QVERIFY2(refusal.contains(u"is in use by another program"_s), qPrintable(refusal));
        QVERIFY2(refusal.contains(u"is unchanged"_s), qPrintable(refusal));
        QCOMPARE(told, 1);
        QCOMPARE(test::productCount(m_catalogue), qint64(19));
    }

    // A catalogue damaged beyond reading, or gone, is still restored; what there was is kept
    // as it was, byte for byte. A log the catalogue left behind (the program was stopped while
    // writing) is not read into the restored file, whose pages it does not describe: its
    // changes were part of the catalogue as it was, and are kept with it.
    void restoreOverADamagedCatalogue_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("a page flipped") << u"flip"_s;
        QTest::newRow("no database at all") << u"text"_s;
        QTest::newRow("no file") << u"gone"_s;
        QTest::newRow("changes left in its log") << u"log"_s;
    }
    void restoreOverADamagedCatalogue() {
        QFETCH(QString, damage);
        const QString copy = m_dir.filePath(u"copy.mde"_s);
        makeCatalogue(copy, u"OLD"_s, 400);
        makeCatalogue(m_dir.filePath(u"big.mde"_s), u"NOW"_s, 400);
        QFile::remove(m_catalogue);
        QVERIFY(QFile::rename(m_dir.filePath(u"big.mde"_s), m_catalogue));
        QByteArray bytes = test::fileBytes(m_catalogue);
        if (damage == u"flip"_s) {
            for (qint64 i = 3 * 4096; i < 4 * 4096; ++i)
                bytes[i] = char(~bytes[i]);
            test::writeTestFile(m_catalogue, bytes);
        } else if (damage == u"text"_s) {
            bytes = "StockNo,ProdName\r\nNOW1,A product\r\n";
            test::writeTestFile(m_catalogue, bytes);
        } else if (damage == u"log"_s) {
            leaveChangesInLog(m_catalogue, "UPDATE Products SET ProdName = 'In the log'");
        } else {
            QFile::remove(m_catalogue);
        }
        const QString before = BackupRestore::restore(copy, m_catalogue);
        QCOMPARE(test::productCount(m_catalogue), qint64(400));
        QCOMPARE(test::productCount(m_catalogue, u"StockNo LIKE 'OLD%'"_s), qint64(400));
        QCOMPARE(test::productCount(m_catalogue, u"ProdName = 'In the log'"_s), qint64(0));
        QCOMPARE(CatalogueDatabase(m_catalogue).scalar(u"PRAGMA integrity_check"_s).toString(),
                 u"ok"_s);
        if (damage == u"gone"_s)
            QVERIFY(before.isEmpty());
        else if (damage == u"log"_s)
            QCOMPARE(test::productCount(before, u"ProdName = 'In the log'"_s), qint64(400));
        else
            QCOMPARE(test::fileBytes(before), bytes);
    }

    // A good catalogue on storage mounted read-only is backed up (nothing can change it
    // there), with the changes in its log when the database can read them there, and is never
    // called damaged; changes in a log that cannot be read there are said to be so.
    void backupOfACatalogueOnReadOnlyStorage_data() {
        QTest::addColumn<bool>("logBeside");
        QTest::addColumn<bool>("indexBeside");
        QTest::addColumn<qint64>("products"); // -1: refused
        QTest::newRow("the file alone") << false << false << qint64(25);
        QTest::newRow("changes in a log, with its index") << true << true << qint64(24);
        QTest::newRow("changes in a log, without its index") << true << false << qint64(-1);
    }
    void backupOfACatalogueOnReadOnlyStorage() {
        QFETCH(bool, logBeside);
        QFETCH(bool, indexBeside);
        QFETCH(qint64, products);
        const QString source = m_dir.filePath(u"source"_s);
        const QString mounted = m_dir.filePath(u"mounted"_s);
        QVERIFY(QDir().mkpath(source) && QDir().mkpath(mounted));
        makeCatalogue(source + u"/shop.mde"_s, u"RO"_s, 25);
        if (logBeside)
            leaveChangesInLog(source + u"/shop.mde"_s,
                              "DELETE FROM Products WHERE StockNo = 'RO1'");
        if (!indexBeside)
            QFile::remove(source + u"/shop.mde-shm"_s);
        if (QProcess::execute(u"mount"_s, {u"--bind"_s, source, mounted}) != 0)
            QSKIP("Mounting a folder is not permitted here.");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {mounted}); });
        QCOMPARE(QProcess::execute(u"mount"_s, {u"-o"_s, u"remount,ro,bind"_s, mounted}), 0);
        const QString catalogue = mounted + u"/shop.mde"_s;
        QString copy;
        QString refusal;
        try {
            copy = CatalogueBackup::write(catalogue, CatalogueBackup::today(),
                                          m_dir.filePath(u"to"_s));
        } catch (const RunTimeError& error) {
            refusal = error.description();
        }
        QVERIFY2(!refusal.contains(u"damaged"_s), qPrintable(refusal));
        if (products < 0) {
            QVERIFY2(refusal.contains(u"read-only storage"_s), qPrintable(refusal));
        } else {
            QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
            QCOMPARE(test::productCount(copy), products);
        }
    }
};

QTEST_GUILESS_MAIN(BackupRestoreTest)
#include "tst_backuprestore.moc"
