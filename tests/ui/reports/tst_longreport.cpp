// A report of thousands of products, long enough to be laid out a run of rows at a time: every
// row printed once and in order across the pages, the columns where the whole table puts them on
// every page (the widest cell sits in the last run), group headings and totals where they
// belong, and "Page N of M" right.
#include "core/reports/PreparedReport.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestProgramFolder.h"
#include "ui/reports/ReportDocument.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// A word of a PDF page and where it starts.
struct Word {
    QString text;
    double x = 0;
    double y = 0;
};

// The words of every page line by line, left to right, with their places (pdftotext -bbox).
QList<QList<Word>> pdfWords(const QString& pdf) {
    QProcess tool;
    tool.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
        return {};
    static const QRegularExpression word(
        u"<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"_s);
    QList<QList<Word>> pages;
    for (const QString& page :
         QString::fromUtf8(tool.readAllStandardOutput()).split(u"<page "_s).mid(1)) {
        QList<Word> words;
        for (auto it = word.globalMatch(page); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            QString text = match.captured(3);
            text.replace(u"&amp;"_s, u"&"_s);
            words.append({text, match.captured(1).toDouble(), match.captured(2).toDouble()});
        }
        std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
            return std::pair(qRound(a.y), a.x) < std::pair(qRound(b.y), b.x);
        });
        pages.append(words);
    }
    return pages;
}

QString stockNumber(int i) {
    return u"T%1"_s.arg(i, 5, 10, QChar(u'0'));
}

} // namespace

class LongReportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void everyRowOnceAndPagesNumbered_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("products");
        QTest::addColumn<int>("perCategory"); // products in each category; 0: no categories
        // The first and the last column heading (a word of it), on every page.
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("lastHeading");
        QTest::newRow("price list, three runs and a bit")
            << u"cost1"_s << 2400 << 0 << u"Stock"_s << u"Cost"_s;
        QTest::newRow("a run and one row") << u"retail"_s << 1001 << 0 << u"Stock"_s << u"Sales"_s;
        QTest::newRow("categories, headings and counts between the rows")
            << u"catagory"_s << 2100 << 150 << u"Stock"_s << u"Retail"_s;
        QTest::newRow("landscape inventory, a total row last")
            << u"inventory"_s << 1300 << 0 << u"Stock"_s << u"Value"_s;
    }

    void everyRowOnceAndPagesNumbered() {
        QFETCH(QString, report);
        QFETCH(int, products);
        QFETCH(int, perCategory);
        QFETCH(QString, heading);
        QFETCH(QString, lastHeading);
        TestProgramFolder folder(TestProgramFolder::Catalogue::None);
        TestCatalogue catalogue;
        fill(catalogue, products, perCategory);

        const QString pdf = folder.filePath(u"report.pdf"_s);
        ReportDocument document(PreparedReport::make(reportFilePath(report), catalogue.path()));
        document.writePdf(pdf, OutputRules{catalogue.path()});
        const QList<QList<Word>> pages = pdfWords(pdf);
        QVERIFY(pages.size() > 10);

        QStringList listed;
        QStringList headings;
        std::optional<double> firstColumn;
        std::optional<double> lastColumn;
        QList<int> rowsPerPage;
        for (int i = 0; i < pages.size(); ++i) {
            const QList<Word>& words = pages.at(i);
            const qsizetype listedBefore = listed.size();
            QStringList texts;
            for (const Word& word : words)
                texts << word.text;
            const QString text = texts.join(u' ');
            QVERIFY2(text.contains(u"Page %1 of %2"_s.arg(i + 1).arg(pages.size())),
                     qPrintable(u"page %1"_s.arg(i + 1)));
            // The column headings stand at the top of every page, at the same places.
            const qsizetype head = texts.indexOf(heading);
            QVERIFY2(head >= 0 && head < 12, qPrintable(text.left(200)));
            if (!firstColumn)
                firstColumn = words.at(head).x;
            QCOMPARE(words.at(head).x, *firstColumn);
            qsizetype lastHead = -1;
            for (qsizetype w = head + 1; w < words.size(); ++w)
                if (words.at(w).text == lastHeading &&
                    qRound(words.at(w).y) == qRound(words.at(head).y))
                    lastHead = w;
            QVERIFY2(lastHead > head, qPrintable(text.left(200)));
            const double last = words.at(lastHead).x;
            if (!lastColumn)
                lastColumn = last;
            QCOMPARE(last, *lastColumn);
            for (qsizetype w = 0; w < words.size(); ++w) {
                if (words.at(w).text.startsWith(u'T') && words.at(w).text.size() == 6 &&
                    words.at(w).text.mid(1).toInt() > 0)
                    listed << words.at(w).text;
                if (words.at(w).text == u"-"_s && w > 0 && w + 1 < words.size() &&
                    words.at(w + 1).text.startsWith(u"Group"_s))
                    headings << words.at(w + 1).text;
            }
            rowsPerPage << int(listed.size() - listedBefore);
        }
        if (perCategory == 0) {
            // Rows of one line each: every page between the first (which starts with the shop's
            // name) and the last is full, a run's last page included.
            for (int i = 1; i + 1 < pages.size(); ++i)
                QCOMPARE(rowsPerPage.at(i), rowsPerPage.at(1));
        }
        QStringList expected;
        for (int i = 1; i <= products; ++i)
            expected << stockNumber(i);
        // Every row once, in order: none lost or printed twice where one run ends and the next
        // begins.
        QCOMPARE(listed.size(), expected.size());
        QCOMPARE(listed, expected);
        if (perCategory > 0) {
            QStringList groups;
            for (int c = 1; c <= (products + perCategory - 1) / perCategory; ++c)
                groups << u"Group%1"_s.arg(c, 3, 10, QChar(u'0'));
            QCOMPARE(headings, groups);
        }
    }

    // The columns of a table laid out in runs are those of the whole table: the same as where
    // a short table, laid out whole, of the rows with the widest cells puts them.
    void columnsAsTheWholeTable() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::None);
        const auto headingPlaces = [&](const QList<int>& only) {
            TestCatalogue catalogue;
            fill(catalogue, 2400, 0, only);
            const QString pdf = folder.filePath(u"report.pdf"_s);
            ReportDocument document(
                PreparedReport::make(reportFilePath(u"cost1"_s), catalogue.path()));
            document.writePdf(pdf, OutputRules{catalogue.path()});
            const QList<QList<Word>> pages = pdfWords(pdf);
            QList<double> places;
            for (const QList<Word>& page : {pages.first(), pages.last()}) {
                const auto stock = std::find_if(page.cbegin(), page.cend(), [](const Word& word) {
                    return word.text == u"Stock"_s;
                });
                if (stock == page.cend())
                    return places;
                for (const Word& word : page)
                    if (qRound(word.y) == qRound(stock->y) &&
                        QStringList{u"Name"_s, u"Packaging"_s, u"Supplier"_s, u"Cost"_s}.contains(
                            word.text))
                        places << word.x;
            }
            return places;
        };
        // The widest packaging ("10/cs") and the longest name.
        const QList<double> whole = headingPlaces({9, 2390});
        const QList<double> inRuns = headingPlaces({});
        QCOMPARE(whole.size(), 8);
        QCOMPARE(inRuns, whole);
    }

