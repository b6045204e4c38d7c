// The record maintenance pattern, driven through the category screen and the order screens:
// status line, buttons, navigation keys, Add/Edit/Cancel/Delete, and what the user is told when
// the catalogue refuses a typed value.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/orders/OrderSession.h"
#include "core/products/SearchInForce.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/Catagory.h"
#include "ui/data/FrmInventory.h"
#include "ui/data/FrmOrders.h"
#include "ui/data/FrmSetup.h"
#include "ui/data/FrmSupplier.h"
#include "ui/data/RecordBinding.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Where the screens of these tests ask their questions, and the tests' scripts answer them.
PromptsInUse& screenPrompts() {
    static PromptsInUse prompts;
    return prompts;
}

void clickTimes(QWidget* screen, const QString& button, int times) {
    for (int i = 0; i < times; ++i)
        click(screen, button);
}

// A screen over the products' yes/no column, as a screen with check boxes builds on the pattern.
class TaxableProducts : public RecordScreen {
public:
    TaxableProducts()
        : RecordScreen(TestProgramFolder::current().catalogue(), screenPrompts(),
                       u"TaxableProducts"_s, u"Products"_s,
                       u"select PID,StockNo,Taxable from Products order by StockNo"_s) {
        addTextBox({1, u"StockNo"_s, u"Stock #:"_s, {}, DisplayFormat::Plain});
        addCheckBox(2, u"Taxable"_s, u"Taxable:"_s);
        Form_Load();
    }
};

std::unique_ptr<RecordScreen> openByName(const QString& name, OrderSession& order,
                                         SearchInForce& search, TaskScreenHandoff& tasks) {
    if (name == u"frmSupplier"_s)
        return openScreen<FrmSupplier>(TestProgramFolder::current().catalogue(), screenPrompts(),
                                       search, tasks);
    if (name == u"frmSetup"_s)
        return openScreen<FrmSetup>(TestProgramFolder::current().catalogue(), screenPrompts());
    if (name == u"frmInventory"_s)
        return openScreen<FrmInventory>(TestProgramFolder::current().catalogue(), screenPrompts(),
                                        order);
    return openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
}

} // namespace

class RecordScreenTest : public QObject {
    Q_OBJECT
    // What the inventory, orders and supplier screens are made with.
    OrderSession m_order;
    SearchInForce m_search;
    TaskScreenHandoff m_tasks;

private slots:
    void initTestCase() { quietenPlatformNotes(); }
    void cleanup() { QCOMPARE(QApplication::overrideCursor(), nullptr); }

    // A bound box shows what another connection wrote to its row as soon as that is in the
    // file, with no screen asking for it; a box of another row, or one the user typed into,
    // keeps what it shows.
    void boundBoxFollowsWritesElsewhere_data() {
        QTest::addColumn<QString>("written"); // the stock number whose name is written
        QTest::addColumn<QString>("typed");   // typed into the box before (nothing when empty)
        QTest::addColumn<QString>("shown");   // empty: what it showed before
        QTest::newRow("the row on show") << u"AB12"_s << QString() << u"Written elsewhere"_s;
        QTest::newRow("another row") << u"AB15"_s << QString() << QString();
        QTest::newRow("the row on show with a typed change")
            << u"AB12"_s << u"Typed here"_s << u"Typed here"_s;
    }
    void boundBoxFollowsWritesElsewhere() {
        QFETCH(QString, written);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        RecordSet rs;
        rs.open(u"select StockNo,ProdName from Products order by StockNo"_s, db);
        rs.find(u"StockNo = 'AB12'"_s);
        RecordBinding binding;
        BoundTextBox box(1, u"ProdName"_s, QString());
        binding.addTextBox(&box);
        binding.bind(&rs);
        const QString before = box.text();
        QVERIFY(!before.isEmpty());
        if (!typed.isEmpty())
            binding.setBoxValue(&box, typed);
        dbRun(u"UPDATE Products SET ProdName = 'Written elsewhere' WHERE StockNo = ?"_s, {written});
        QCOMPARE(box.text(), shown.isEmpty() ? before : shown);
    }

