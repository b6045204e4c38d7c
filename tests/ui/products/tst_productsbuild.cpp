// The Products screen's catalogue-wide buttons: each opens its screen, waits for it, and shows
// the catalogue as the task left it.
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/import/BuildDB.h"
#include "ui/shell/ChildWindows.h"

#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

using Catalogue = TestProgramFolder::Catalogue;

class ProductsBuildTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        registerScreens();
        // The Products screen with a web view that loads nothing.
        ChildWindows::registerScreen(u"Products"_s, [] { return new Products(fakeWebOptions()); });
    }
    void cleanup() { ChildWindows::unloadAll(); }

    void editAllItemsWaitsAndRereads() {
        TestProgramFolder folder(Catalogue::Demo);
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Yes); // the bulk edit's question before it writes
        auto* products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        QVERIFY(products);
        whenShown(u"EditProd"_s, [](QWidget* edit) {
            QVERIFY(shared().EditProdOpen);
            type(edit, 6, u"Crate"_s);
            click(edit, u"Command1"_s);
            click(edit, u"Command2"_s);
        });
        click(products, u"cmdEditRec"_s);
        QVERIFY(!shared().EditProdOpen);
        QVERIFY(!ChildWindows::find(u"EditProd"_s));
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products WHERE Packaging <> 'Crate'"_s).toInt(), 0);
        // Box 17 of the Products screen is Packaging.
        QCOMPARE(box(products, 17)->text(), u"Crate"_s);
    }

    void deleteAllWaitsForTheImportScreen() {
        TestProgramFolder folder(Catalogue::Demo);
        ScriptedPrompts prompts;
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
};

QTEST_MAIN(ProductsBuildTest)
#include "tst_productsbuild.moc"
