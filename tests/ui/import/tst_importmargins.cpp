// The import screen and margins: the tick that keeps them (remembered, and reaching the import),
// the summary of what a price list did to them on the last page and in the trial run, and the
// button that shows the products under the minimum margin on the Products screen, however the
// import screen was opened.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/margins/BelowMarginList.h"
#include "core/margins/MarginSettings.h"
#include "core/settings/SettingsStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/FakeWebProducts.h"
#include "ui/Screens.h"
#include "ui/import/BuildDB.h"
#include "ui/products/ProductBoxes.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellState.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// Each time the import screen waits for the user, the next step: "row:N" clicks line N of the
// list, "click:NAME" a button, "list:" keeps what the list shows (then goes straight on),
// "margins:" keeps the margins box and whether it shows, "end" ends with `last`.
class Steps : public QObject {
public:
    Steps(BuildDB& screen, QStringList steps, std::function<void(BuildDB&)> last = {})
        : m_screen(&screen), m_steps(std::move(steps)), m_last(std::move(last)) {
        connect(&screen, &BuildDB::waiting, this,
                [this] { QTimer::singleShot(0, this, [this] { next(); }); });
    }
    QStringList seen;
    int left() const { return int(m_steps.size()); }

private:
    void next() {
        while (m_screen && !m_steps.isEmpty()) {
            const QString step = m_steps.takeFirst();
            const QString kind = step.section(u':', 0, 0);
            const QString arg = step.section(u':', 1);
            auto* list = control<QListWidget>(m_screen, u"Text1"_s);
            if (kind == u"list"_s) {
                QStringList lines;
                for (int i = 0; i < list->count(); ++i)
                    lines << list->item(i)->text();
                seen << lines.join(u'\n');
            } else if (kind == u"margins"_s) {
                seen << (control<QGroupBox>(m_screen, u"FrameMargins"_s)->isVisible()
                             ? control<QPlainTextEdit>(m_screen, u"txtMargins"_s)->toPlainText()
                             : u"(hidden)"_s);
            } else if (kind == u"row"_s) {
                list->setCurrentRow(arg.toInt());
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(arg.toInt())).center());
                return;
            } else if (kind == u"click"_s) {
                click(m_screen, arg);
                return;
            } else if (kind == u"end"_s) {
                m_last(*m_screen);
                return;
            }
        }
    }
    QPointer<BuildDB> m_screen;
    QStringList m_steps;
    std::function<void(BuildDB&)> m_last;
};

// A1 and C3 cost more in the new list, B2 less; D4 is not in it. Minimum margin 20%:
// before, A1 sells at 23%, B2 at 16.7%, C3 at 27%, D4 at 10%, E5 at 50%.
void fillShop() {
    dbRun(u"INSERT INTO Products (PID, StockNo, ProdName, Cost1, Price) VALUES "
          u"(1, 'A1', 'Pen', 10000, 13000), (2, 'B2', 'Ink', 10000, 12000), "
          u"(3, 'C3', 'Cup', 40000, 55000), (4, 'D4', 'Mug', 90000, 100000), "
          u"(5, 'E5', 'Jug', 10000, 20000)"_s);
}

const QByteArray PriceList = "A1,Pen,2.00\nB2,Ink,0.90\nC3,Cup,5.00\n";

// The dialogue of a text file: the first line starts the items, the proposed comma divides
// them, field 1 is the stock number, field 2 is left out and field 3 is Cost1.
QStringList mapping() {
    return {u"row:0"_s, u"click:Command3"_s, u"row:2"_s, u"row:0"_s, u"row:7"_s};
}

// Edit only, the file, a note, no more fields.
void answerImport(ScriptedPrompts& prompts, const QString& file) {
    prompts.answerMessage(MessageAnswer::Yes)
        .answerOpenFile(file)
        .answerInput(u"march"_s)
        .answerInput(QString());
}

// Starts the text-file task on the import screen.
void startTextImport(BuildDB& screen, bool keep) {
    click(&screen, u"Option1(5)"_s);
    control<QCheckBox>(&screen, u"chkKeepMargins"_s)->setChecked(keep);
    click(&screen, u"Command1"_s);
}