    // A catalogue with no rows, or none that can be read, shows no record and offers only
    // Add; nothing is asked or told. A row added is then shown and saved.
    void emptyTable_data() {
        QTest::addColumn<bool>("readable");
        QTest::newRow("no rows") << true;
        QTest::newRow("no catalogue file") << false;
    }
    void emptyTable() {
        QFETCH(bool, readable);
        TestProgramFolder folder(readable ? TestProgramFolder::Catalogue::Empty
                                          : TestProgramFolder::Catalogue::None);
        ScriptedPrompts prompts(screenPrompts()); // nothing may be shown
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        QCOMPARE(status(screen.get()), u"NO CURRENT RECORDS"_s);
        for (const QString& name : {u"cmdEdit"_s, u"cmdDelete"_s, u"cmdFirst"_s, u"cmdPrevious"_s,
                                    u"cmdNext"_s, u"cmdLast"_s})
            QVERIFY2(!control<QPushButton>(screen.get(), name)->isEnabled(), qPrintable(name));
        QVERIFY(box(screen.get(), 1)->isReadOnly());
        QCOMPARE(prompts.shown().size(), 0);
        if (!readable)
            return;
        click(screen.get(), u"cmdAdd"_s);
        QCOMPARE(status(screen.get()), u"Add record"_s);
        type(screen.get(), 1, u"Toys"_s);
        type(screen.get(), 2, u"9"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(status(screen.get()), u"Record: 1  of  1"_s);
        QVERIFY(!inEditMode(screen.get()));
        QVERIFY(control<QPushButton>(screen.get(), u"cmdEdit"_s)->isEnabled());
        QCOMPARE(dbValue(u"select CatName from Catagory where CatNum = '9'"_s).toString(),
                 u"Toys"_s);
    }

    // Buttons, or keys pressed on the screen or in one of its boxes; the demo has eight rows.
    // While a row is added or edited the keys do nothing: the typed text stays.
    void navigation_data() {
        QTest::addColumn<QString>("mode"); // "" browsing, or cmdAdd / cmdEdit
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("press"); // a button's name, or keys
        QTest::addColumn<bool>("toBox");
        QTest::addColumn<int>("expected");
        const struct {
            int start;
            const char* press;
            int expected;
        } rows[] = {{8, "cmdNext", 8},   {6, "cmdFirst", 1},        {8, "Down", 8},
                    {3, "Ctrl+Down", 8}, {3, "Ctrl+Shift+Down", 4}, {3, "Ctrl+PgDown", 8},
                    {1, "Up", 1},        {5, "Ctrl+Up", 1},         {5, "Ctrl+Shift+Up", 4},
                    {5, "Home", 1},      {2, "Shift+End", 8}};
        for (const auto& r : rows)
            for (bool toBox : {false, true})
                if (!toBox || !QByteArray(r.press).startsWith("cmd"))
                    QTest::addRow("%s on row %d%s", r.press, r.start, toBox ? ", in a box" : "")
                        << QString() << r.start << QString::fromLatin1(r.press) << toBox
                        << r.expected;
        for (const char* mode : {"cmdAdd", "cmdEdit"})
            for (const char* keys : {"Esc", "Home", "End", "Up", "Down", "Ctrl+PgDown"})
                for (bool toBox : {false, true})
                    QTest::addRow("%s %s%s", mode, keys, toBox ? ", in a box" : "")
                        << QString::fromLatin1(mode) << 2 << QString::fromLatin1(keys) << toBox
                        << 2;
    }
    void navigation() {
        QFETCH(QString, mode);
        QFETCH(int, start);
        QFETCH(QString, press);
        QFETCH(bool, toBox);
        QFETCH(int, expected);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        clickTimes(screen.get(), u"cmdNext"_s, start - 1);
        if (!mode.isEmpty()) {
            click(screen.get(), mode);
            type(screen.get(), 1, u"Typed"_s);
        }
        const QString before = status(screen.get());
        if (press.startsWith(u"cmd"_s))
            click(screen.get(), press);
        else
            pressKeys(toBox ? static_cast<QWidget*>(box(screen.get(), 1)) : screen.get(), press);
        QVERIFY(screen->isVisible());
        QCOMPARE(inEditMode(screen.get()), !mode.isEmpty());
        if (!mode.isEmpty()) {
            QCOMPARE(status(screen.get()), before);
            QCOMPARE(box(screen.get(), 1)->text(), u"Typed"_s);
        } else {
            QCOMPARE(before, u"Record: %1  of  8"_s.arg(start));
            QCOMPARE(status(screen.get()), u"Record: %1  of  8"_s.arg(expected));
            QCOMPARE(box(screen.get(), 0)->text(), QString::number(expected));
        }
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
        const QString sixth = dbValue(u"select CatName from Catagory where CID = 6"_s).toString();
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        const auto typeThenCancel = [&](int row, const QString& mode) {
            click(screen.get(), u"cmdFirst"_s);
            clickTimes(screen.get(), u"cmdNext"_s, row - 1);
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
        QCOMPARE(dbValue(u"select count(*) from Catagory"_s).toInt(), 8);
        QCOMPARE(dbValue(u"select CatName from Catagory where CID = 6"_s).toString(), sixth);
    }

    // Delete asks first, with No as its default; Yes deletes and shows the next row, or the new
    // last. A row the catalogue keeps (here a rule of the file refuses it) is not shown as gone:
    // the user is told, and the screen stays on it.
    void deleteRow_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("answer"); // Yes, No, or "refused": Yes and the file refuses
        QTest::addColumn<QString>("expected");
        const QString twoOfTwo = u"Record: 2  of  2"_s, twoOfThree = u"Record: 2  of  3"_s;
        QTest::newRow("the only row") << 1 << 1 << u"Yes"_s << u"NO CURRENT RECORDS"_s;
        QTest::newRow("a middle row moves to the next") << 3 << 2 << u"Yes"_s << twoOfTwo;
        QTest::newRow("the last row moves to the new last") << 3 << 3 << u"Yes"_s << twoOfTwo;
        QTest::newRow("the first row") << 3 << 1 << u"Yes"_s << u"Record: 1  of  2"_s;
        QTest::newRow("No keeps the row") << 3 << 2 << u"No"_s << twoOfThree;
        QTest::newRow("a row the catalogue refuses to delete stays")
            << 3 << 2 << u"refused"_s << twoOfThree;
    }
    void deleteRow() {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Empty);
        for (int i = 1; i <= rows; ++i)
            dbRun(u"insert into Catagory (CatName, CatNum) values (?, ?)"_s,
                  {u"C%1"_s.arg(i), QString::number(i)});
        const bool refused = answer == u"refused"_s, deleted = answer == u"Yes"_s;
        if (refused)
            dbRun(u"create trigger keep_categories before delete on Catagory "
                  u"begin select raise(abort, 'categories are kept'); end"_s);
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(answer == u"No"_s ? MessageAnswer::No : MessageAnswer::Yes);
        if (refused)
            prompts.answerMessage(MessageAnswer::Ok);
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        clickTimes(screen.get(), u"cmdNext"_s, row - 1);
        click(screen.get(), u"cmdDelete"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().size(), refused ? 2 : 1);
        QCOMPARE(prompts.shownTexts().at(0), u"Delete this record?"_s);
        QCOMPARE(prompts.shown().at(0).buttons, MessageButtons::YesNo);
        QCOMPARE(prompts.shown().at(0).defaultButton, MessageDefault::Second);
        if (refused)
            QVERIFY(prompts.shownTexts().at(1).startsWith(u"This record was not deleted."_s));
        QCOMPARE(status(screen.get()), expected);
        QCOMPARE(dbValue(u"select count(*) from Catagory"_s).toInt(), rows - int(deleted));
        QCOMPARE(dbValue(u"select count(*) from Catagory where CatName = ?"_s, {u"C%1"_s.arg(row)})
                     .toInt(),
                 int(!deleted));
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdEdit"_s)->isEnabled(),
                 rows > 1 || !deleted);
        if (!deleted)
            QCOMPARE(box(screen.get(), 1)->text(), u"C%1"_s.arg(row));
        else if (rows == 1)
            QCOMPARE(box(screen.get(), 1)->text(), QString());
    }

    // After the row commands the focus is in the first box the user can type in (the counter
    // key is not one) or on Edit: never on Delete, where a stray Space would remove the row.
    void focusAfterRowCommands_data() {
        QTest::addColumn<QStringList>("clicks");
        for (const char* clicks : {"cmdAdd", "cmdEdit", "cmdAdd cmdCancel", "cmdAdd cmdUpdate",
                                   "cmdEdit cmdUpdate", "cmdEdit cmdCancel"})
            QTest::newRow(clicks) << QString::fromLatin1(clicks).split(u' ');
    }
    void focusAfterRowCommands() {
        QFETCH(QStringList, clicks);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts(screenPrompts()); // a Delete would ask, and fail the test
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
        for (const QString& button : clicks) {
            click(screen.get(), button);
            if (inEditMode(screen.get()))
                type(screen.get(), 1, u"Typed"_s);
        }
        QCOMPARE(focusName(screen.get()), clicks.size() == 1 ? u"txtFields(1)"_s : u"cmdEdit"_s);
        QTest::keyClick(screen->window()->focusWidget(), Qt::Key_Space);
        QCOMPARE(dbValue(u"select count(*) from Catagory"_s).toInt(),
                 clicks.join(u' ') == u"cmdAdd cmdUpdate"_s ? 9 : 8);
        QCOMPARE(prompts.shown().size(), 0);
    }

    // Closing a screen while a row is edited asks first: Yes saves (a refused value keeps the
    // screen open with its message), No drops the typing, Cancel keeps everything on show.
    void closeWhileEditing_data() {
        QTest::addColumn<bool>("byFrame");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("money"); // typed into the Retail box
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        for (bool byFrame : {false, true}) {
            const char* how = byFrame ? "frame" : "window";
            QTest::addRow("%s: Yes saves", how) << byFrame << u"Yes"_s << u"12"_s << true << true;
            QTest::addRow("%s: No drops", how) << byFrame << u"No"_s << u"12"_s << true << false;
            QTest::addRow("%s: Cancel keeps", how)
                << byFrame << u"Cancel"_s << u"12"_s << false << false;
            QTest::addRow("%s: Yes, refused value", how)
                << byFrame << u"Yes"_s << u"cheap"_s << false << false;
        }
    }
    void closeWhileEditing() {
        QFETCH(bool, byFrame);
        QFETCH(QString, answer);
        QFETCH(QString, money);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(answer == u"Yes"_s  ? MessageAnswer::Yes
                              : answer == u"No"_s ? MessageAnswer::No
                                                  : MessageAnswer::Cancel);
        if (money == u"cheap"_s)
            prompts.answerMessage(MessageAnswer::Ok);
        QMdiArea area;
        QPointer<FrmInventory> screen =
            new FrmInventory(TestProgramFolder::current().catalogue(), screenPrompts(), m_order);
        QPointer<QMdiSubWindow> frame;
        if (byFrame) {
            area.resize(900, 700);
            area.show();
            frame = area.addSubWindow(screen);
            frame->setAttribute(Qt::WA_DeleteOnClose);
            frame->show();
        } else {
            screen->setAttribute(Qt::WA_DeleteOnClose);
            screen->show();
        }
        click(screen, u"cmdEdit"_s);
        type(screen, 4, u"Big Teddy"_s);
        type(screen, 6, money);
        if (byFrame)
            frame->close();
        else
            screen->close();
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shownTexts().at(0), u"Save the changes to this record?"_s);
        QCOMPARE(prompts.shown().at(0).buttons, MessageButtons::YesNoCancel);
        QTRY_COMPARE(screen.isNull(), closed);
        QCOMPARE(
            dbValue(u"select count(*) from Inventory where Description = 'Big Teddy'"_s).toInt(),
            saved ? 1 : 0);
        if (!closed) {
            QVERIFY(screen->isVisible() && inEditMode(screen));
            QCOMPARE(box(screen, 4)->text(), u"Big Teddy"_s);
            delete screen;
        }
    }

    // The counter keys are given by the catalogue: shown, never typed over. Update shows the
    // position again instead of "Edit record" or "Add record", the supplier screen included.
    // (The setup screen keeps its flags, and its status, after Update.)
    void counterKeysAndStatusAfterUpdate_data() {
        QTest::addColumn<QString>("screenName");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("boxIndex"); // a box typed into before Update
        for (const char* name : {"Catagory", "frmSupplier"})
            for (const char* mode : {"", "cmdEdit", "cmdAdd"})
                QTest::addRow("%s %s", name, *mode ? mode : "browsing")
                    << QString::fromLatin1(name) << QString::fromLatin1(mode)
                    << (QByteArray(name) == "Catagory" ? 1 : 8);
    }
    void counterKeysAndStatusAfterUpdate() {
        QFETCH(QString, screenName);
        QFETCH(QString, mode);
        QFETCH(int, boxIndex);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen = openByName(screenName, m_order, m_search, m_tasks);
        const QString before = status(screen.get());
        const int count = screen->primaryRecordSet()->recordCount();
        if (!mode.isEmpty())
            click(screen.get(), mode);
        const QString key = box(screen.get(), 0)->text();
        QVERIFY(box(screen.get(), 0)->isReadOnly());
        type(screen.get(), 0, u"77"_s);
        QCOMPARE(box(screen.get(), 0)->text(), key);
        if (mode.isEmpty())
            return;
        type(screen.get(), boxIndex, u"Typed"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(status(screen.get()),
                 mode == u"cmdAdd"_s ? u"Record: %1  of  %1"_s.arg(count + 1) : before);
    }

    // A value the column can't take is never dropped quietly: the user is told which box holds
    // it, the screen stays in edit mode with the typed text, and the file is unchanged.
    void refusedValue_data() {
        QTest::addColumn<QString>("start"); // cmdEdit, cmdAdd, or a move button
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("check"); // SQL giving a value that must stay unchanged
        const QString number = u"The %1 box can't take '%2': please type a number."_s;
        const QString ab30 = u"select %1 from Inventory where [Product Id] = 'AB30'"_s;
        QTest::newRow("word in a money box, Update")
            << u"cmdEdit"_s << 6 << u"cheap"_s << number.arg(u"Retail"_s, u"cheap"_s)
            << ab30.arg(u"Retail"_s);
        QTest::newRow("impossible date, Update")
            << u"cmdEdit"_s << 3 << u"02/30/2024"_s
            << u"The Date Ordered box can't take '02/30/2024': please type a date such as "
               u"03/15/2003."_s
            << u"select [Date Ordered] from Orders where ProductOrderID = 'AB7'"_s;
        QTest::newRow("word in a money box of a new row")
            << u"cmdAdd"_s << 1 << u"ten"_s << number.arg(u"Actual Cost Each"_s, u"ten"_s)
            << u"select count(*) from Inventory"_s;
        QTest::newRow("word in a money box, going last")
            << u"cmdLast"_s << 7 << u"free"_s << number.arg(u"Wholesale"_s, u"free"_s)
            << ab30.arg(u"Wholesale"_s);
    }
    void refusedValue() {
        QFETCH(QString, start);
        QFETCH(int, boxIndex);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, check);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts(screenPrompts());
        const QString before = dbValue(check).toString();
        QVERIFY(!before.isEmpty());
        std::unique_ptr<QWidget> screen;
        if (check.contains(u"from Orders"_s))
            screen = openScreen<FrmOrders>(TestProgramFolder::current().catalogue(),
                                           screenPrompts(), m_order);
        else
            screen = openScreen<FrmInventory>(TestProgramFolder::current().catalogue(),
                                              screenPrompts(), m_order);
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
        QCOMPARE(dbValue(check).toString(), before);
        // Cancel drops what was typed and leaves the file as it was.
        click(screen.get(), u"cmdCancel"_s);
        QVERIFY(!inEditMode(screen.get()));
        QCOMPARE(status(screen.get()), position);
        QCOMPARE(dbValue(check).toString(), before);
    }

    void refusedValueCorrected() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        ScriptedPrompts prompts(screenPrompts());
        auto screen = openScreen<FrmInventory>(TestProgramFolder::current().catalogue(),
                                               screenPrompts(), m_order);
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), 4, u"Big Teddy"_s);
        type(screen.get(), 6, u"cheap"_s);
        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), u"cmdUpdate"_s);
        type(screen.get(), 6, u"1,250.5"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(prompts.shown().size(), 1);
        QCOMPARE(box(screen.get(), 6)->text(), u"$1,250.50"_s);
        QCOMPARE(dbValue(u"select Description from Inventory where Retail = 12505000"_s).toString(),
                 u"Big Teddy"_s);
    }

    // What is typed in browse mode is written when the screen moves on; Refresh drops it.
    void typedValueWrittenOnMove_data() {
        QTest::addColumn<QString>("move");
        QTest::addColumn<QString>("kept");
        QTest::newRow("Next") << u"cmdNext"_s << u"Lighting"_s;
        QTest::newRow("Last") << u"cmdLast"_s << u"Lighting"_s;
        QTest::newRow("Refresh") << u"cmdRefresh"_s << u"Lamps & Lighting"_s;
    }
    void typedValueWrittenOnMove() {
        QFETCH(QString, move);
        QFETCH(QString, kept);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        auto screen =
            openScreen<Catagory>(TestProgramFolder::current().catalogue(), screenPrompts());
        type(screen.get(), 1, u"Lighting"_s);
        click(screen.get(), move);
        QCOMPARE(dbValue(u"select CatName from Catagory where CID = 1"_s).toString(), kept);
        click(screen.get(), u"cmdFirst"_s);
        QCOMPARE(box(screen.get(), 1)->text(), kept);
    }

    void checkBoxBinding() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        const QString first =
            dbValue(u"select StockNo from Products order by StockNo limit 1"_s).toString();
        const QString taxable = u"select Taxable from Products where StockNo = '%1'"_s.arg(first);
        const bool before = dbValue(taxable).toBool();
        auto screen = openScreen<TaxableProducts>();
        auto* check = control<QCheckBox>(screen.get(), u"chkFields(2)"_s);
        QCOMPARE(box(screen.get(), 1)->text(), first);
        QCOMPARE(check->isChecked(), before);
        click(screen.get(), u"cmdEdit"_s);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(dbValue(taxable).toBool(), !before);
        click(screen.get(), u"cmdAdd"_s);
        QVERIFY(!check->isChecked());
        click(screen.get(), u"cmdCancel"_s);
        QCOMPARE(check->isChecked(), !before);
    }

    void opensTopLeftInTheMainWindowArea() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        auto* screen = new Catagory(TestProgramFolder::current().catalogue(), screenPrompts());
        QMdiSubWindow* frame = area.addSubWindow(screen);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->move(120, 80);
        frame->show();
        area.setActiveSubWindow(frame);
        QTRY_COMPARE(frame->pos(), QPoint(0, 0));
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
        click(screen, u"cmdClose"_s);
        QTRY_VERIFY(area.subWindowList().isEmpty());
    }
};

QTEST_MAIN(RecordScreenTest)
#include "tst_recordscreen.moc"
