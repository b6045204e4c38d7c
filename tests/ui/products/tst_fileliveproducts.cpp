// The open screens on a catalogue file follow what another program commits to the file (a batch
// command run beside the window): the boxes, the rows and the preview show it within a moment,
// what the user is typing stays, and the window's own writes are not read a second time.
#include "LiveCatalogue.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/FileChangePoller.h"
#include "core/catalogue/RecordSet.h"
#include "core/files/OpenCatalogues.h"
#include "core/products/PreviewPage.h"
#include "core/storage/CatalogueChanges.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/data/Catagory.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ConnectionStatus.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/ShellState.h"

#include <QSignalSpy>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

QString pageFile() {
    return QString::fromUtf8(readFile(PreviewPage::path()));
}

// Another program's bulk edit of one product; the test fails when it does not succeed.
void editElsewhere(const QString& stockNo, const QStringList& sets) {
    QStringList arguments{u"bulk-edit"_s, u"--db"_s, TestProgramFolder::current().catalogue().path,
                          u"--where"_s, u"StockNo = '"_s + stockNo + u"'"_s};
    for (const QString& set : sets)
        arguments << u"--set"_s << set;
    const CliRun edit = runProgram(arguments);
    if (edit.status != 0)
        QTest::qFail(qPrintable(u"the bulk edit failed: "_s + edit.err), __FILE__, __LINE__);
}

} // namespace

class FileLiveProductsTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

    CatalogueInUse m_watched; // the catalogue the watch below is told is open
    std::unique_ptr<MainStatusBar> m_bar;
    std::unique_ptr<ConnectionStatus> m_status;

    // The window's watch over the catalogue at TestProgramFolder::current().catalogue().path,
    // started as opening it does.
    const FileChangePoller& watch() {
        m_watched = TestProgramFolder::current().catalogue();
        if (!m_status) {
            m_bar = std::make_unique<MainStatusBar>();
            m_status = std::make_unique<ConnectionStatus>(m_bar.get(), m_watched);
        }
        m_status->catalogueOpened();
        return m_status->poller();
    }

    // Waits for the watch's next look at the file; false when none came.
    bool nextLook() {
        QSignalSpy looked(&m_status->poller(), &FileChangePoller::looked);
        return looked.wait(5000);
    }

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() {
        ChildWindows::unloadAll();
        m_status.reset();
        m_bar.reset();
    }

    // Products on show in the large preview after a search, with the grid. Another program
    // reprices the product on show: the box, the grid and the preview show it, on the same
    // product under the same search. A product being typed into keeps the typing, and saving it
    // keeps the other program's change too. The status bar says nothing of a connection, which
    // a file does not have.
    void followsABatchCommand_data() {
        QTest::addColumn<bool>("typing");
        QTest::newRow("looking") << false;
        QTest::newRow("typing") << true;
    }
    void followsABatchCommand() {
        QFETCH(bool, typing);
        LiveCatalogue catalogue(false);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto screen = showProducts(m_shell, true);
        QVERIFY(watch().isConnected());
        m_shell.search.SearchWhere = u"[StockNo] like '*AB*'"_s;
        screen->SearchForIt();
        searchStock(screen.get(), u"AB30"_s);
        RecordSet* products = screen->primaryRecordSet();
        const QString search = products->filter();
        const int count = products->recordCount();
        click(screen.get(), u"cmdGrid"_s);
        const QString retail = box(screen.get(), ProductBox::Retail)->text();
        QVERIFY(retail != u"$12.34"_s);
        if (typing) {
            click(screen.get(), u"cmdEdit"_s);
            type(screen.get(), ProductBox::ProdName, u"Typed Name"_s);
        }
        QSignalSpy gridRead(screen->gridRecordSet(), &RecordSet::rowsReset);

        editElsewhere(u"AB30"_s, {u"Retail=12.34"_s, u"Cost1=7.50"_s});
        QTRY_VERIFY(!gridRead.isEmpty());
        screen->flushPreview();
        QCOMPARE(pageFile().contains(u"Your Cost: $7.50"_s), !typing);
        if (typing) {
            QVERIFY(inEditMode(screen.get()));
            QCOMPARE(box(screen.get(), ProductBox::ProdName)->text(), u"Typed Name"_s);
            QCOMPARE(box(screen.get(), ProductBox::Retail)->text(), retail);
            click(screen.get(), u"cmdUpdate"_s);
            QVERIFY(!inEditMode(screen.get()));
            QCOMPARE(productColumn(u"ProdName"_s, u"AB30"_s), u"Typed Name"_s);
        }
        QCOMPARE(box(screen.get(), ProductBox::Retail)->text(), u"$12.34"_s);
        QCOMPARE(stockNo(screen.get()), u"AB30"_s);
        QCOMPARE(products->filter(), search);
        QCOMPARE(products->recordCount(), count);
        RecordSet* grid = screen->gridRecordSet();
        const int row = grid->positionOfBookmark(products->bookmark());
        QCOMPARE(grid->valueAt(row, grid->fieldIndex(u"Retail"_s)), products->value(u"Retail"_s));
        QCOMPARE(m_bar->panel(2)->text(), u"Status"_s);
    }

    // A write of the window's own is announced as it commits and is not read a second time; a
    // write nobody announced (another connection, as another program makes) is read again,
    // and a record screen shows it, also when the same catalogue is opened again (File > Open
    // on it) between the write and the next look.
    void ownWritesAreNotReadAgain_data() {
        QTest::addColumn<bool>("announced");
        QTest::addColumn<bool>("reopened");
        QTest::newRow("the window's own write") << true << false;
        QTest::newRow("a write nobody announced") << false << false;
        QTest::newRow("a write nobody announced, the catalogue opened again") << false << true;
    }
    void ownWritesAreNotReadAgain() {
        QFETCH(bool, announced);
        QFETCH(bool, reopened);
        LiveCatalogue catalogue(false);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        auto categories =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), m_shell.prompts);
        const FileChangePoller& poller = watch();
        QVERIFY(poller.isConnected());
        QSignalSpy back(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack);
        QSignalSpy looked(&poller, &FileChangePoller::looked);
        const QString sql = u"UPDATE Catagory SET CatName = 'Lamps' WHERE CID = 1"_s;
        if (announced)
            CatalogueDatabase(TestProgramFolder::current().catalogue().path).run(sql);
        else
            QVERIFY(catalogue.writeUntold(sql));
        if (reopened)
            watch();
        // The write is in the file before the next look, which therefore sees it.
        QTRY_VERIFY(!looked.isEmpty());
        QCOMPARE(back.size(), announced ? 0 : 1);
        QCOMPARE(looked.contains(QVariantList{true}), !announced);
        QTRY_COMPARE(box(categories.get(), 1)->text(), u"Lamps"_s);
    }

    // The watch keeps a connection of its own only while a screen has the catalogue open and
    // it is not held off (for a restore, which needs the file alone); it follows files only.
    void connectionFollowsTheScreens() {
        LiveCatalogue catalogue(false);
        m_shell.catalogue = catalogue.folder().catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        const QString path = TestProgramFolder::current().catalogue().path;
        const FileChangePoller& poller = watch();
        QVERIFY(poller.isFollowing());
        QVERIFY(!poller.isConnected());
        QVERIFY(!OpenCatalogues::holding(path));
        auto categories =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), m_shell.prompts);
        QVERIFY(nextLook());
        QVERIFY(poller.isConnected());
        m_status->holdOff();
        QVERIFY(!poller.isConnected());
        QVERIFY(nextLook());
        QVERIFY(!poller.isConnected());
        m_status->resume();
        QVERIFY(nextLook());
        QVERIFY(poller.isConnected());
        categories.reset();
        QVERIFY(nextLook());
        QVERIFY(!poller.isConnected());
        QVERIFY(!OpenCatalogues::holding(path));
        for (const QString& location : {u"postgresql://clerk@shophost/catalogue"_s, QString()}) {
            TestProgramFolder::current().catalogue().path = location;
            QVERIFY2(!watch().isFollowing(), qPrintable(location));
        }
    }
};

QTEST_MAIN(FileLiveProductsTest)
#include "tst_fileliveproducts.moc"
