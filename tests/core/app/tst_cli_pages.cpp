#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// "tovin-catalog pages" as scripts use it, on the demo catalogue.
class CliPagesTest : public QObject {
    Q_OBJECT

    test::CliRun run(const QString& line) {
        return test::runProgram(
            test::argumentLine(u"--app-folder @app --settings @settings pages "_s + line,
                               {{u"@app"_s, m_folder->path()},
                                {u"@settings"_s, m_folder->settingsFile()},
                                {u"@cat"_s, m_folder->cataloguePath()},
                                {u"@notes"_s, m_folder->filePath(u"notes.txt"_s)},
                                {u"@out"_s, m_folder->filePath(u"out"_s)}}),
            m_folder->path());
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
        const test::CliRun r = run(u"--db @cat --from 2 --to 3"_s);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = r.outLines();
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
        const test::CliRun r =
            run(u"--db @cat --from 1 --to 2 --name Spring --out @out --pdf @out/catalogue.pdf"_s);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(out + u"/Spring1.htm"_s));
        QVERIFY(QFile::exists(out + u"/SpringDtl2-1.htm"_s));
        const QByteArray bytes = test::fileBytes(out + u"/catalogue.pdf"_s);
        QVERIFY(bytes.startsWith("%PDF"));
        // One sheet per catalogue page (the demo pages are short enough for one sheet each).
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page/") + bytes.count("/Type /Page "),
                 qsizetype(2));
        // The print document does not stay behind.
        QCOMPARE(QDir(out).entryList({u".print*"_s}, QDir::Files | QDir::Hidden).size(), 0);
    }

    void refusesBadArgumentsWritingNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("no catalogue") << u"--from 1 --to 2"_s;
        QTest::newRow("missing catalogue") << u"--db nothing.mde --from 1 --to 2"_s;
        QTest::newRow("no --to") << u"--db @cat --from 1"_s;
        QTest::newRow("page 0") << u"--db @cat --from 0 --to 2"_s;
        QTest::newRow("not a number") << u"--db @cat --from x --to 2"_s;
        QTest::newRow("from above to") << u"--db @cat --from 3 --to 2"_s;
        QTest::newRow("past the highest page") << u"--db @cat --from 900 --to 901"_s;
        QTest::newRow("name leaving the folder") << u"--db @cat --from 1 --to 2 --name ../Cat"_s;
        QTest::newRow("name with a folder") << u"--db @cat --from 1 --to 2 --name sub/Cat"_s;
        QTest::newRow("unknown option") << u"--db @cat --from 1 --to 2 --colour red"_s;
        QTest::newRow("pdf into a missing folder")
            << u"--db @cat --from 1 --to 2 --pdf /nonexistent-folder/x.pdf"_s;
        QTest::newRow("not a catalogue") << u"--db @notes --from 1 --to 2"_s;
    }
    void refusesBadArgumentsWritingNothing() {
        QFETCH(QString, arguments);
        m_folder->writeFile(u"notes.txt"_s, "not a catalogue");
        const test::CliRun r = run(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(u"nothing was written"_s));
        QVERIFY(pageFiles(m_folder->filePath(u"Pages"_s)).isEmpty());
        QVERIFY(pageFiles(m_folder->path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliPagesTest)
#include "tst_cli_pages.moc"
