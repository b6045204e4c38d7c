// The File menu's work beside the catalogue: Import opens the import screen on its tasks (also
// from the button bar and the keyboard), and the results of Save As and Back Up Now pass by on
// the status bar without changing its panels.
#include "core/backup/CatalogueBackup.h"
#include "core/products/SearchInForce.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/import/BuildDB.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

class FileMenuTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<FrmMain> m_main;
    // The search in force the import screen works on.
    SearchInForce m_search;
    // The hand-off the window and the import screen share.
    TaskScreenHandoff m_tasks;

    FrmMain* loadMain() {
        m_main = std::make_unique<FrmMain>(m_folder->catalogue(), m_tasks, m_promptsInUse);
        m_main->setExitHandler([] {});
        m_main->MDIForm_Load();
        return m_main.get();
    }
    BuildDB* importScreen() { return qobject_cast<BuildDB*>(ChildWindows::find(u"BuildDB"_s)); }

private slots:
    void initTestCase() {
        quietenPlatformNotes();
        ChildWindows::registerScreen(u"BuildDB"_s, [this] {
            return new BuildDB(TestProgramFolder::current().catalogue(), m_promptsInUse, m_search,
                               m_tasks);
        });
    }
    void init() {
        m_folder = std::make_unique<TestProgramFolder>(TestProgramFolder::Catalogue::Demo);
        m_prompts = std::make_unique<ScriptedPrompts>(m_promptsInUse);
        m_tasks.buildMode = 0;
    }
    void cleanup() {
        ChildWindows::unloadAll();
        m_main.reset();
        QCOMPARE(m_prompts->unanswered(), 0);
        m_prompts.reset();
        m_folder.reset();
    }

    // File > Import, its button and Alt+F then I open the import screen on the page of its
    // tasks; an import screen open already keeps the page it is on (the one deleting the
    // selection, say) and is not opened twice.
    void importOpensTheTasks_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("deletingOpen");
        QTest::newRow("menu") << u"menu"_s << false;
        QTest::newRow("button") << u"button"_s << false;
        // Had another File entry the same access key, I would only select the entry, not run it.
        QTest::newRow("Alt+F, I") << u"keys"_s << false;
        QTest::newRow("menu, deleting open already") << u"menu"_s << true;
        QTest::newRow("button, deleting open already") << u"button"_s << true;
    }
    void importOpensTheTasks() {
        QFETCH(QString, way);
        QFETCH(bool, deletingOpen);
        FrmMain* main = loadMain();
        // The import screen takes its page as it first shows.
        main->show();
        if (deletingOpen) {
            m_tasks.buildMode = 0;
            ChildWindows::show(u"BuildDB"_s);
            QVERIFY(importScreen());
            QCOMPARE(importScreen()->taskPage(), std::int16_t(0));
        }
        QWidget* before = importScreen();
        if (way == u"menu"_s) {
            QAction* entry = main->entry(u"mnuFileImport"_s);
            QVERIFY(entry);
            entry->trigger();
        } else if (way == u"button"_s) {
            QAction* button = main->buttonBar()->button(u"IMPORT"_s);
            QVERIFY(button);
            QCOMPARE(button->toolTip(), u"Import A Supplier File"_s);
            button->trigger();
        } else {
            QApplication::setActiveWindow(main);
            QVERIFY(QTest::qWaitForWindowActive(main));
            QTest::keyClick(main, Qt::Key_F, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_I);
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
        BuildDB* screen = importScreen();
        QVERIFY(screen);
        QCOMPARE(ChildWindows::openScreens().count(u"BuildDB"_s), 1);
        if (deletingOpen) {
            QCOMPARE(screen, before);
            QCOMPARE(screen->taskPage(), std::int16_t(0));
            return;
        }
        QCOMPARE(screen->taskPage(), std::int16_t(1));
        QCOMPARE(screen->windowTitle(), u"Add & Edit Records"_s);
        QVERIFY(control<QWidget>(screen, u"Frame1"_s)->isVisible());
    }

    // Save As and Back Up Now tell where the copy went as a message that passes; the panels
    // keep their own texts all the while and show again once it has passed. A lost connection
    // to the catalogue's server is shown at once, over a result passing by.
    void resultsPassBy_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("then"); // "pass": it passes; "lost": the server goes
        QTest::newRow("Save DataBase As") << u"mnuFileSaveAs"_s << u"pass"_s;
        QTest::newRow("Back Up Now, then the connection lost") << u"mnuFileBackup"_s << u"lost"_s;
    }
    void resultsPassBy() {
        QFETCH(QString, entry);
        QFETCH(QString, then);
        FrmMain* main = loadMain();
        main->show();
        MainStatusBar* bar = main->statusPanels();
        const QString name = bar->panel(1)->text();
        QCOMPARE(bar->panel(2)->text(), u"Status"_s);
        QString told;
        if (entry == u"mnuFileSaveAs"_s) {
            m_prompts->answerSaveFile(m_folder->filePath(u"copy1"_s));
            told = u"Saved a copy as "_s + m_folder->filePath(u"copy1.mde"_s);
        } else {
            m_prompts->answerMessage(MessageAnswer::Ok);
            CatalogueBackup::setClock([] { return QDate(2026, 3, 4); });
            told = u"Backed up to "_s + m_folder->filePath(u"Backups/tovin2003-a-2026-03-04.mde"_s);
        }
        QSignalSpy messages(bar, &QStatusBar::messageChanged);
        main->entry(entry)->trigger();
        CatalogueBackup::setClock({});
        QCOMPARE(bar->currentMessage(), told);
        QCOMPARE(bar->panel(1)->text(), name);
        QCOMPARE(bar->panel(2)->text(), u"Status"_s);
        if (then == u"lost"_s) {
            QVERIFY(!bar->panel(2)->isVisible());
            bar->showConnectionLost(u"server closed the connection"_s);
            QCOMPARE(bar->currentMessage(), QString());
            QVERIFY(bar->panel(2)->isVisible());
            QCOMPARE(bar->panel(2)->text(), MainStatusBar::LostText);
            return;
        }
        QVERIFY(messages.wait(MainStatusBar::PassingMs * 4));
        QCOMPARE(messages.last().value(0).toString(), QString());
        QCOMPARE(bar->currentMessage(), QString());
        QVERIFY(bar->panel(1)->isVisible() && bar->panel(2)->isVisible());
        QCOMPARE(bar->panel(2)->text(), u"Status"_s);
    }
};

QTEST_MAIN(FileMenuTest)
#include "tst_filemenu.moc"
