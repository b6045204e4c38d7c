#include "core/files/ProgramFolder.h"
#include "support/core/TestHelpers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::readFile;

namespace {

void writeFile(const QString& path, const QByteArray& bytes, int ageDays = 0) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    // A file's time says nothing about who changed it; the rows set times that would mislead
    // a refresh that looked at them.
    const QDateTime when = QDateTime::currentDateTime().addDays(-ageDays);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

// After a package upgrade the user's data folder is refreshed from the installed program
// folder: only files the user never changed are replaced.
class UserFolderRefreshTest : public QObject {
    Q_OBJECT
private slots:
    void refresh_data() {
        QTest::addColumn<QString>("userAction");     // keep, edit, delete, or forget (no record)
        QTest::addColumn<QByteArray>("newPackaged"); // the upgraded package's cost1.rpt
        QTest::addColumn<QByteArray>("expectedUser");
        QTest::addColumn<QByteArray>("expectedNew"); // cost1.rpt.new, or "<missing>"
        QTest::addColumn<bool>("told");

        const QByteArray v1 = "report v1";
        const QByteArray v2 = "report v2";
        const QByteArray mine = "report edited by the user";
        const QByteArray none = "<missing>";
        QTest::newRow("unchanged file updated") << u"keep"_s << v2 << v2 << none << false;
        QTest::newRow("unchanged file, same package") << u"keep"_s << v1 << v1 << none << false;
        QTest::newRow("changed file kept, new beside it") << u"edit"_s << v2 << mine << v2 << true;
        QTest::newRow("changed file, same package") << u"edit"_s << v1 << mine << none << false;
        QTest::newRow("deleted file copied again") << u"delete"_s << v2 << v2 << none << false;
        QTest::newRow("no record, file as packaged") << u"forget"_s << v1 << v1 << none << false;
        QTest::newRow("no record, file differs") << u"forget"_s << v2 << v1 << v2 << true;
    }
    void refresh() {
        QFETCH(QString, userAction);
        QFETCH(QByteArray, newPackaged);
        QFETCH(QByteArray, expectedUser);
        QFETCH(QByteArray, expectedNew);
        QFETCH(bool, told);
        QTemporaryDir dir;
        const QString installed = dir.path() + u"/installed"_s;
        const QString user = dir.path() + u"/user"_s;
        const QString report = user + u"/cost1.rpt"_s;
        writeFile(installed + u"/cost1.rpt"_s, "report v1", 30);
        writeFile(installed + u"/Help/intro0.htm"_s, "help v1", 30);
        writeFile(installed + u"/shop.mde"_s, "packaged catalogue", 30);
        writeFile(installed + u'/' + ProgramFolder::installedMarker(), "marker");
        QCOMPARE(ProgramFolder::fillUserFolder(installed, user), QStringList());
        QCOMPARE(readFile(report), QByteArray("report v1"));
        QVERIFY(!QFileInfo::exists(user + u'/' + ProgramFolder::installedMarker()));

        // The user's edit is older than the upgraded package's file, and an untouched copy is
        // newer than it: only the checksums can tell them apart.
        if (userAction == u"edit"_s)
            writeFile(report, "report edited by the user", 20);
        else if (userAction == u"delete"_s)
            QVERIFY(QFile::remove(report));
        else if (userAction == u"forget"_s)
            QVERIFY(QFile::remove(user + u'/' + ProgramFolder::refreshRecordName()));
        else
            writeFile(report, "report v1", -1);
        writeFile(user + u"/shop.mde"_s, "the user's catalogue");

        // The upgrade, with a file the first package did not have.
        writeFile(installed + u"/cost1.rpt"_s, newPackaged, 10);
        writeFile(installed + u"/Help/intro9.htm"_s, "help added");
        const QStringList kept = ProgramFolder::fillUserFolder(installed, user);
        QCOMPARE(kept, told ? QStringList{u"cost1.rpt"_s} : QStringList());
        QCOMPARE(readFile(report), expectedUser);
        QCOMPARE(readFile(report + u".new"_s), expectedNew);
        QCOMPARE(readFile(user + u"/Help/intro9.htm"_s), QByteArray("help added"));
        QCOMPARE(readFile(user + u"/Help/intro0.htm"_s), QByteArray("help v1"));
        QCOMPARE(readFile(user + u"/shop.mde"_s), QByteArray("the user's catalogue"));
        QVERIFY(!QFileInfo::exists(user + u"/shop.mde.new"_s));

        // Said once: the next start of the same package leaves everything as it is, quietly.
        QCOMPARE(ProgramFolder::fillUserFolder(installed, user), QStringList());
        QCOMPARE(readFile(report), expectedUser);
        QCOMPARE(readFile(report + u".new"_s), expectedNew);
    }

    // A user who kept an edited file is told again by the next upgrade that changes it, and a
    // file brought back to the package's version is refreshed again from then on.
    void laterUpgrades_data() {
        QTest::addColumn<bool>("restoredByUser");
        QTest::addColumn<QByteArray>("expectedUser");
        QTest::addColumn<bool>("told");
        QTest::newRow("still edited") << false << QByteArray("mine") << true;
        QTest::newRow("put back to the packaged file") << true << QByteArray("v3") << false;
    }
    void laterUpgrades() {
        QFETCH(bool, restoredByUser);
        QFETCH(QByteArray, expectedUser);
        QFETCH(bool, told);
        QTemporaryDir dir;
        const QString installed = dir.path() + u"/installed"_s;
        const QString user = dir.path() + u"/user"_s;
        const QString report = user + u"/retail.rpt"_s;
        writeFile(installed + u"/retail.rpt"_s, "v1");
        ProgramFolder::fillUserFolder(installed, user);
        writeFile(report, "mine");
        writeFile(installed + u"/retail.rpt"_s, "v2");
        QCOMPARE(ProgramFolder::fillUserFolder(installed, user), QStringList{u"retail.rpt"_s});
        if (restoredByUser) {
            QVERIFY(QFile::remove(report));
            QVERIFY(QFile::rename(report + u".new"_s, report));
        }
        writeFile(installed + u"/retail.rpt"_s, "v3");
        QCOMPARE(ProgramFolder::fillUserFolder(installed, user),
                 told ? QStringList{u"retail.rpt"_s} : QStringList());
        QCOMPARE(readFile(report), expectedUser);
    }

    void notice() {
        QCOMPARE(ProgramFolder::keptFilesNotice({}), QString());
        const QString text = ProgramFolder::keptFilesNotice({u"cost1.rpt"_s, u"Help/demo.htm"_s});
        QVERIFY2(text.contains(u"cost1.rpt, Help/demo.htm"_s), qPrintable(text));
        QVERIFY2(text.contains(u".new"_s), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(UserFolderRefreshTest)
#include "tst_userfolderrefresh.moc"
