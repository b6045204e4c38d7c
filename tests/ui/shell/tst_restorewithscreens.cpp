// File > Restore with the window's real screens open on the catalogue: they are closed and let go
// of the file before it is replaced, so the restore is done, not refused as still in use.
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/shell/BackupActions.h"
#include "ui/shell/BackupListDialog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
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
        QTest::addColumn<QStringList>("screens");
        QTest::newRow("Products") << QStringList{u"Products"_s};
        QTest::newRow("Products and categories") << QStringList{u"Products"_s, u"Catagory"_s};
    }
    void screensOpenOnTheCatalogue() {
        QFETCH(QStringList, screens);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        const qint64 before = productCount(TestProgramFolder::current().catalogue().path);
        prompts.answerMessage(MessageAnswer::Ok);
        QVERIFY(!BackupActions::backUpNow(m_shell.prompts,
                                          TestProgramFolder::current().catalogue().path)
                     .isEmpty());
        dbRun(u"DELETE FROM Products WHERE StockNo = 'AB12'"_s);
        for (const QString& screen : screens)
            QVERIFY(ChildWindows::show(screen));

        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<BackupListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClick(dialog->findChild<QTreeWidget*>(u"lstBackups"_s), Qt::Key_Return);
        });
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        QVERIFY(BackupActions::restoreFromBackup(m_shell.prompts, nullptr,
                                                 TestProgramFolder::current().catalogue().path));
        const QString told = prompts.shownTexts().last();
        QVERIFY2(told.startsWith(u"The catalogue was restored from"_s), qPrintable(told));
        QCOMPARE(productCount(TestProgramFolder::current().catalogue().path), before);
        QVERIFY(ChildWindows::openScreens().isEmpty());
    }
};

QTEST_MAIN(RestoreWithScreensTest)
#include "tst_restorewithscreens.moc"
