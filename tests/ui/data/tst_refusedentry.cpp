// After Update with a value the catalogue refuses, the user is put back where the value is:
// the refused box has the focus, the status line says what it said before, and everything
// typed is still there.
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/FrmSales.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

std::unique_ptr<QWidget> openActive(const QString& name, ShellState& shell) {
    std::unique_ptr<QWidget> screen;
    if (name == u"Products"_s)
        return showProducts(shell);
    if (name == u"frmOrders"_s)
        screen = openScreen<FrmOrders>(TestProgramFolder::current().catalogue(), shell.prompts,
                                       shell.order);
    else if (name == u"frmSales"_s)
        screen = openScreen<FrmSales>(TestProgramFolder::current().catalogue(), shell.prompts,
                                      shell.order);
    else
        screen = openScreen<FrmInventory>(TestProgramFolder::current().catalogue(), shell.prompts,
                                          shell.order);
    screen->activateWindow();
    if (!QTest::qWaitForWindowActive(screen.get()))
        qWarning("screen not active");
    return screen;
}

} // namespace

class RefusedEntryTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() {
        ChildWindows::unloadAll();
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    void refusedBoxKeepsTheFocus_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("start");             // cmdAdd or cmdEdit
        QTest::addColumn<QMap<int, QString>>("typing"); // box index to text, the last refused
        QTest::addColumn<int>("refused");
        QTest::addColumn<QString>("caption");
        const int stock = ProductBox::StockNo;
        const int inventory = ProductBox::Inventory;
        const int retail = ProductBox::Retail;
        const int name = ProductBox::ProdName;
        QTest::newRow("Products, Inventory of a product edited")
            << u"Products"_s << u"cmdEdit"_s << QMap<int, QString>{{inventory, u"abc"_s}}
            << inventory << u"Inventory"_s;
        QTest::newRow("Products, Inventory of a new product")
            << u"Products"_s << u"cmdAdd"_s
            << QMap<int, QString>{{stock, u"NEW-1"_s},
                                  {name, u"Tin Soldier"_s},
                                  {inventory, u"abc"_s}}
            << inventory << u"Inventory"_s;
        QTest::newRow("Products, a money box")
            << u"Products"_s << u"cmdEdit"_s
            << QMap<int, QString>{{name, u"Tin Soldier"_s}, {retail, u"cheap"_s}} << retail
            << u"Retail"_s;
        QTest::newRow("Inventory, a money box edited")
            << u"frmInventory"_s << u"cmdEdit"_s
            << QMap<int, QString>{{4, u"Big Teddy"_s}, {6, u"cheap"_s}} << 6 << u"Retail"_s;
        QTest::newRow("Inventory, a money box of a new row")
            << u"frmInventory"_s << u"cmdAdd"_s
            << QMap<int, QString>{{0, u"NEW-1"_s}, {7, u"free"_s}} << 7 << u"Wholesale"_s;
        QTest::newRow("Orders, a money box")
            << u"frmOrders"_s << u"cmdEdit"_s << QMap<int, QString>{{15, u"lots"_s}} << 15
            << u"Shipping"_s;
        QTest::newRow("Sales, a money box of a new row")
            << u"frmSales"_s << u"cmdAdd"_s << QMap<int, QString>{{0, u"AB7"_s}, {3, u"some"_s}}
            << 3 << u"Expenses"_s;
    }
    void refusedBoxKeepsTheFocus() {
        QFETCH(QString, screen);
        QFETCH(QString, start);
        using Typing = QMap<int, QString>;
        QFETCH(Typing, typing);
        QFETCH(int, refused);
        QFETCH(QString, caption);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        auto shown = openActive(screen, m_shell);
        QWidget* s = shown.get();
        click(s, start);
        QVERIFY(inEditMode(s));
        const QString before = status(s);
        for (auto it = typing.cbegin(); it != typing.cend(); ++it)
            type(s, it.key(), it.value());
        // The first box is where the cursor lands after Add and Edit: not the refused one.
        QVERIFY(focusName(s) != u"txtFields(%1)"_s.arg(refused));
        prompts.answerMessage(MessageAnswer::Ok);
        click(s, u"cmdUpdate"_s);

        QCOMPARE(prompts.shown().size(), 1);
        QVERIFY2(prompts.shown().at(0).text.startsWith(u"The "_s + caption + u" box can't take"_s),
                 qPrintable(prompts.shown().at(0).text));
        QVERIFY(inEditMode(s));
        QCOMPARE(focusName(s), u"txtFields(%1)"_s.arg(refused));
        QCOMPARE(status(s), before);
        for (auto it = typing.cbegin(); it != typing.cend(); ++it)
            QCOMPARE(box(s, it.key())->text(), it.value());
        // The whole refused value is selected, so typing replaces it.
        QCOMPARE(box(s, refused)->selectedText(), typing.value(refused));
    }
};

QTEST_MAIN(RefusedEntryTest)
#include "tst_refusedentry.moc"
