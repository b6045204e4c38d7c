#include "PageTestSupport.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/DesignerPage.h"
#include "core/pages/PageOptions.h"

#include <QFile>
#include <QRegularExpression>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

QList<PageProduct> products(int count) {
    QList<PageProduct> list;
    for (int i = 1; i <= count; ++i) {
        list << pageProduct(u"P"_s + QString::number(i), u"1"_s,
                            u"pictures/AB"_s + QString::number(10 + i) + u".jpg"_s, 10 * i, i);
        list.last().Cost[0] = 2.5 * i; // the picture pages show Cost1
    }
    return list;
}

// The options as the designer leaves them after opening with "Use Default Order" pressed.
PageOptions designerOptions(std::int16_t perPage) {
    PageOptions o;
    o.PageTitle = u"Picture Page # tq2002"_s;
    o.FontName = u"Arial"_s;
    o.PictureSize = u"width=100"_s;
    o.ImageBorder = u"1"_s;
    o.ItemsPerPage = perPage;
    PageOptionRules::defaultOrder(o);
    return o;
}

// The navigation buttons of a page as "alt>address".
QStringList buttons(const QStringList& lines) {
    static const QRegularExpression button(
        u"^<a HREF=(.*)><img SRC=\\S+ BORDER=\"0\" ALT=\"([^\"]+)\""_s);
    QStringList found;
    for (const QString& line : lines)
        if (const auto m = button.match(line); m.hasMatch())
            found << m.captured(2) + u'>' + m.captured(1);
    return found;
}

} // namespace

class DesignerPageTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgramFolder> m_folder;

