// The window while the catalogue's server restarts: the status bar says the connection is lost
// and then that it is back, and the open Products screen goes on following other computers.
#include "core/share/CatalogueShare.h"
#include "core/storage/CatalogueChanges.h"
#include "support/core/CliRun.h"
#include "support/core/PrivateCluster.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/ShellState.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Generous: the server stops and starts on a machine busy with other builds.
constexpr int WaitMs = 90000;

} // namespace

class PgServerRestartTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void restartedServer() {
        // A cluster of this test's own: the shared one is never stopped.
        PrivateCluster cluster;
        if (!cluster.isValid())
            QSKIP(qPrintable(u"No private PostgreSQL cluster: "_s + cluster.error()));
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        CatalogueShare::share(folder.cataloguePath(), cluster.uri(), false);
        m_shell.catalogue.path = cluster.uri();
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
        QLabel* status = main.statusPanels()->panel(2);
        auto screen = showProducts(m_shell, true);
        QCOMPARE(stockNo(screen.get()), u"0012"_s);
        QSignalSpy lost(&CatalogueChanges::instance(), &CatalogueChanges::connectionLost);
        QSignalSpy back(&CatalogueChanges::instance(), &CatalogueChanges::connectionBack);

        QVERIFY(cluster.stopServer());
        QVERIFY(lost.wait(WaitMs));
        QCOMPARE(status->text(), u"Connection to the catalogue server lost; changes by other "
                                 u"computers are not shown until it is back."_s);
        QVERIFY(cluster.startServer());
        QVERIFY(back.wait(WaitMs));
        QCOMPARE(status->text(), u"Connection to the catalogue server is back."_s);

        const CliRun edit =
            runProgram({u"bulk-edit"_s, u"--db"_s, cluster.uri(), u"--where"_s,
                        u"StockNo = '0012'"_s, u"--set"_s, u"ProdName=Sea Glass Lamp"_s});
        QCOMPARE(edit.status, 0);
        QTRY_COMPARE_WITH_TIMEOUT(box(screen.get(), ProductBox::ProdName)->text(),
                                  u"Sea Glass Lamp"_s, WaitMs);
        screen->flushPreview();
        QVERIFY(QString::fromUtf8(readFile(folder.filePath(u"page.htm"_s)))
                    .contains(u"Sea Glass Lamp"_s));
        screen.reset();
        ChildWindows::unloadAll();
    }
};

QTEST_MAIN(PgServerRestartTest)
#include "tst_pgserverrestart.moc"
