#include "core/catalogue/CatalogueDatabase.h"
#include "support/core/CliRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Restores and backups from the command line beside other programs at work on the same
// catalogue, and stopped part way: no program's work is lost without a failure said, and
// nothing a stopped run left behind stays for long.
class CliRestoreTest : public QObject {
    Q_OBJECT

    static constexpr int Items = 100000;
    QTemporaryDir m_dir;
    QString m_list;  // 100 000 new items for the import
    QString m_large; // a catalogue large enough to stop a copy of it part way

    static void insertProducts(const QString& path, const QString& prefix, int count,
                               int nameLength = 20) {
        CatalogueDatabase db(path);
        ScopedTransaction transaction(db);
        const QString name = QString(nameLength, u'n');
        for (int i = 0; i < count; ++i)
            db.run(u"INSERT INTO Products (StockNo, ProdName, Retail, Cost1) VALUES (?, ?, ?, ?)"_s,
                   {prefix + QString::number(i), name, 1000 + i % 97, 1000 + i % 97});
        transaction.commit();
    }
    static QString newCatalogue(const QString& path, const QString& prefix, int count) {
        QFile::remove(path);
        CatalogueDatabase::create(path);
        insertProducts(path, prefix, count);
        return path;
    }
    static QStringList hiddenFiles(const QString& folder) {
        return QDir(folder).entryList({u".*"_s}, QDir::Files | QDir::Hidden);
    }
    static QStringList line(const QString& text, const test::Placeholders& placeholders) {
        return test::argumentLine(text, placeholders);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_list = m_dir.filePath(u"big.csv"_s);
        QByteArray text;
        for (int i = 0; i < Items; ++i)
            text += u"SN-%1,Item %2,0.00\n"_s.arg(i, 6, 10, QChar(u'0')).arg(i).toUtf8();
        test::writeTestFile(m_list, text);
        m_large = m_dir.filePath(u"large.mde"_s);
        CatalogueDatabase::create(m_large);
        insertProducts(m_large, u"L"_s, 150000, 400);
    }

    // A restore started while another program imports into the catalogue, or edits all of its
    // products in one transaction: either the restore waits for the other program to finish and
    // keeps its work in the copy it takes first, or it refuses; the other program's work is
    // never gone while both say they succeeded.
    void restoreWhileAnotherProgramWorks_data() {
        QTest::addColumn<QString>("work");
        QTest::addColumn<QString>("done"); // the products the work leaves, in SQL
        QTest::newRow("an import") << u"import --db @db --source @list --divider comma "
                                      u"--map 0=2,1=3,2=12"_s
                                   << u"StockNo LIKE 'SN-%'"_s;
        QTest::newRow("a bulk edit") << u"bulk-edit --db @db --set Retail=10%"_s
                                     << u"StockNo LIKE 'SN-%' AND Retail > Cost1"_s;
    }
    void restoreWhileAnotherProgramWorks() {
        QFETCH(QString, work);
        QFETCH(QString, done);
        const QString old = newCatalogue(m_dir.filePath(u"old.mde"_s), u"OLD"_s, 50);
        const QString catalogue = newCatalogue(m_dir.filePath(u"shop.mde"_s), u"OLD"_s, 50);
        QDir(m_dir.filePath(u"Backups"_s)).removeRecursively();
        if (work.startsWith(u"bulk-edit"_s))
            insertProducts(catalogue, u"SN-"_s, Items);
        QVERIFY(!QFileInfo::exists(catalogue + u"-shm"_s));
        QProcess other;
        other.start(QStringLiteral(TOVIN_APP_BINARY),
                    line(work, {{u"@db"_s, catalogue}, {u"@list"_s, m_list}}));
        QVERIFY(other.waitForStarted());
        // The other program has the catalogue open once the log's index is beside it.
        while (other.state() == QProcess::Running && !QFileInfo::exists(catalogue + u"-shm"_s))
            other.waitForFinished(5);
        QVERIFY2(other.state() == QProcess::Running, "the work ended before the restore began");
        const test::CliRun restore = test::runProgram(
            line(u"restore --db @db --from @old"_s, {{u"@db"_s, catalogue}, {u"@old"_s, old}}));
        QVERIFY(other.waitForFinished(120000));
        const int otherStatus = other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
        const QString otherErr = QString::fromUtf8(other.readAllStandardError());
        QVERIFY2(restore.status == 0 || restore.status == 2, qPrintable(restore.err));
        QVERIFY2(otherStatus == 0 || otherStatus == 2, qPrintable(otherErr));
        QCOMPARE(CatalogueDatabase(catalogue).scalar(u"PRAGMA integrity_check"_s).toString(),
                 u"ok"_s);
        qInfo("the restore %s", restore.status == 0 ? "waited and restored" : "refused");
        if (restore.status == 2) {
            // Refused: the catalogue is the other program's to finish.
            QVERIFY2(restore.err.contains(u"is in use by another program"_s),
                     qPrintable(restore.err));
            QVERIFY2(restore.err.contains(u"is unchanged"_s), qPrintable(restore.err));
            QCOMPARE(otherStatus, 0);
            QCOMPARE(test::productCount(catalogue, done), qint64(Items));
            return;
        }
        // Restored: the old products alone, and the other program's work, when it said it was
        // done, in the copy taken of the catalogue just before.
        QCOMPARE(test::productCount(catalogue), qint64(50));
        const QRegularExpressionMatch kept =
            QRegularExpression(u"Backed up the current catalogue to (.*)\n"_s).match(restore.out);
        QVERIFY2(kept.hasMatch(), qPrintable(restore.out));
        if (otherStatus == 0)
            QCOMPARE(test::productCount(kept.captured(1), done), qint64(Items));
        else
            QVERIFY2(!otherErr.isEmpty(), "a failed run says why");
    }

