#include "core/base/RunTimeError.h"
#include "core/files/ProgramFolder.h"
#include "core/products/CoalescedAction.h"
#include "core/products/PreviewPage.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {
PreviewProduct product(const QString& stockNo, const QString& picture) {
    PreviewProduct p;
    p.StockNo = stockNo;
    p.Picture = picture;
    return p;
}
} // namespace

class PreviewPageTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestProgramFolder> m_folder;

private slots:
    void initTestCase() { m_folder = std::make_unique<test::TestProgramFolder>(); }
    void init() {
        ProgramFolder::setOverride(m_folder->path());
        QFile::remove(PreviewPage::path());
        QDir().rmdir(PreviewPage::path());
    }
    void cleanupTestCase() { m_folder.reset(); }

    // The preview switch's caption picks the page size: "View Mode" the small one, any other
    // caption the large one.
    void pageMatchesExpectedFile_data() {
        QTest::addColumn<PreviewProduct>("product");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expectedFile");
        const PreviewProduct brassLamp{
            u"AB7"_s, u"12"_s,     u"Brass Lamp"_s,       u"A brass desk lamp & shade"_s,
            1234.5,   u"1 Each"_s, u"Pictures\\AB7.gif"_s};
        QTest::newRow("small preview, gif thumbnail")
            << brassLamp << u"View Mode"_s << u"small-picture.htm"_s;
        QTest::newRow("large preview links the jpg of a gif")
            << brassLamp << u"Edit Mode"_s << u"large-gif.htm"_s;
        const PreviewProduct capitals{
            u"AB7"_s, u"3"_s, u"Lamp"_s, u"Small"_s, 0.99, u"Dozen"_s, u"pictures/AB7.GIF"_s};
        const PreviewProduct noPicture{u"X1"_s, {}, u"No Picture Yet"_s, {}, {}, {}, {}};
        QTest::newRow("capital GIF is not rewritten, cost below one")
            << capitals << u"view mode"_s << u"large-gif-capitals.htm"_s;
        QTest::newRow("empty picture path, no cost")
            << noPicture << u"Edit Mode"_s << u"large-nopicture.htm"_s;
        QTest::newRow("missing picture file") << product(u"ZAB3"_s, u"Pictures\\Gone.jpg"_s)
                                              << u"View Mode"_s << u"small-nopicture.htm"_s;
    }
    void pageMatchesExpectedFile() {
        QFETCH(PreviewProduct, product);
        QFETCH(QString, caption);
        QFETCH(QString, expectedFile);
        const QString written = PreviewPage::write(product, PreviewPage::sizeForCaption(caption),
                                                   m_folder->cataloguePath());
        QCOMPARE(written, m_folder->filePath(u"page.htm"_s));
        QByteArray expected =
            test::fileBytes(test::testSourceDir() + u"/core/products/expected/"_s + expectedFile);
        QVERIFY(!expected.isEmpty());
        expected.replace("%APPFOLDER%", m_folder->path().toUtf8());
        QCOMPARE(test::fileBytes(written), expected);
    }

    void unwritablePageRaisesError_data() {
        QTest::addColumn<QString>("appFolder");
        QTest::addColumn<bool>("pageIsFolder");
        QTest::addColumn<bool>("pageIsCatalogue");
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("program folder gone") << u"gone/"_s << false << false << 76;
        QTest::newRow("page.htm is a folder") << QString() << true << false << 75;
        QTest::newRow("page.htm is the open catalogue") << QString() << false << true << 75;
    }
    void unwritablePageRaisesError() {
        QFETCH(QString, appFolder);
        QFETCH(bool, pageIsFolder);
        QFETCH(bool, pageIsCatalogue);
        QFETCH(int, errorNumber);
        ProgramFolder::setOverride(m_folder->path() + appFolder);
        if (pageIsFolder)
            QVERIFY(QDir().mkpath(m_folder->filePath(u"page.htm/"_s)));
        const QByteArray before = "<html>the catalogue's bytes</html>";
        if (pageIsCatalogue)
            m_folder->writeFile(u"page.htm"_s, before);
        const QString openCatalogue =
            pageIsCatalogue ? m_folder->filePath(u"page.htm"_s) : m_folder->cataloguePath();
        bool raised = false;
        try {
            PreviewPage::write(product(u"AB7"_s, QString()), PreviewPage::Size::Large,
                               openCatalogue);
        } catch (const RunTimeError& error) {
            raised = true;
            QCOMPARE(error.number(), errorNumber);
        }
        if (pageIsCatalogue)
            QCOMPARE(test::fileBytes(m_folder->filePath(u"page.htm"_s)), before);
        QVERIFY(raised);
    }

    // The screen renders only the row the user stops on; the page still ends up showing it.
    void burstOfMovesLeavesTheLastProduct() {
        QString current;
        int renders = 0;
        CoalescedAction render(
            [&] {
                ++renders;
                PreviewPage::write(product(current, QString()), PreviewPage::Size::Large,
                                   m_folder->cataloguePath());
            },
            5);
        QSignalSpy ran(&render, &CoalescedAction::ran);
        for (int row = 1; row <= 50; ++row) {
            current = u"P"_s + QString::number(row);
            render.request();
        }
        QVERIFY(ran.wait());
        QVERIFY(renders >= 1 && renders < 50);
        QVERIFY(!render.isPending());
        QVERIFY(test::fileBytes(PreviewPage::path()).contains("alt=\"P50\""));
    }

    // A flush writes the pending page at once; a cancelled one is never written.
    void flushWritesNowCancelWritesNothing_data() {
        QTest::addColumn<bool>("flush");
        QTest::newRow("flush") << true;
        QTest::newRow("cancel") << false;
    }
    void flushWritesNowCancelWritesNothing() {
        QFETCH(bool, flush);
        QStringList written;
        CoalescedAction render([&] { written << u"P1"_s; }, 5);
        render.request();
        if (flush)
            render.flush();
        else
            render.cancel();
        QVERIFY(!render.isPending());
        QCOMPARE(written, flush ? QStringList{u"P1"_s} : QStringList());
        // A later action, due after the first would have been: once it has run, the event loop
        // has passed the time the first was due.
        CoalescedAction later([&] { written << u"P2"_s; }, 20);
        QSignalSpy laterRan(&later, &CoalescedAction::ran);
        later.request();
        QVERIFY(laterRan.wait());
        QCOMPARE(written, flush ? (QStringList{u"P1"_s, u"P2"_s}) : QStringList{u"P2"_s});
    }
};

QTEST_GUILESS_MAIN(PreviewPageTest)
#include "tst_previewpage.moc"
