#include "core/base/RunTimeError.h"
#include "core/files/OutputFile.h"
#include "support/core/CliRun.h"
#include "support/core/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using test::readFile;
using test::writeTestFile;

namespace {

const QByteArray CatalogueBytes = QByteArray("SQLite format 3\0", 16) + "pages of the catalogue";
const QByteArray OldBytes = "yesterday's export\r\n";
const QByteArray NewBytes = "AB7,Brass Lamp\r\n";

// Every name in the folder, hidden ones included, to see that no temporary file stayed.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The files the targets below are written over, in `root`.
void makeTargets(const QString& root) {
    writeTestFile(root + u"shop.mde"_s, CatalogueBytes);
    writeTestFile(root + u"shop.mde-wal"_s, "journal");
    writeTestFile(root + u"other.mde"_s, CatalogueBytes);
    writeTestFile(root + u"export.txt"_s, OldBytes);
    QVERIFY(QFile::link(root + u"shop.mde"_s, root + u"link.mde"_s));
    QVERIFY(QFile::link(root + u"export.txt"_s, root + u"export-link.txt"_s));
    QVERIFY(QFile::link(root, root + u"linked"_s));
    QCOMPARE(::link(QFile::encodeName(root + u"shop.mde"_s).constData(),
                    QFile::encodeName(root + u"hard.mde"_s).constData()),
             0);
    QCOMPARE(::mkfifo(QFile::encodeName(root + u"pipe"_s).constData(), 0600), 0);
    QVERIFY(QDir().mkdir(root + u"folder"_s));
}

} // namespace

// The one gate every output file passes: what it refuses, and that a refused or unfinished write
// leaves what was there untouched.
class OutputFileTest : public QObject {
    Q_OBJECT
private slots:
    // Each target is written alone and as one file of a set written into its folder: a set
    // passes the same gate as a single file, with the same sentence, and is written whole by
    // the commit.
    void targets_data() {
        QTest::addColumn<QString>("target");  // relative to the folder holding shop.mde
        QTest::addColumn<QString>("writer");  // document, catalogue, catalogue-replace
        QTest::addColumn<QString>("refusal"); // a part of the sentence; empty when written
        QTest::addColumn<bool>("inFolder");
        const auto row = [](const char* name, const QString& target, const QString& writer,
                            const QString& refusal) {
            QTest::newRow(name) << target << writer << refusal << false;
            QTest::addRow("%s, in a set", name) << target << writer << refusal << true;
        };
        const QString open = u"is the open catalogue"_s;
        row("the catalogue", u"shop.mde"_s, u"document"_s, open);
        row("catalogue as ./name", u"./shop.mde"_s, u"document"_s, open);
        row("symbolic link", u"link.mde"_s, u"document"_s, open);
        row("hard link", u"hard.mde"_s, u"document"_s, open);
        row("through a linked folder", u"linked/shop.mde"_s, u"document"_s, open);
        row("its -wal", u"shop.mde-wal"_s, u"document"_s, open);
        row("its -shm, not there yet", u"shop.mde-shm"_s, u"document"_s, open);
        row("even a catalogue copy with replacing", u"shop.mde"_s, u"catalogue-replace"_s, open);
        row("another catalogue", u"other.mde"_s, u"document"_s, u"holds a catalogue"_s);
        row("another catalogue, copy not allowed to replace", u"other.mde"_s, u"catalogue"_s,
            u"already holds a catalogue"_s);
        row("another catalogue, replacing agreed", u"other.mde"_s, u"catalogue-replace"_s,
            QString());
        row("a pipe", u"pipe"_s, u"document"_s, u"not a plain file"_s);
        row("a folder", u"folder"_s, u"document"_s, u"is a folder"_s);
        row("an earlier export", u"export.txt"_s, u"document"_s, QString());
        row("a link to an earlier export", u"export-link.txt"_s, u"document"_s, QString());
        row("a new name", u"new.txt"_s, u"document"_s, QString());
    }
    void targets() {
        QFETCH(QString, target);
        QFETCH(QString, writer);
        QFETCH(QString, refusal);
        QFETCH(bool, inFolder);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        makeTargets(root);

        const OutputRules rules{root + u"shop.mde"_s, writer != u"document"_s,
                                writer == u"catalogue-replace"_s};
        // Relative names are taken from the folder the program runs in.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(root);
        const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
        const bool existed = QFileInfo(target).isFile();
        const QByteArray before = existed ? readFile(target) : QByteArray();

        const std::optional<QString> sentence = OutputFile::refusal(target, rules);
        QString thrown;
        if (inFolder) {
            const QFileInfo info(target);
            QList<OutputFolder::Failure> failures;
            {
                OutputFolder folder(info.path(), rules);
                QCOMPARE(folder.refusal(info.fileName()),
                         OutputFile::refusal(folder.pathOf(info.fileName()), rules));
                try {
                    folder.write(info.fileName(), NewBytes);
                } catch (const RunTimeError& error) {
                    thrown = error.description();
                }
                failures = folder.commit();
            }
            QVERIFY(failures.isEmpty());
        } else {
            try {
                OutputFile::write(target, NewBytes, rules);
            } catch (const RunTimeError& error) {
                thrown = error.description();
            }
        }
        if (refusal.isEmpty()) {
            QVERIFY2(!sentence, qPrintable(sentence.value_or(QString())));
            QVERIFY2(thrown.isEmpty(), qPrintable(thrown));
            QCOMPARE(readFile(target), NewBytes);
        } else {
            QVERIFY(sentence);
            QVERIFY2(sentence->contains(refusal), qPrintable(*sentence));
            QVERIFY2(sentence->contains(target), qPrintable(*sentence));
            if (inFolder)
                QVERIFY2(thrown.contains(refusal), qPrintable(thrown));
            else
                QCOMPARE(thrown, *sentence);
            QCOMPARE(QFileInfo(target).isFile(), existed);
            if (existed)
                QCOMPARE(readFile(target), before);
        }
        QCOMPARE(readFile(root + u"shop.mde"_s), CatalogueBytes);
        QVERIFY(!QFileInfo(root + u"pipe"_s).isSymLink());
        QVERIFY(!QFileInfo(root + u"pipe"_s).isFile());
        QVERIFY(QFileInfo(root + u"folder"_s).isDir());
        QVERIFY(QFileInfo(root + u"link.mde"_s).isSymLink());
        for (const QString& name : namesIn(root))
            QVERIFY2(!name.endsWith(u".part"_s) && !name.contains(u".tmp"_s) &&
                         !name.startsWith(u".output"_s),
                     qPrintable(name));
    }

