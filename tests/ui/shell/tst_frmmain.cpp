#include "DummyScreen.h"
#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/MainStatusBar.h"
#include "ui/shell/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::DummyScreen;

using Texts = QHash<QString, QString>;

class FrmMainTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    std::unique_ptr<FrmMain> m_main;
    int m_exits = 0;

    SettingsStore& settings() { return SettingsStore::program(); }

    // A main window over a fresh program folder whose settings hold `stored`.
    FrmMain* loadMain(const Texts& stored = {}) {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings().setValue(u"Settings"_s, it.key(), it.value());
        m_main = std::make_unique<FrmMain>();
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
        m_prompts = std::make_unique<test::ScriptedPrompts>();
        DummyScreen::reset();
        m_exits = 0;
    }
    void cleanup() {
        m_main.reset();
        QTest::qWait(0);
        QCOMPARE(m_prompts->unanswered(), 0);
        m_prompts.reset();
        m_folder.reset();
    }

    void loadRestoresTheWindow_data() {
        QTest::addColumn<Texts>("stored");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("barsShown");
        QTest::addColumn<bool>("captions");
        QTest::addColumn<QString>("dbPath"); // "" for the default catalogue
        QTest::newRow("first start")
            << Texts{} << QRect(67, 67, 433, 433) << true << true << QString();
        QTest::newRow("stored values")
            << Texts{{u"MainLeft"_s, u"1500"_s},   {u"MainTop"_s, u"3000"_s},
                     {u"MainWidth"_s, u"9000"_s},  {u"MainHeight"_s, u"7500"_s},
                     {u"StatusVis"_s, u"False"_s}, {u"ButtonVis"_s, u"False"_s},
                     {u"ButtonTxt"_s, u"False"_s}, {u"DBName"_s, u"/data/shop.mdb"_s}}
            << QRect(100, 200, 600, 500) << false << false << u"/data/shop.mdb"_s;
        QTest::newRow("empty catalogue name")
            << Texts{{u"DBName"_s, QString()}} << QRect(67, 67, 433, 433) << true << true
            << QString();
        // A value that does not convert leaves the window's own value and the load goes on.
        QTest::newRow("broken values") << Texts{{u"MainLeft"_s, u"left"_s},
                                                {u"MainWidth"_s, u"9000"_s},
                                                {u"StatusVis"_s, u"maybe"_s},
                                                {u"ButtonTxt"_s, u"sometimes"_s}}
                                       << QRect(0, 67, 600, 433) << true << true << QString();
    }
    void loadRestoresTheWindow() {
        QFETCH(Texts, stored);
        QFETCH(QRect, geometry);
        QFETCH(bool, barsShown);
        QFETCH(bool, captions);
        QFETCH(QString, dbPath);
        shared().DBPath.clear();
        FrmMain* main = loadMain(stored);
        QCOMPARE(QRect(main->pos(), main->size()), geometry);
        QCOMPARE(!main->statusPanels()->isHidden(), barsShown);
        QCOMPARE(!main->buttonBar()->isHidden(), barsShown);
        QCOMPARE(entry(u"mnuButtonBar"_s)->isChecked(), barsShown);
        QCOMPARE(entry(u"mnuBText"_s)->isChecked(), captions);
        QCOMPARE(button(u"RESTORE"_s)->text(), captions ? u"Text!"_s : QString());
        const QString expected = dbPath.isEmpty() ? m_folder->cataloguePath() : dbPath;
        QCOMPARE(shared().DBPath, expected);
        QCOMPARE(main->windowTitle(), expected);
        QVERIFY(shared().FirstActivation);
        // The Products screen opens from inside the load.
        QVERIFY(ChildWindows::find(u"Products"_s));
    }

    void menusMatchTheRegisteredScreens() {
        FrmMain* main = loadMain();
        QVERIFY(main->entry(u"mnuDatafrmSupplier"_s));
        // Unregistered screens, the browser and the reports have no dead entries.
        for (const QString& name : {u"mnuDatafrmSetup"_s, u"mnuViewWebBrowser"_s, u"mnuR1"_s})
            QVERIFY2(!main->entry(name), qPrintable(name));
    }

    void statusBarPanels() {
        FrmMain* main = loadMain();
        MainStatusBar* bar = main->statusPanels();
        QCOMPARE(bar->panel(1)->text(), u"Tovin's Catalog 2003 Demo"_s);
        QCOMPARE(bar->panel(3)->text(),
                 QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        bar->panel(4)->setText(u"stopped"_s);
        QTRY_VERIFY(bar->panel(4)->text() != u"stopped"_s); // the clock keeps going
    }

    void closingSavesUnlessMinimised_data() {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("normal") << false;
        QTest::newRow("minimised") << true;
    }
    void closingSavesUnlessMinimised() {
        QFETCH(bool, minimised);
        const Texts before{{u"MainLeft"_s, u"1500"_s},  {u"MainTop"_s, u"1500"_s},
                           {u"MainWidth"_s, u"6000"_s}, {u"MainHeight"_s, u"6000"_s},
                           {u"StatusVis"_s, u"True"_s}, {u"ButtonVis"_s, u"True"_s},
                           {u"ButtonTxt"_s, u"True"_s}, {u"DBName"_s, u"/old/shop.mdb"_s}};
        FrmMain* main = loadMain(before);
        main->move(300, 200);
        main->resize(640, 480);
        entry(u"mnuViewStatusBar"_s)->trigger();
        entry(u"mnuBText"_s)->trigger();
        shared().DBPath = u"/new/shop.mdb"_s;
        if (minimised)
            main->showMinimized();
        QVERIFY(main->close());
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), 1); // children close first
        const Texts after{{u"MainLeft"_s, u"4500"_s},   {u"MainTop"_s, u"3000"_s},
                          {u"MainWidth"_s, u"9600"_s},  {u"MainHeight"_s, u"7200"_s},
                          {u"StatusVis"_s, u"False"_s}, {u"ButtonVis"_s, u"True"_s},
                          {u"ButtonTxt"_s, u"False"_s}, {u"DBName"_s, u"/new/shop.mdb"_s}};
        SettingsStore reread(m_folder->settingsFile());
        const Texts& expected = minimised ? before : after;
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(reread.value(u"Settings"_s, it.key(), u"<none>"_s), it.value());
    }

    void aRefusingScreenKeepsTheProgramOpen() {
        FrmMain* main = loadMain();
        DummyScreen::refuseClose = true;
        QVERIFY(!main->close());
        QVERIFY(!settings().contains(u"Settings"_s, u"DBName"_s));
        DummyScreen::refuseClose = false;
        QVERIFY(main->close());
        QVERIFY(settings().contains(u"Settings"_s, u"DBName"_s));
    }

    void exitEndsWithoutSaving_data() { menuOrButtonRows(); }
    void exitEndsWithoutSaving() {
        FrmMain* main = loadMain();
        main->show();
        entry(u"mnuViewStatusBar"_s)->trigger();
        trigger(u"mnuFileExit"_s, u"IMAGE1"_s);
        QCOMPARE(m_exits, 1);
        QVERIFY(main->isVisible());
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), 0);
        SettingsStore reread(m_folder->settingsFile());
        QVERIFY(!reread.contains(u"Settings"_s, u"StatusVis"_s));
        QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone again
    }

    void openDatabase_data() {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("chosen") << u"/elsewhere/other.mdb"_s;
    }
    void openDatabase() {
        QFETCH(QString, chosen);
        FrmMain* main = loadMain();
        ChildWindows::unload(u"Products"_s);
        main->setWindowTitle(u"changed"_s);
        m_prompts->answerOpenFile(chosen);
        entry(u"mnuFileOpen"_s)->trigger();
        const auto& request = m_prompts->shown().last().request;
        QCOMPARE(request.filter, u"DataBases|*.mdb"_s);
        QCOMPARE(request.fileName, QString());
        const QString expected = chosen.isEmpty() ? m_folder->cataloguePath() : chosen;
        QCOMPARE(shared().DBPath, expected);
        QCOMPARE(main->windowTitle(), expected);
        QCOMPARE(ChildWindows::find(u"Products"_s) != nullptr, !chosen.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void buttonTextOffAndOn() {
        loadMain();
        entry(u"mnuBText"_s)->trigger();
        QVERIFY(!entry(u"mnuBText"_s)->isChecked());
        for (QAction* a : m_main->buttonBar()->buttons())
            QCOMPARE(a->text(), QString());
        entry(u"mnuBText"_s)->trigger();
        QCOMPARE(button(u"RESTORE"_s)->text(), u"Text!"_s);
        QCOMPARE(button(u"RESTORELABELS"_s)->text(), u"Labels "_s);
        QVERIFY(!QApplication::overrideCursor());
    }

    void barToggles_data() {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<bool>("statusBar");
        QTest::newRow("status bar") << u"mnuViewStatusBar"_s << true;
        QTest::newRow("button bar") << u"mnuButtonBar"_s << false;
    }
    void barToggles() {
        QFETCH(QString, entryName);
        QFETCH(bool, statusBar);
        FrmMain* main = loadMain();
        main->show();
        QWidget* bars[] = {main->statusPanels(), main->buttonBar()};
        for (bool shown : {false, true}) {
            entry(entryName)->trigger();
            QCOMPARE(bars[statusBar ? 0 : 1]->isVisible(), shown);
            QCOMPARE(entry(entryName)->isChecked(), shown);
            QVERIFY(bars[statusBar ? 1 : 0]->isVisible());
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
        QVERIFY(!QApplication::overrideCursor());
    }

    // File Close, or the screen closing itself, takes the active screen and its frame.
    void closingAScreen_data() {
        QTest::addColumn<bool>("itself");
        QTest::newRow("File Close") << false;
        QTest::newRow("the screen itself") << true;
    }
    void closingAScreen() {
        QFETCH(bool, itself);
        FrmMain* main = loadMain();
        entry(u"mnuDatafrmSupplier"_s)->trigger();
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
        if (itself)
            ChildWindows::find(u"frmSupplier"_s)->close();
        else
            entry(u"mnuFileClose"_s)->trigger();
        QCOMPARE(DummyScreen::closed.value(u"frmSupplier"_s), 1);
        QTRY_VERIFY(!ChildWindows::find(u"frmSupplier"_s));
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    }

    void restoreCommands_data() { menuOrButtonRows(); }
    void restoreCommands() {
        settings().setValue(u"Settings"_s, u"HideText(7)"_s, u"False"_s);
        loadMain();
        trigger(u"mnuRestore"_s, u"RESTORE"_s);
        trigger(u"mnuRestoreLabels"_s, u"RESTORELABELS"_s);
        SettingsStore reread(m_folder->settingsFile());
        for (int n = 1; n <= 30; ++n)
            QCOMPARE(reread.value(u"Settings"_s, u"HideText(%1)"_s.arg(n), QString()), u"True"_s);
        QVERIFY(!reread.contains(u"Settings"_s, u"HideText(31)"_s));
        QVERIFY(shared().RestoreLabelNames);
    }

    void tipFromTheMenuIsModeless_data() { menuOrButtonRows(); }
    void tipFromTheMenuIsModeless() {
        settings().setValue(u"Options"_s, u"Show Tips at Startup"_s, u"0"_s);
        FrmMain* main = loadMain();
        trigger(u"mnuHelpTip"_s, u"LIGHTON"_s);
        FrmTip* tip = main->tipScreen();
        QVERIFY(tip && tip->isVisible());
        QVERIFY(!tip->isModal());
        QVERIFY(!shared().TipFromMenu);
        QCOMPARE(settings().value(u"Options"_s, u"Show Tips at Startup"_s, QString()), u"1"_s);
        // A second request brings the same screen forward.
        entry(u"mnuHelpTip"_s)->trigger();
        QCOMPARE(main->tipScreen(), tip);
    }

    void saveAsUnloadsTheActiveScreen() {
        loadMain();
        entry(u"mnuDatafrmSupplier"_s)->trigger();
        m_prompts->answerSaveFile(QString());
        entry(u"mnuFileSaveAs"_s)->trigger();
        QCOMPARE(DummyScreen::closed.value(u"frmSupplier"_s), 1);
        QCOMPARE(m_prompts->shown().last().request.title, u"Save As"_s);
        QVERIFY(ChildWindows::find(u"Products"_s));
    }
};

QTEST_MAIN(FrmMainTest)
#include "tst_frmmain.moc"
