// The Products screen's catalogue-wide buttons: each opens its screen, waits for it, and shows
// the catalogue as the task left it, all of it, whatever search was in force.
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/SearchFormDriver.h"
#include "ui/Screens.h"
#include "ui/import/BuildDB.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QPushButton>
#include <QTableView>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

using Catalogue = TestProgramFolder::Catalogue;

namespace {

// The tasks that close and reopen the Products screen's records when their screen is done.
struct Task {
    QString caption;
    QString button;
    QString screen;
};

QList<Task> catalogueTasks() {
    return {{u"Edit All Items"_s, u"cmdEditRec"_s, u"EditProd"_s},
            {u"Delete All"_s, u"cmdDAll"_s, u"BuildDB"_s},
            {u"Build/Options"_s, u"cmdAddAll"_s, u"BuildDB"_s}};
}

// Returns once every event queued before the call has been handled: a call queued now runs
// after them.
void runQueuedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        qApp, [&reached] { reached = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(reached);
}

} // namespace

class ProductsBuildTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;
private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        registerScreens(m_shell);
        // The Products screen with a web view that loads nothing.
        ChildWindows::registerScreen(u"Products"_s,
                                     [this] { return new Products(fakeWebOptions(m_shell)); });
    }
    void cleanup() { ChildWindows::unloadAll(); }

    void editAllItemsWaitsAndRereads() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Yes); // the bulk edit's question before it writes
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        QVERIFY(products);
        whenShown(u"EditProd"_s, [this](QWidget* edit) {
            QVERIFY(m_shell.tasks.editProdOpen);
            type(edit, 6, u"Crate"_s);
            click(edit, u"Command1"_s);
            click(edit, u"Command2"_s);
        });
        click(products, u"cmdEditRec"_s);
        QVERIFY(!m_shell.tasks.editProdOpen);
        QVERIFY(!ChildWindows::find(u"EditProd"_s));
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products WHERE Packaging <> 'Crate'"_s).toInt(), 0);
        // Box 17 of the Products screen is Packaging.
        QCOMPARE(box(products, 17)->text(), u"Crate"_s);
    }

    void deleteAllWaitsForTheImportScreen() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Yes);
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        whenShown(u"BuildDB"_s, [](QWidget* build) {
            QCOMPARE(build->windowTitle(), u"Delete ALL Reccords"_s);
            // Start, then Close once the totals are shown and the screen waits for it.
            QObject::connect(qobject_cast<BuildDB*>(build), &BuildDB::waiting, build, [build] {
                QTimer::singleShot(0, build, [build] { click(build, u"Command2"_s); });
            });
            click(build, u"Command1"_s);
        });
        click(products, u"cmdDAll"_s);
        QVERIFY(!ChildWindows::find(u"BuildDB"_s));
        QCOMPARE(status(products), u"NO CURRENT RECORDS"_s);
        QVERIFY(prompts.shownTexts().value(0).startsWith(u"Delete "_s));
    }

    // The import screen opened from the File menu is on a page of its own choosing: Delete All
    // and Build/Options bring it to the front and say so, rather than waiting on it as if it
    // were doing their task, and the products stay in use.
    void tasksOfTheImportScreenFindItOpen_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Delete All") << u"cmdDAll"_s;
        QTest::newRow("Build/Options") << u"cmdAddAll"_s;
    }
    void tasksOfTheImportScreenFindItOpen() {
        QFETCH(QString, button);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Ok);
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        QVERIFY(products);
        const int before = dbValue(u"SELECT count(*) FROM Products"_s).toInt();
        m_shell.tasks.buildMode = 1;
        QWidget* build = ChildWindows::show(u"BuildDB"_s);
        QVERIFY(build);
        const QString title = build->windowTitle();
        click(products, button);
        QCOMPARE(prompts.unanswered(), 0);
        QVERIFY(prompts.shownTexts().value(0).startsWith(u"The import screen is open already"_s));
        QCOMPARE(ChildWindows::find(u"BuildDB"_s), build);
        QCOMPARE(build->windowTitle(), title);
        QVERIFY(products->isEnabled());
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products"_s).toInt(), before);
    }

    void catalogueTasksWaitForTheProductBeingTyped_data() {
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("screen");
        for (const QString& begin : {u"cmdAdd"_s, u"cmdEdit"_s})
            for (const Task& task : catalogueTasks())
                QTest::addRow("%s while %s", qPrintable(task.caption),
                              begin == u"cmdAdd"_s ? "adding" : "editing")
                    << begin << task.button << task.screen;
    }
    // Reopening the records afterwards would drop the product being typed without a word.
    void catalogueTasksWaitForTheProductBeingTyped() {
        QFETCH(QString, begin);
        QFETCH(QString, button);
        QFETCH(QString, screen);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        QVERIFY(products);
        click(products, begin);
        QVERIFY(inEditMode(products));
        // Box 2 is the description.
        type(products, 2, u"Typed, not yet written"_s);
        // Should the task start all the same, its screen is closed as soon as the task's wait
        // lets events run, so that the click returns and the test goes on to fail.
        bool opened = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, products, [&opened, screen] {
            if (ChildWindows::find(screen)) {
                opened = true;
                ChildWindows::unload(screen);
            }
        });
        closer.start(0);
        click(products, button);
        // A task started from the click opens its screen before the click returns; one put off
        // to the event loop has run once the events queued after the click have.
        runQueuedEvents();
        closer.stop();
        QVERIFY(!opened);
        QVERIFY(!ChildWindows::find(screen));
        QVERIFY(inEditMode(products));
        QCOMPARE(box(products, 2)->text(), u"Typed, not yet written"_s);
        // Once the product is done with the tasks are there again.
        click(products, u"cmdCancel"_s);
        QVERIFY(!inEditMode(products));
        QVERIFY(control<QPushButton>(products, button)->isEnabled());
    }

    void screenStaysOutOfUseWhileATaskRuns_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("screen");
        for (const Task& task : catalogueTasks())
            QTest::newRow(qPrintable(task.caption)) << task.button << task.screen;
    }
    // The task's screen is not modal: an add begun meanwhile would be dropped when the records
    // are read again. Once done, the task opens the products anew, all of them: an Advanced
    // Search goes, from the grid and from the selection the other screens work on.
    void screenStaysOutOfUseWhileATaskRuns() {
        QFETCH(QString, button);
        QFETCH(QString, screen);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // no message is expected
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        QVERIFY(products);
        click(products, u"cmdGrid"_s);
        auto* grid = control<QTableView>(products, u"grdDataGrid"_s);
        QVERIFY(grid->isVisible());
        onSearchForm(u"click:chkReverse|type:AB|search"_s);
        click(products, u"cmdDetSearch"_s);
        QCOMPARE(status(products), u"11 - Matches Found"_s);
        bool triedAdd = false;
        bool addBegun = false;
        whenShown(screen, [&, products](QWidget*) {
            triedAdd = true;
            click(products, u"cmdAdd"_s);
            addBegun = inEditMode(products);
            ChildWindows::unload(screen);
        });
        click(products, button);
        QVERIFY(triedAdd);
        QVERIFY(!addBegun);
        QVERIFY(products->isEnabled());
        QVERIFY(!inEditMode(products));
        QVERIFY(m_shell.search.SearchWhere.isEmpty());
        QVERIFY(m_shell.search.SortOrder.isEmpty());
        QVERIFY(products->primaryRecordSet()->filter().isEmpty());
        QCOMPARE(status(products), u"Record: 1  of  50"_s);
        QCOMPARE(stockNo(products), u"0012"_s);
        QCOMPARE(grid->model()->rowCount(), 50);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), u"0012"_s);
        click(products, u"cmdAdd"_s);
        QVERIFY(inEditMode(products));
    }
};

QTEST_MAIN(ProductsBuildTest)
#include "tst_productsbuild.moc"
