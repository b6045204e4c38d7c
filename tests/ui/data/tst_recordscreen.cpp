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
#include <QKeySequence>
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

// The offscreen platform's notes on window requests it can't carry out would bury the output.
QtMessageHandler previousHandler = nullptr;
void quietenPlatformNotes() {
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                                const QString& message) {
        if (!message.contains(u"propagateSizeHints"_s) && !message.contains(u"support raise()"_s))
            previousHandler(type, context, message);
    });
}

QVariant scalar(const QString& sql) {
    return CatalogueDatabase(shared().DBPath).scalar(sql);
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
        const int ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        const struct {
            const char* name;
            int start;
            const char* button; // or a key pressed on the screen and in a box
            int key, modifiers, expected;
        } rows[] = {
            // The demo catalogue has eight categories.
            {"Next on the last row stays", 8, "cmdNext", 0, 0, 8},
            {"Last", 2, "cmdLast", 0, 0, 8},
            {"First", 6, "cmdFirst", 0, 0, 1},
            {"Down on the last row stays", 8, nullptr, Qt::Key_Down, 0, 8},
            {"Ctrl+Down goes last", 3, nullptr, Qt::Key_Down, ctrl, 8},
            {"Ctrl+Shift+Down is a plain next", 3, nullptr, Qt::Key_Down, ctrl | shift, 4},
            {"Ctrl+Page Down goes last", 3, nullptr, Qt::Key_PageDown, ctrl, 8},
            {"Up on the first row stays", 1, nullptr, Qt::Key_Up, 0, 1},
            {"Ctrl+Up goes first", 5, nullptr, Qt::Key_Up, ctrl, 1},
            {"Ctrl+Shift+Up is a plain previous", 5, nullptr, Qt::Key_Up, ctrl | shift, 4},
            {"Home", 5, nullptr, Qt::Key_Home, 0, 1},
            {"Shift+End", 2, nullptr, Qt::Key_End, shift, 8},
        };
        for (const auto& r : rows)
            for (bool toBox : {false, true})
                if (!r.button || !toBox)
                    QTest::addRow("%s%s", r.name, toBox ? ", in a box" : "")
                        << r.start << QString::fromLatin1(r.button) << r.key << r.modifiers << toBox
                        << r.expected;
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
        else // keys reach the screen first, also while one of its boxes has the focus
            QTest::keyClick(toBox ? static_cast<QWidget*>(box(screen.get(), 1)) : screen.get(),
                            Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(status(screen.get()), u"Record: %1  of  8"_s.arg(expected));
        QCOMPARE(box(screen.get(), 0)->text(), QString::number(expected));
    }

    void keysIgnoredWhileEditing_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const char* mode : {"cmdAdd", "cmdEdit"})
            for (int key : {Qt::Key_Escape, Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_Down,
                            Qt::Key_PageDown})
                QTest::addRow("%s %s", mode, qPrintable(QKeySequence(key).toString()))
                    << QString::fromLatin1(mode) << key
                    << int(key == Qt::Key_PageDown ? Qt::ControlModifier : Qt::NoModifier);
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
        const auto typeThenCancel = [&](int row, const QString& mode) {
            click(screen.get(), u"cmdFirst"_s);
            for (int i = 1; i < row; ++i)
                click(screen.get(), u"cmdNext"_s);
            click(screen.get(), mode);
            type(screen.get(), 1, u"Never saved"_s);
            click(screen.get(), u"cmdCancel"_s);
        };
        if (addFirst)
            typeThenCancel(3, u"cmdAdd"_s);
        if (editRow > 0)
            typeThenCancel(editRow, u"cmdEdit"_s);
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
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdEdit"_s)->isEnabled(), rows > 1);
        if (rows == 1)
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
        const QString ordered = u"select [Date Ordered] from Orders where ProductOrderID = 'AB7'"_s;
        const QString rows = u"select count(*) from Inventory"_s;
        QTest::newRow("word in a money box, Update")
            << u"frmInventory"_s << u"cmdEdit"_s << 6 << u"cheap"_s
            << u"The Retail box can't take 'cheap': please type a number."_s << retail
            << u"189900"_s;
        QTest::newRow("impossible date, Update")
            << u"frmOrders"_s << u"cmdEdit"_s << 3 << u"02/30/2024"_s
            << u"The Date Ordered box can't take '02/30/2024': please type a date such as "
               u"03/15/2003."_s
            << ordered << u"2003-03-03"_s;
        QTest::newRow("word in a money box of a new row")
            << u"frmInventory"_s << u"cmdAdd"_s << 1 << u"ten"_s
            << u"The Actual Cost Each box can't take 'ten': please type a number."_s << rows
            << u"10"_s;
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
        std::unique_ptr<QWidget> screen = screenName == u"frmOrders"_s
                                              ? std::unique_ptr<QWidget>(openScreen<FrmOrders>())
                                              : openScreen<FrmInventory>();
        const bool moving = start != u"cmdEdit"_s && start != u"cmdAdd"_s;
        const QString position = status(screen.get());
        if (!moving)
            click(screen.get(), start);
        const QString editStatus = moving ? u"Edit record"_s : status(screen.get());
        type(screen.get(), boxIndex, typed);
        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), moving ? start : u"cmdUpdate"_s);

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
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), 4, u"Big Teddy"_s);
        type(screen.get(), 6, u"cheap"_s);
        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), u"cmdUpdate"_s);
        type(screen.get(), 6, u"1,250.5"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        QCOMPARE(box(screen.get(), 6)->text(), u"$1,250.50"_s);
        QCOMPARE(scalar(u"select Description from Inventory where Retail = 12505000"_s).toString(),
                 u"Big Teddy"_s);
    }

    // What is typed in browse mode is written when the screen moves on.
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
        QVERIFY(screen->isVisible());
        QCOMPARE(prompts.shown().size(), 0);
    }

    void hourglassUntilActivated() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        // Loaded but never shown: the hourglass goes when the program waits for input, or with
        // the screen.
        for (bool wait : {false, true}) {
            Catagory unseen;
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            if (wait)
                QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        }
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
