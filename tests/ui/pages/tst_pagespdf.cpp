// The printed catalogue: written pages through the web engine into a PDF, read back by its page
// and picture objects.
#include "core/pages/CataloguePages.h"
#include "core/pages/DesignerPage.h"
#include "core/pages/PageOptions.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"
#include "ui/browser/WebEngineView.h"
#include "ui/pages/PagesPdf.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
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

// The lines of text of a PDF as laid out on its sheets, each with its runs of blanks made one.
QStringList pdfTextLines(const QString& pdf) {
    QProcess tool;
    tool.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n'))
        if (const QString text = line.simplified(); !text.isEmpty())
            lines << text;
    return lines;
}

// One catalogue page of products (stock number, name) with the demo pictures, either as the
// pages by page number write it or as the page designer does.
QStringList pageOfProducts(const QStringList& stockNumbers, const QStringList& names, bool designer,
                           int perRow, const QString& pagesFolder) {
    QList<PageProduct> products;
    for (qsizetype i = 0; i < stockNumbers.size(); ++i) {
        PageProduct p;
        p.StockNo = stockNumbers[i];
        p.ProdName = names[i];
        p.PageNo = u"1"_s;
        p.Retail = 20;
        p.Cost = {10, 12, {}, {}, {}};
        p.Picture = Pictures.value(i);
        products << p;
    }
    PageOptions o;
    if (designer) {
        PageOptionRules::applyDesignerDefaults(o, QString());
        o.ItemsPerRow = std::int16_t(perRow);
        return DesignerPage::build(products, {}, o, {u"Picture"_s, 1, false, false, {}}).lines;
    }
    CataloguePages::applyRunLayout(o);
    o.ItemsPerRow = std::int16_t(perRow);
    o.PictureSize = u"width"_s;
    o.ImageWidth = 100;
    const CataloguePages::Request request =
        CataloguePages::standardRequest(pagesFolder, u"CatPage"_s, 1, 1, {});
    return CataloguePages::pageLines(products, o, request.cells, u"Page"_s, {}, {}, {});
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

    // A product name that the line beside its picture has too little room for was cut after
    // its first words, which stayed beside the picture while the rest went under it. Each name
    // is one run of text on paper: beside the picture when it fits there whole, else under it.
    void eachNameInOnePiece_data() {
        QTest::addColumn<bool>("designer");
        QTest::addColumn<int>("perRow");
        QTest::addColumn<QStringList>("stockNumbers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("beside"); // the names stand on the line of the stock numbers
        const QStringList longNumbers{u"HINGE-BR-1001"_s, u"TRAY-OAK-2002"_s, u"LAMP-TB-3003"_s,
                                      u"POT-CLAY-4004"_s};
        const QStringList names{u"Brass Cabinet Hinges"_s, u"Oak Serving Tray"_s,
                                u"Tiffany Desk Lamp"_s, u"Clay Herb Pot"_s};
        const QStringList shortNumbers{u"AB1"_s, u"AB2"_s, u"AB3"_s};
        QTest::newRow("by page number, stock numbers above the pictures")
            << false << 4 << longNumbers << names << false;
        QTest::newRow("by page number, three to a row")
            << false << 3 << shortNumbers << names.mid(0, 3) << false;
        QTest::newRow("by page number, room beside the pictures")
            << false << 1 << shortNumbers << names.mid(0, 3) << true;
        QTest::newRow("designer page, item numbers above the pictures")
            << true << 4 << longNumbers << names << false;
    }
    void eachNameInOnePiece() {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFETCH(bool, designer);
        QFETCH(int, perRow);
        QFETCH(QStringList, stockNumbers);
        QFETCH(QStringList, names);
        QFETCH(bool, beside);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        const QStringList lines =
            pageOfProducts(stockNumbers, names, designer, perRow, folder.filePath(u"Pages/"_s));
        folder.writeFile(u"Pages/Page1.htm"_s, lines.join(u"\r\n"_s).toUtf8());
        QString error;
        const QString pdf = folder.filePath(u"catalogue.pdf"_s);
        QVERIFY2(printPagesToPdf({folder.filePath(u"Pages/Page1.htm"_s)}, pdf, {}, &error),
                 qPrintable(error));
        const QStringList text = pdfTextLines(pdf);
        QVERIFY(!text.isEmpty());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const auto whole = std::find_if(text.begin(), text.end(), [&](const QString& line) {
                return line.contains(names[i]);
            });
            QVERIFY2(whole != text.end(),
                     qPrintable(names[i] + u" is cut in:\n"_s + text.join(u'\n')));
            QCOMPARE(whole->contains(stockNumbers[i] + u' ' + names[i]), beside);
        }
    }
};

QTEST_MAIN(PagesPdfTest)
#include "tst_pagespdf.moc"
