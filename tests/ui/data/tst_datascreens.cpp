// The seven screens on the record maintenance pattern: what each shows, and what the setup and
// supplier screens do differently.
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/Screens.h"
#include "ui/data/FrmSetup.h"
#include "ui/data/FrmSupplier.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QPushButton>
#include <numeric>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

class DataScreensTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
    }

    void cleanup() { QCOMPARE(QApplication::overrideCursor(), nullptr); }

    // Each screen opens from its registered name with its table's name as caption, its boxes at
    // their indices and the first row shown in the boxes' formats; one box per kind of format.
    void screenContents_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        const auto upTo = [](int last) {
            QList<int> all(last + 1);
            std::iota(all.begin(), all.end(), 0);
            return all;
        };
        const QList<int> setup{0, 2, 3, 4, 5, 6, 9, 10, 17, 19, 23};
        QTest::newRow("Catagory name")
            << u"Catagory"_s << upTo(2) << 1 << u"Category Name:"_s << u"Lamps & Lighting"_s;
        QTest::newRow("Setup web page") << u"frmSetup"_s << setup << 23 << u"Web Page:"_s
                                        << u"http://www.maplelane.example.com/"_s;
        QTest::newRow("Supplier tax rate")
            << u"frmSupplier"_s << upTo(22) << 22 << u"Sales Tax:"_s << u"7%"_s;
        QTest::newRow("Supplier password, masked")
            << u"frmSupplier"_s << upTo(22) << 21 << u"Password:"_s << u"demo2003"_s;
        QTest::newRow("Orders date")
            << u"frmOrders"_s << upTo(15) << 3 << u"Date Ordered:"_s << u"03/03/2003"_s;
        QTest::newRow("Orders net cost")
            << u"frmOrders"_s << upTo(15) << 13 << u"Net Cost:"_s << u"$19.35"_s;
        QTest::newRow("Invoice grand total")
            << u"frmInvoice"_s << upTo(7) << 2 << u"Grand Total:"_s << u"$97.17"_s;
        QTest::newRow("Inventory on hand")
            << u"frmInventory"_s << upTo(7) << 5 << u"On Hand:"_s << u"3"_s;
        QTest::newRow("Sales price sold")
            << u"frmSales"_s << upTo(7) << 5 << u"Total Price Sold For:"_s << u"$27.90"_s;
    }
    void screenContents() {
        QFETCH(QString, name);
        QFETCH(QList<int>, indices);
        QFETCH(int, index);
        QFETCH(QString, label);
        QFETCH(QString, text);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        QPointer<QWidget> screen = ChildWindows::show(name);
        QVERIFY(screen);
        QCOMPARE(screen->objectName(), name);
        const QString table = name == u"Catagory"_s ? name : name.mid(3); // also the caption
        QCOMPARE(screen->windowTitle(), table);
        QCOMPARE(status(screen),
                 u"Record: 1  of  %1"_s.arg(dbValue(u"select count(*) from "_s + table).toInt()));
        QList<int> found;
        for (QLineEdit* edit : screen->findChildren<QLineEdit*>())
            if (edit->objectName().startsWith(u"txtFields("_s))
                found << edit->objectName().mid(10).chopped(1).toInt();
        std::sort(found.begin(), found.end());
        QCOMPARE(found, indices);
        QCOMPARE(control<QLabel>(screen, u"lblLabels"_s, index)->text(), label);
        QCOMPARE(box(screen, index)->text(), text);
        ChildWindows::unload(name);
        QTRY_VERIFY(!screen);
    }

    // On the setup screen Update leaves the adding or editing flag set: the navigation keys
    // stay off while the buttons work.
    void setupKeysStayOffAfterUpdate_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("statusAfterUpdate");
        QTest::addColumn<int>("rows");
        QTest::newRow("after Add") << u"cmdAdd"_s << u"Add record"_s << 3;
        QTest::newRow("after Edit") << u"cmdEdit"_s << u"Edit record"_s << 2;
    }
    void setupKeysStayOffAfterUpdate() {
        QFETCH(QString, start);
        QFETCH(QString, statusAfterUpdate);
        QFETCH(int, rows);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        dbRun(u"insert into Setup ([Company Name]) values ('Zeta Shop')"_s);
        auto screen =
            openScreen<FrmSetup>(TestProgramFolder::current().catalogue(), m_shell.prompts);
        click(screen.get(), start);
        type(screen.get(), 17, u"Robin Vale"_s);
        click(screen.get(), u"cmdUpdate"_s);
        QVERIFY(!control<QPushButton>(screen.get(), u"cmdAdd"_s)->isHidden());
        QVERIFY(control<QPushButton>(screen.get(), u"cmdUpdate"_s)->isHidden());
        QCOMPARE(status(screen.get()), statusAfterUpdate);
        QCOMPARE(dbValue(u"select count(*) from Setup where [Owner Name] = 'Robin Vale'"_s).toInt(),
                 1);
        click(screen.get(), u"cmdLast"_s);
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_Up, Qt::Key_Escape})
            QTest::keyClick(screen.get(), key);
        QVERIFY(screen->isVisible());
        QCOMPARE(status(screen.get()), u"Record: %1  of  %1"_s.arg(rows));
        click(screen.get(), u"cmdFirst"_s);
        QCOMPARE(status(screen.get()), u"Record: 1  of  %1"_s.arg(rows));
    }

    void supplierFilter_data() {
        QTest::addColumn<QString>("searchWhere");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        const QString first = u"Brightwater Giftworks"_s;
        QTest::newRow("no condition") << QString() << 3 << first;
        QTest::newRow("one supplier")
            << u"name = 'Kestrel Ridge Tool Supply'"_s << 1 << u"Kestrel Ridge Tool Supply"_s;
        QTest::newRow("a name with an ampersand")
            << u"name = 'Pennybrook Lamp & Garden Co.'"_s << 1 << u"Pennybrook Lamp & Garden Co."_s;
        QTest::newRow("no match") << u"name = 'Nobody Ltd'"_s << 0 << QString();
        QTest::newRow("a product search shows every supplier")
            << u"[StockNo] like '*AB*'"_s << 3 << first;
        QTest::newRow("a broken condition shows every supplier")
            << u"name = 'unclosed"_s << 3 << first;
    }
    void supplierFilter() {
        QFETCH(QString, searchWhere);
        QFETCH(int, count);
        QFETCH(QString, name);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts); // nothing may be shown
        m_shell.search.SearchWhere = searchWhere;
        auto screen = openScreen<FrmSupplier>(TestProgramFolder::current().catalogue(),
                                              m_shell.prompts, m_shell.search, m_shell.tasks);
        QCOMPARE(status(screen.get()),
                 count ? u"Record: 1  of  %1"_s.arg(count) : u"NO CURRENT RECORDS"_s);
        QCOMPARE(box(screen.get(), 8)->text(), name);
        QCOMPARE(box(screen.get(), 21)->echoMode(), QLineEdit::Password);
        QCOMPARE(prompts.shown().size(), 0);
    }

    // A rate is typed in percent and kept as a fraction; a word is refused, the file unchanged.
    void supplierTaxRate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("7 is 7%") << u"7"_s << u"7%"_s << 0.07 << QString();
        QTest::newRow("8.25 is 8.25%, shown rounded")
            << u"8.25"_s << u"8%"_s << 0.0825 << QString();
        QTest::newRow("typed with the sign") << u"6%"_s << u"6%"_s << 0.06 << QString();
        QTest::newRow("zero") << u"0"_s << u"0%"_s << 0.0 << QString();
        QTest::newRow("a word") << u"some"_s << u"some"_s << 0.07
                                << u"The Sales Tax box can't take 'some': please type a number."_s;
    }
    void supplierTaxRate() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, stored);
        QFETCH(QString, message);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        ScriptedPrompts prompts(m_shell.prompts);
        if (!message.isEmpty())
            prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<FrmSupplier>(TestProgramFolder::current().catalogue(),
                                              m_shell.prompts, m_shell.search, m_shell.tasks);
        click(screen.get(), u"cmdEdit"_s);
        type(screen.get(), 22, typed);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box(screen.get(), 22), &leave);
        QCOMPARE(box(screen.get(), 22)->text(), shown);
        click(screen.get(), u"cmdUpdate"_s);
        QCOMPARE(box(screen.get(), 22)->text(), shown);
        QCOMPARE(prompts.shownTexts().value(0).section(u'\n', 0, 0), message);
        QCOMPARE(inEditMode(screen.get()), !message.isEmpty());
        const double rate = dbValue(u"select TaxRate from Supplier where SID = 1"_s).toDouble();
        QVERIFY2(qAbs(rate - stored) < 1e-12, qPrintable(QString::number(rate, 'g', 17)));
    }

    // A screen waiting for the supplier screen goes on when it is cancelled or closed.
    void supplierSignalsItsOpener_data() {
        QTest::addColumn<QString>("action");
        for (const char* action : {"cmdCancel", "cmdClose", "Escape"})
            QTest::newRow(action) << QString::fromLatin1(action);
    }
    void supplierSignalsItsOpener() {
        QFETCH(QString, action);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        m_shell.catalogue = folder.catalogue();
        auto screen = openScreen<FrmSupplier>(TestProgramFolder::current().catalogue(),
                                              m_shell.prompts, m_shell.search, m_shell.tasks);
        m_shell.tasks.supplierScreenClosed = false;
        if (action == u"Escape"_s)
            QTest::keyClick(screen.get(), Qt::Key_Escape);
        else if (action == u"cmdCancel"_s)
            click(screen.get(), u"cmdEdit"_s);
        if (action != u"Escape"_s)
            click(screen.get(), action);
        QVERIFY(m_shell.tasks.supplierScreenClosed);
        QCOMPARE(screen->isVisible(), action == u"cmdCancel"_s); // Cancel leaves it open
    }
};

QTEST_MAIN(DataScreensTest)
#include "tst_datascreens.moc"
