#include "core/backup/BackupRestore.h"
#include "core/backup/CatalogueBackup.h"
#include "core/data/CatalogueDatabase.h"
#include "core/shell/RunTimeError.h"
#include "core/storage/SqliteConnection.h"
#include "support/core/CliRun.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>
#include <thread>

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
    // the catalogue holds; a second copy on the same day takes the place of the first.
    void backupWritesTheDayCopy() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QCOMPARE(copy, m_dir.filePath(u"Backups/shop-2026-12-07.mde"_s));
        QCOMPARE(test::productCount(copy), qint64(30));
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"DELETE FROM Products WHERE StockNo = 'NOW0'"_s);
        }
        QCOMPARE(CatalogueBackup::write(m_catalogue, CatalogueBackup::today()), copy);
        QCOMPARE(test::productCount(copy), qint64(29));
        // Nothing else is left in the folder: no hidden file, no journal.
        QCOMPARE(
            QDir(m_dir.filePath(u"Backups"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList{u"shop-2026-12-07.mde"_s});
    }

    // Another program holds the whole file for a moment (as on folding its write-ahead log back
    // into it when it closes): the copy waits for it instead of calling the catalogue damaged.
    void backupWaitsForAMomentaryWholeFileLock() {
        sqlite3* holder = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_catalogue).constData(), &holder), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(holder,
                         "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                         "UPDATE Products SET ProdName = 'Held' WHERE StockNo = 'NOW0'; COMMIT",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        std::thread release([holder] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sqlite3_close(holder);
        });
        QString copy;
        try {
            copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        } catch (const RunTimeError& error) {
            release.join();
            QFAIL(qPrintable(error.description()));
        }
        release.join();
        QCOMPARE(test::productCount(copy, u"ProdName = 'Held'"_s), qint64(1));
    }

    // A day's copy the user has open in a screen is neither replaced by the next copy of the
    // day nor removed by the rotation: the screen would go on with a file no longer there.
    void copyOpenInAScreenStaysInPlace() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        CatalogueDatabase lookingBack(copy);
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"DELETE FROM Products WHERE StockNo = 'NOW0'"_s);
        }
        const QString second = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        QVERIFY2(second != copy, qPrintable(second));
        QVERIFY(second.startsWith(m_dir.filePath(u"Backups/shop-2026-12-07-"_s)));
        QCOMPARE(test::productCount(second), qint64(29));
        QCOMPARE(lookingBack.scalar(u"SELECT count(*) FROM Products"_s).toLongLong(), qint64(30));
        const QStringList removed = CatalogueBackup::rotate(
            m_catalogue, CatalogueBackup::today().addYears(5), RotationCounts{0, 0});
        QVERIFY(!removed.contains(copy));
        QVERIFY(QFileInfo::exists(copy));
        QVERIFY(removed.contains(second));
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

    // A hidden copy a stopped backup left half written goes with the rotation once it is a day
    // old; a younger one may still be written by another program.
    void rotationRemovesAbandonedHalfCopies_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("hoursOld");
        QTest::addColumn<bool>("removed");
        QTest::newRow("abandoned") << u".shop-2026-12-05.mde.Ab12Cd.part"_s << 30 << true;
        QTest::newRow("being written") << u".shop-2026-12-07.mde.Ab12Cd.part"_s << 1 << false;
        QTest::newRow("of another catalogue")
            << u".cafe-2026-12-05.mde.Ab12Cd.part"_s << 30 << false;
    }
    void rotationRemovesAbandonedHalfCopies() {
        QFETCH(QString, name);
        QFETCH(int, hoursOld);
        QFETCH(bool, removed);
        const QString part = m_dir.filePath(u"Backups/"_s + name);
        test::writeTestFile(part, "half a copy");
        QFile file(part);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * hoursOld),
                                 QFileDevice::FileModificationTime));
        file.close();
        CatalogueBackup::rotate(m_catalogue, CatalogueBackup::today(), {});
        QCOMPARE(QFileInfo::exists(part), !removed);
    }

    void restoreOfADamagedCopyIsRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason"); // part of the refusal
        QTest::newRow("truncated") << u"truncate"_s << u"damaged"_s;
        QTest::newRow("a page flipped") << u"flip"_s << u"damaged"_s;
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

    // A whole copy takes the catalogue's place; the catalogue as it was is in Backups.
    void restoreOfAGoodCopyKeepsTheCurrentFileFirst() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"DELETE FROM Products WHERE StockNo LIKE 'NOW1%'"_s);
        }
        QCOMPARE(test::productCount(m_catalogue), qint64(19));
        const QString before = BackupRestore::restore(copy, m_catalogue);
        QCOMPARE(test::productCount(m_catalogue), qint64(30));
        QCOMPARE(test::productCount(before), qint64(19));
        QVERIFY(QFileInfo(before).fileName().startsWith(u"shop-2026-12-07-"_s));
        // The copy restored from is left as it was.
        QCOMPARE(test::productCount(copy), qint64(30));
        // The restored catalogue is written to as before, by several connections at once.
        CatalogueDatabase first(m_catalogue);
        CatalogueDatabase second(m_catalogue);
        first.run(u"INSERT INTO Products (StockNo) VALUES ('AFTER')"_s);
        QCOMPARE(second.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 31);
        QCOMPARE(second.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    }

    // A journal the catalogue left behind (the program was stopped while writing) is not read
    // into the restored file, whose pages it does not describe.
    void journalLeftBesideTheCatalogueIsNotAppliedToTheCopy() {
        const QString copy = CatalogueBackup::write(m_catalogue, CatalogueBackup::today());
        const QString stopped = m_dir.filePath(u"stopped"_s);
        QVERIFY(QDir().mkpath(stopped));
        {
            CatalogueDatabase db(m_catalogue);
            db.run(u"PRAGMA wal_autocheckpoint = 0"_s);
            db.run(u"UPDATE Products SET ProdName = 'Changed in the journal'"_s);
            // The files as a stopped program leaves them: changes only in the journal.
            for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s})
                QVERIFY(QFile::copy(m_catalogue + suffix, stopped + u"/shop.mde"_s + suffix));
        }
        const QString catalogue = stopped + u"/shop.mde"_s;
        QVERIFY(QFileInfo(catalogue + u"-wal"_s).size() > 0);
        const QString before = BackupRestore::restore(copy, catalogue);
        QCOMPARE(test::productCount(catalogue), qint64(30));
        QCOMPARE(test::productCount(catalogue, u"ProdName = 'Changed in the journal'"_s),
                 qint64(0));
        // The journal's changes were part of the catalogue as it was, and are kept with it.
        QCOMPARE(test::productCount(before, u"ProdName = 'Changed in the journal'"_s), qint64(30));
        QCOMPARE(CatalogueDatabase(catalogue).scalar(u"PRAGMA integrity_check"_s).toString(),
                 u"ok"_s);
    }
};

QTEST_GUILESS_MAIN(BackupRestoreTest)
#include "tst_backuprestore.moc"
