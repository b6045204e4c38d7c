#include "PageTestSupport.h"
#include "core/pages/PagePlan.h"

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Products written as "stock number@PageNo".
QList<PageProduct> productsOf(const QStringList& written) {
    QList<PageProduct> products;
    for (const QString& product : written)
        products << pageProduct(product.section(u'@', 0, 0), product.section(u'@', 1), {}, 1, 1);
    return products;
}

// One line per file: its name, its products by stock number, "<" previous, ">" next; "p: -"
// for a page number without files.
QStringList describe(const PagePlan& plan, const QList<PageProduct>& products) {
    QStringList lines;
    for (const PagePlan::Page& page : plan.pages()) {
        if (page.files.isEmpty())
            lines << QString::number(page.number) + u": -"_s;
        for (const PagePlan::File& file : page.files) {
            QStringList stock;
            for (const qsizetype i : file.products)
                stock << products[i].StockNo;
            lines << file.fileName + u' ' + stock.join(u',') + u" <"_s + file.previous + u" >"_s +
                         file.next;
        }
    }
    return lines;
}

} // namespace

class PagePlanTest : public QObject {
    Q_OBJECT

private slots:
    void filesAndLinks_data() {
        QTest::addColumn<QStringList>("products");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("perFile");
        QTest::addColumn<QStringList>("files");
        const QStringList four{u"D@1"_s, u"B@1"_s, u"C@1"_s, u"A@1"_s};
        QTest::newRow("no products: every page number without a file")
            << QStringList() << 1 << 2 << 3 << QStringList{u"1: -"_s, u"2: -"_s};
        QTest::newRow("exactly one file full")
            << four.mid(0, 3) << 1 << 1 << 3 << QStringList{u"CatPage1.htm B,C,D < >"_s};
        QTest::newRow("one over the limit starts a continuation file")
            << four << 1 << 1 << 3
            << QStringList{u"CatPage1.htm A,B,C < >CatPage1-1.htm"_s,
                           u"CatPage1-1.htm D <CatPage1.htm >"_s};
        QTest::newRow("no limit: one file")
            << four << 1 << 1 << 0 << QStringList{u"CatPage1.htm A,B,C,D < >"_s};
        QTest::newRow("continuations chain between the neighbouring pages")
            << QStringList{u"X@2"_s, u"D@5"_s, u"C@5"_s, u"B@5"_s, u"A@5"_s, u"E@5"_s, u"Z@9"_s}
            << 2 << 9 << 2
            << QStringList{u"CatPage2.htm X < >CatPage5.htm"_s,
                           u"3: -"_s,
                           u"4: -"_s,
                           u"CatPage5.htm A,B <CatPage2.htm >CatPage5-1.htm"_s,
                           u"CatPage5-1.htm C,D <CatPage5.htm >CatPage5-2.htm"_s,
                           u"CatPage5-2.htm E <CatPage5-1.htm >CatPage9.htm"_s,
                           u"6: -"_s,
                           u"7: -"_s,
                           u"8: -"_s,
                           u"CatPage9.htm Z <CatPage5.htm >"_s};
        QTest::newRow("neighbours outside the range are still linked")
            << QStringList{u"X@2"_s, u"A@5"_s, u"Z@9"_s} << 5 << 5 << 0
            << QStringList{u"CatPage5.htm A <CatPage2.htm >CatPage9.htm"_s};
        QTest::newRow("page 0 is no previous page")
            << QStringList{u"Y@0"_s, u"A@1"_s} << 0 << 1 << 0
            << QStringList{u"CatPage0.htm Y < >CatPage1.htm"_s, u"CatPage1.htm A < >"_s};
        QTest::newRow("only whole page numbers of 0 or more count")
            << QStringList{u"A@ 2 "_s, u"B@2.5"_s, u"C@-2"_s, u"D@two"_s, u"E@"_s} << -2 << 2 << 0
            << QStringList{u"-2: -"_s, u"-1: -"_s, u"0: -"_s, u"1: -"_s, u"CatPage2.htm A < >"_s};
        QTest::newRow("page 10 follows page 9 by number")
            << QStringList{u"A@9"_s, u"B@10"_s} << 9 << 9 << 0
            << QStringList{u"CatPage9.htm A < >CatPage10.htm"_s};
        QTest::newRow("an empty range plans nothing") << four << 2 << 1 << 0 << QStringList();
    }
    void filesAndLinks() {
        QFETCH(QStringList, products);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, perFile);
        QFETCH(QStringList, files);
        const QList<PageProduct> list = productsOf(products);
        const PagePlan plan = PagePlan::make(list, {u"CatPage"_s, from, to, perFile, false});
        QCOMPARE(describe(plan, list), files);
    }

    // Detail pages are numbered through the whole page number and lead back to its first file;
    // the files are checked page by page, catalogue files first.
    void detailPages_data() {
        QTest::addColumn<bool>("details");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("with detail pages")
            << true
            << QStringList{u"P3.htm"_s,      u"P3-1.htm"_s,    u"P3-2.htm"_s,    u"PDtl3-1.htm"_s,
                           u"PDtl3-2.htm"_s, u"PDtl3-3.htm"_s, u"PDtl3-4.htm"_s, u"PDtl3-5.htm"_s,
                           u"P4.htm"_s,      u"PDtl4-1.htm"_s};
        QTest::newRow("without") << false
                                 << QStringList{u"P3.htm"_s, u"P3-1.htm"_s, u"P3-2.htm"_s,
                                                u"P4.htm"_s};
    }
    void detailPages() {
        QFETCH(bool, details);
        QFETCH(QStringList, names);
        const QList<PageProduct> list =
            productsOf({u"A@3"_s, u"B@3"_s, u"C@3"_s, u"D@3"_s, u"E@3"_s, u"F@4"_s});
        const PagePlan plan = PagePlan::make(list, {u"P"_s, 3, 4, 2, details});
        QCOMPARE(plan.fileNames(), names);
        const PagePlan::File& second = plan.pages().at(0).files.at(1);
        const QStringList secondDetails =
            details ? QStringList{u"PDtl3-3.htm"_s, u"PDtl3-4.htm"_s} : QStringList();
        QCOMPARE(second.detailFiles, secondDetails);
        QCOMPARE(second.mainFile, u"P3.htm"_s);
        QCOMPARE(second.label, u"3-1"_s);
    }

    // The progress shows one dot for each page number the neighbour search walked through:
    // down to the page before (or to 1), up to the page after (or to the highest).
    void numbersTried_data() {
        QTest::addColumn<QStringList>("products");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("tried");
        QTest::newRow("between pages 2 and 9")
            << QStringList{u"A@2"_s, u"B@5"_s, u"C@9"_s} << 5 << 3 + 4;
        QTest::newRow("lowest page walks down to 1")
            << QStringList{u"B@5"_s, u"C@9"_s} << 5 << 4 + 4;
        QTest::newRow("highest page looks no further") << QStringList{u"A@2"_s, u"B@5"_s} << 5 << 3;
        QTest::newRow("page 1 looks only up") << QStringList{u"A@1"_s, u"B@3"_s} << 1 << 2;
    }
    void numbersTried() {
        QFETCH(QStringList, products);
        QFETCH(int, page);
        QFETCH(int, tried);
        const PagePlan plan = PagePlan::make(productsOf(products), {u"P"_s, page, page, 0, false});
        QCOMPARE(plan.pages().value(0).numbersTried, tried);
    }
};

QTEST_GUILESS_MAIN(PagePlanTest)
#include "tst_pageplan.moc"
