// The Products screen as a shop owner drives it with keys and clicks: what Delete asks, where
// focus lands, what a stray key in a box does, the supplier picker, closing with typing on
// show, the large preview and notes.
#include "core/catalogue/CatalogueDatabase.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/data/RecordScreen.h"
#include "ui/products/MemoView.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QKeySequence>
#include <QPlainTextEdit>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// Runs `act` on the supplier picker as soon as it shows, unless `picker` is stopped first.
void whenPickerShows(QTimer& picker, std::function<void(RecordScreen*)> act) {
    picker.setInterval(10);
    QObject::connect(&picker, &QTimer::timeout, [&picker, act] {
        auto* suppliers = qobject_cast<RecordScreen*>(ChildWindows::find(u"frmSupplier"_s));
        if (!suppliers || !suppliers->isVisible())
            return;
        picker.stop();
        act(suppliers);
    });
    picker.start();
}

// Leaves the supplier picker by `end`: its Close, Cancel of an edit begun in it, or the frame.
void leavePicker(RecordScreen* suppliers, const QString& end) {
    if (end == u"frame"_s)
        suppliers->close();
    else if (end == u"cmdCancel"_s)
        click(suppliers, QStringList{u"cmdEdit"_s, u"cmdCancel"_s});
    else
        click(suppliers, end);
}

} // namespace

class ProductsUseTest : public QObject {
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

