#include "PageTestSupport.h"
#include "core/base/RunTimeError.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/CataloguePages.h"
#include "core/pages/PageOptions.h"

#include <QDir>
#include <QFile>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
using Status = CataloguePages::FileResult::Status;

namespace {

// Page 2 (one product), page 5 (seven, out of stock-number order, with a GIF picture whose
// JPEG exists, a missing picture, no retail price, a cost above the retail price and
// supplier markup in a description) and page 9.
QList<PageProduct> catalogue() {
    return {
        pageProduct(u"B20"_s, u"2"_s, u"pictures/AB12.jpg"_s, 20, 15),
        pageProduct(u"A07"_s, u"5"_s, u"pictures/AB30.jpg"_s, 7, 6),
        pageProduct(u"A01"_s, u"5"_s, u"pictures\\AB7.gif"_s, 1234.5, 12.5, u"<i>Brass</i>"_s),
        pageProduct(u"A03"_s, u"5"_s, u"pictures\\Gone.jpg"_s, 0.5, 0),
        pageProduct(u"A02"_s, u"5"_s, u"pictures/AB15.jpg"_s, {}, 3),
        pageProduct(u"A04"_s, u"5"_s, u"pictures/AB21.jpg"_s, 10, 12),
        pageProduct(u"A05"_s, u"5"_s, u"pictures/AB22.jpg"_s, 1234, {}),
        pageProduct(u"A06"_s, u"5"_s, QString(), 9.99, 4.5),
        pageProduct(u"C90"_s, u"9"_s, u"pictures/AB31.jpg"_s, 30, 20),
    };
}

} // namespace

class CataloguePagesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgramFolder> m_folder;
    QString m_pages;

    CataloguePages::Request request(int from, int to, const QString& name = u"CatPage"_s) {
        CataloguePages::Request r;
        r.pagesFolder = m_pages;
        r.name = name;
        r.from = from;
        r.to = to;
        r.cells.noPicture = u"Pictures/NoPic.jpg"_s;
        r.cells.orderAddress = u"http://www.example.com/order.htm"_s;
        r.cells.picturePrefix = u"../"_s;
        return r;
    }
    static PageOptions runOptions(std::int16_t perPage) {
        PageOptions o;
        o.PageTitle = u"Spring Sale tq2002"_s;
        o.ItemsPerPage = perPage;
        o.OverwritePages = true;
        CataloguePages::applyRunLayout(o);
        return o;
    }

