#include "DummyScreen.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/MemoryPasswordStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/BackupActions.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/SharedCatalogueDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::control;
using tovin::test::DummyScreen;

namespace {

// A server address nothing answers at: its socket folder does not exist.
const QString Refusing = u"postgresql://anna@/shop?host=%2Fnonexistent%2Ftovin-socket"_s;
// The address the stand-in server below lets in, with the password "right".
const QString Accepting = u"postgresql://anna@/shop?host=%2Frun%2Fshop"_s;

// A stand-in for a server at Accepting: the catalogue opens with the right password only.
void standInServer(const QString& location) {
    if (location != Accepting || qEnvironmentVariable("PGPASSWORD") != u"right"_s)
        throw RunTimeError(3049, u"password authentication failed for user \"anna\""_s);
}

void typeInto(QWidget* dialog, const QString& name, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, name);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

// Runs `act` on the Open Shared Catalogue dialog once it shows: it is modal, so the code that
// opened it does not return before it closes. The watch ends with `context` (one test), so a
// dialog that never showed is no business of the next test; what the test checks afterwards
// tells whether it showed.
void whenDialogShows(QObject* context, std::function<void(SharedCatalogueDialog*)> act,
                     int tries = 200) {
    QTimer::singleShot(10, context, [context, act = std::move(act), tries]() mutable {
        auto* dialog = qobject_cast<SharedCatalogueDialog*>(QApplication::activeModalWidget());
        if (dialog)
            act(dialog);
        else if (tries > 0)
            whenDialogShows(context, std::move(act), tries - 1);
    });
}

void clickButton(QWidget* dialog, const QString& name) {
    QTest::mouseClick(control<QPushButton>(dialog, name), Qt::LeftButton);
}

// What the user does in the dialog while the catalogue it was confirmed with is opening (the
// keyring and the server may take their time, and events run meanwhile).
void meanwhile(SharedCatalogueDialog* dialog, const QString& what) {
    if (what == u"type"_s) {
        typeInto(dialog, u"txtHost"_s, u"\"quoted\""_s);
        return;
    }
    if (what == u"hide"_s)
        dialog->hide();
    dialog->reject();
}

} // namespace

// File > Open Shared Catalogue and a main window whose catalogue lives on a server. No server
// runs here: every address refuses, which is the path the user meets with a wrong password.
class SharedCatalogueTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    std::unique_ptr<test::MemoryPasswordStore> m_keyring;
    // What the window hands its task screens; it outlives the window.
    TaskScreenHandoff m_tasks;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<QObject> m_watch;

    FrmMain* loadMain(const QString& storedCatalogue, ServerSignIn::Opener opener = {}) {
        SettingsStore::program().setValue(u"Settings"_s, u"DBName"_s, storedCatalogue);
        m_main = std::make_unique<FrmMain>(m_folder->catalogue(), m_tasks, m_promptsInUse);
        m_main->setExitHandler([] {});
        m_main->setPasswordStore(m_keyring.get());
        m_main->setServerOpener(std::move(opener));
        m_main->MDIForm_Load();
        return m_main.get();
    }

