#include "DummyScreen.h"
#include "core/backup/CatalogueBackup.h"
#include "core/base/EventWait.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/TaskScreenHandoff.h"
#include "core/shell/WindowPlacement.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/BackupListDialog.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::DummyScreen;

using Texts = QHash<QString, QString>;

// "Key=value Key=value" as a table of setting texts.
static Texts texts(const QString& pairs) {
    Texts table;
    for (const QString& pair : pairs.split(u' ', Qt::SkipEmptyParts))
        table.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    return table;
}

class FrmMainTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    // What the window hands its task screens; it outlives the window.
    TaskScreenHandoff m_tasks;
    std::unique_ptr<FrmMain> m_main;
    int m_exits = 0;

    SettingsStore& settings() { return SettingsStore::program(); }

    // A main window over a fresh program folder whose settings hold `stored`.
    FrmMain* loadMain(const Texts& stored = {}) {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings().setValue(u"Settings"_s, it.key(), it.value());
        m_main = std::make_unique<FrmMain>(m_folder->catalogue(), m_tasks, m_promptsInUse);
        m_main->setExitHandler([this] { ++m_exits; });
        m_main->MDIForm_Load();
        return m_main.get();
    }
    QAction* entry(const QString& name) {
        QAction* action = m_main->entry(name);
        if (!action)
            QTest::qFail(qPrintable(u"No entry "_s + name), __FILE__, __LINE__);
        return action;
    }
    QAction* button(const QString& key) { return m_main->buttonBar()->button(key); }
    // The command of the current row: from the menu, or from the button bar.
    static void menuOrButtonRows() {
        QTest::addColumn<bool>("fromButton");
        QTest::newRow("menu") << false;
        QTest::newRow("button") << true;
    }
    void trigger(const QString& entryName, const QString& buttonKey) {
        QFETCH(bool, fromButton);
        (fromButton ? button(buttonKey) : entry(entryName))->trigger();
    }

