// The Products screen's preview follows a write to the product on show made through another
// connection to the catalogue file (another screen, a task of the window), and only that.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/products/PreviewPage.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

QString pageFile() {
    return QString::fromUtf8(readFile(PreviewPage::path()));
}

// How many times the screen sent its view to the preview page it had just written.
qsizetype previewRenders(Products& screen) {
    return fakeWeb(screen)->navigations().count(PreviewPage::path());
}

} // namespace

class LivePreviewTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() { ChildWindows::unloadAll(); }

    // The large preview shows the name and the cost. The screen learns of every written row; it
    // writes its page again only for the product on show, once nobody types into it and while
    // the page is what the view shows.
    void followsWritesToTheProductOnShow_data() {
        QTest::addColumn<QString>("written"); // the stock number of the row written elsewhere
        QTest::addColumn<QString>("before");  // what the user does first
        QTest::addColumn<bool>("rendered");
        QTest::newRow("the product on show") << u"0012"_s << QString() << true;
        QTest::newRow("another product") << u"AB7"_s << QString() << false;
        QTest::newRow("the product on show, typed into") << u"0012"_s << u"typing"_s << false;
        QTest::newRow("the product on show, help on show") << u"0012"_s << u"help"_s << false;
    }
    void followsWritesToTheProductOnShow() {
        QFETCH(QString, written);
        QFETCH(QString, before);
        QFETCH(bool, rendered);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell, true);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        QVERIFY(pageFile().contains(u"Your Cost: $.95"_s));
        if (before == u"typing"_s) {
            click(screen.get(), u"cmdEdit"_s);
            type(screen.get(), ProductBox::ProdName, u"Typed Name"_s);
        } else if (before == u"help"_s) {
            // Paging through the help, away from its first page.
            click(screen.get(), u"Command16"_s);
            QTest::keyClick(screen.get(), Qt::Key_Down);
        }
        screen->flushPreview();
        const qsizetype renders = previewRenders(*screen);
        const QString shown = fakeWeb(*screen)->lastNavigation();

        QSignalSpy told(screen->primaryRecordSet(), &RecordSet::rowUpdated);
        CatalogueDatabase(TestProgramFolder::current().catalogue().path)
            .run(u"UPDATE Products SET ProdName = 'Sea Glass Lamp', Cost1 = 75000 "
                 u"WHERE StockNo = ?"_s,
                 {written});
        QCOMPARE(told.size(), 1);
        screen->flushPreview();
        QCOMPARE(previewRenders(*screen) - renders, rendered ? 1 : 0);
        if (!rendered)
            QCOMPARE(fakeWeb(*screen)->lastNavigation(), shown);
        QCOMPARE(pageFile().contains(u"Sea Glass Lamp"_s), rendered);
        QCOMPARE(pageFile().contains(u"Your Cost: $7.50"_s), rendered);

        if (before != u"typing"_s)
            return;
        // The typing stays; dropping it shows the product, and its preview, as they are now.
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Typed Name"_s);
        click(screen.get(), u"cmdCancel"_s);
        click(screen.get(), u"cmdShowPic"_s);
        screen->flushPreview();
        QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Sea Glass Lamp"_s);
        QVERIFY(pageFile().contains(u"Sea Glass Lamp"_s));
        QVERIFY(pageFile().contains(u"Your Cost: $7.50"_s));
    }
};

QTEST_MAIN(LivePreviewTest)
#include "tst_livepreview.moc"
