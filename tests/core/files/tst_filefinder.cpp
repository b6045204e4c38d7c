#include "core/files/ProgramFolder.h"
#include "support/core/CliRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The finder that lists each folder once must find what looking at the disk finds.
class FileFinderTest : public QObject {
    Q_OBJECT
private slots:
    void sameAnswers_data() {
        QTest::addColumn<QString>("stored"); // "<root>" stands for the program folder
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("addedLater"); // the file appears after a first run listed
        QTest::newRow("present") << u"Pictures/Lamp.jpg"_s << true << false;
        QTest::newRow("Windows separators") << u"Pictures\\Lamp.jpg"_s << true << false;
        QTest::newRow("other case") << u"PICTURES\\lamp.JPG"_s << true << false;
        QTest::newRow("other case, deeper") << u"pictures/sub/deep.gif"_s << true << false;
        QTest::newRow("two spellings on disk") << u"pictures/twin.jpg"_s << true << false;
        QTest::newRow("full path") << u"<root>Pictures/Sub/Deep.GIF"_s << true << false;
        QTest::newRow("full path, other case") << u"<root>pictures/SUB/Deep.gif"_s << true << false;
        QTest::newRow("through ..") << u"Pictures/Sub/../Lamp.jpg"_s << true << false;
        QTest::newRow("missing") << u"Pictures/Gone.jpg"_s << false << false;
        QTest::newRow("missing folder") << u"Photos/Lamp.jpg"_s << false << false;
        QTest::newRow("a folder, not a file") << u"pictures/sub"_s << false << false;
        QTest::newRow("blank") << u"  "_s << false << false;
        QTest::newRow("added after a run") << u"pictures/new.JPG"_s << true << true;
        QTest::newRow("added in a new folder") << u"Extra/New.jpg"_s << true << true;
    }
    void sameAnswers() {
        QFETCH(QString, stored);
        QFETCH(bool, exists);
        QFETCH(bool, addedLater);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        ProgramFolder::setOverride(dir.path());
        const auto restore = qScopeGuard([] { ProgramFolder::setOverride(QString()); });
        stored.replace(u"<root>"_s, root);
        test::writeTestFile(root + u"Pictures/Lamp.jpg"_s, {});
        test::writeTestFile(root + u"Pictures/Sub/Deep.GIF"_s, {});
        test::writeTestFile(root + u"Pictures/Twin.jpg"_s, {});
        test::writeTestFile(root + u"Pictures/twin.JPG"_s, {});

        if (addedLater) {
            // A run before the file was there does not find it, and the next run does.
            ProgramFolder::FileFinder earlier;
            QVERIFY(!earlier.exists(stored));
            test::writeTestFile(
                root + (stored.startsWith(u"Extra"_s) ? u"Extra/New.jpg"_s : u"Pictures/New.jpg"_s),
                {});
        }
        ProgramFolder::FileFinder finder;
        QCOMPARE(finder.exists(stored), exists);
        QCOMPARE(finder.exists(stored), ProgramFolder::fileExists(stored));
        QCOMPARE(QDir::cleanPath(finder.resolve(stored)),
                 QDir::cleanPath(ProgramFolder::resolveFile(stored)));
    }
};

QTEST_GUILESS_MAIN(FileFinderTest)
#include "tst_filefinder.moc"