private slots:
    void initTestCase() { m_folder = std::make_unique<TestProgramFolder>(); }
    void init() { ProgramFolder::setOverride(m_folder->path()); }
    void cleanupTestCase() { m_folder.reset(); }

    void pageMatchesExpected_data() {
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("selectMode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page 1 of 3 in select mode, GIF linked to its JPEG, a clip")
            << 3 << 1 << true << u"designer-first.htm"_s;
        QTest::newRow("last page links itself as next")
            << 3 << 3 << false << u"designer-last.htm"_s;
        QTest::newRow("no limit: one page, no buttons, heading without number")
            << 0 << 1 << false << u"designer-single.htm"_s;
    }
    void pageMatchesExpected() {
        QFETCH(int, perPage);
        QFETCH(int, page);
        QFETCH(bool, selectMode);
        QFETCH(QString, expected);
        QList<PageProduct> list = products(7);
        list[0].Picture = u"pictures/AB7.gif"_s;    // its JPEG exists
        list[1].Picture = u"pictures/TL-999.gif"_s; // no JPEG beside it
        list[2].Picture = u"pictures/intro.AVI"_s;
        list[2].ProdDesc = u"<b>Bold</b> & raw"_s;
        list[6].Cost[0] = 100; // above the retail price
        PageOptions o = designerOptions(std::int16_t(perPage));
        o.ItemsPerRow = 3;
        o.FontColor = u"#0000FF"_s;
        o.BoldTag = u"<b>"_s;
        o.CloseTags = u"</b>"_s;
        DesignerPage::State state{u"Catalog Page"_s, page, selectMode, false,
                                  u"<body bgcolor=\"#FFFFCC\">"_s};
        const DesignerPage::Page built = DesignerPage::build(list, {0, 1, 0, 0, 0, 0}, o, state);
        const QByteArray want = expectedPage(expected, m_folder->path());
        QVERIFY(!want.isEmpty());
        QCOMPARE(joinedLines(built.lines), want);
    }

    // First, previous, next and last buttons in the middle of a series, on a single page and
    // past its end (the expected pages above show the first and last pages and no limit);
    // links without a blank in the name are written without quotes.
    void navigationButtons_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("links"); // of the first, previous, next and last buttons
        QTest::newRow("page 2 of 3") << 6 << 2 << 2 << u"Cat1.htm Cat1.htm Cat3.htm Cat3.htm"_s;
        QTest::newRow("10 to a page, 6 items: all four on one page")
            << 6 << 10 << 1 << u"Cat1.htm '' Cat1.htm Cat1.htm"_s;
        QTest::newRow("a page past the end shows the last")
            << 4 << 2 << 9 << u"Cat1.htm Cat1.htm Cat2.htm Cat2.htm"_s;
    }
    void navigationButtons() {
        QFETCH(int, items);
        QFETCH(int, perPage);
        QFETCH(int, page);
        QFETCH(QString, links);
        QStringList expected;
        const QStringList alts{u"First Page>"_s, u"Previous Page>"_s, u"Next Page>"_s,
                               u"Last Page>"_s};
        for (const QString& link : links.split(u' ', Qt::SkipEmptyParts))
            expected << alts.value(expected.size()) + link;
        const auto built =
            DesignerPage::build(products(items), {}, designerOptions(std::int16_t(perPage)),
                                {u"Cat"_s, page, false, false, {}});
        QCOMPARE(buttons(built.lines), expected);
    }

    // The heading carries the page number only when there is more than one page.
    void headingAndCounts_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<int>("pages");
        QTest::newRow("marker, page 3 of 3")
            << u"Picture Page # tq2002"_s << 2 << 3 << u"Picture Page # 3"_s << 3;
        QTest::newRow("marker, one page")
            << u"Spring Sale tq2002"_s << 0 << 1 << u"Spring Sale "_s << 1;
        QTest::newRow("typed form of the marker")
            << u"Sale tq2002-18"_s << 4 << 2 << u"Sale 2"_s << 2;
        QTest::newRow("no marker") << u"Our Lamps"_s << 2 << 2 << u"Our Lamps"_s << 3;
    }
    void headingAndCounts() {
        QFETCH(QString, title);
        QFETCH(int, perPage);
        QFETCH(int, page);
        QFETCH(QString, heading);
        QFETCH(int, pages);
        PageOptions o = designerOptions(std::int16_t(perPage));
        o.PageTitle = title;
        const auto built =
            DesignerPage::build(products(6), {}, o, {u"Cat"_s, page, false, false, {}});
        QCOMPARE(built.heading, heading);
        QVERIFY(built.lines.contains(u"<title>"_s + heading + u"</title>"_s));
        QCOMPARE(DesignerPage::pageCounts(built),
                 u"Total Pictures: 6\nTotal Pages: %1\nCurrent Page: %2"_s.arg(pages).arg(page));
    }

    // Only the ticked products: page 2 holds the third and fourth ticked ones, and no tick at
    // all writes nothing.
    void onlyTickedProducts() {
        PageOptions o = designerOptions(2);
        const QVector<std::int16_t> ticks{1, 0, 1, 0, 1, 1, 0};
        const auto page2 =
            DesignerPage::build(products(7), ticks, o, {u"Cat"_s, 2, true, true, {}});
        QCOMPARE(page2.total, 4);
        QCOMPARE(page2.totalPages, 2);
        const QString text = page2.lines.join(u'\n');
        QVERIFY(text.contains(u"name=CH_3 value=\"ON\" onClick=window.navigate('5') checked>P5"_s));
        QVERIFY(text.contains(u"name=CH_4 value=\"ON\" onClick=window.navigate('6') checked>P6"_s));
        QVERIFY(!text.contains(u">P1<"_s) && !text.contains(u">P3<"_s));
        const auto none = DesignerPage::build(products(7), QVector<std::int16_t>(7, 0), o,
                                              {u"Cat"_s, 1, false, true, {}});
        QVERIFY(none.noneSelected);
        QVERIFY(none.lines.isEmpty());
    }

    void tickAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("place");
        QTest::newRow("file path") << u"/opt/app/Pages/12"_s << 12;
        QTest::newRow("windows path") << u"C:\\Shop\\Pages\\3"_s << 3;
        QTest::newRow("a folder with a dot") << u"/home/a.b/Pages/4"_s << 4;
        QTest::newRow("a page") << u"/opt/app/Pages/Cat2.htm"_s << 0;
        QTest::newRow("no separator") << u"7"_s << 0;
        QTest::newRow("web address") << u"http://www.example.com/x"_s << 0;
        QTest::newRow("not a number") << u"/opt/app/Pages/abc"_s << 0;
    }
    void tickAddresses() {
        QFETCH(QString, address);
        QFETCH(int, place);
        QCOMPARE(DesignerPage::tickAddress(address), place);
    }

    void savedFileNames() {
        QCOMPARE(DesignerPage::savedFileName(u"Catalog Page"_s, 3), u"Catalog Page3.htm"_s);
        QCOMPARE(DesignerPage::savedFileName(u"../Catalog"_s, 3), QString());
        QCOMPARE(DesignerPage::savedFileName(u"x/y"_s, 1), QString());
    }

    // The designer's tick boxes number the products as the Products screen and its thumbnail
    // page do: the same search, in the same order. Stock numbers are texts compared without
    // regard to letter case. Without a search the whole catalogue is taken (its first products
    // are compared).
    void selectionInTheScreensOrder_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("stockNos");
        const QString clocks = u"[Catagory] = 7"_s;
        QTest::newRow("search in stock-number order")
            << clocks << u"StockNo"_s
            << QStringList{u"AB12"_s, u"AB15"_s, u"AB21"_s, u"AB22"_s, u"AB7"_s, u"O'BRIEN-7"_s};
        QTest::newRow("search by retail, highest first")
            << clocks << u"Retail Desc"_s
            << QStringList{u"AB15"_s, u"AB21"_s, u"O'BRIEN-7"_s, u"AB12"_s, u"AB22"_s, u"AB7"_s};
        QTest::newRow("any letter case")
            << u"[StockNo] = 'ab12'"_s << QString() << QStringList{u"AB12"_s};
        QTest::newRow("doubled apostrophe")
            << u"[StockNo] = 'O''Brien-7'"_s << QString() << QStringList{u"O'BRIEN-7"_s};
        QTest::newRow("leading zeros kept")
            << u"[StockNo] = '0012'"_s << QString() << QStringList{u"0012"_s};
        QTest::newRow("a text, not a number")
            << u"[StockNo] = '12'"_s << QString() << QStringList{};
        QTest::newRow("like") << u"[StockNo] like 'ab2*'"_s << u"StockNo Desc"_s
                              << QStringList{u"AB22"_s, u"AB21"_s};
        QTest::newRow("no search, by retail")
            << QString() << u"Retail Desc"_s
            << QStringList{u"LMP-1002"_s, u"LMP-1001"_s, u"AB15"_s, u"AB40"_s};
        QTest::newRow("no search, no sort")
            << QString() << QString() << QStringList{u"0012"_s, u"AB12"_s, u"AB15"_s};
    }
    void selectionInTheScreensOrder() {
        QFETCH(QString, where);
        QFETCH(QString, sort);
        QFETCH(QStringList, stockNos);
        const QString demo = m_folder->filePath(u"demo.mde"_s);
        if (!QFile::exists(demo))
            DemoCatalogue::create(demo);
        QStringList got;
        for (const PageProduct& p : PageProduct::readSelection(demo, where, sort))
            got << p.StockNo;
        QCOMPARE(where.isEmpty() ? got.first(qMin(got.size(), stockNos.size())) : got, stockNos);
    }
};

QTEST_GUILESS_MAIN(DesignerPageTest)
#include "tst_designerpage.moc"
