// The Margins report: the products under the shop's minimum margin, worst first, exactly as the
// margins list finds them (the report is fed by that list), on a file or on the server; the
// report command prints it; a minimum that cannot be read fails it with the reason.
#include "core/base/RunTimeError.h"
#include "core/margins/BelowMarginList.h"
#include "core/margins/Margin.h"
#include "core/margins/MarginSettings.h"
#include "core/reports/PreparedReport.h"
#include "core/reports/ReportData.h"
#include "core/reports/ReportDefinition.h"
#include "core/settings/SettingsStore.h"
#include "support/core/CliRun.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestProgramFolder.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// Stock number, Cost1, Price, Retail ("" stands for an empty column, null). Margins: LOSS -20%,
// EVEN 0%, ZEROPRICE 10% (a Price of 0 is no price: Retail counts), CENTS 19.66%, JUST 19.999%,
// TIE and EDGE exactly 20% (TIE written first, listed after EDGE), RETAIL 30%, FREE 100% (a
// cost of 0 is a cost); NOCOST and NOPRICE have no margin.
const QList<QStringList> Products{
    {u"Z-TIE"_s, u"8"_s, u"10"_s, u""_s},          {u"A-LOSS"_s, u"12"_s, u"10"_s, u"11"_s},
    {u"B-EVEN"_s, u"5"_s, u"5"_s, u""_s},          {u"F-ZEROPRICE"_s, u"8.1"_s, u"0"_s, u"9"_s},
    {u"K-CENTS"_s, u"0.0241"_s, u"0.03"_s, u""_s}, {u"D-JUST"_s, u"8.0001"_s, u"10"_s, u""_s},
    {u"C-EDGE"_s, u"8"_s, u"10"_s, u""_s},         {u"E-RETAIL"_s, u"7"_s, u""_s, u"10"_s},
    {u"G-FREE"_s, u"0"_s, u"4"_s, u""_s},          {u"H-NOCOST"_s, u""_s, u"3"_s, u""_s},
    {u"I-NOPRICE"_s, u"2"_s, u""_s, u""_s},
};

QVariant column(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

void fill(TestCatalogue& catalogue) {
    qint64 pid = 0;
    for (const QStringList& p : Products)
        catalogue.add(++pid, p[0],
                      {{PC::ProdName, u"Item "_s + p[0]},
                       {PC::Cost1, column(p[1])},
                       {PC::Price, column(p[2])},
                       {PC::Retail, column(p[3])}});
}

void setMinimum(const QString& text) {
    SettingsStore& settings = SettingsStore::program();
    if (!text.isNull())
        settings.setValue(MarginSettings::Section, MarginSettings::MinimumMarginKey, text);
    settings.sync();
}

QString marginsReport() {
    return reportFilePath(u"margins"_s);
}

// The text of a PDF laid out as printed, runs of blanks made one.
QString pdfText(const QString& pdf) {
    QProcess tool;
    tool.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    static const QRegularExpression blanks(u"[ \\t]+"_s);
    return QString::fromUtf8(tool.readAllStandardOutput()).replace(blanks, u" "_s);
}

} // namespace

class MarginsReportTest : public QObject {
    Q_OBJECT

private slots:
    // The rows the report shows and their order, against the expected lines and against the
    // margins list itself: the report never tells a story of its own.
    void listsTheProductsUnderTheMinimum_data() {
        QTest::addColumn<QString>("minimum"); // the MinimumMargin setting; null: not set (20%)
        QTest::addColumn<QStringList>("listed");
        const QStringList under20{u"A-LOSS $12.00 $10.00 -20.0%"_s, u"B-EVEN $5.00 $5.00 0.0%"_s,
                                  u"F-ZEROPRICE $8.10 $9.00 10.0%"_s,
                                  u"K-CENTS $0.02 $0.03 19.6%"_s, u"D-JUST $8.00 $10.00 19.9%"_s};
        QTest::newRow("default minimum") << QString() << under20;
        QTest::newRow("20, an exact margin of 20% is not under it") << u"20"_s << under20;
        QTest::newRow("50%, ties by stock number")
            << u"50%"_s
            << under20 + QStringList{u"C-EDGE $8.00 $10.00 20.0%"_s, u"Z-TIE $8.00 $10.00 20.0%"_s,
                                     u"E-RETAIL $7.00 $10.00 30.0%"_s};
        QTest::newRow("0, only the losses")
            << u"0"_s << QStringList{u"A-LOSS $12.00 $10.00 -20.0%"_s};
        QTest::newRow("100, a free product is never under it")
            << u"100"_s
            << under20 + QStringList{u"C-EDGE $8.00 $10.00 20.0%"_s, u"Z-TIE $8.00 $10.00 20.0%"_s,
                                     u"E-RETAIL $7.00 $10.00 30.0%"_s};
    }
    void listsTheProductsUnderTheMinimum() {
        QFETCH(QString, minimum);
        QFETCH(QStringList, listed);
        TestProgramFolder folder(Catalogue::None);
        setMinimum(minimum);
        TestCatalogue catalogue;
        fill(catalogue);
        QVariantMap page;
        try {
            page = readReportData(catalogue.db(), ReportDefinition::read(marginsReport()));
        } catch (const RunTimeError& error) {
            QFAIL(qPrintable(error.description()));
        }
        QStringList shown;
        for (const QVariant& row : page.value(u"products"_s).toList()) {
            const QVariantMap r = row.toMap();
            shown << QStringList{r[u"StockNo"_s].toString(), r[u"Cost1"_s].toString(),
                                 r[u"Price"_s].toString(), r[u"Margin"_s].toString()}
                         .join(u' ');
        }
        QCOMPARE(shown, listed);
        QCOMPARE(page.value(u"Listed"_s).toString(), QString::number(listed.size()));
        QCOMPARE(page.value(u"PassedOver"_s).toString(), u"2"_s);

        const BelowMarginList list =
            BelowMarginList::find(catalogue.db(), MarginSettings::fromProgram().minimumPercent);
        QStringList fromList;
        for (const BelowMarginRow& row : list.rows)
            fromList << row.stockNumber + u' ' + Margin::percentText(row.marginPercent);
        QStringList fromReport;
        for (const QString& line : shown)
            fromReport << line.section(u' ', 0, 0) + u' ' + line.section(u' ', -1);
        QCOMPARE(fromReport, fromList);
    }