    // A set that is not committed changes nothing; a name that became a catalogue after its
    // file was written is not written over, while the rest of the set is put in place.
    void folderUnfinished_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("dropped before the commit") << u"dropped"_s;
        QTest::newRow("a catalogue put in the way before the commit") << u"catalogue"_s;
        QTest::newRow("the open catalogue linked in the way") << u"linked"_s;
    }
    void folderUnfinished() {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        writeTestFile(root + u"shop.mde"_s, CatalogueBytes);
        writeTestFile(root + u"export.txt"_s, OldBytes);
        const QStringList before = namesIn(root);
        QList<OutputFolder::Failure> failures;
        try {
            OutputFolder folder(root, OutputRules{root + u"shop.mde"_s});
            folder.write(u"export.txt"_s, NewBytes);
            folder.write(u"page.htm"_s, NewBytes);
            if (how == u"dropped"_s)
                throw RunTimeError(ErrorNumber::PathFileAccessError, u"stopped"_s);
            if (how == u"catalogue"_s)
                writeTestFile(root + u"page.htm"_s, CatalogueBytes);
            else
                QVERIFY(QFile::link(root + u"shop.mde"_s, root + u"page.htm"_s));
            failures = folder.commit();
        } catch (const RunTimeError&) {
            QCOMPARE(namesIn(root), before);
            QCOMPARE(readFile(root + u"export.txt"_s), OldBytes);
            return;
        }
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.value(0).fileName, u"page.htm"_s);
        QVERIFY(failures.value(0).error.contains(u"catalogue"_s));
        QCOMPARE(readFile(root + u"page.htm"_s), CatalogueBytes);
        QCOMPARE(readFile(root + u"shop.mde"_s), CatalogueBytes);
        QCOMPARE(readFile(root + u"export.txt"_s), NewBytes);
        QCOMPARE(namesIn(root), (QStringList{u"export.txt"_s, u"page.htm"_s, u"shop.mde"_s}));
    }

    // A file of the set that already holds its bytes is left as it is (the same file, its time
    // kept); one that differs, or that changed before the commit, gets the new bytes, and the
    // gate still stands between a kept file and a catalogue put under its name.
    void folderUnchanged_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("meanwhile"); // what happens to the file before the commit
        QTest::addColumn<bool>("sameFile");
        QTest::newRow("same bytes") << NewBytes << QString() << true;
        QTest::newRow("other bytes, same size")
            << QByteArray(NewBytes).replace('7', '8') << QString() << false;
        QTest::newRow("other size") << OldBytes << QString() << false;
        QTest::newRow("longer, same start") << NewBytes + "more" << QString() << false;
        QTest::newRow("same bytes, then changed") << NewBytes << u"changed"_s << false;
        QTest::newRow("same bytes, then a catalogue") << NewBytes << u"catalogue"_s << false;
    }
    void folderUnchanged() {
        QFETCH(QByteArray, before);
        QFETCH(QString, meanwhile);
        QFETCH(bool, sameFile);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        const QString target = root + u"page.htm"_s;
        writeTestFile(target, before);
        struct stat old {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &old), 0);

        QList<OutputFolder::Failure> failures;
        {
            OutputFolder folder(root, OutputRules{root + u"shop.mde"_s});
            folder.write(u"page.htm"_s, NewBytes);
            if (meanwhile == u"changed"_s) {
                writeTestFile(target, OldBytes);
            } else if (meanwhile == u"catalogue"_s) {
                QVERIFY(QFile::remove(target));
                writeTestFile(target, CatalogueBytes);
            }
            failures = folder.commit();
        }
        struct stat now {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &now), 0);
        if (meanwhile == u"catalogue"_s) {
            QCOMPARE(failures.size(), 1);
            QVERIFY2(failures.value(0).error.contains(u"holds a catalogue"_s),
                     qPrintable(failures.value(0).error));
            QCOMPARE(readFile(target), CatalogueBytes);
        } else {
            QVERIFY(failures.isEmpty());
            QCOMPARE(readFile(target), NewBytes);
        }
        QCOMPARE(now.st_ino == old.st_ino && now.st_mtim.tv_nsec == old.st_mtim.tv_nsec &&
                     now.st_mtim.tv_sec == old.st_mtim.tv_sec,
                 sameFile);
        QCOMPARE(namesIn(root), QStringList{u"page.htm"_s});
    }

    // Devices are refused by looking only; nothing is ever written to one here.
    void deviceRefused() {
        const auto sentence = OutputFile::refusal(u"/dev/null"_s, OutputRules{});
        QVERIFY(sentence);
        QVERIFY2(sentence->contains(u"/dev/null is not a plain file"_s), qPrintable(*sentence));
    }

    // A write that does not finish leaves the earlier file whole and no partial file beside it.
    void unfinished_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("writer dropped half way") << u"dropped"_s;
        QTest::newRow("engine's file refused at the end") << u"refused move"_s;
        QTest::newRow("folder gone") << u"no folder"_s;
        QTest::newRow("disk full") << u"full"_s;
    }
    void unfinished() {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString target = dir.path() + u"/export.txt"_s;
        writeTestFile(target, OldBytes);
        const OutputRules rules{dir.path() + u"/shop.mde"_s};
        bool raised = false;
        try {
            if (how == u"dropped"_s) {
                OutputWriter writer(target, rules);
                writer.write(NewBytes);
                throw RunTimeError(ErrorNumber::PathFileAccessError, u"disk full"_s);
            }
            if (how == u"refused move"_s) {
                const QString finished = OutputFile::temporaryBeside(target);
                writeTestFile(finished, NewBytes);
                OutputFile::moveIntoPlace(finished, dir.path() + u"/shop.mde"_s, rules);
            }
            if (how == u"no folder"_s)
                OutputFile::write(dir.path() + u"/gone/export.txt"_s, NewBytes, rules);
            if (how == u"full"_s) {
                // A file size limit fails the writes the way a full disk does.
                struct rlimit old {};
                QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
                struct rlimit small = old;
                small.rlim_cur = 4096;
                const auto previousSignal = ::signal(SIGXFSZ, SIG_IGN);
                QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
                const auto restore = qScopeGuard([&] {
                    ::setrlimit(RLIMIT_FSIZE, &old);
                    ::signal(SIGXFSZ, previousSignal);
                });
                OutputFile::write(target, QByteArray(64 * 1024, 'x'), rules);
            }
        } catch (const RunTimeError&) {
            raised = true;
        }
        QVERIFY(raised);
        QCOMPARE(readFile(target), OldBytes);
        QCOMPARE(namesIn(dir.path()), QStringList{u"export.txt"_s});
    }

    // An engine's finished file replaces the target whole, through a link to the linked file.
    void movedIntoPlace() {
        QTemporaryDir dir;
        const QString real = dir.path() + u"/report.pdf"_s;
        const QString link = dir.path() + u"/latest.pdf"_s;
        writeTestFile(real, OldBytes);
        QVERIFY(QFile::link(real, link));
        const QString finished = OutputFile::temporaryBeside(link);
        QCOMPARE(QFileInfo(finished).absolutePath(), dir.path());
        writeTestFile(finished, NewBytes);
        OutputFile::moveIntoPlace(finished, link, OutputRules{});
        QCOMPARE(readFile(real), NewBytes);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(namesIn(dir.path()), (QStringList{u"latest.pdf"_s, u"report.pdf"_s}));
    }
};

QTEST_GUILESS_MAIN(OutputFileTest)
#include "tst_outputfile.moc"
