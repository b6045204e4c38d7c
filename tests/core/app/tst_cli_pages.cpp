#include "support/core/TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// "tovin-catalog pages" as scripts use it, on the demo catalogue.
class CliPagesTest : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString out;
        QString err;
    };
    Run run(const QStringList& arguments) {
        QProcess p;
        p.setWorkingDirectory(m_folder->path());
        p.start(QStringLiteral(TOVIN_APP_BINARY),
                QStringList{u"--app-folder"_s, m_folder->path(), u"--settings"_s,
                            m_folder->settingsFile()} +
                    arguments);
        p.waitForFinished(180000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList pageFiles(const QString& folder) const {
        return QDir(folder).entryList({u"Cat*.htm"_s, u"*.pdf"_s, u".print*"_s},
                                      QDir::Files | QDir::Hidden);
    }

    std::unique_ptr<test::TestProgramFolder> m_folder;

private slots:
    void initTestCase() {
        m_folder =
            std::make_unique<test::TestProgramFolder>(test::TestProgramFolder::Catalogue::Demo);
    }
    void init() {
        for (const QString& folder : {m_folder->filePath(u"Pages"_s), m_folder->filePath(u"out"_s)})
            for (const QString& file : pageFiles(folder))
                QFile::remove(folder + u'/' + file);
    }
    void cleanupTestCase() { m_folder.reset(); }

    // Pages 2 and 3 into the program's Pages folder: one line per page number, the totals, and
    // every written page links only files of the run or of neighbouring page numbers.
    void writesPagesWithDetailPages() {
        const Run r = run({u"pages"_s, u"--db"_s, m_folder->cataloguePath(), u"--from"_s, u"2"_s,
                           u"--to"_s, u"3"_s});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith(u"Page 2 CatPage2.htm: "_s));
        QVERIFY(lines[1].startsWith(u"Page 3 CatPage3.htm: "_s));
        QVERIFY(lines[2].startsWith(u"Wrote "_s));
        const QStringList files = pageFiles(m_folder->filePath(u"Pages"_s));
        QVERIFY(files.contains(u"CatPage2.htm"_s) && files.contains(u"CatPageDtl2-1.htm"_s));
        QVERIFY(!files.contains(u"CatPage1.htm"_s));
        QCOMPARE(lines[2].section(u' ', 1, 1).toInt(), files.size());
    }

    void namedPagesElsewhereAndPdf() {
        const QString out = m_folder->filePath(u"out"_s);
        const QString pdf = out + u"/catalogue.pdf"_s;
        const Run r =
            run({u"pages"_s, u"--db"_s, m_folder->cataloguePath(), u"--from"_s, u"1"_s, u"--to"_s,
                 u"2"_s, u"--name"_s, u"Spring"_s, u"--out"_s, out, u"--pdf"_s, pdf});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(out + u"/Spring1.htm"_s));
        QVERIFY(QFile::exists(out + u"/SpringDtl2-1.htm"_s));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        // One sheet per catalogue page (the demo pages are short enough for one sheet each).
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page/") + bytes.count("/Type /Page "),
                 qsizetype(2));
        // The print document does not stay behind.
        QCOMPARE(QDir(out).entryList({u".print*"_s}, QDir::Files | QDir::Hidden).size(), 0);
    }

    void refusesBadArgumentsWritingNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no catalogue") << QStringList{u"--from"_s, u"1"_s, u"--to"_s, u"2"_s};
        QTest::newRow("missing catalogue")
            << QStringList{u"--db"_s, u"nothing.mde"_s, u"--from"_s, u"1"_s, u"--to"_s, u"2"_s};
        QTest::newRow("no --to") << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"1"_s};
        QTest::newRow("page 0") << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s,
                                               u"0"_s,    u"--to"_s, u"2"_s};
        QTest::newRow("not a number")
            << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"x"_s, u"--to"_s, u"2"_s};
        QTest::newRow("from above to")
            << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"3"_s, u"--to"_s, u"2"_s};
        QTest::newRow("past the highest page")
            << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"900"_s, u"--to"_s, u"901"_s};
        QTest::newRow("name leaving the folder") << QStringList{
            u"--db"_s, u"@cat"_s, u"--from"_s, u"1"_s, u"--to"_s, u"2"_s, u"--name"_s, u"../Cat"_s};
        QTest::newRow("name with a folder")
            << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"1"_s,
                           u"--to"_s, u"2"_s,    u"--name"_s, u"sub/Cat"_s};
        QTest::newRow("unknown option") << QStringList{
            u"--db"_s, u"@cat"_s, u"--from"_s, u"1"_s, u"--to"_s, u"2"_s, u"--colour"_s, u"red"_s};
        QTest::newRow("pdf into a missing folder")
            << QStringList{u"--db"_s, u"@cat"_s, u"--from"_s, u"1"_s,
                           u"--to"_s, u"2"_s,    u"--pdf"_s,  u"/nonexistent-folder/x.pdf"_s};
        QTest::newRow("not a catalogue")
            << QStringList{u"--db"_s, u"@settings"_s, u"--from"_s, u"1"_s, u"--to"_s, u"2"_s};
    }
    void refusesBadArgumentsWritingNothing() {
        QFETCH(QStringList, arguments);
        arguments.replaceInStrings(u"@cat"_s, m_folder->cataloguePath());
        m_folder->writeFile(u"notes.txt"_s, "not a catalogue");
        arguments.replaceInStrings(u"@settings"_s, m_folder->filePath(u"notes.txt"_s));
        const Run r = run(QStringList{u"pages"_s} + arguments);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(u"nothing was written"_s));
        QVERIFY(pageFiles(m_folder->filePath(u"Pages"_s)).isEmpty());
        QVERIFY(pageFiles(m_folder->path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliPagesTest)
#include "tst_cli_pages.moc"
