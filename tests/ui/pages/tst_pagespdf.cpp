// The printed catalogue: written pages through the web engine into a PDF, read back by its page
// and picture objects.
#include "core/pages/CataloguePages.h"
#include "core/pages/PageOptions.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"
#include "ui/browser/WebEngineView.h"
#include "ui/pages/PagesPdf.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

const QStringList Pictures{
    u"pictures/AB12.jpg"_s, u"pictures/AB15.jpg"_s,   u"pictures/AB21.jpg"_s,
    u"pictures/AB22.jpg"_s, u"pictures/AB30.jpg"_s,   u"pictures/AB31.jpg"_s,
    u"pictures/AB33.jpg"_s, u"pictures/AB40.jpg"_s,   u"pictures/AB45.jpg"_s,
    u"pictures/AB50.jpg"_s, u"pictures/GD-601.jpg"_s, u"pictures/GD-605.jpg"_s};

qsizetype countOf(const QByteArray& pdf, const QString& pattern) {
    const QRegularExpression re(pattern);
    return QString::fromLatin1(pdf).count(re);
}

} // namespace

class PagesPdfTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private slots:
    // Every catalogue page on one sheet of its own, however long; each product picture in the
    // PDF (also one stored the Windows way); no navigation, details or order button.
    void aSheetPerPageWithItsPictures_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("perRow");
        QTest::newRow("two short pages") << 2 << 2 << 4;
        QTest::newRow("a page far taller than a sheet") << 1 << 12 << 1;
        QTest::newRow("a tall page between short ones") << 3 << 4 << 1;
    }
    void aSheetPerPageWithItsPictures() {
        QFETCH(int, pages);
        QFETCH(int, perPage);
        QFETCH(int, perRow);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        const QString pagesFolder = folder.filePath(u"Pages/"_s);
        PageOptions o;
        CataloguePages::applyRunLayout(o);
        o.ItemsPerRow = std::int16_t(perRow);
        o.PictureSize = u"width"_s;
        o.ImageWidth = 100;
        const CataloguePages::Request request =
            CataloguePages::standardRequest(pagesFolder, u"CatPage"_s, 1, pages, {});

        QStringList files;
        int picture = 0;
        for (int page = 1; page <= pages; ++page) {
            QList<PageProduct> products;
            for (int i = 0; i < perPage; ++i, ++picture) {
                PageProduct p;
                p.StockNo = u"S"_s + QString::number(picture);
                p.ProdName = u"Product "_s + QString::number(picture);
                p.PageNo = QString::number(page);
                p.Retail = 20;
                p.Cost = {10, 12, {}, {}, {}};
                // The first product's picture as an import from Windows data names it.
                p.Picture = picture == 0 ? u"PICTURES\\AB12.jpg"_s : Pictures.value(picture);
                products << p;
            }
            const QString file = pagesFolder + u"CatPage"_s + QString::number(page) + u".htm"_s;
            const QStringList lines = CataloguePages::pageLines(
                products, o, request.cells, u"Page"_s, page > 1 ? u"CatPage1.htm"_s : QString(),
                page < pages ? u"CatPage2.htm"_s : QString(), {u"d.htm"_s});
            folder.writeFile(u"Pages/CatPage"_s + QString::number(page) + u".htm"_s,
                             lines.join(u"\r\n"_s).toUtf8());
            files << file;
        }
        QString error;
        const QString pdf = folder.filePath(u"catalogue.pdf"_s);
        QVERIFY2(printPagesToPdf(files, pdf, {}, &error), qPrintable(error));
        const QByteArray bytes = fileBytes(pdf);
        QCOMPARE(countOf(bytes, u"/Type\\s*/Page(?!s)"_s), qsizetype(pages));
        // One image object per product picture: none missing, no button pictures.
        QCOMPARE(countOf(bytes, u"/Subtype\\s*/Image"_s), qsizetype(pages * perPage));
    }
};

QTEST_MAIN(PagesPdfTest)
#include "tst_pagespdf.moc"