    // The report command writes the report as a PDF and ends with status 0; the page has the
    // headings, the worst product first and the count. Status 0 also when nothing is under the
    // minimum.
    void reportCommandPrintsIt_data() {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("removed"); // a product deleted first
        QTest::addColumn<QStringList>("words");
        QTest::newRow("five under 20%")
            << u"20"_s << QString()
            << QStringList{u"Products under a margin of 20.0%, the worst"_s,
                           u"Stock # Name Cost 1 Sales Price Margin"_s,
                           u"A-LOSS Item A-LOSS $12.00 $10.00 -20.0%"_s, u"Products listed: 5"_s,
                           u"Without a selling price or a cost, not judged: 2"_s};
        QTest::newRow("none under 0%")
            << u"0"_s << u"A-LOSS"_s << QStringList{u"Products listed: 0"_s};
    }
    void reportCommandPrintsIt() {
        QFETCH(QString, minimum);
        QFETCH(QString, removed);
        QFETCH(QStringList, words);
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        TestProgramFolder folder(Catalogue::None);
        setMinimum(minimum);
        TestCatalogue catalogue;
        fill(catalogue);
        catalogue.db().run(u"DELETE FROM Products WHERE StockNo = ?"_s, {removed});
        const QString pdf = catalogue.filePath(u"margins.pdf"_s);
        const CliRun run = runProgram({u"--settings"_s, folder.settingsFile(), u"report"_s,
                                       u"margins"_s, u"--db"_s, catalogue.path(), u"--pdf"_s, pdf});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString text = pdfText(pdf);
        QVERIFY2(text.startsWith(u"Margins"_s), qPrintable(text.left(200)));
        for (const QString& word : words)
            QVERIFY2(text.contains(word), qPrintable(word + u"\nnot in:\n"_s + text));
    }

    // A minimum margin that cannot be read is never guessed at: the report is not made, the
    // reason names the setting, the command ends with status 2 and writes no file. The other
    // reports do not read it and are made as ever.
    void unreadableMinimum_data() {
        QTest::addColumn<QString>("minimum");
        QTest::newRow("a word") << u"abc"_s;
        QTest::newRow("over 100") << u"150%"_s;
        QTest::newRow("negative") << u"-5"_s;
    }
    void unreadableMinimum() {
        QFETCH(QString, minimum);
        TestProgramFolder folder(Catalogue::None);
        setMinimum(minimum);
        TestCatalogue catalogue;
        fill(catalogue);
        try {
            PreparedReport::make(marginsReport(), catalogue.path());
            QFAIL("the report was made");
        } catch (const RunTimeError& error) {
            QVERIFY2(error.description().contains(MarginSettings::MinimumMarginKey) &&
                         error.description().contains(minimum),
                     qPrintable(error.description()));
        }
        const PreparedReport retail =
            PreparedReport::make(reportFilePath(u"retail"_s), catalogue.path());
        QVERIFY(retail.html.contains(u"A-LOSS"_s));

        const QString pdf = catalogue.filePath(u"margins.pdf"_s);
        const CliRun run = runProgram({u"--settings"_s, folder.settingsFile(), u"report"_s,
                                       u"margins"_s, u"--db"_s, catalogue.path(), u"--pdf"_s, pdf});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(MarginSettings::MinimumMarginKey), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // A report file names the program's lists it shows; one the program does not make, or a
    // list under one of them, is refused with its line.
    void programListsInReportFiles_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("reason"); // empty: accepted
        QTest::newRow("the margins list")
            << u"title: X\nrows p: below-margin\npage:\n"_s << QString();
        QTest::newRow("a list the program does not make")
            << u"title: X\nrows p: above-margin\npage:\n"_s
            << u"Line 2 of the report file: the program makes no list \"above-margin\""_s;
        QTest::newRow("a list under it")
            << u"title: X\nrows p: below-margin\ndata p.q: select 1\npage:\n"_s
            << u"Line 3 of the report file: the list \"p\" can have no lists under it"_s;
        QTest::newRow("no list name") << u"title: X\nrows p.q: below-margin\npage:\n"_s
                                      << u"Line 2 of the report file: \"p.q\" is no list name"_s;
    }
    void programListsInReportFiles() {
        QFETCH(QString, content);
        QFETCH(QString, reason);
        try {
            const ReportDefinition report = ReportDefinition::parse(content);
            QVERIFY2(reason.isEmpty(), "the report file was accepted");
            QCOMPARE(report.data.size(), 1);
            QCOMPARE(report.data.first().source, u"below-margin"_s);
        } catch (const RunTimeError& error) {
            QVERIFY2(!reason.isEmpty() && error.description().startsWith(reason),
                     qPrintable(error.description()));
        }
    }
};

QTEST_MAIN(MarginsReportTest)
#include "tst_cli_marginsreport.moc"