    // While another program (here the test, as the window would) has the catalogue open, the
    // restore says it waits, then refuses plainly, and the catalogue is as it was.
    void restoreRefusedWhileTheCatalogueIsOpenElsewhere() {
        const QString old = newCatalogue(m_dir.filePath(u"old.mde"_s), u"OLD"_s, 50);
        const QString catalogue = newCatalogue(m_dir.filePath(u"open.mde"_s), u"NOW"_s, 70);
        test::CliRun restore;
        {
            CatalogueDatabase open(catalogue);
            open.run(u"DELETE FROM Products WHERE StockNo = 'NOW0'"_s);
            restore = test::runProgram(
                line(u"restore --db @db --from @old"_s, {{u"@db"_s, catalogue}, {u"@old"_s, old}}));
            QCOMPARE(open.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 69);
        }
        QCOMPARE(restore.status, 2);
        QVERIFY2(restore.err.contains(u"waiting up to"_s), qPrintable(restore.err));
        QVERIFY2(restore.err.contains(u"is in use by another program (the window or a batch "
                                      u"command); close it and restore again. Nothing was "
                                      u"restored"_s),
                 qPrintable(restore.err));
        QCOMPARE(test::productCount(catalogue), qint64(69));
    }

    // A backup or restore killed while it writes its hidden copy leaves that file behind; the
    // next run removes it. A restore killed even while it writes into the catalogue leaves the
    // catalogue as it was.
    void killedRunLeavesNothingForTheNext_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("watched"); // the file whose growth shows the run at work
        QTest::newRow("backup") << u"backup --db @db --to @dir/copies"_s << u"copies/.part"_s;
        QTest::newRow("restore, taking in the copy")
            << u"restore --db @dir/shop.mde --from @db"_s << u".part"_s;
        QTest::newRow("restore, writing into the catalogue")
            << u"restore --db @dir/shop.mde --from @db"_s << u"shop.mde-wal"_s;
    }
    void killedRunLeavesNothingForTheNext() {
        QFETCH(QString, command);
        QFETCH(QString, watched);
        const QString folder = m_dir.filePath(u"killed"_s);
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder + u"/copies"_s));
        const QString catalogue = newCatalogue(folder + u"/shop.mde"_s, u"NOW"_s, 10);
        const QStringList arguments = line(command, {{u"@db"_s, m_large}, {u"@dir"_s, folder}});
        // A hidden part file in a folder, or a file by its name.
        const bool part = watched.endsWith(u".part"_s);
        const QString watchedFolder = QFileInfo(folder + u'/' + watched).absolutePath();
        const auto atWork = [&] {
            if (!part)
                return QFileInfo(folder + u'/' + watched).size() > (1 << 20);
            for (const QString& name : hiddenFiles(watchedFolder))
                if (name.endsWith(u".part"_s) && QFileInfo(watchedFolder + u'/' + name).size() > 0)
                    return true;
            return false;
        };
        bool landed = false;
        // A kill may come after the end on a fast machine; a few tries land one inside.
        for (int attempt = 0; attempt < 5 && !landed; ++attempt) {
            QProcess run;
            run.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
            QVERIFY(run.waitForStarted());
            while (run.state() == QProcess::Running && !landed) {
                landed = atWork();
                if (!landed)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (landed)
                ::kill(pid_t(run.processId()), SIGKILL);
            QVERIFY(run.waitForFinished(60000));
            landed = landed && run.exitStatus() == QProcess::CrashExit;
        }
        QVERIFY2(landed, "no kill landed while the run was at work");
        QVERIFY(!hiddenFiles(watchedFolder).isEmpty());
        QCOMPARE(test::productCount(catalogue), qint64(10));
        QCOMPARE(CatalogueDatabase(catalogue).scalar(u"PRAGMA integrity_check"_s).toString(),
                 u"ok"_s);
        const test::CliRun again = test::runProgram(arguments);
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QCOMPARE(hiddenFiles(watchedFolder), QStringList());
        if (command.startsWith(u"restore"_s))
            QCOMPARE(test::productCount(catalogue), qint64(150000));
        QCOMPARE(hiddenFiles(folder + u"/Backups"_s), QStringList());
    }
};

QTEST_GUILESS_MAIN(CliRestoreTest)
#include "tst_cli_restore.moc"
