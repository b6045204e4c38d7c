// File > Restore in the window with its real screens open on the catalogue file: they and the
// window's watch over the file let go of it before it is replaced, so the restore is done, not
// refused as still in use; afterwards the Products screen opens again and the watch takes the
// file up again.
#include "core/catalogue/FileChangePoller.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/shell/BackupListDialog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ConnectionStatus.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/ShellState.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

class RestoreWithScreensTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
        ChildWindows::registerScreen(u"Products"_s,
                                     [this] { return new Products(fakeWebOptions(m_shell)); });
    }
    void cleanup() { ChildWindows::unloadAll(); }

    void screensOpenOnTheCatalogue_data() {
        QTest::addColumn<QStringList>("screens"); // opened beside the window's Products screen
        QTest::newRow("Products") << QStringList{};
        QTest::newRow("Products and categories") << QStringList{u"Catagory"_s};
    }
    void screensOpenOnTheCatalogue() {
        QFETCH(QStringList, screens);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        const qint64 before = productCount(folder.cataloguePath());
        FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
        main.setExitHandler([] {});
        main.MDIForm_Load(); // takes the day's backup and opens the Products screen
        for (const QString& screen : screens)
            QVERIFY(ChildWindows::show(screen));
        QCOMPARE(ChildWindows::openScreens().size(), 1 + screens.size());
        dbRun(u"DELETE FROM Products WHERE StockNo = 'AB12'"_s);
        const FileChangePoller& poller = main.findChild<ConnectionStatus*>()->poller();
        QSignalSpy looked(&poller, &FileChangePoller::looked);
        QVERIFY(looked.wait(5000));
        QVERIFY(poller.isConnected());

        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<BackupListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClick(dialog->findChild<QTreeWidget*>(u"lstBackups"_s), Qt::Key_Return);
        });
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        main.entry(u"mnuFileRestore"_s)->trigger();
        const QString told = prompts.shownTexts().last();
        QVERIFY2(told.startsWith(u"The catalogue was restored from"_s), qPrintable(told));
        QCOMPARE(productCount(folder.cataloguePath()), before);
        QCOMPARE(ChildWindows::openScreens(), QStringList{u"Products"_s});
        QVERIFY(looked.wait(5000));
        QVERIFY(poller.isConnected());
    }
};

QTEST_MAIN(RestoreWithScreensTest)
#include "tst_restorewithscreens.moc"
