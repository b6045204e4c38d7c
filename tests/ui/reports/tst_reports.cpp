// The printed reports: each report file of the program folder filled from the demo catalogue
// and written as a PDF, read back with pdftotext; and the report files a shop edits.
#include "core/base/RunTimeError.h"
#include "core/reports/PreparedReport.h"
#include "core/reports/ReportDefinition.h"
#include "core/text/DateText.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "ui/reports/ReportDocument.h"
#include "ui/reports/ReportsMenu.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// The text of every page of a PDF, laid out as printed, with runs of blanks made one.
QStringList pdfPages(const QString& pdf) {
    QProcess tool;
    tool.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    static const QRegularExpression blanks(u"[ \\t]+"_s);
    for (QString& page : pages) {
        QStringList lines;
        for (const QString& line : page.split(u'\n'))
            if (const QString text = line.simplified(); !text.isEmpty())
                lines << QString(line).replace(blanks, u" "_s).trimmed();
        page = lines.join(u'\n');
    }
    return pages;
}

QString firstLineStartingWith(const QString& text, const QString& start) {
    for (const QString& line : text.split(u'\n'))
        if (line.startsWith(start + u' '))
            return line;
    return QString();
}

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void eachReportAsPdf_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("heading"); // the first column heading, on every page
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QStringList>("totals");
        // Laid out beforehand for the page's resolution, as the window does in the background
        // for its preview: the same pages.
        QTest::addColumn<bool>("ahead");
        const QString hooks =
            u"0012 Brass Cup Hooks 1 in. (10) 10/pk 1 Kestrel Ridge Tool Supply "_s;
        const QStringList listed{u"Products listed: 50"_s};
        const QStringList costs{u"$0.95"_s, u"$1.05"_s, u"$1.19"_s, u"$1.28"_s, u"$0.87"_s};
        for (int n = 1; n <= 5; ++n)
            QTest::addRow("cost%d", n)
                << u"cost%1.rpt"_s.arg(n) << u"Cost %1 Price List"_s.arg(n) << 1 << u"Stock #"_s
                << hooks + costs[n - 1] << listed << false;
        QTest::newRow("retail") << u"retail.rpt"_s << u"Retail Price List"_s << 1 << u"Stock #"_s
                                << u"0012 Brass Cup Hooks 1 in. (10) 10/pk 1 $2.29 $2.29"_s
                                << listed << false;
        for (const bool ahead : {false, true})
            QTest::addRow("catagory%s", ahead ? " laid out ahead" : "")
                << u"catagory.rpt"_s << u"Catagory Report"_s << 2 << u"Stock #"_s
                << u"LMP-1001 Brass Desk Lamp 1 ea $19.50 $44.95"_s << listed << ahead;
        QTest::newRow("inventory")
            << u"inventory.rpt"_s << u"Inventory Report"_s << 1 << u"Stock No."_s
            << u"AB30 Plush Teddy Bear 12 in. 3 $8.90 $7.95 $18.99 01/20/2003 $26.70 $56.97"_s
            << QStringList{u"Stock value at cost: $304.82"_s, u"Stock value at retail: $648.74"_s}
            << false;
        QTest::newRow("orders")
            << u"orders.rpt"_s << u"Orders Report"_s << 1 << u"Stock No."_s
            << u"AB7 Porcelain Bud Vase 4 $4.25 $17.00 $0.85 $1.70 $1.50 03/12/2003 $19.35"_s
            << QStringList{u"Total of order 1001 $91.65"_s, u"Grand total: $91.65"_s} << false;
    }

    void eachReportAsPdf() {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(int, pages);
        QFETCH(QString, heading);
        QFETCH(QString, firstLine);
        QFETCH(QStringList, totals);
        QFETCH(bool, ahead);
        TestProgramFolder folder(Catalogue::Demo);
        const QString pdf = folder.filePath(u"report.pdf"_s);
        ReportDocument document(PreparedReport::make(
            reportFilePath(file), TestProgramFolder::current().catalogue().path));
        if (ahead)
            document.layOut(300);
        document.writePdf(pdf, OutputRules{TestProgramFolder::current().catalogue().path});

        const QStringList text = pdfPages(pdf);
        QCOMPARE(text.size(), pages);
        const QString today = TextRules::formatDate(QDate::currentDate(), u"MM/DD/YYYY"_s);
        for (int i = 0; i < pages; ++i) {
            const QString& page = text.at(i);
            QVERIFY2(page.startsWith(title), qPrintable(page.left(200)));
            QVERIFY(page.contains(u"tovin2003-a.mde "_s + today));
            QVERIFY(page.contains(u"Page %1 of %2"_s.arg(i + 1).arg(pages)));
            // The column headings head every page, before any row.
            QVERIFY2(page.section(u'\n', 1, 2).contains(heading), qPrintable(page.left(300)));
        }
        const QString first = firstLine.section(u' ', 0, 0);
        QCOMPARE(firstLineStartingWith(text.join(u'\n'), first), firstLine);
        for (const QString& total : totals)
            QVERIFY2(text.last().contains(total), qPrintable(total));
    }

    // Catalogue text is shown as text, and a report never writes to the catalogue.
    void reportShowsTextAndWritesNothing() {
        TestProgramFolder folder(Catalogue::Demo);
        folder.writeFile(u"mine.rpt"_s, "title: Mine\n"
                                        "data rows: select '<b>bold</b> & co' as Name\n"
                                        "page:\n{{#rows}}<p>{{Name}}</p>{{/rows}}\n");
        const PreparedReport report = PreparedReport::make(
            folder.filePath(u"mine.rpt"_s), TestProgramFolder::current().catalogue().path);
        QVERIFY(report.html.contains(u"&lt;b&gt;bold&lt;/b&gt; &amp; co"_s));
    }

    void refusedReportFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no page") << QByteArray("title: X\n") << u"no \"page:\""_s;
        QTest::newRow("no title") << QByteArray("page:\n<p/>") << u"no title"_s;
        QTest::newRow("a write") << QByteArray("title: X\ndata d: delete from Products\npage:\n")
                                 << u"Line 2 of the report file: \"data d\" must be one SELECT"_s;
        QTest::newRow("two statements")
            << QByteArray("title: X\ndata d: select 1; delete from Products\npage:\n")
            << u"must be one SELECT"_s;
        QTest::newRow("parent declared later")
            << QByteArray("title: X\ndata a.b: select 1\ndata a: select 1\npage:\n")
            << u"Line 2 of the report file: the list \"a\" is not declared"_s;
        QTest::newRow("unknown key") << QByteArray("# note\ntitle: X\nfont: big\npage:\n")
                                     << u"Line 3 of the report file: unknown key"_s;
        QTest::newRow("a table the catalogue lacks")
            << QByteArray("title: X\ndata d: select * from Nowhere\npage:\n")
            << u"The catalogue refused the list \"d\""_s;
        QTest::newRow("a parameter the parent lacks")
            << QByteArray("title: X\ndata a: select 1 as One\ndata a.b: select :Two\npage:\n")
            << u"asks for :Two"_s;
        QTest::newRow("an unclosed section")
            << QByteArray("title: X\npage:\n{{#rows}}<p/>\n") << u"page cannot be used"_s;
    }

    void refusedReportFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        TestProgramFolder folder(Catalogue::Demo);
        folder.writeFile(u"bad.rpt"_s, content);
        try {
            PreparedReport::make(folder.filePath(u"bad.rpt"_s),
                                 TestProgramFolder::current().catalogue().path);
            QFAIL("the report file was accepted");
        } catch (const RunTimeError& error) {
            QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
        }
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::Ok);
        ReportsMenu::ShowReport(m_promptsInUse, nullptr, u"mnuR1"_s, u"bad.rpt"_s,
                                folder.cataloguePath());
        QCOMPARE(prompts.shown().size(), 1);
        QVERIFY(prompts.shownTexts().first().startsWith(
            u"The report \"bad.rpt\" could not be made."_s));
    }

    // A missing report file or catalogue is told as a missing file, and no preview opens.
    void missingFiles_data() {
        QTest::addColumn<bool>("reportMissing");
        QTest::newRow("report file") << true;
        QTest::newRow("catalogue") << false;
    }

    void missingFiles() {
        QFETCH(bool, reportMissing);
        TestProgramFolder folder(Catalogue::Demo);
        if (reportMissing)
            QVERIFY(QFile::remove(folder.filePath(u"inventory.rpt"_s)));
        const QString catalogue =
            reportMissing ? folder.cataloguePath() : folder.filePath(u"gone.mde"_s);
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::Ok);
        ReportsMenu::ShowReport(m_promptsInUse, nullptr, u"mnuR8"_s, u"inventory.rpt"_s, catalogue);
        QCOMPARE(prompts.shown().size(), 1);
        const QString shown = prompts.shownTexts().first();
        if (reportMissing)
            QVERIFY2(shown.startsWith(u"Can't Find The File!"_s), qPrintable(shown));
        else
            QVERIFY2(shown.startsWith(u"The report \"inventory.rpt\" could not be made."_s),
                     qPrintable(shown));
    }
};

QTEST_MAIN(ReportsTest)
#include "tst_reports.moc"