private slots:
    void initTestCase() { DummyScreen::registerAs(u"Products"_s); }
    void init() {
        m_folder = std::make_unique<test::TestProgramFolder>(
            test::TestProgramFolder::Catalogue::None, false);
        m_prompts = std::make_unique<test::ScriptedPrompts>(m_promptsInUse);
        m_keyring = std::make_unique<test::MemoryPasswordStore>();
        DummyScreen::reset();
        qunsetenv("PGPASSWORD");
        m_watch = std::make_unique<QObject>();
    }
    void cleanup() {
        QVERIFY(!QApplication::overrideCursor());
        m_watch.reset();
        m_main.reset();
        QTest::qWait(0);
        QCOMPARE(m_prompts->unanswered(), 0);
        m_prompts.reset();
        m_folder.reset();
    }

    // What is typed becomes the address tried, with the password apart from it.
    void fieldsMakeTheAddress_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("uri");
        QTest::newRow("this computer's socket")
            << QString() << 5432 << true << u"postgresql://anna%20b@/shop%2F1"_s;
        QTest::newRow("socket folder")
            << u"/run/pg"_s << 5433 << true
            << u"postgresql://anna%20b@/shop%2F1?host=%2Frun%2Fpg&port=5433"_s;
        QTest::newRow("host, not remembered")
            << u" db.example.org "_s << 6543 << false
            << u"postgresql://anna%20b@db.example.org:6543/shop%2F1"_s;
    }
    void fieldsMakeTheAddress() {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, remember);
        QFETCH(QString, uri);
        QString tried;
        QString triedPassword;
        bool triedRemember = !remember;
        SharedCatalogueDialog dialog(
            m_promptsInUse, ServerAddress(),
            [&](const ServerAddress& address, const QString& password, bool keep) {
                tried = address.uri();
                triedPassword = password;
                triedRemember = keep;
                return std::optional<QString>();
            });
        QCOMPARE(control<QSpinBox>(&dialog, u"txtPort"_s)->value(), 5432);
        QVERIFY(control<QCheckBox>(&dialog, u"chkRemember"_s)->isChecked());
        dialog.show();
        typeInto(&dialog, u"txtHost"_s, host);
        control<QSpinBox>(&dialog, u"txtPort"_s)->setValue(port);
        typeInto(&dialog, u"txtDatabase"_s, u"shop/1"_s);
        typeInto(&dialog, u"txtUser"_s, u"anna b"_s);
        typeInto(&dialog, u"txtPassword"_s, u"p@ss:w/rd"_s);
        control<QCheckBox>(&dialog, u"chkRemember"_s)->setChecked(remember);
        clickButton(&dialog, u"cmdOK"_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(tried, uri);
        QCOMPARE(triedPassword, u"p@ss:w/rd"_s);
        QCOMPARE(triedRemember, remember);
    }

    // A refused sign-in is told in plain words, without the password; the dialog stays with what
    // was typed, and the catalogue that was open stays open. Given up then, nothing changes and
    // no password is kept or used. A shared catalogue that opens becomes the open one: the
    // Products screen is made again on it, the title names it, the file-only entries go off, and
    // the password that let the program in serves the screens and is kept when asked to be.
    void openingASharedCatalogue_data() {
        QTest::addColumn<QString>("then"); // after the refusal
        QTest::newRow("password remembered") << u"remember"_s;
        QTest::newRow("password not remembered") << u"forget"_s;
        QTest::newRow("given up") << u"cancel"_s;
    }
    void openingASharedCatalogue() {
        QFETCH(QString, then);
        const QString file = m_folder->cataloguePath();
        CatalogueDatabase::create(file);
        m_keyring->kept.insert(Accepting, u"stale"_s);
        FrmMain* main = loadMain(file, standInServer);
        const QString title = main->windowTitle();
        bool stayed = false;
        QString typedHost;
        whenDialogShows(m_watch.get(), [&](SharedCatalogueDialog* dialog) {
            typeInto(dialog, u"txtHost"_s, u"/run/shop"_s);
            typeInto(dialog, u"txtDatabase"_s, u"shop"_s);
            typeInto(dialog, u"txtUser"_s, u"anna"_s);
            typeInto(dialog, u"txtPassword"_s, u"wrong"_s);
            clickButton(dialog, u"cmdOK"_s);
            stayed = dialog->isVisible();
            typedHost = control<QLineEdit>(dialog, u"txtHost"_s)->text();
            if (then == u"cancel"_s)
                return clickButton(dialog, u"cmdCancel"_s);
            typeInto(dialog, u"txtPassword"_s, u"right"_s);
            control<QCheckBox>(dialog, u"chkRemember"_s)->setChecked(then == u"remember"_s);
            clickButton(dialog, u"cmdOK"_s);
        });
        m_prompts->answerMessage(MessageAnswer::Ok);
        main->entry(u"mnuFileOpenShared"_s)->trigger();
        QVERIFY(stayed);
        QCOMPARE(typedHost, u"/run/shop"_s);
        QCOMPARE(m_prompts->shown().size(), 1); // the refusal only
        const QString notice = m_prompts->shownTexts().value(0);
        QVERIFY2(
            notice.startsWith(u"The shared catalogue "_s + Accepting + u" could not be opened: "_s),
            qPrintable(notice));
        QVERIFY2(notice.endsWith(u"The catalogue "_s + file + u" stays open."_s),
                 qPrintable(notice));
        QVERIFY(!notice.contains(u"wrong"_s));
        const bool opened = then != u"cancel"_s;
        QCOMPARE(m_folder->catalogue().path, opened ? Accepting : file);
        QCOMPARE(DummyScreen::closed.value(u"Products"_s), opened ? 1 : 0);
        QCOMPARE(DummyScreen::made.value(u"Products"_s), opened ? 2 : 1);
        QCOMPARE(DummyScreen::madeOn.value(u"Products"_s), m_folder->catalogue().path);
        QCOMPARE(main->windowTitle(), opened ? u"shop on /run/shop ("_s + Accepting + u')' : title);
        QCOMPARE(main->entry(u"mnuFileBackup"_s)->isEnabled(), !opened);
        QCOMPARE(qEnvironmentVariable("PGPASSWORD"), opened ? u"right"_s : QString());
        QCOMPARE(m_keyring->kept.value(Accepting, u"-"_s), then == u"remember"_s ? u"right"_s
                                                           : then == u"forget"_s ? u"-"_s
                                                                                 : u"stale"_s);
        QVERIFY(main->close());
        QCOMPARE(
            SettingsStore(m_folder->settingsFile()).value(u"Settings"_s, u"DBName"_s, QString()),
            m_folder->catalogue().path);
    }

    // The window moves only to an address whose sign-in succeeded in a dialog the user did not
    // cancel, whatever the fields say by the time the dialog closes; at start on a server with
    // no password kept, the dialog asks, and what it opens is the catalogue the screens show.
    void onlyTheConfirmedAddressOpens_data() {
        QTest::addColumn<bool>("atStart"); // else File > Open Shared on a catalogue file
        QTest::addColumn<QString>("during");
        QTest::addColumn<bool>("moves");
        QTest::newRow("menu, host typed while opening") << false << u"type"_s << true;
        QTest::newRow("menu, cancelled while opening") << false << u"cancel"_s << false;
        QTest::newRow("menu, hidden and cancelled") << false << u"hide"_s << false;
        QTest::newRow("start, host typed while opening") << true << u"type"_s << true;
    }
    void onlyTheConfirmedAddressOpens() {
        QFETCH(bool, atStart);
        QFETCH(QString, during);
        QFETCH(bool, moves);
        const QString file = m_folder->cataloguePath();
        CatalogueDatabase::create(file);
        bool acted = false;
        // The stand-in server; the first time it is tried from the dialog, the user acts on the
        // dialog before the server answers.
        auto opener = [&](const QString& location) {
            auto* dialog = qobject_cast<SharedCatalogueDialog*>(QApplication::activeModalWidget());
            if (dialog && !acted) {
                acted = true;
                meanwhile(dialog, during);
            }
            standInServer(location);
        };
        whenDialogShows(m_watch.get(), [atStart](SharedCatalogueDialog* dialog) {
            if (!atStart) {
                typeInto(dialog, u"txtHost"_s, u"/run/shop"_s);
                typeInto(dialog, u"txtDatabase"_s, u"shop"_s);
                typeInto(dialog, u"txtUser"_s, u"anna"_s);
            }
            typeInto(dialog, u"txtPassword"_s, u"right"_s);
            clickButton(dialog, u"cmdOK"_s);
        });
        FrmMain* main = loadMain(atStart ? Accepting : file, opener);
        if (!atStart)
            main->entry(u"mnuFileOpenShared"_s)->trigger();
        QVERIFY(acted);
        QCOMPARE(m_folder->catalogue().path, moves ? Accepting : file);
        QCOMPARE(DummyScreen::madeOn.value(u"Products"_s), m_folder->catalogue().path);
        QCOMPARE(DummyScreen::made.value(u"Products"_s), moves && !atStart ? 2 : 1);
        // Cancelled, the open catalogue's connections go on without the other one's password.
        QCOMPARE(qEnvironmentVariable("PGPASSWORD"), moves ? u"right"_s : QString());
        if (moves) {
            QCOMPARE(main->windowTitle(), u"shop on /run/shop ("_s + Accepting + u')');
            QCOMPARE(m_keyring->kept.value(Accepting), u"right"_s);
        }
        QCOMPARE(m_prompts->shown().size(), 0);
    }

    // At start on a server address, a kept password that works opens it without a question.
    void startOnAServerThatLetsIn() {
        m_keyring->kept.insert(Accepting, u"right"_s);
        whenDialogShows(m_watch.get(), [](SharedCatalogueDialog* dialog) { dialog->reject(); });
        FrmMain* main = loadMain(Accepting, standInServer);
        QCOMPARE(m_folder->catalogue().path, Accepting);
        QCOMPARE(DummyScreen::madeOn.value(u"Products"_s), Accepting);
        QCOMPARE(main->windowTitle(), u"shop on /run/shop ("_s + Accepting + u')');
        QCOMPARE(m_keyring->kept.value(Accepting), u"right"_s);
    }

    // Started on a server address that does not let the program in (no password kept, or the
    // kept one refused): the dialog asks, filled in with the address and why it asks. Given
    // up, no screen tries the catalogue; the file-only entries are off and say why, and the
    // address is kept for the next start without any password.
    void startOnAServerThatRefuses_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("kept"); // in the keyring; "" for nothing
        QTest::newRow("no password kept") << Refusing << QString();
        QTest::newRow("kept password refused") << Refusing << u"old"_s;
        QTest::newRow("password written into the address")
            << u"postgresql://anna:s3cret@/shop?host=%2Fnonexistent%2Ftovin-socket"_s << QString();
    }
    void startOnAServerThatRefuses() {
        QFETCH(QString, stored);
        QFETCH(QString, kept);
        if (!kept.isEmpty())
            m_keyring->kept.insert(Refusing, kept);
        QStringList fields;
        QString problem;
        // The splash screen shows while the window loads; it would cover the question.
        QWidget splash(nullptr, Qt::SplashScreen);
        splash.show();
        bool splashShown = true;
        whenDialogShows(m_watch.get(), [&](SharedCatalogueDialog* dialog) {
            splashShown = splash.isVisible();
            for (const QString& name : {u"txtHost"_s, u"txtDatabase"_s, u"txtUser"_s})
                fields << control<QLineEdit>(dialog, name)->text();
            fields << QString::number(control<QSpinBox>(dialog, u"txtPort"_s)->value());
            QLabel* why = control<QLabel>(dialog, u"lblProblem"_s);
            problem = why->isVisible() ? why->text() : QString();
            clickButton(dialog, u"cmdCancel"_s);
        });
        FrmMain* main = loadMain(stored);
        QCOMPARE(fields,
                 (QStringList{u"/nonexistent/tovin-socket"_s, u"shop"_s, u"anna"_s, u"5432"_s}));
        QVERIFY(!problem.isEmpty());
        QVERIFY(!splashShown);
        QCOMPARE(m_keyring->reads, stored == Refusing ? 1 : 0);
        QCOMPARE(m_folder->catalogue().path, Refusing);
        QCOMPARE(DummyScreen::made.value(u"Products"_s), 0);
        QCOMPARE(main->windowTitle(), u"shop on /nonexistent/tovin-socket ("_s + Refusing + u')');
        for (const QString& name : {u"mnuFileBackup"_s, u"mnuFileRestore"_s}) {
            QAction* action = main->entry(name);
            QVERIFY(!action->isEnabled());
            QVERIFY2(action->toolTip().contains(u"the server's own backups"_s),
                     qPrintable(action->toolTip()));
        }
        QVERIFY(main->entry(u"mnuFileOpenShared"_s)->isEnabled());
        QCOMPARE(m_keyring->kept.value(Refusing), kept);
        QVERIFY(main->close());
        QCOMPARE(
            SettingsStore(m_folder->settingsFile()).value(u"Settings"_s, u"DBName"_s, QString()),
            Refusing);
    }

    // Reached another way than the File menu, the backup commands tell why they do nothing on
    // a server catalogue, and report no copy; the copy before a layout upgrade is left to the
    // server without a word.
    void backupCommandsOnAServer_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("told");
        QTest::newRow("back up now") << u"backup"_s << true;
        QTest::newRow("restore") << u"restore"_s << true;
        QTest::newRow("before a layout upgrade") << u"upgrade"_s << false;
    }
    void backupCommandsOnAServer() {
        QFETCH(QString, command);
        QFETCH(bool, told);
        whenDialogShows(m_watch.get(), [](SharedCatalogueDialog* dialog) { dialog->reject(); });
        FrmMain* main = loadMain(Refusing);
        if (told)
            m_prompts->answerMessage(MessageAnswer::Ok);
        if (command == u"backup"_s)
            main->mnuFileBackup_Click();
        else if (command == u"restore"_s)
            main->mnuFileRestore_Click();
        else
            BackupActions::beforeUpgrade(m_promptsInUse, Refusing);
        QCOMPARE(m_prompts->shown().size(), told ? 1 : 0);
        if (told) {
            const QString text = m_prompts->shownTexts().first();
            QVERIFY2(text.contains(u"the server's own backups"_s), qPrintable(text));
        }
        QCOMPARE(DummyScreen::made.value(u"Products"_s), 0);
    }
};

QTEST_MAIN(SharedCatalogueTest)
#include "tst_sharedcatalogue.moc"