    // Delete names the product and has No as its default; only Yes removes it.
    void deleteAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No keeps the product") << false;
        QTest::newRow("Yes deletes it") << true;
    }
    void deleteAsksFirst() {
        QFETCH(bool, yes);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(yes ? MessageAnswer::Yes : MessageAnswer::No);
        auto screen = showProducts(m_shell);
        QTest::keyClick(screen.get(), Qt::Key_Down);
        click(screen.get(), u"cmdDelete"_s);
        QCOMPARE(prompts.shownTexts(), QStringList{u"Delete product AB12?"_s});
        QCOMPARE(prompts.shown().at(0).defaultButton, MessageDefault::Second);
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products"_s).toInt(), yes ? 49 : 50);
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products WHERE StockNo = 'AB12'"_s).toInt(),
                 yes ? 0 : 1);
    }

    // After Update and Cancel the focus is on Edit This (after Add and Edit it is in the first
    // box, see below): a Space pressed then never deletes a product.
    void focusAfterRowCommands_data() {
        QTest::addColumn<QStringList>("clicks");
        for (const char* clicks : {"cmdAdd cmdCancel", "cmdEdit cmdUpdate", "cmdEdit cmdCancel"})
            QTest::newRow(clicks) << QString::fromLatin1(clicks).split(u' ');
    }
    void focusAfterRowCommands() {
        QFETCH(QStringList, clicks);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts); // a Delete would ask, and fail the test
        auto screen = showProducts(m_shell);
        click(screen.get(), clicks);
        QCOMPARE(focusName(screen.get()), u"cmdEdit"_s);
        QTest::keyClick(screen->window()->focusWidget(), Qt::Key_Space);
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products"_s).toInt(), 50);
        QCOMPARE(prompts.shown().size(), 0);
    }

    // While a product is typed, the searches and Reset Data are off like the navigation. Edit
    // This and Add 1 New in the large preview bring the boxes back first.
    void editModeShowsTheBoxesOnly_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("large");
        for (const char* mode : {"cmdEdit", "cmdAdd"})
            for (bool large : {false, true})
                QTest::addRow("%s%s", mode, large ? ", large preview" : "")
                    << QString::fromLatin1(mode) << large;
    }
    void editModeShowsTheBoxesOnly() {
        QFETCH(QString, mode);
        QFETCH(bool, large);
        TestProgramFolder folder(Catalogue::Demo);
        auto screen = showProducts(large);
        QCOMPARE(box(screen.get(), 27)->isVisible(), !large);
        click(screen.get(), mode);
        QVERIFY(box(screen.get(), 27)->isVisible());
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdShowPic"_s)->text(), u"View Mode"_s);
        QCOMPARE(focusName(screen.get()), u"txtFields(27)"_s);
        const QStringList controls = {u"txtSrch"_s, u"cmdSearch"_s, u"cmdDetSearch"_s,
                                      u"cmdReset"_s, u"cmdNext"_s};
        for (const QString& name : controls)
            QVERIFY2(!control<QWidget>(screen.get(), name)->isEnabled(), qPrintable(name));
        click(screen.get(), u"cmdCancel"_s);
        for (const QString& name : controls)
            QVERIFY2(control<QWidget>(screen.get(), name)->isEnabled(), qPrintable(name));
    }

    // In the quick search box the row keys move the text cursor and Escape empties the box;
    // the row and the screen stay.
    void keysInTheSearchBox_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::newRow("Escape empties") << int(Qt::Key_Escape) << QString() << 0;
        QTest::newRow("Home") << int(Qt::Key_Home) << u"AB"_s << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << u"AB"_s << 1;
        QTest::newRow("End") << int(Qt::Key_End) << u"AB"_s << 2;
        QTest::newRow("Up") << int(Qt::Key_Up) << u"AB"_s << 2;
        QTest::newRow("Down") << int(Qt::Key_Down) << u"AB"_s << 2;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << u"AB"_s << 2;
    }
    void keysInTheSearchBox() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, cursor);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        QTest::keyClick(screen.get(), Qt::Key_Down);
        QTest::keyClick(screen.get(), Qt::Key_Down);
        auto* search = control<QLineEdit>(screen.get(), u"txtSrch"_s);
        search->setFocus();
        QTest::keyClicks(search, u"AB"_s);
        QTest::keyClick(search, Qt::Key(key));
        QVERIFY(screen->isVisible());
        QCOMPARE(search->text(), text);
        QCOMPARE(search->cursorPosition(), cursor);
        QCOMPARE(status(screen.get()), u"Record: 3  of  50"_s);
    }

    // The supplier box opens the picker on a click, Enter or F4, never on keys passing through.
    // Close picks the supplier shown and writes it (Update stays on the product); Cancel and the
    // frame keep the product's own and its row. A product being added gets the name in its box
    // and stays unwritten.
    void supplierPicker_data() {
        QTest::addColumn<QString>("mode"); // "" browsing AB12, "first product", or cmdAdd
        QTest::addColumn<QString>("open"); // click or a key
        QTest::addColumn<QString>("end");  // how the picker is left; "" when it never opens
        QTest::addColumn<QString>("box");  // the supplier box afterwards; "*" not looked at
        QTest::addColumn<QString>("stored");
        const QString own = u"Brightwater Giftworks"_s, picked = u"Pennybrook Lamp & Garden Co."_s;
        for (const char* key : {"Tab", "Shift+Tab", "Down", "Home", "Right"})
            QTest::addRow("%s passes through", key)
                << QString() << QString::fromLatin1(key) << QString() << QString() << own;
        for (const char* open : {"click", "Return", "F4"})
            QTest::addRow("%s, Close picks", open)
                << QString() << QString::fromLatin1(open) << u"cmdClose"_s << u"*"_s << picked;
        // Cancelling the edit sends the supplier screen back to its first supplier, so the
        // product is one of another supplier's: choosing would write a name of its own.
        const QString first = u"Kestrel Ridge Tool Supply"_s;
        QTest::newRow("Cancel keeps")
            << u"first product"_s << u"click"_s << u"cmdCancel"_s << first << first;
        QTest::newRow("frame keeps") << QString() << u"click"_s << u"frame"_s << own << own;
        QTest::newRow("adding, Close fills the box")
            << u"cmdAdd"_s << u"F4"_s << u"cmdClose"_s << picked << QString();
        QTest::newRow("adding, frame leaves it")
            << u"cmdAdd"_s << u"click"_s << u"frame"_s << QString() << QString();
    }
    void supplierPicker() {
        QFETCH(QString, mode);
        QFETCH(QString, open);
        QFETCH(QString, end);
        QFETCH(QString, box);
        QFETCH(QString, stored);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        const bool browsing = mode.isEmpty() || mode == u"first product"_s;
        if (mode.isEmpty())
            QTest::keyClick(screen.get(), Qt::Key_Down); // AB12, from Brightwater Giftworks
        const QString product = mode.isEmpty() ? u"AB12"_s : browsing ? u"0012"_s : u"NEW-1"_s;
        if (!browsing) {
            click(screen.get(), mode);
            type(screen.get(), 27, product);
        }
        QString caption;
        QTimer picker;
        whenPickerShows(picker, [&](RecordScreen* suppliers) {
            caption = suppliers->windowTitle();
            click(suppliers, QStringList{u"cmdNext"_s, u"cmdNext"_s});
            leavePicker(suppliers, end);
        });
        QLineEdit* supplier = ::tovin::test::box(screen.get(), 28);
        if (open == u"click"_s)
            QTest::mouseClick(supplier, Qt::LeftButton);
        else {
            const QKeyCombination keys = QKeySequence::fromString(open)[0];
            QTest::keyClick(supplier, keys.key(), keys.keyboardModifiers());
        }
        picker.stop();
        if (end.isEmpty()) {
            QVERIFY(!ChildWindows::find(u"frmSupplier"_s));
            QVERIFY(!inEditMode(screen.get()));
        } else {
            QCOMPARE(caption, u"Choose the supplier for "_s + product);
            if (box != u"*"_s)
                QCOMPARE(supplier->text(), box);
            QCOMPARE(inEditMode(screen.get()), !browsing);
            if (mode.isEmpty() && end == u"cmdClose"_s)
                QCOMPARE(screen->primaryRecordSet()->absolutePosition(), 2);
            QTRY_VERIFY(!ChildWindows::find(u"frmSupplier"_s));
        }
        QCOMPARE(productColumn(u"Supplier"_s, product), stored);
        QVERIFY(!m_shell.tasks.supplierScreenClosed);
    }

    // While the supplier screen is open the edit the picker began may be cancelled and a
    // product added: however the picker is then left, that add stays under way and unwritten,
    // and once it is cancelled the status line counts the products again.
    void addBegunWhilePicking_data() {
        QTest::addColumn<QString>("end");
        for (const char* end : {"cmdClose", "cmdCancel", "frame"})
            QTest::newRow(end) << QString::fromLatin1(end);
    }
    void addBegunWhilePicking() {
        QFETCH(QString, end);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        auto screen = showProducts(m_shell);
        RecordSet* records = screen->primaryRecordSet();
        const int count = records->recordCount();
        QTimer picker;
        whenPickerShows(picker, [&](RecordScreen* suppliers) {
            click(screen.get(), QStringList{u"cmdCancel"_s, u"cmdAdd"_s});
            leavePicker(suppliers, end);
        });
        QTest::keyClick(::tovin::test::box(screen.get(), 28), Qt::Key_F4);
        picker.stop();
        QTRY_VERIFY(!ChildWindows::find(u"frmSupplier"_s));
        QVERIFY(inEditMode(screen.get()));
        QVERIFY(records->isAdding());
        click(screen.get(), u"cmdCancel"_s);
        QCOMPARE(records->recordCount(), count);
        QCOMPARE(status(screen.get()),
                 u"Record: %1  of  %2"_s.arg(records->absolutePosition()).arg(count));
    }

    // Closing the screen with a product being edited asks whether to save it.
    void closeWhileEditing_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes saves") << true;
        QTest::newRow("No drops") << false;
    }
    void closeWhileEditing() {
        QFETCH(bool, yes);
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(yes ? MessageAnswer::Yes : MessageAnswer::No);
        auto screen = showProducts(m_shell);
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), 22, u"Renamed Tin"_s);
        QVERIFY(screen->close());
        QCOMPARE(prompts.shownTexts(), QStringList{u"Save the changes to this record?"_s});
        QCOMPARE(productColumn(u"ProdName"_s, u"0012"_s) == u"Renamed Tin"_s, yes);
    }

    // Notes show each of their lines, and what is typed keeps its line breaks as the catalogue
    // keeps them (carriage return and line feed).
    void notesKeepTheirLines() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        const QString lines = u"01/02/03 - Ordered 5\r\n01/09/03 - Received Item\r\n"_s;
        dbRun(u"UPDATE Products SET Notes = ? WHERE StockNo = '0012'"_s, {lines});
        auto screen = showProducts(m_shell);
        auto* notes = control<QPlainTextEdit>(screen.get(), u"txtFields(12)View"_s);
        QCOMPARE(notes->toPlainText(), u"01/02/03 - Ordered 5\n01/09/03 - Received Item\n"_s);
        QCOMPARE(notes->blockCount(), 3);
        click(screen.get(), u"cmdEdit"_s);
        notes->moveCursor(QTextCursor::End);
        QTest::keyClicks(notes, u"Called supplier"_s);
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, u"Late"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(productColumn(u"Notes"_s, u"0012"_s), lines + u"Called supplier\r\nLate"_s);
        QCOMPARE(notes->toPlainText(), MemoView::shownText(lines + u"Called supplier\r\nLate"_s));
    }

    // Both the Close button and closing the window are refused while an order is open.
    void openOrderRefusesToClose() {
        TestProgramFolder folder(Catalogue::Demo, m_shell.catalogue);
        ScriptedPrompts prompts(m_shell.prompts);
        prompts.answerMessage(MessageAnswer::Ok).answerMessage(MessageAnswer::Ok);
        auto screen = showProducts(m_shell);
        auto* orderDone = control<QPushButton>(screen.get(), u"Command2"_s);
        orderDone->show();
        click(screen.get(), u"cmdClose"_s);
        QVERIFY(!screen->close());
        const QString refusal = u"You Have An Open Order! Please Click On The 'Order Done' Button "
                                u"To Finish Your Last Order"_s;
        QCOMPARE(prompts.shownTexts(), (QStringList{refusal, refusal}));
        QVERIFY(screen->isVisible());
        orderDone->hide();
        click(screen.get(), u"cmdClose"_s);
        QVERIFY(!screen->isVisible());
    }
};

QTEST_MAIN(ProductsUseTest)
#include "tst_productsuse.moc"
