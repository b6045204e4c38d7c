// A screen waiting for another while the program closes writes nothing.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/browser/WebEngineView.h"
#include "ui/data/RecordScreen.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/ShellState.h"

#include <QAction>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class ClosingWaitsTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() { registerScreens(m_shell); }

    // Exit while the Products screen waits for the supplier pick: the supplier the user only
    // browsed to is not written into the product.
    void exitDuringTheSupplierPick() {
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts(m_shell.prompts);
        FrmMain main(m_shell.catalogue, m_shell.tasks, m_shell.prompts);
        int exits = 0;
        main.setExitHandler([&exits] { ++exits; });
        main.MDIForm_Load();
        main.show();
        auto* products = qobject_cast<RecordScreen*>(ChildWindows::find(u"Products"_s));
        QVERIFY(products);
        test::click(products, u"cmdNext"_s); // AB12, from Brightwater Giftworks
        QCOMPARE(test::box(products, 27)->text(), u"AB12"_s);
        bool browsed = false;
        QTimer::singleShot(0, this, [&] {
            auto* suppliers = qobject_cast<RecordScreen*>(ChildWindows::find(u"frmSupplier"_s));
            if (!suppliers)
                return;
            test::click(suppliers, u"cmdNext"_s);
            test::click(suppliers, u"cmdNext"_s);
            browsed = test::box(suppliers, 8)->text() == u"Pennybrook Lamp & Garden Co."_s;
            main.entry(u"mnuFileExit"_s)->trigger();
        });
        QTest::mouseClick(test::box(products, 28), Qt::LeftButton);
        QVERIFY(browsed);
        QCOMPARE(exits, 1);
        QVERIFY(!test::inEditMode(products));
        CatalogueDatabase catalogue(folder.cataloguePath());
        QCOMPARE(
            catalogue.scalar(u"SELECT Supplier FROM Products WHERE StockNo = 'AB12'"_s).toString(),
            u"Brightwater Giftworks"_s);
        resumeWaits();
        m_shell = ShellState{};
        ChildWindows::unloadAll();
    }
};

QTEST_MAIN(ClosingWaitsTest)
#include "tst_closingwaits.moc"