private slots:
    void initTestCase() {
        // Screens another part of the program would register; the rest stay unregistered.
        for (const QString& name : {u"Products"_s, u"frmSupplier"_s, u"Catagory"_s})
            DummyScreen::registerAs(name);
    }
    void init() {
        // The stand-in screens never open the catalogue; only its path matters here.
        m_folder = std::make_unique<test::TestProgramFolder>(
            test::TestProgramFolder::Catalogue::None, false);
        m_prompts = std::make_unique<test::ScriptedPrompts>(m_promptsInUse);
        DummyScreen::reset();
        m_exits = 0;
    }
    void cleanup() {
        QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone again
        m_main.reset();
        QTest::qWait(0);
        QCOMPARE(m_prompts->unanswered(), 0);
        m_prompts.reset();
        m_folder.reset();
    }

    void loadRestoresTheWindow_data() {
        QTest::addColumn<QString>("stored");
        // -1 for a value of the first-start placement; a null rectangle for anywhere on the screen
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("barsShown");
        QTest::addColumn<bool>("captions");
        QTest::addColumn<QString>("dbPath"); // "" for the default catalogue
        const QRect initial(-1, -1, -1, -1);
        QTest::newRow("first start") << QString() << initial << true << true << QString();
        QTest::newRow("stored values")
            << u"MainLeft=1500 MainTop=3000 MainWidth=9000 MainHeight=7500 StatusVis=False "
               u"ButtonVis=False ButtonTxt=False DBName=/data/shop.mdb"_s
            << QRect(100, 200, 600, 500) << false << false << u"/data/shop.mdb"_s;
        QTest::newRow("empty catalogue name")
            << u"DBName="_s << initial << true << true << QString();
        // A value that does not convert leaves the window's own value and the load goes on.
        QTest::newRow("broken values")
            << u"MainLeft=left MainWidth=9000 StatusVis=maybe ButtonTxt=sometimes"_s
            << QRect(0, -1, 600, -1) << true << true << QString();
        // A stored placement off every screen, or larger than the screen, opens on the screen.
        QTest::newRow("screen gone to the left")
            << u"MainLeft=-75000 MainTop=1500 MainWidth=6000 MainHeight=6000"_s << QRect() << true
            << true << QString();
        QTest::newRow("title bar above the screen")
            << u"MainLeft=1500 MainTop=-3000 MainWidth=6000 MainHeight=6000"_s << QRect() << true
            << true << QString();
        QTest::newRow("far right and larger than the screen")
            << u"MainLeft=150000 MainTop=0 MainWidth=60000 MainHeight=45000"_s << QRect() << true
            << true << QString();
    }
    void loadRestoresTheWindow() {
        QFETCH(QString, stored);
        QFETCH(QRect, geometry);
        QFETCH(bool, barsShown);
        QFETCH(bool, captions);
        QFETCH(QString, dbPath);
        m_folder->catalogue().path.clear();
        FrmMain* main = loadMain(texts(stored));
        // Without stored values the window opens where the Products screen shows whole.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect first = WindowPlacement::firstStart(screen);
        const auto pick = [](int value, int firstStart) { return value < 0 ? firstStart : value; };
        const QRect placed(main->pos(), main->size());
        if (geometry.isNull())
            QVERIFY2(screen.contains(placed), QTest::toString(placed));
        else
            QCOMPARE(placed, QRect(pick(geometry.x(), first.x()), pick(geometry.y(), first.y()),
                                   pick(geometry.width(), first.width()),
                                   pick(geometry.height(), first.height())));
        QCOMPARE(!main->statusPanels()->isHidden(), barsShown);
        QCOMPARE(!main->buttonBar()->isHidden(), barsShown);
        QCOMPARE(entry(u"mnuButtonBar"_s)->isChecked(), barsShown);
        QCOMPARE(entry(u"mnuBText"_s)->isChecked(), captions);
        QCOMPARE(button(u"RESTORE"_s)->text(), captions ? u"Text!"_s : QString());
        const QString expected = dbPath.isEmpty() ? m_folder->cataloguePath() : dbPath;
        QCOMPARE(m_folder->catalogue().path, expected);
        QCOMPARE(main->windowTitle(), expected);
        // The first activation brings the View menu's ticks in line with the bars; later ones
        // leave them.
        entry(u"mnuButtonBar"_s)->setChecked(!barsShown);
        main->MDIForm_Activate();
        QCOMPARE(entry(u"mnuButtonBar"_s)->isChecked(), barsShown);
        entry(u"mnuButtonBar"_s)->setChecked(!barsShown);
        main->MDIForm_Activate();
        QCOMPARE(entry(u"mnuButtonBar"_s)->isChecked(), !barsShown);
        entry(u"mnuButtonBar"_s)->setChecked(barsShown);
        // Unregistered screens and the browser have no dead entries; the reports are there.
        QVERIFY(main->entry(u"mnuDatafrmSupplier"_s) && main->entry(u"mnuR8"_s));
        for (const QString& name : {u"mnuDatafrmSetup"_s, u"mnuViewWebBrowser"_s})
            QVERIFY2(!main->entry(name), qPrintable(name));
        MainStatusBar* bar = main->statusPanels();
        QCOMPARE(bar->panel(3)->text(),
                 QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        bar->panel(4)->setText(u"stopped"_s);
        QTRY_VERIFY(bar->panel(4)->text() != u"stopped"_s); // the clock keeps going
        QVERIFY(ChildWindows::find(u"Products"_s));         // opened from inside the load
    }

    // A window closed maximised opens maximised; the placement saved is the one it had before
    // and goes back to when restored.
    void maximisedWindowKeepsItsPlacement_data() {
        QTest::addColumn<bool>("storedMaximised");
        QTest::addColumn<bool>("maximiseBeforeClosing");
        QTest::newRow("maximised by the user") << false << true;
        QTest::newRow("opened maximised, closed so") << true << true;
        QTest::newRow("opened maximised, restored") << true << false;
        QTest::newRow("never maximised") << false << false;
    }
    void maximisedWindowKeepsItsPlacement() {
        QFETCH(bool, storedMaximised);
        QFETCH(bool, maximiseBeforeClosing);
        const Texts placement =
            texts(u"MainLeft=1500 MainTop=1500 MainWidth=9000 MainHeight=6000"_s);
        Texts stored = placement;
        stored.insert(u"MainMaximized"_s, storedMaximised ? u"True"_s : u"False"_s);
        FrmMain* main = loadMain(stored);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTRY_COMPARE(main->isMaximized(), storedMaximised);
        if (maximiseBeforeClosing)
            main->showMaximized();
        else
            main->showNormal();
        QTRY_COMPARE(main->isMaximized(), maximiseBeforeClosing);
        if (!maximiseBeforeClosing)
            QTRY_COMPARE(main->size(), QSize(600, 400));
        QVERIFY(main->close());
        SettingsStore reread(m_folder->settingsFile());
        for (auto it = placement.cbegin(); it != placement.cend(); ++it)
            QCOMPARE(reread.value(u"Settings"_s, it.key(), u"<none>"_s), it.value());
        QCOMPARE(reread.value(u"Settings"_s, u"MainMaximized"_s, u"<none>"_s),
                 maximiseBeforeClosing ? u"True"_s : u"False"_s);
    }

    // Closing saves the window unless it is minimised, and not while a screen refuses to close.
    void closingSavesUnlessMinimised_data() {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("normal") << false;
        QTest::newRow("minimised") << true;
    }
    void closingSavesUnlessMinimised() {
        QFETCH(bool, minimised);
        const Texts before =
            texts(u"MainLeft=1500 MainTop=1500 MainWidth=6000 MainHeight=6000 "
                  u"StatusVis=True ButtonVis=True ButtonTxt=True DBName=/old/shop.mdb"_s);
        FrmMain* main = loadMain(before);
        main->move(300, 200);
        main->resize(640, 480);
        entry(u"mnuViewStatusBar"_s)->trigger();
        entry(u"mnuBText"_s)->trigger();
        m_folder->catalogue().path = u"/new/shop.mdb"_s;
        if (minimised)
            main->showMinimized();
        const auto expectStored = [this](const Texts& expected) {
            SettingsStore reread(m_folder->settingsFile());
            for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                QCOMPARE(reread.value(u"Settings"_s, it.key(), u"<none>"_s), it.value());
        };
        DummyScreen::refuseClose = true; // a screen with unsaved work keeps the program open
        QVERIFY(!main->close());
        expectStored(before);
        DummyScreen::refuseClose = false;
        QVERIFY(main->close());
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), 1); // children close first
        const Texts after =
            texts(u"MainLeft=4500 MainTop=3000 MainWidth=9600 MainHeight=7200 "
                  u"StatusVis=False ButtonVis=True ButtonTxt=False DBName=/new/shop.mdb"_s);
        expectStored(minimised ? before : after);
    }

    // Open Database takes a catalogue and opens the Products screen on it; anything else is
    // refused in plain words, and the open catalogue stays.
    void openDatabase_data() {
        QTest::addColumn<QString>("chosen");  // "" cancels
        QTest::addColumn<QString>("refusal"); // a part of the notice; "" when the file opens
        QTest::addColumn<bool>("productsRefuses");
        QTest::newRow("cancelled") << QString() << QString() << false;
        QTest::newRow("catalogue") << u"other.mde"_s << QString() << false;
        QTest::newRow("text file") << u"notes.mdb"_s << u"is not a catalogue."_s << false;
        QTest::newRow("access file")
            << u"<access>"_s << u"does not hold a catalogue: it lacks the tables"_s << false;
        QTest::newRow("Products keeps its catalogue") << u"other.mde"_s << QString() << true;
    }
    void openDatabase() {
        QFETCH(QString, chosen);
        QFETCH(QString, refusal);
        QFETCH(bool, productsRefuses);
        CatalogueDatabase::create(m_folder->cataloguePath());
        CatalogueDatabase::create(m_folder->filePath(u"other.mde"_s));
        m_folder->writeFile(u"notes.mdb"_s, "StockNo,ProdName\nAB7,Brass Lamp\n");
        QString path = chosen.isEmpty() ? QString() : m_folder->filePath(chosen);
        if (chosen == u"<access>"_s)
            path = test::testDataDir() + u"/mdb/barcode_inventory_jet4.mdb"_s;
        FrmMain* main = loadMain();
        const QString before = m_folder->cataloguePath();
        main->setWindowTitle(u"changed"_s);
        m_prompts->answerOpenFile(path);
        if (!refusal.isEmpty())
            m_prompts->answerMessage(MessageAnswer::Ok);
        DummyScreen::refuseClose = productsRefuses;
        entry(u"mnuFileOpen"_s)->trigger();
        DummyScreen::refuseClose = false;
        const auto& request = m_prompts->shown().first().request;
        QCOMPARE(request.filter, u"DataBases|*.mde;*.mdb;*.accdb"_s);
        QCOMPARE(request.fileName, QString());
        const bool opened = !path.isEmpty() && refusal.isEmpty() && !productsRefuses;
        if (!refusal.isEmpty()) {
            const auto& notice = m_prompts->shown().last();
            QVERIFY2(notice.text.contains(refusal), qPrintable(notice.text));
            QVERIFY2(notice.text.contains(u"The catalogue "_s + before + u" stays open."_s),
                     qPrintable(notice.text));
        }
        const QString expected = opened ? path : before;
        QCOMPARE(m_folder->catalogue().path, expected);
        QCOMPARE(main->windowTitle(), expected);
        // The Products screen that was open shows the catalogue now open.
        QCOMPARE(DummyScreen::made.value(u"Products"_s), opened ? 2 : 1);
        QCOMPARE(DummyScreen::madeOn.value(u"Products"_s), expected);
        QVERIFY(ChildWindows::find(u"Products"_s));
        // The path saved for the next start is the catalogue in use.
        QVERIFY(main->close());
        QCOMPARE(
            SettingsStore(m_folder->settingsFile()).value(u"Settings"_s, u"DBName"_s, QString()),
            expected);
    }

    // Every menu and entry has its own access key within its menu, and the captions keep
    // their words.
    void menusHaveAccessKeys() {
        FrmMain* main = loadMain();
        const auto checkKeys = [](const QList<QAction*>& actions, const QString& where) {
            QSet<QChar> keys;
            for (QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const QString text = action->text();
                const qsizetype at = text.indexOf(u'&');
                QVERIFY2(at >= 0 && at + 1 < text.size() && text.at(at + 1).isLetterOrNumber() &&
                             text.count(u'&') == 1,
                         qPrintable(where + u": "_s + text));
                const QChar key = text.at(at + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(where + u": "_s + text));
                keys.insert(key);
            }
        };
        const QList<QAction*> menus = main->menuBar()->actions();
        checkKeys(menus, u"menu bar"_s);
        QStringList captions;
        for (QAction* menu : menus) {
            checkKeys(menu->menu()->actions(), menu->text());
            QStringList entries;
            for (QAction* action : menu->menu()->actions())
                if (!action->isSeparator())
                    entries << QString(action->text()).remove(u'&');
            captions << QString(menu->text()).remove(u'&') + u": "_s + entries.join(u", "_s);
        }
        QCOMPARE(captions.first(), u"File: Open Database, Open Shared Catalogue..., Save DataBase "
                                   u"As, Back Up Now, Restore From Backup, Close Active Form, "
                                   u"Exit"_s);
        QVERIFY(captions.contains(u"Window: Cascade, Tile Horizontal, Tile Vertical, "
                                  u"Arrange Icons"_s));
    }

    // The keyboard reaches the commands with no screen open: F10 or Alt with a menu's key
    // opens the menu, and an entry's key runs it. Save DataBase As, reached so with the Products
    // screen open, copies the catalogue from the catalogue's folder, keeps the screen open and
    // says where the copy went.
    void keyboardReachesTheMenus_data() {
        QTest::addColumn<QString>("opening"); // "F10" or a menu's access key with Alt
        QTest::addColumn<QString>("keys");    // typed in the open menu
        QTest::addColumn<QString>("effect");
        QTest::newRow("F10, Exit") << u"F10"_s << u"x"_s << u"exit"_s;
        QTest::newRow("Alt+F, Exit") << u"f"_s << u"x"_s << u"exit"_s;
        QTest::newRow("Alt+O, Supplier") << u"o"_s << u"u"_s << u"supplier"_s;
        QTest::newRow("F10, on to View, Button Bar") << u"F10"_s << u"<Right>b"_s << u"bar"_s;
        QTest::newRow("Alt+F, Save DataBase As") << u"f"_s << u"s"_s << u"saved"_s;
    }
    void keyboardReachesTheMenus() {
        QFETCH(QString, opening);
        QFETCH(QString, keys);
        QFETCH(QString, effect);
        const QString copy = m_folder->filePath(u"backup1.mde"_s);
        if (effect == u"saved"_s) {
            CatalogueDatabase::create(m_folder->cataloguePath());
            m_prompts->answerSaveFile(m_folder->filePath(u"backup1"_s));
        }
        FrmMain* main = loadMain();
        if (effect != u"saved"_s)
            ChildWindows::unload(u"Products"_s);
        main->show();
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        if (opening == u"F10"_s)
            QTest::keyClick(main, Qt::Key_F10);
        else
            QTest::keyClick(main, opening.at(0).toLatin1(), Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(QApplication::activePopupWidget()->objectName(),
                 opening == u"o"_s ? u"mnuData"_s : u"mnuFile"_s);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QWidget* menu = QApplication::activePopupWidget();
            QVERIFY(menu);
            if (keys.mid(i).startsWith(u"<Right>"_s)) {
                QTest::keyClick(menu, Qt::Key_Right);
                i += 6;
                QTRY_VERIFY(QApplication::activePopupWidget() != menu);
            } else {
                QTest::keyClick(menu, keys.at(i).toLatin1());
            }
        }
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(m_exits, effect == u"exit"_s ? 1 : 0);
        QCOMPARE(ChildWindows::find(u"frmSupplier"_s) != nullptr, effect == u"supplier"_s);
        QCOMPARE(main->buttonBar()->isHidden(), effect == u"bar"_s);
        if (effect != u"saved"_s)
            return;
        QTRY_COMPARE(main->statusPanels()->currentMessage(), u"Saved a copy as "_s + copy);
        QCOMPARE(QDir(m_prompts->shown().first().request.folder), QDir(m_folder->path()));
        QVERIFY(QFileInfo::exists(copy));
        QCOMPARE(m_folder->catalogue().path, m_folder->cataloguePath());
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), 0);
        QCOMPARE(ChildWindows::openScreens().size(), 1);
    }

    // The catalogue at the default path with `count` products.
    void fillCatalogue(int count) {
        CatalogueDatabase db(m_folder->cataloguePath());
        db.run(u"DELETE FROM Products"_s);
        for (int i = 0; i < count; ++i)
            db.run(u"INSERT INTO Products (StockNo) VALUES (?)"_s, {u"P%1"_s.arg(i)});
    }
    QString copyOn(int day) const {
        return m_folder->filePath(
            u"Backups/tovin2003-a-2026-03-%1.mde"_s.arg(day, 2, 10, QChar(u'0')));
    }

    // The day's copy is taken at the first opening; File > Back Up Now takes one at once and
    // says where. Restore From Backup lists the copies, asks (No is the default) and, on Yes,
    // closes the screens, puts the chosen copy in place and opens the Products screen again.
    void backUpNowAndRestoreFromTheFileMenu_data() {
        QTest::addColumn<bool>("agree");
        QTest::newRow("restored") << true;
        QTest::newRow("declined") << false;
    }
    void backUpNowAndRestoreFromTheFileMenu() {
        QFETCH(bool, agree);
        int day = 2;
        CatalogueBackup::setClock([&day] { return QDate(2026, 3, day); });
        CatalogueDatabase::create(m_folder->cataloguePath());
        fillCatalogue(2);
        loadMain();
        QVERIFY(QFileInfo::exists(copyOn(2)));
        fillCatalogue(3);
        day = 3;
        m_prompts->answerMessage(MessageAnswer::Ok);
        entry(u"mnuFileBackup"_s)->trigger();
        QVERIFY2(m_prompts->shownTexts().last().contains(copyOn(3)),
                 qPrintable(m_prompts->shownTexts().last()));
        QCOMPARE(test::productCount(copyOn(3)), qint64(3));
        fillCatalogue(0);

        // The copies, newest first; Down and Enter take the older one.
        QStringList listed;
        QTimer::singleShot(0, this, [&listed] {
            auto* dialog = qobject_cast<BackupListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* list = dialog->findChild<QTreeWidget*>(u"lstBackups"_s);
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                listed << list->topLevelItem(row)->text(2);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        m_prompts->answerMessage(agree ? MessageAnswer::Yes : MessageAnswer::No);
        if (agree)
            m_prompts->answerMessage(MessageAnswer::Ok);
        entry(u"mnuFileRestore"_s)->trigger();
        CatalogueBackup::setClock({});
        QCOMPARE(listed, (QStringList{u"3"_s, u"2"_s}));
        const auto question = m_prompts->shown().at(1);
        QVERIFY2(question.text.contains(u"tovin2003-a-2026-03-02.mde"_s),
                 qPrintable(question.text));
        QCOMPARE(question.defaultButton, MessageDefault::Second);
        QCOMPARE(test::productCount(m_folder->cataloguePath()), agree ? 2 : 0);
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), agree ? 1 : 0);
        QCOMPARE(DummyScreen::made.value(u"Products"_s), agree ? 2 : 1);
        QVERIFY(ChildWindows::find(u"Products"_s));
    }

    // A backup that cannot be written (a file stands where the Backups folder would be) is told
    // once, and the catalogue opens all the same.
    void failedDailyBackupIsToldOnce() {
        CatalogueDatabase::create(m_folder->cataloguePath());
        m_folder->writeFile(u"Backups"_s, "in the way");
        m_prompts->answerMessage(MessageAnswer::Ok);
        FrmMain* main = loadMain();
        QCOMPARE(m_prompts->shown().size(), 1);
        QVERIFY2(m_prompts->shownTexts().first().contains(u"No backup of "_s),
                 qPrintable(m_prompts->shownTexts().first()));
        m_prompts->answerOpenFile(m_folder->cataloguePath());
        entry(u"mnuFileOpen"_s)->trigger();
        QCOMPARE(m_prompts->shown().size(), 2); // the file dialog, no second notice
        QCOMPARE(main->windowTitle(), m_folder->cataloguePath());
        QCOMPARE(DummyScreen::made.value(u"Products"_s), 2);
    }

    // A screen waiting for another drops its procedure when the program closes: by Exit, from
    // the menu or the button, or by the main window closing, but not when a screen refused that
    // close. Exit ends the program as it stands: no screen is closed and nothing is saved.
    void waitsAreAbandonedWhenClosing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("abandoned");
        QTest::newRow("Exit from the menu") << u"mnuFileExit"_s << true;
        QTest::newRow("Exit from the button") << u"IMAGE1"_s << true;
        QTest::newRow("main window closes") << u"close"_s << true;
        QTest::newRow("close refused by a screen") << u"refused"_s << false;
    }
    void waitsAreAbandonedWhenClosing() {
        QFETCH(QString, how);
        QFETCH(bool, abandoned);
        const bool exit = how != u"close"_s && how != u"refused"_s;
        FrmMain* main = loadMain();
        main->show();
        entry(u"mnuViewStatusBar"_s)->trigger();
        DummyScreen::refuseClose = how == u"refused"_s;
        bool answered = false;
        QTimer closing;
        closing.setSingleShot(true);
        connect(&closing, &QTimer::timeout, this, [&] {
            if (exit)
                (how == u"IMAGE1"_s ? button(how) : entry(how))->trigger();
            else
                main->close();
            DummyScreen::refuseClose = false;
            // What the user would do next if the program stayed open.
            QTimer::singleShot(0, this, [&answered] { answered = true; });
        });
        closing.start(0);
        QCOMPARE(waitUntil([&] { return answered; }), !abandoned);
        QCOMPARE(m_exits, exit ? 1 : 0);
        if (exit) {
            QVERIFY(main->isVisible());
            QCOMPARE(DummyScreen::closed.value(u"Products"_s), 0);
            QVERIFY(
                !SettingsStore(m_folder->settingsFile()).contains(u"Settings"_s, u"StatusVis"_s));
        }
    }

    // Button Text takes the captions off the buttons and back; each bar's entry hides and shows
    // it and leaves the other bar alone.
    void viewToggles() {
        FrmMain* main = loadMain();
        main->show();
        entry(u"mnuBText"_s)->trigger();
        QVERIFY(!entry(u"mnuBText"_s)->isChecked());
        for (QAction* a : main->buttonBar()->buttons())
            QCOMPARE(a->text(), QString());
        entry(u"mnuBText"_s)->trigger();
        QCOMPARE(button(u"RESTORE"_s)->text(), u"Text!"_s);
        QCOMPARE(button(u"RESTORELABELS"_s)->text(), u"Labels "_s);
        const QString entries[] = {u"mnuViewStatusBar"_s, u"mnuButtonBar"_s};
        QWidget* bars[] = {main->statusPanels(), main->buttonBar()};
        for (int i : {0, 1})
            for (bool shown : {false, true}) {
                entry(entries[i])->trigger();
                QCOMPARE(bars[i]->isVisible(), shown);
                QCOMPARE(entry(entries[i])->isChecked(), shown);
                QVERIFY(bars[1 - i]->isVisible());
            }
    }

    void oneInstancePerScreen_data() {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<QString>("buttonKey");
        QTest::addColumn<QString>("screen");
        QTest::newRow("supplier") << u"mnuDatafrmSupplier"_s << u"BOOK01B"_s << u"frmSupplier"_s;
        QTest::newRow("catagory") << u"mnuDataCatagory"_s << u"NOTE06"_s << u"Catagory"_s;
    }
    void oneInstancePerScreen() {
        QFETCH(QString, entryName);
        QFETCH(QString, buttonKey);
        QFETCH(QString, screen);
        FrmMain* main = loadMain();
        entry(entryName)->trigger();
        QWidget* first = ChildWindows::find(screen);
        QVERIFY(first);
        ChildWindows::show(u"Products"_s); // something else in front
        button(buttonKey)->trigger();
        entry(entryName)->trigger();
        QCOMPARE(DummyScreen::made.value(screen), 1);
        QCOMPARE(ChildWindows::find(screen), first);
        QCOMPARE(main->mdiArea()->currentSubWindow()->widget(), first);
    }

    // A screen that closed itself is gone at once, though Qt deletes it only later: loading
    // its name makes a new one, which the old one's deletion leaves in place. (The catalogue's
    // next order line must not go to the orders screen its last Update closed.)
    void aClosedScreenIsNotHandedOutAgain() {
        loadMain();
        QWidget* first = ChildWindows::show(u"frmSupplier"_s);
        QVERIFY(first);
        QVERIFY(first->close());
        QVERIFY(!ChildWindows::find(u"frmSupplier"_s));
        QVERIFY(!ChildWindows::openScreens().contains(u"frmSupplier"_s));
        QWidget* second = ChildWindows::load(u"frmSupplier"_s);
        QVERIFY(second && second != first);
        QCOMPARE(DummyScreen::made.value(u"frmSupplier"_s), 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(ChildWindows::find(u"frmSupplier"_s), second);
        QCOMPARE(ChildWindows::nameOf(second), u"frmSupplier"_s);
    }

    // The Window menu lists the open screens in the order they were opened, the one in front
    // checked; choosing one brings it to the front (restored when minimised). File Close, or the
    // screen closing itself, takes the screen and its frame, and it is no longer listed.
    void windowMenuListsTheScreens_data() {
        QTest::addColumn<QString>("minimise");
        QTest::addColumn<QString>("close"); // a screen closing itself, or File Close
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("checked"); // 1-based place of the checked entry
        QTest::addColumn<int>("choose");
        QTest::addColumn<QString>("active");
        const QStringList three{u"&1 Products"_s, u"&2 frmSupplier"_s, u"&3 Catagory"_s};
        QTest::newRow("choose the first, behind the others")
            << QString() << QString() << three << 3 << 1 << u"Products"_s;
        QTest::newRow("choose a minimised one")
            << u"frmSupplier"_s << QString() << three << 3 << 2 << u"frmSupplier"_s;
        QTest::newRow("a screen closing itself drops out")
            << QString() << u"Products"_s << QStringList{u"&1 frmSupplier"_s, u"&2 Catagory"_s} << 2
            << 1 << u"frmSupplier"_s;
        QTest::newRow("File Close takes the screen in front")
            << QString() << u"mnuFileClose"_s << QStringList{u"&1 Products"_s, u"&2 frmSupplier"_s}
            << 1 << 2 << u"frmSupplier"_s;
    }
    void windowMenuListsTheScreens() {
        QFETCH(QString, minimise);
        QFETCH(QString, close);
        QFETCH(QStringList, captions);
        QFETCH(int, checked);
        QFETCH(int, choose);
        QFETCH(QString, active);
        FrmMain* main = loadMain();
        main->show();
        entry(u"mnuDatafrmSupplier"_s)->trigger();
        if (!minimise.isEmpty())
            ChildWindows::find(minimise)->parentWidget()->showMinimized();
        entry(u"mnuDataCatagory"_s)->trigger();
        if (!close.isEmpty()) {
            const bool fileClose = close == u"mnuFileClose"_s;
            if (fileClose)
                entry(close)->trigger();
            else
                ChildWindows::find(close)->close();
            const QString closed = fileClose ? u"Catagory"_s : close;
            QCOMPARE(DummyScreen::closed.value(closed), 1);
            QTRY_VERIFY(!ChildWindows::find(closed));
        }
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), captions.size());
        auto* menu = main->findChild<QMenu*>(u"mnuWindow"_s);
        for (int round = 0; round < 2; ++round) // opened twice: one list, not two
            emit menu->aboutToShow();
        QStringList shown;
        for (int i = 1; QAction* listed = main->entry(u"mnuWindowList(%1)"_s.arg(i)); ++i) {
            shown << listed->text();
            QCOMPARE(listed->isChecked(), i == checked);
        }
        QCOMPARE(shown, captions);
        QCOMPARE(menu->actions().size(), 4 + 1 + captions.size());
        entry(u"mnuWindowList(%1)"_s.arg(choose))->trigger();
        QMdiSubWindow* front = main->mdiArea()->currentSubWindow();
        QVERIFY(front);
        QCOMPARE(front->widget(), ChildWindows::find(active));
        QVERIFY(!front->isMinimized());
    }

    void restoreCommands_data() { menuOrButtonRows(); }
    void restoreCommands() {
        settings().setValue(u"Settings"_s, u"HideText(7)"_s, u"False"_s);
        settings().setValue(u"Settings"_s, u"LabelName(22)"_s, u"Title:"_s);
        loadMain();
        trigger(u"mnuRestore"_s, u"RESTORE"_s);
        trigger(u"mnuRestoreLabels"_s, u"RESTORELABELS"_s);
        SettingsStore reread(m_folder->settingsFile());
        for (int n = 1; n <= 30; ++n)
            QCOMPARE(reread.value(u"Settings"_s, u"HideText(%1)"_s.arg(n), QString()), u"True"_s);
        QVERIFY(!reread.contains(u"Settings"_s, u"HideText(31)"_s));
        // The captions as designed; the supplier box is captioned by its button, not a label.
        QCOMPARE(reread.value(u"Settings"_s, u"LabelName(22)"_s, QString()), u"Name:"_s);
        QCOMPARE(reread.value(u"Settings"_s, u"LabelName(1)"_s, QString()), u"Catagory:"_s);
        QVERIFY(!reread.contains(u"Settings"_s, u"LabelName(28)"_s));
    }

    void tipFromTheMenuIsModeless_data() { menuOrButtonRows(); }
    void tipFromTheMenuIsModeless() {
        settings().setValue(u"Options"_s, u"Show Tips at Startup"_s, u"0"_s);
        FrmMain* main = loadMain();
        trigger(u"mnuHelpTip"_s, u"LIGHTON"_s);
        FrmTip* tip = main->tipScreen();
        QVERIFY(tip && tip->isVisible());
        QVERIFY(!tip->isModal());
        QCOMPARE(settings().value(u"Options"_s, u"Show Tips at Startup"_s, QString()), u"1"_s);
        // A second request brings the same screen forward.
        entry(u"mnuHelpTip"_s)->trigger();
        QCOMPARE(main->tipScreen(), tip);
    }
};

QTEST_MAIN(FrmMainTest)
#include "tst_frmmain.moc"