private slots:
    void initTestCase() {
        m_folder = std::make_unique<TestProgramFolder>();
        m_pages = m_folder->filePath(u"Pages/"_s);
    }
    // Each case starts with a pages folder without pages.
    void init() {
        ProgramFolder::setOverride(m_folder->path());
        QDir pages(m_pages);
        for (const QString& entry : pages.entryList({u"Cat*"_s}, QDir::Files | QDir::Dirs))
            if (!pages.remove(entry))
                QDir(m_pages + entry).removeRecursively();
    }
    void cleanupTestCase() { m_folder.reset(); }

    // Three products to a file: page 5 fills CatPage5, CatPage5-1 and CatPage5-2, chained by
    // their buttons, with the nearest pages that have products before and after; detail pages
    // are numbered through the whole page number.
    void writtenFilesMatchExpected_data() {
        QTest::addColumn<QString>("file"); // written and kept beside the tests
        QTest::newRow("first file: previous page 2, next continuation, savings and cost cells")
            << u"CatPage5.htm"_s;
        QTest::newRow("middle continuation, no picture, no retail, negative saving")
            << u"CatPage5-1.htm"_s;
        QTest::newRow("last continuation links the next page number") << u"CatPage5-2.htm"_s;
        QTest::newRow("highest page number has no next button") << u"CatPage9.htm"_s;
        QTest::newRow("page 2 has no previous button") << u"CatPage2.htm"_s;
        QTest::newRow("detail page of a GIF thumbnail shows its JPEG") << u"CatPageDtl5-1.htm"_s;
        QTest::newRow("detail page without a picture file") << u"CatPageDtl5-3.htm"_s;
    }
    void writtenFilesMatchExpected() {
        QFETCH(QString, file);
        const auto result = CataloguePages::write(catalogue(), runOptions(3), request(1, 9));
        QVERIFY(!result.anyFailed);
        const QByteArray want = expectedPage(file, m_folder->path());
        QVERIFY(!want.isEmpty());
        QCOMPARE(fileBytes(m_pages + file), want);
    }

    // What a run writes to disk and says about each page number; which files there are and how
    // they link is the page plan's own test.
    void filesAndStatuses_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<QStringList>("files"); // catalogue files, "-" for a page without any
        QTest::addColumn<int>("written");
        QTest::newRow("pages 2 and 3, no limit")
            << 2 << 3 << 0 << QStringList{u"CatPage2.htm"_s, u"-"_s} << 2;
        QTest::newRow("page 5 in files of three")
            << 5 << 5 << 3
            << QStringList{u"CatPage5.htm"_s, u"CatPage5-1.htm"_s, u"CatPage5-2.htm"_s} << 10;
    }
    void filesAndStatuses() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, perPage);
        QFETCH(QStringList, files);
        QFETCH(int, written);
        QString progress;
        const auto result =
            CataloguePages::write(catalogue(), runOptions(std::int16_t(perPage)), request(from, to),
                                  {[&](const QString& h) { progress += h; }, {}});
        QStringList got;
        for (const auto& f : result.files)
            got << (f.status == Status::NotFound ? u"-"_s : f.fileName);
        QCOMPARE(got, files);
        QCOMPARE(result.filesWritten, written);
        QCOMPARE(QDir(m_pages).entryList({u"CatPage*"_s}, QDir::Files).size(), written);
        // Nothing of the writing stays behind: no hidden working file or folder.
        QCOMPARE(QDir(m_pages).entryList({u".*"_s}, QDir::AllEntries | QDir::Hidden | QDir::System |
                                                        QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(progress.count(u"Page Not Found!"_s), int(files.count(u"-"_s)));
        QVERIFY(progress.startsWith(u"<font size=5>Working On Page: "_s + QString::number(from)));
    }

    // Four products to a row: a sixth product starts a second row; a row that is exactly full
    // at the end of the file closes with the table.
    void rowsOfFourCells() {
        QList<PageProduct> six;
        for (int i = 1; i <= 6; ++i)
            six << pageProduct(u"R"_s + QString::number(i), u"1"_s, {}, 1, 1);
        PageOptions o = runOptions(0);
        const QStringList lines =
            CataloguePages::pageLines(six, o, request(1, 1).cells, u"T"_s, {}, {}, {});
        QCOMPARE(lines.count(u"<tr>"_s), 2);
        QCOMPARE(lines.count(u"</tr>"_s), 2); // the row break and the closing lines
        const QStringList four =
            CataloguePages::pageLines(six.mid(0, 4), o, request(1, 1).cells, u"T"_s, {}, {}, {});
        QCOMPARE(four.count(u"<tr>"_s), 1);
    }

    // An existing file is replaced only when the user says yes; a declined page keeps its old
    // content and is reported as skipped, not created.
    void existingFileAsksFirst_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes replaces") << true << true;
        QTest::newRow("no keeps the old page") << false << false;
    }
    void existingFileAsksFirst() {
        QFETCH(bool, answer);
        QFETCH(bool, replaced);
        m_folder->writeFile(u"Pages/CatPage9.htm"_s, "old page");
        PageOptions o = runOptions(0);
        o.OverwritePages = false;
        QStringList asked;
        QString progress;
        const auto result = CataloguePages::write(catalogue(), o, request(9, 9),
                                                  {[&](const QString& h) { progress += h; },
                                                   [&](const QString& file) {
                                                       asked << file;
                                                       return answer;
                                                   }});
        QCOMPARE(asked, QStringList{u"CatPage9.htm"_s});
        QCOMPARE(fileBytes(m_pages + u"CatPage9.htm"_s) == "old page", !replaced);
        QCOMPARE(result.files.value(0).status, replaced ? Status::Created : Status::Skipped);
        QCOMPARE(progress.contains(u"Created Page!"_s), replaced);
    }

    // Page names become file names: one that could lead out of the pages folder is refused
    // before anything is written.
    void unsafePageNameRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent folder") << u"../CatPage"_s;
        QTest::newRow("dots inside") << u"Cat..Page"_s;
        QTest::newRow("sub folder") << u"sub/CatPage"_s;
        QTest::newRow("backslash") << u"..\\CatPage"_s;
        QTest::newRow("blank") << u"  "_s;
    }
    void unsafePageNameRefused() {
        QFETCH(QString, name);
        bool refused = false;
        try {
            CataloguePages::write(catalogue(), runOptions(0), request(1, 9, name));
        } catch (const RunTimeError& error) {
            refused = error.number() == ErrorNumber::BadFileName;
        }
        QVERIFY(refused);
        QCOMPARE(QDir(m_pages).entryList({u"*Cat*.htm"_s}, QDir::Files).size(), 0);
        QCOMPARE(QDir(m_folder->path()).entryList({u"*Cat*.htm"_s}, QDir::Files).size(), 0);
    }

    // A file that cannot be written is told as such and does not count as written.
    void unwritableFileReported() {
        QVERIFY(QDir().mkpath(m_pages + u"CatPage9.htm"_s));
        QString progress;
        const auto result = CataloguePages::write(catalogue(), runOptions(0), request(9, 9),
                                                  {[&](const QString& h) { progress += h; }, {}});
        QVERIFY(result.anyFailed);
        QCOMPARE(result.files.value(0).status, Status::Failed);
        QVERIFY(progress.contains(u"Page Not Written!"_s));
        QVERIFY(!progress.contains(u"Created Page!"_s));
    }

    // A catalogue where a page of the run would go stops the run before any page is written:
    // the open catalogue under a detail page's name, another catalogue under a page's name.
    void catalogueInTheWay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("open");
        QTest::newRow("the open catalogue as a detail page") << u"CatPageDtl9-1.htm"_s << true;
        QTest::newRow("another catalogue as the page") << u"CatPage9.htm"_s << false;
    }
    void catalogueInTheWay() {
        QFETCH(QString, file);
        QFETCH(bool, open);
        const QByteArray catalogueBytes = QByteArray("SQLite format 3\0", 16) + "tables";
        m_folder->writeFile(u"Pages/"_s + file, catalogueBytes);
        CataloguePages::Request r = request(8, 9);
        if (open)
            r.output.openCatalogue = m_pages + file;
        bool refused = false;
        try {
            CataloguePages::write(catalogue(), runOptions(0), r);
        } catch (const RunTimeError& error) {
            refused = error.description().contains(file);
        }
        QVERIFY(refused);
        QCOMPARE(QDir(m_pages).entryList({u"Cat*"_s}, QDir::Files), QStringList{file});
        QFile written(m_pages + file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), catalogueBytes);
    }

    // A cost that was never filled in (empty, or the zero an import leaves) is not published,
    // nor a saving of the whole retail price; a product without a retail price has no saving.
    void costAndSavingsLines_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QVariant>("retail");
        QTest::addColumn<QVariant>("cost");
        QTest::addColumn<QString>("costLine");    // empty: no such line
        QTest::addColumn<QString>("savingsLine"); // the amount only
        const int byNumber = int(CellMarkup::Style::ByPageNumber);
        const int picture = int(CellMarkup::Style::PicturePage);
        QTest::newRow("by number, cost and retail")
            << byNumber << QVariant(20) << QVariant(15) << u"Your Cost: $15.00</font><br>"_s
            << u"$5.00"_s;
        QTest::newRow("by number, empty cost")
            << byNumber << QVariant(20) << QVariant() << QString() << QString();
        QTest::newRow("by number, empty text cost")
            << byNumber << QVariant(20) << QVariant(u""_s) << QString() << QString();
        QTest::newRow("by number, zero cost")
            << byNumber << QVariant(29.95) << QVariant(0) << QString() << QString();
        QTest::newRow("by number, no retail") << byNumber << QVariant() << QVariant(3)
                                              << u"Your Cost: $3.00</font><br>"_s << QString();
        QTest::newRow("picture page, cost and retail")
            << picture << QVariant(40) << QVariant(10) << u"Your Cost: $10.00</font><br>"_s
            << u"$30.00"_s;
        QTest::newRow("picture page, zero cost")
            << picture << QVariant(40) << QVariant(0.0) << QString() << QString();
    }
    void costAndSavingsLines() {
        QFETCH(int, style);
        QFETCH(QVariant, retail);
        QFETCH(QVariant, cost);
        QFETCH(QString, costLine);
        QFETCH(QString, savingsLine);
        PageProduct p = pageProduct(u"S1"_s, u"1"_s, {}, retail, cost);
        p.Cost[0] = cost; // the picture pages show Cost1, the runs the chosen level (Cost2)
        CellMarkup cells = request(1, 1).cells;
        cells.style = CellMarkup::Style(style);
        const QStringList lines = cells.elements(p, runOptions(0), u"d.htm"_s);
        QCOMPARE(lines.filter(u"Your Cost"_s),
                 costLine.isEmpty() ? QStringList{} : QStringList{costLine});
        const QStringList savings = lines.filter(u"Savings: "_s);
        QCOMPARE(savings.size(), savingsLine.isEmpty() ? 0 : 1);
        if (!savingsLine.isEmpty())
            QVERIFY2(savings.first().contains(u"Savings: "_s + savingsLine),
                     qPrintable(savings.first()));
    }

    // Pictures on written pages are named from the page, so that the pages work once uploaded:
    // never the local program folder, never "\" or a letter case the disk does not have.
    void pictureAddressesAreRelativeToThePage_data() {
        QTest::addColumn<QString>("pages"); // the pages folder inside the program folder
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("link");
        QTest::newRow("missing picture, default pages folder")
            << u"Pages/"_s << u"pictures/Gone.jpg"_s << u"../pictures/NoPic.jpg"_s
            << u"../pictures/NoPic.jpg"_s;
        QTest::newRow("no picture, pages in the program folder")
            << QString() << QString() << u"pictures/NoPic.jpg"_s << u"pictures/NoPic.jpg"_s;
        QTest::newRow("no picture, folder two down")
            << u"Pages/sub/"_s << QString() << u"../../pictures/NoPic.jpg"_s
            << u"../../pictures/NoPic.jpg"_s;
        QTest::newRow("backslash and other letter case")
            << u"Pages/"_s << u"PICTURES\\AB12.jpg"_s << u"../pictures/AB12.jpg"_s
            << u"../pictures/AB12.jpg"_s;
        QTest::newRow("full path in the program folder")
            << u"Pages/"_s << u"@pictures/AB12.jpg"_s << u"../pictures/AB12.jpg"_s
            << u"../pictures/AB12.jpg"_s;
        QTest::newRow("GIF links its JPEG") << u"Pages/"_s << u"pictures\\AB7.gif"_s
                                            << u"../pictures/AB7.gif"_s << u"../pictures/AB7.jpg"_s;
    }
    void pictureAddressesAreRelativeToThePage() {
        QFETCH(QString, pages);
        QFETCH(QString, picture);
        QFETCH(QString, source);
        QFETCH(QString, link);
        picture.replace(u"@"_s, m_folder->path());
        QVERIFY(QDir().mkpath(m_folder->filePath(pages)));
        const CataloguePages::Request r = CataloguePages::standardRequest(
            m_folder->filePath(pages), u"CatPage"_s, 1, 1, m_folder->catalogue().path);
        const CellMarkup::Picture placed =
            r.cells.pictureOf(pageProduct(u"P"_s, u"1"_s, picture, 1, 1));
        QCOMPARE(placed.source, source);
        QCOMPARE(placed.link, link);
    }

    void highestPageNumberIsNumeric() {
        QList<PageProduct> products = catalogue();
        products << pageProduct(u"X"_s, u"10"_s, {}, 1, 1)
                 << pageProduct(u"Y"_s, u"n/a"_s, {}, 1, 1);
        // "9" sorts above "10" as text; the highest page is still 10.
        QCOMPARE(CataloguePages::highestPageNumber(products), 10);
        QCOMPARE(CataloguePages::highestPageNumber({}), 0);
    }
};

QTEST_GUILESS_MAIN(CataloguePagesTest)
#include "tst_cataloguepages.moc"
