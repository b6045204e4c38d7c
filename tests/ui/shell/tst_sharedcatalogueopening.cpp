#include "DummyScreen.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/MemoryPasswordStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/SharedCatalogueDialog.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::control;
using tovin::test::DummyScreen;

namespace {

// The address the stand-in server lets in, with the password "right".
const QString Accepting = u"postgresql://anna@/shop?host=%2Frun%2Fshop"_s;

void typeInto(QWidget* dialog, const QString& name, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Runs `act` on the Open Shared Catalogue dialog once it shows (it is modal, so the code that
// opened it does not return before it closes); the watch ends with `context`.
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

// The window moves only to an address whose sign-in succeeded in a dialog the user did not
// cancel, whatever the fields say by the time the dialog closes.
class SharedCatalogueOpeningTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    std::unique_ptr<test::MemoryPasswordStore> m_keyring;
    // What the window hands its task screens; it outlives the window.
    TaskScreenHandoff m_tasks;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<QObject> m_watch;

private slots:
    void initTestCase() { DummyScreen::registerAs(u"Products"_s); }
    void init() {
        m_folder = std::make_unique<test::TestProgramFolder>(
            test::TestProgramFolder::Catalogue::None, false);
        m_prompts = std::make_unique<test::ScriptedPrompts>();
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
        // A stand-in server at Accepting; the first time it is tried from the dialog, the user
        // acts on the dialog before the server answers.
        auto opener = [&](const QString& location) {
            auto* dialog = qobject_cast<SharedCatalogueDialog*>(QApplication::activeModalWidget());
            if (dialog && !acted) {
                acted = true;
                meanwhile(dialog, during);
            }
            if (location != Accepting || qEnvironmentVariable("PGPASSWORD") != u"right"_s)
                throw RunTimeError(3049, u"password authentication failed for user \"anna\""_s);
        };
        whenDialogShows(m_watch.get(), [atStart](SharedCatalogueDialog* dialog) {
            if (!atStart) {
                typeInto(dialog, u"txtHost"_s, u"/run/shop"_s);
                typeInto(dialog, u"txtDatabase"_s, u"shop"_s);
                typeInto(dialog, u"txtUser"_s, u"anna"_s);
            }
            typeInto(dialog, u"txtPassword"_s, u"right"_s);
            QTest::mouseClick(control<QPushButton>(dialog, u"cmdOK"_s), Qt::LeftButton);
        });
        SettingsStore::program().setValue(u"Settings"_s, u"DBName"_s, atStart ? Accepting : file);
        m_main = std::make_unique<FrmMain>(m_folder->catalogue(), m_tasks);
        m_main->setExitHandler([] {});
        m_main->setPasswordStore(m_keyring.get());
        m_main->setServerOpener(opener);
        m_main->MDIForm_Load();
        if (!atStart)
            m_main->entry(u"mnuFileOpenShared"_s)->trigger();
        QVERIFY(acted);
        QCOMPARE(m_folder->catalogue().path, moves ? Accepting : file);
        QCOMPARE(DummyScreen::madeOn.value(u"Products"_s), m_folder->catalogue().path);
        QCOMPARE(DummyScreen::made.value(u"Products"_s), moves && !atStart ? 2 : 1);
        // Cancelled, the open catalogue's connections go on without the other one's password.
        QCOMPARE(qEnvironmentVariable("PGPASSWORD"), moves ? u"right"_s : QString());
        QCOMPARE(m_prompts->shown().size(), 0);
    }
};

QTEST_MAIN(SharedCatalogueOpeningTest)
#include "tst_sharedcatalogueopening.moc"