private:
    // A catalogue of `products` products T00001, T00002, ... (or `only` those of them) with
    // names of many lengths, one much longer than the rest near the end (so the columns of the
    // first pages follow from a row laid out long after them); in categories of `perCategory` when
    // that is not 0; each also in the shop's stock.
    static void fill(TestCatalogue& catalogue, int products, int perCategory,
                     const QList<int>& only = {}) {
        ScopedTransaction transaction(catalogue.db());
        for (int i = 1; i <= products; ++i) {
            if (!only.isEmpty() && !only.contains(i))
                continue;
            const QString name = i == products - 10
                                     ? u"Handcrafted Porcelain Bud Vase With Cobalt "_s
                                       u"Glaze Band And Gilded Rim, Boxed"_s
                                     : u"Item %1 %2"_s.arg(i).arg(QString(i % 17, u'x'));
            const int category = perCategory > 0 ? (i - 1) / perCategory + 1 : 0;
            catalogue.add(i, stockNumber(i),
                          {{PC::ProdName, name},
                           {PC::Packaging, u"%1/cs"_s.arg(i % 12 + 1)},
                           {PC::Supplier, u"Supplier %1"_s.arg(i % 7)},
                           {PC::Cost1, 1 + i % 500 / 100.0},
                           {PC::Retail, 2 + i % 900 / 100.0},
                           {PC::Catagory, category > 0 ? QVariant(category) : QVariant()}});
            catalogue.db().run(
                u"INSERT INTO Inventory (\"Product Id\", Description, \"Number\", Cost, "
                u"Retail) VALUES (?, ?, ?, ?, ?)"_s,
                {stockNumber(i), name, i % 9, 10000 + i, 20000 + i});
        }
        for (int c = 1; perCategory > 0 && c <= (products + perCategory - 1) / perCategory; ++c)
            catalogue.db().run(u"INSERT INTO Catagory (CatNum, CatName) VALUES (?, ?)"_s,
                               {QString::number(c), u"Group%1"_s.arg(c, 3, 10, QChar(u'0'))});
        transaction.commit();
    }
};

QTEST_MAIN(LongReportTest)
#include "tst_longreport.moc"
