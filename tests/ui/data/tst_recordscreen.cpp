// The record maintenance pattern, driven through the category screen and the order screens:
// status line, buttons, navigation keys, Add/Edit/Cancel/Delete, and what the user is told when
// the catalogue refuses a typed value.
#include "core/data/CatalogueDatabase.h"
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/Catagory.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmOrders.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// The offscreen platform notes every window request it can't carry out (size hints, raise);
// those lines would bury the test output.
QtMessageHandler previousHandler = nullptr;
void quietenPlatformNotes() {
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                                const QString& message) {
        if (!message.contains(u"propagateSizeHints"_s) && !message.contains(u"support raise()"_s))
            previousHandler(type, context, message);
    });
}

QVariant scalar(const QString& sql) {
    CatalogueDatabase db(shared().DBPath);
    return db.scalar(sql);
}

// A screen over the products' yes/no column, as a screen with check boxes builds on the pattern.
class TaxableProducts : public RecordScreen {
public:
    TaxableProducts()
        : RecordScreen(u"TaxableProducts"_s, u"Products"_s,
                       u"select PID,StockNo,Taxable from Products order by StockNo"_s) {
        addTextBox({1, u"StockNo"_s, u"Stock #:"_s, {}, DisplayFormat::Plain});
        addCheckBox(2, u"Taxable"_s, u"Taxable:"_s);
        Form_Load();
    }
};

} // namespace

class RecordScreenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { quietenPlatformNotes(); }
    void cleanup() { QCOMPARE(QApplication::overrideCursor(), nullptr); }

    void emptyTable() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Empty);
        auto screen = openScreen<Catagory>();
        QCOMPARE(status(screen.get()), u"NO CURRENT RECORDS"_s);
        for (const QString& name : {u"cmdEdit"_s, u"cmdDelete"_s, u"cmdFirst"_s, u"cmdPrevious"_s,
                                    u"cmdNext"_s, u"cmdLast"_s})
            QVERIFY2(!control<QPushButton>(screen.get(), name)->isEnabled(), qPrintable(name));
        QVERIFY(control<QPushButton>(screen.get(), u"cmdAdd"_s)->isEnabled());
        QVERIFY(box(screen.get(), 1)->isReadOnly());

        click(screen.get(), u"cmdAdd"_s);
        QCOMPARE(status(screen.get()), u"Add record"_s);
        QVERIFY(inEditMode(screen.get()));
        type(screen.get(), 1, u"Toys"_s);
        type(screen.get(), 2, u"9"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(status(screen.get()), u"Record: 1  of  1"_s);
        QVERIFY(!inEditMode(screen.get()));
        QVERIFY(control<QPushButton>(screen.get(), u"cmdEdit"_s)->isEnabled());
        QCOMPARE(scalar(u"select CatName from Catagory where CatNum = '9'"_s).toString(),
                 u"Toys"_s);
    }

    void navigation_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("toBox");
        QTest::addColumn<int>("expected");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        const int ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        // The demo catalogue has eight categories.
        QTest::newRow("Next on the last row stays") << 8 << u"cmdNext"_s << 0 << none << false << 8;
        QTest::newRow("Previous on the first row stays")
            << 1 << u"cmdPrevious"_s << 0 << none << false << 1;
        QTest::newRow("Next") << 3 << u"cmdNext"_s << 0 << none << false << 4;
        QTest::newRow("Last") << 2 << u"cmdLast"_s << 0 << none << false << 8;
        QTest::newRow("First") << 6 << u"cmdFirst"_s << 0 << none << false << 1;
        const struct {
            const char* name;
            int start;
            Qt::Key key;
            int modifiers;
            int expected;
        } keys[] = {
            {"Down", 3, Qt::Key_Down, none, 4},
            {"Down on the last row stays", 8, Qt::Key_Down, none, 8},
            {"Ctrl+Down goes last", 3, Qt::Key_Down, ctrl, 8},
            {"Ctrl+Shift+Down is a plain next", 3, Qt::Key_Down, ctrlShift, 4},
            {"Ctrl+Alt+Down is a plain next", 3, Qt::Key_Down, ctrlAlt, 4},
            {"Page Down", 3, Qt::Key_PageDown, none, 4},
            {"Ctrl+Page Down goes last", 3, Qt::Key_PageDown, ctrl, 8},
            {"Up", 5, Qt::Key_Up, none, 4},
            {"Up on the first row stays", 1, Qt::Key_Up, none, 1},
            {"Ctrl+Up goes first", 5, Qt::Key_Up, ctrl, 1},
            {"Ctrl+Shift+Up is a plain previous", 5, Qt::Key_Up, ctrlShift, 4},
            {"Ctrl+Page Up goes first", 5, Qt::Key_PageUp, ctrl, 1},
            {"Home", 5, Qt::Key_Home, none, 1},
            {"Shift+End", 2, Qt::Key_End, int(Qt::ShiftModifier), 8},
        };
        // Keys reach the screen first, also while one of its boxes has the focus.
        for (const auto& k : keys) {
            QTest::addRow("%s, on the screen", k.name)
                << k.start << QString() << int(k.key) << k.modifiers << false << k.expected;
            QTest::addRow("%s, in a box", k.name)
                << k.start << QString() << int(k.key) << k.modifiers << true << k.expected;
        }
    }

    void navigation() {
        QFETCH(int, start);
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, toBox);
        QFETCH(int, expected);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen = openScreen<Catagory>();
        for (int i = 1; i < start; ++i)
            click(screen.get(), u"cmdNext"_s);
        QCOMPARE(status(screen.get()), u"Record: %1  of  8"_s.arg(start));
        if (!button.isEmpty())
            click(screen.get(), button);
        else if (toBox)
            QTest::keyClick(box(screen.get(), 1), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        else
            QTest::keyClick(screen.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(status(screen.get()), u"Record: %1  of  8"_s.arg(expected));
        QCOMPARE(box(screen.get(), 0)->text(), QString::number(expected));
    }

    void keysIgnoredWhileEditing_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const QString& mode : {u"cmdAdd"_s, u"cmdEdit"_s}) {
            const QByteArray m = mode.toLatin1();
            QTest::newRow(m + " Escape") << mode << int(Qt::Key_Escape) << 0;
            QTest::newRow(m + " Home") << mode << int(Qt::Key_Home) << 0;
            QTest::newRow(m + " End") << mode << int(Qt::Key_End) << 0;
            QTest::newRow(m + " Down") << mode << int(Qt::Key_Down) << 0;
            QTest::newRow(m + " Up") << mode << int(Qt::Key_Up) << 0;
            QTest::newRow(m + " Ctrl+PageDown")
                << mode << int(Qt::Key_PageDown) << int(Qt::ControlModifier);
        }
    }

    void keysIgnoredWhileEditing() {
        QFETCH(QString, mode);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen = openScreen<Catagory>();
        click(screen.get(), u"cmdNext"_s);
        click(screen.get(), mode);
        const QString editing = status(screen.get());
        type(screen.get(), 1, u"Typed"_s);
        QTest::keyClick(screen.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTest::keyClick(box(screen.get(), 1), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(screen->isVisible());
        QCOMPARE(status(screen.get()), editing);
        QVERIFY(inEditMode(screen.get()));
        QCOMPARE(box(screen.get(), 1)->text(), u"Typed"_s);
        // Cancel goes back to the row of the Add, or to the first row when there was no Add.
        click(screen.get(), u"cmdCancel"_s);
        QCOMPARE(status(screen.get()),
                 mode == u"cmdAdd"_s ? u"Record: 2  of  8"_s : u"Record: 1  of  8"_s);
    }

    void escapeCloses() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen = openScreen<Catagory>();
        QTest::keyClick(screen.get(), Qt::Key_Escape);
        QVERIFY(!screen->isVisible());
    }

    void cancelReturnsToSavedRow_data() {
        QTest::addColumn<bool>("addFirst");
        QTest::addColumn<int>("editRow");
        QTest::addColumn<int>("expected");
        QTest::newRow("Add then Cancel") << true << 0 << 3;
        QTest::newRow("Edit on another row after an Add goes to the Add's row") << true << 6 << 3;
        QTest::newRow("Edit without any Add goes to the first row") << false << 6 << 1;
    }

    void cancelReturnsToSavedRow() {
        QFETCH(bool, addFirst);
        QFETCH(int, editRow);
        QFETCH(int, expected);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        const QString sixth = scalar(u"select CatName from Catagory where CID = 6"_s).toString();
        auto screen = openScreen<Catagory>();
        click(screen.get(), u"cmdNext"_s);
        click(screen.get(), u"cmdNext"_s);
        if (addFirst) {
            click(screen.get(), u"cmdAdd"_s);
            QCOMPARE(box(screen.get(), 1)->text(), QString());
            type(screen.get(), 1, u"Never saved"_s);
            click(screen.get(), u"cmdCancel"_s);
        }
        if (editRow > 0) {
            click(screen.get(), u"cmdFirst"_s);
            for (int i = 1; i < editRow; ++i)
                click(screen.get(), u"cmdNext"_s);
            click(screen.get(), u"cmdEdit"_s);
            QCOMPARE(status(screen.get()), u"Edit record"_s);
            type(screen.get(), 1, u"Changed"_s);
            click(screen.get(), u"cmdCancel"_s);
        }
        QCOMPARE(status(screen.get()), u"Record: %1  of  8"_s.arg(expected));
        QCOMPARE(box(screen.get(), 0)->text(), QString::number(expected));
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(scalar(u"select count(*) from Catagory"_s).toInt(), 8);
        QCOMPARE(scalar(u"select CatName from Catagory where CID = 6"_s).toString(), sixth);
    }

    void deleteRow_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the only row") << 1 << 1 << u"NO CURRENT RECORDS"_s;
        QTest::newRow("a middle row moves to the next") << 3 << 2 << u"Record: 2  of  2"_s;
        QTest::newRow("the last row moves to the new last") << 3 << 3 << u"Record: 2  of  2"_s;
        QTest::newRow("the first row") << 3 << 1 << u"Record: 1  of  2"_s;
    }

    void deleteRow() {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QString, expected);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Empty);
        {
            CatalogueDatabase db(shared().DBPath);
            for (int i = 1; i <= rows; ++i)
                db.run(u"insert into Catagory (CatName, CatNum) values (?, ?)"_s,
                       {u"C%1"_s.arg(i), QString::number(i)});
        }
        auto screen = openScreen<Catagory>();
        for (int i = 1; i < row; ++i)
            click(screen.get(), u"cmdNext"_s);
        click(screen.get(), u"cmdDelete"_s);
        QCOMPARE(status(screen.get()), expected);
        QCOMPARE(scalar(u"select count(*) from Catagory"_s).toInt(), rows - 1);
        QCOMPARE(scalar(u"select count(*) from Catagory where CatName = 'C%1'"_s.arg(row)).toInt(),
                 0);
        const bool empty = rows == 1;
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdEdit"_s)->isEnabled(), !empty);
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdNext"_s)->isEnabled(), !empty);
        if (empty)
            QCOMPARE(box(screen.get(), 1)->text(), QString());
    }

    // A value the column can't take is never dropped quietly: the user is told which box holds
    // it, the screen stays in edit mode with the typed text, and the file is unchanged.
    void refusedValue_data() {
        QTest::addColumn<QString>("screenName");
        QTest::addColumn<QString>("start"); // cmdEdit, cmdAdd, or a move button
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("check"); // SQL giving the unchanged value
        QTest::addColumn<QString>("before");
        const QString retail = u"select Retail from Inventory where [Product Id] = 'AB30'"_s;
        const QString onHand = u"select Number from Inventory where [Product Id] = 'AB30'"_s;
        const QString ordered = u"select [Date Ordered] from Orders where ProductOrderID = 'AB7'"_s;
        const QString rows = u"select count(*) from Inventory"_s;
        QTest::newRow("word in a money box, Update")
            << u"frmInventory"_s << u"cmdEdit"_s << 6 << u"cheap"_s
            << u"The Retail box can't take 'cheap': please type a number."_s << retail
            << u"189900"_s;
        QTest::newRow("word in a number box, Update")
            << u"frmInventory"_s << u"cmdEdit"_s << 5 << u"lots"_s
            << u"The On Hand box can't take 'lots': please type a number."_s << onHand << u"3"_s;
        QTest::newRow("impossible date, Update")
            << u"frmOrders"_s << u"cmdEdit"_s << 3 << u"02/30/2024"_s
            << u"The Date Ordered box can't take '02/30/2024': please type a date such as "
               u"03/15/2003."_s
            << ordered << u"2003-03-03"_s;
        QTest::newRow("word in a money box of a new row")
            << u"frmInventory"_s << u"cmdAdd"_s << 1 << u"ten"_s
            << u"The Actual Cost Each box can't take 'ten': please type a number."_s << rows
            << u"10"_s;
        QTest::newRow("word in a money box, moving on")
            << u"frmInventory"_s << u"cmdNext"_s << 6 << u"cheap"_s
            << u"The Retail box can't take 'cheap': please type a number."_s << retail
            << u"189900"_s;
        QTest::newRow("word in a money box, going last")
            << u"frmInventory"_s << u"cmdLast"_s << 7 << u"free"_s
            << u"The Wholesale box can't take 'free': please type a number."_s
            << u"select Wholesale from Inventory where [Product Id] = 'AB30'"_s << u"79500"_s;
    }

    void refusedValue() {
        QFETCH(QString, screenName);
        QFETCH(QString, start);
        QFETCH(int, boxIndex);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, check);
        QFETCH(QString, before);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts;
        std::unique_ptr<QWidget> screen;
        if (screenName == u"frmOrders"_s)
            screen = openScreen<FrmOrders>();
        else
            screen = openScreen<FrmInventory>();
        const bool moving = start != u"cmdEdit"_s && start != u"cmdAdd"_s;
        const QString position = status(screen.get());
        if (!moving)
            click(screen.get(), start);
        const QString editStatus = moving ? u"Edit record"_s : status(screen.get());
        type(screen.get(), boxIndex, typed);
        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), moving ? start : u"cmdUpdate"_s);

        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().size(), 1);
        QCOMPARE(prompts.shown().at(0).text.section(u'\n', 0, 0), message);
        QCOMPARE(prompts.shown().at(0).icon, MessageIcon::Exclamation);
        QCOMPARE(status(screen.get()), editStatus);
        QVERIFY(inEditMode(screen.get()));
        QCOMPARE(box(screen.get(), boxIndex)->text(), typed);
        QCOMPARE(scalar(check).toString(), before);

        // Cancel drops what was typed and leaves the file as it was.
        click(screen.get(), u"cmdCancel"_s);
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(status(screen.get()), position);
        QCOMPARE(scalar(check).toString(), before);
    }

    void refusedValueCorrected() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts;
        auto screen = openScreen<FrmInventory>();
        QCOMPARE(box(screen.get(), 6)->text(), u"$18.99"_s);
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), 4, u"Big Teddy"_s);
        type(screen.get(), 6, u"cheap"_s);
        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(box(screen.get(), 4)->text(), u"Big Teddy"_s);
        type(screen.get(), 6, u"1,250.5"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(box(screen.get(), 6)->text(), u"$1,250.50"_s);
        CatalogueDatabase db(shared().DBPath);
        QCOMPARE(
            db.scalar(u"select Description from Inventory where Retail = 12505000"_s).toString(),
            u"Big Teddy"_s);
    }

    // What is typed in browse mode is written when the screen moves on, as the platform did.
    void typedValueWrittenOnMove_data() {
        QTest::addColumn<QString>("move");
        QTest::newRow("Next") << u"cmdNext"_s;
        QTest::newRow("Last") << u"cmdLast"_s;
        QTest::newRow("Refresh drops it") << u"cmdRefresh"_s;
    }

    void typedValueWrittenOnMove() {
        QFETCH(QString, move);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen = openScreen<Catagory>();
        type(screen.get(), 1, u"Lighting"_s);
        click(screen.get(), move);
        const bool written = move != u"cmdRefresh"_s;
        QCOMPARE(scalar(u"select CatName from Catagory where CID = 1"_s).toString(),
                 written ? u"Lighting"_s : u"Lamps & Lighting"_s);
        click(screen.get(), u"cmdFirst"_s);
        QCOMPARE(box(screen.get(), 1)->text(), written ? u"Lighting"_s : u"Lamps & Lighting"_s);
    }

    void checkBoxBinding() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        const QString first =
            scalar(u"select StockNo from Products order by StockNo limit 1"_s).toString();
        const QString taxable = u"select Taxable from Products where StockNo = '%1'"_s.arg(first);
        const bool before = scalar(taxable).toBool();
        auto screen = openScreen<TaxableProducts>();
        auto* check = control<QCheckBox>(screen.get(), u"chkFields(2)"_s);
        QCOMPARE(box(screen.get(), 1)->text(), first);
        QCOMPARE(check->isChecked(), before);
        click(screen.get(), u"cmdEdit"_s);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(scalar(taxable).toBool(), !before);
        click(screen.get(), u"cmdAdd"_s);
        QVERIFY(!check->isChecked());
        click(screen.get(), u"cmdCancel"_s);
        QCOMPARE(check->isChecked(), !before);
    }

    void unreadableCatalogue() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::None);
        ScriptedPrompts prompts; // nothing may be shown
        auto screen = openScreen<Catagory>();
        QCOMPARE(status(screen.get()), u"NO CURRENT RECORDS"_s);
        QVERIFY(!control<QPushButton>(screen.get(), u"cmdNext"_s)->isEnabled());
        QVERIFY(screen->isVisible());
        QCOMPARE(prompts.shown().size(), 0);
    }

    void hourglassUntilActivated() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        {
            Catagory closedUnseen;
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        {
            // Loaded but never shown: the hourglass goes once the program waits for input.
            Catagory unseen;
            QVERIFY(QApplication::overrideCursor());
            QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        }
        Catagory screen;
        screen.show();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    void opensTopLeftInTheMainWindowArea() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto* screen = new Catagory;
        QMdiSubWindow* frame = area.addSubWindow(screen);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->move(120, 80);
        frame->show();
        area.setActiveSubWindow(frame);
        QTRY_COMPARE(frame->pos(), QPoint(0, 0));
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(status(screen), u"Record: 1  of  8"_s);
        click(screen, u"cmdClose"_s);
        QTRY_VERIFY(area.subWindowList().isEmpty());
    }
};

QTEST_MAIN(RecordScreenTest)
#include "tst_recordscreen.moc"