QString price(const QString& stock) {
    return productColumn(u"Price"_s, stock);
}

// The stock numbers the screen's record set holds, in its order.
QStringList heldStockNumbers(Products& screen) {
    RecordSet* set = screen.primaryRecordSet();
    QStringList numbers;
    if (set->recordCount() < 1)
        return numbers;
    for (set->moveFirst(); !set->eof(); set->moveNext())
        numbers << set->value(int(ProductBox::StockNo)).toString();
    set->moveFirst();
    return numbers;
}

} // namespace

class ImportMarginsTest : public QObject {
    Q_OBJECT
    // What the window's shell hands the screens it makes.
    ShellState m_shell;

private slots:
    void init() { m_shell = ShellState{}; }

    void initTestCase() {
        quietenPlatformNotes();
        registerScreens(m_shell);
        ChildWindows::registerScreen(u"Products"_s,
                                     [this] { return new Products(fakeWebOptions(m_shell)); });
    }
    void cleanup() { ChildWindows::unloadAll(); }

    // After the import the last page shows what it did to the margins; with the tick the
    // selling prices moved with their costs. The tick is kept for the next import. The trial
    // run shows the same summary and changes nothing.
    void summaryOfTheMargins_data() {
        QTest::addColumn<bool>("trial");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("lines"); // among the summary's lines
        // A1, B2, C3, D4 afterwards, in stored ten-thousandths: 1.30 x 2.00 / 1.00, 1.20 x 0.90
        // / 1.00 and 5.50 x 5.00 / 4.00 = 6.875 rounded up to the cent.
        QTest::addColumn<QStringList>("prices");
        const QString rose = u"  Cost1 rose for 2 products and fell for 1"_s;
        const QString notKept = u"  1 product at or below cost, 1 below the minimum margin, "
                                u"0 without a price or cost"_s;
        const QString kept =
            u"  Keep margins: 3 prices moved with their cost, 0 left as they were"_s;
        const QStringList unchanged{u"13000"_s, u"12000"_s, u"55000"_s, u"100000"_s};
        QTest::newRow("margins not kept")
            << false << false
            << QStringList{rose,
                           u"  Largest rise: A1 \"Pen\", cost 1.00 to 2.00 (+1.00, +100.0%)"_s,
                           notKept}
            << unchanged;
        QTest::newRow("margins kept")
            << false << true
            << QStringList{rose,
                           u"  0 products at or below cost, 1 below the minimum margin, "
                           u"0 without a price or cost"_s,
                           kept}
            << QStringList{u"26000"_s, u"10800"_s, u"68800"_s, u"100000"_s};
        const QString trial = u"TEST ONLY - Nothing Was Changed"_s;
        QTest::newRow("trial, margins not kept")
            << true << false << QStringList{trial, rose, notKept} << unchanged;
        QTest::newRow("trial, margins kept")
            << true << true << QStringList{trial, rose, kept} << unchanged;
    }
    void summaryOfTheMargins() {
        QFETCH(bool, trial);
        QFETCH(bool, keep);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, prices);
        TestProgramFolder folder(Catalogue::Empty, m_shell.catalogue);
        fillShop();
        folder.writeFile(u"march.txt"_s, PriceList);
        m_shell.tasks.buildMode = 1;
        ScriptedPrompts prompts(m_shell.prompts);
        answerImport(prompts, folder.filePath(u"march.txt"_s));
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_shell.prompts,
                                          m_shell.search, m_shell.tasks);
        QVERIFY(control<QCheckBox>(screen.get(), u"chkKeepMargins"_s)->isVisible());
        // The trial's summary is in the list; Cancel after the trial ends the task.
        Steps steps(*screen, mapping() +
                                 (trial ? QStringList{u"click:cmdTestImport"_s, u"list:"_s}
                                        : QStringList{u"click:Command3"_s, u"margins:"_s}) +
                                 QStringList{u"click:Command2"_s});
        startTextImport(*screen, keep);
        QCOMPARE(steps.left(), 0);
        QCOMPARE(prompts.unanswered(), 0);
        const QStringList shown = steps.seen.value(0).split(u'\n');
        for (const QString& line : lines)
            QVERIFY2(shown.contains(line), qPrintable(line + u"\nnot in:\n"_s + steps.seen[0]));
        QCOMPARE((QStringList{price(u"A1"_s), price(u"B2"_s), price(u"C3"_s), price(u"D4"_s)}),
                 prices);
        if (trial) {
            QCOMPARE(productColumn(u"Cost1"_s, u"A1"_s), u"10000"_s);
            return;
        }
        QCOMPARE(SettingsStore::program().flag(MarginSettings::Section, u"KeepMargins"_s, !keep),
                 keep);
        auto next = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_shell.prompts,
                                        m_shell.search, m_shell.tasks);
        QCOMPARE(control<QCheckBox>(next.get(), u"chkKeepMargins"_s)->isChecked(), keep);
    }

    // The button shows every product now under the minimum margin (also D4, which the list did
    // not touch) as the search in force on the Products screen, and the import screen goes:
    // opened by Build/Options, from the File menu beside the Products screen, or with none.
    void buttonShowsTheProductsUnderTheMinimum_data() {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QStringList>("shown");
        const QStringList thin{u"A1"_s, u"C3"_s, u"D4"_s};
        QTest::newRow("Build/Options") << u"cmdAddAll"_s << false << thin;
        QTest::newRow("Build/Options, margins kept")
            << u"cmdAddAll"_s << true << QStringList{u"B2"_s, u"D4"_s};
        QTest::newRow("File menu, Products open") << u"menu"_s << false << thin;
        QTest::newRow("File menu, no Products screen") << u"none"_s << false << thin;
    }
    void buttonShowsTheProductsUnderTheMinimum() {
        QFETCH(QString, opened);
        QFETCH(bool, keep);
        QFETCH(QStringList, shown);
        TestProgramFolder folder(Catalogue::Empty, m_shell.catalogue);
        fillShop();
        folder.writeFile(u"march.txt"_s, PriceList);
        ScriptedPrompts prompts(m_shell.prompts);
        answerImport(prompts, folder.filePath(u"march.txt"_s));
        QPointer<Products> products;
        if (opened != u"none"_s)
            products = qobject_cast<Products*>(ChildWindows::show(u"Products"_s));
        std::unique_ptr<Steps> steps;
        auto drive = [&](QWidget* screen) {
            auto* build = qobject_cast<BuildDB*>(screen);
            steps = std::make_unique<Steps>(*build,
                                            mapping() + QStringList{u"click:Command3"_s, u"end"_s},
                                            [](BuildDB& b) { click(&b, u"cmdMarginProducts"_s); });
            startTextImport(*build, keep);
        };
        if (opened == u"cmdAddAll"_s) {
            whenShown(u"BuildDB"_s, drive);
            click(products, u"cmdAddAll"_s);
        } else {
            m_shell.tasks.buildMode = 1;
            drive(ChildWindows::show(u"BuildDB"_s));
        }
        QTRY_VERIFY(!ChildWindows::find(u"BuildDB"_s));
        QCOMPARE(steps->left(), 0);
        QCOMPARE(prompts.unanswered(), 0);
        products = qobject_cast<Products*>(ChildWindows::find(u"Products"_s));
        QVERIFY(products);
        QVERIFY(products->isEnabled());
        QCOMPARE(heldStockNumbers(*products), shown);
        // The same products as the margins list finds, and the other screens' selection.
        QStringList listed;
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        for (const BelowMarginRow& row :
             BelowMarginList::find(db, MarginSettings{}.minimumPercent).rows)
            listed << row.stockNumber;
        listed.sort();
        QCOMPARE(listed, shown);
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products"_s).toInt(), 5);
        QVERIFY(!m_shell.search.SearchWhere.isEmpty());
    }
};

QTEST_MAIN(ImportMarginsTest)
#include "tst_importmargins.moc"
