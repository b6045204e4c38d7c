// The history screen lists the runs and the rows of the one selected, tells what an undo would
// change without changing it, and takes the run back after asking; a run taken back can be done
// again. The bulk edit screen offers to take back (and the import screen, on its last page) the
// run it just made.
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/import/Divider.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/journal/JournalRun.h"
#include "core/products/SearchInForce.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/bulkedit/EditProd.h"
#include "ui/import/BuildDB.h"
#include "ui/journal/FrmHistory.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// Where the screens of these tests ask their questions, and the tests' scripts answer them.
PromptsInUse& screenPrompts() {
    static PromptsInUse prompts;
    return prompts;
}

using Catalogue = TestProgramFolder::Catalogue;

const QString KestrelList = u"/srv/shop/lists/kestrel-wholesale-spring-2026.txt"_s;

// The columns of the list of runs.
enum { RunNumber, RunKind = 2, RunSource = 3, RunState = 7, RunNote = 8 };

void addProducts() {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 1},
                       {PC::StockNo, u"A1"_s},
                       {PC::ProdName, u"Pen"_s},
                       {PC::Cost1, 6.8},
                       {PC::Retail, 6.8},
                       {PC::Disco, false}});
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 2},
                       {PC::StockNo, u"B2"_s},
                       {PC::ProdName, u"Cup"_s},
                       {PC::Cost1, 2.5},
                       {PC::Retail, 2.5},
                       {PC::Disco, false}});
}

// A bulk edit run elsewhere (another screen's connection) setting columns of every product.
void bulkEdit(const QList<std::pair<int, QString>>& values) {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    BulkEdit edit;
    for (const auto& [column, text] : values)
        edit.set(column, text);
    edit.run(db, QString());
}

void renameAll() {
    bulkEdit({{PC::ProdName, u"Gift"_s}});
}

// An import of a price list: A1 gets a new cost (and a line in its notes), C3 is added.
void importKestrel() {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    ImportOptions options;
    options.today = QDate(2026, 12, 7);
    options.runKind = JournalRun::TextImport;
    options.runSource = KestrelList;
    options.onError = [](const RunTimeError&) {};
    ProductImporter::importText(
        db, TextFile::decode("A1,Pen,7.10\nC3,Lamp,4\n"), 0, Divider::comma(),
        FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}}, options, {});
}

QStringList texts(QTreeWidget* list, int column) {
    QStringList all;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        all << list->topLevelItem(i)->text(column);
    return all;
}

qint64 products() {
    return dbValue(u"SELECT count(*) FROM Products"_s).toLongLong();
}

// The two products and one run on them: the import of the price list, or a bulk edit renaming
// both.
void addProductsAndARun(bool import) {
    addProducts();
    if (import)
        importKestrel();
    else
        renameAll();
}

std::unique_ptr<FrmHistory> openHistory() {
    return openScreen<FrmHistory>(TestProgramFolder::current().catalogue(), screenPrompts());
}

} // namespace

class HistoryScreenTest : public QObject {
    Q_OBJECT
    // The search in force and the hand-off the screens are made with.
    SearchInForce m_search;
    TaskScreenHandoff m_tasks;

private slots:
    void init() {
        m_search = SearchInForce{};
        m_tasks = TaskScreenHandoff{};
        quietenPlatformNotes();
    }

    // What an undo would change is told first without changing anything. Undo asks, naming the
    // run and the rows it touched, with No as the default: No leaves everything as it was; Yes
    // takes the run back and lists the undo above it.
    void asksBeforeTakingBack_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<QString>("trial");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("outcome");
        const QString bulkTrial =
            u"Undoing run 1 would set back 2 products.\n\nNothing was changed."_s;
        const QString kestrelTrial =
            u"Undoing run 1 would delete 1 product and set back 1.\n\nNothing was changed."_s;
        const QString bulk = u"Take back run 1, bulk edit: 2 products changed?\n\n"
                             u"What was changed since the run is left as it is."_s;
        const QString kestrel = u"Take back run 1, import of kestrel-wholesale-spring-2026.txt: "
                                u"1 product added, 1 changed?\n\n"
                                u"What was changed since the run is left as it is."_s;
        QTest::newRow("bulk edit, no")
            << false << MessageAnswer::No << bulkTrial << bulk << QString();
        QTest::newRow("bulk edit, yes") << false << MessageAnswer::Yes << bulkTrial << bulk
                                        << u"Run 1 taken back: 2 products set back."_s;
        QTest::newRow("import, no")
            << true << MessageAnswer::No << kestrelTrial << kestrel << QString();
        QTest::newRow("import, yes") << true << MessageAnswer::Yes << kestrelTrial << kestrel
                                     << u"Run 1 taken back: 1 product deleted and 1 set back."_s;
    }
    void asksBeforeTakingBack() {
        QFETCH(bool, import);
        QFETCH(MessageAnswer, answer);
        QFETCH(QString, trial);
        QFETCH(QString, question);
        QFETCH(QString, outcome);
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        const QString before = productColumn(u"Cost1"_s, u"A1"_s);
        if (import)
            importKestrel();
        else
            renameAll();
        const auto state = [] {
            return QStringList{productColumn(u"ProdName"_s, u"B2"_s),
                               productColumn(u"Cost1"_s, u"A1"_s), QString::number(products())};
        };
        const QStringList after = state();
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Ok).answerMessage(answer);
        if (answer == MessageAnswer::Yes)
            prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openHistory();
        auto* runs = control<QTreeWidget>(screen.get(), u"lstRuns"_s);
        const QString kind = import ? u"text import"_s : u"bulk edit"_s;
        QCOMPARE(texts(runs, RunKind), QStringList{kind});
        click(screen.get(), u"cmdTrial"_s);
        QCOMPARE(prompts.shownTexts().value(0), trial);
        QCOMPARE(state(), after);
        click(screen.get(), u"cmdUndo"_s);
        const ScriptedPrompts::Shown asked = prompts.shown().value(1);
        QCOMPARE(asked.text, question);
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.defaultButton, MessageDefault::Second);
        QCOMPARE(asked.icon, MessageIcon::Question);
        QCOMPARE(prompts.unanswered(), 0);
        if (answer == MessageAnswer::No) {
            QCOMPARE(prompts.shown().size(), 2);
            QCOMPARE(state(), after);
            QCOMPARE(texts(runs, RunNumber), QStringList{u"1"_s});
            QCOMPARE(texts(runs, RunState), QStringList{QString()});
        } else {
            QCOMPARE(prompts.shownTexts().value(2), outcome);
            QCOMPARE(state(), (QStringList{u"Cup"_s, before, u"2"_s}));
            QCOMPARE(texts(runs, RunKind), (QStringList{u"undo"_s, kind}));
        }
    }

    // A run taken back shows so, greyed, and its button does it again by taking its undo back
    // (after asking); done again, it stands and offers Undo once more.
    void undoneRunOffersRedo_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("trial");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("bulk edit")
            << false << u"Doing run 1 again would change 2 products.\n\nNothing was changed."_s
            << u"Do run 1, bulk edit, again by taking back its undo, run 2: 2 products "
               u"changed?\n\nWhat was changed since the undo is left as it is."_s
            << u"Run 1 done again (its undo, run 2, taken back): 2 products changed."_s;
        // The undo deleted what the import added: doing the import again adds it.
        QTest::newRow("import")
            << true
            << u"Doing run 1 again would add 1 product and change 1.\n\nNothing was changed."_s
            << u"Do run 1, import of kestrel-wholesale-spring-2026.txt, again by taking back its "
               u"undo, run 2: 1 product added, 1 changed?\n\nWhat was changed since the undo "
               u"is left as it is."_s
            << u"Run 1 done again (its undo, run 2, taken back): 1 product added and 1 "
               u"changed."_s;
    }
    void undoneRunOffersRedo() {
        QFETCH(bool, import);
        QFETCH(QString, trial);
        QFETCH(QString, question);
        QFETCH(QString, outcome);
        TestProgramFolder folder(Catalogue::Empty);
        addProductsAndARun(import);
        const QString done = productColumn(u"Notes"_s, u"A1"_s);
        const QString name = productColumn(u"ProdName"_s, u"B2"_s);
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        auto screen = openHistory();
        auto* runs = control<QTreeWidget>(screen.get(), u"lstRuns"_s);
        auto* undo = control<QPushButton>(screen.get(), u"cmdUndo"_s);
        QCOMPARE(undo->text(), u"Undo"_s);
        click(screen.get(), u"cmdUndo"_s);
        QCOMPARE(screen->selectedRun(), 1);
        QCOMPARE(texts(runs, RunState), (QStringList{u"undoes run 1"_s, u"undone by run 2"_s}));
        QTreeWidgetItem* undone = runs->topLevelItem(1);
        QCOMPARE(undone->foreground(RunKind).color(),
                 runs->palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), u"Redo"_s);
        QCOMPARE(control<QPushButton>(screen.get(), u"cmdTrial"_s)->text(),
                 u"What Would Redo Change?"_s);

        prompts.answerMessage(MessageAnswer::Ok);
        click(screen.get(), u"cmdTrial"_s);
        QCOMPARE(prompts.shownTexts().value(2), trial);

        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        click(screen.get(), u"cmdUndo"_s);
        QCOMPARE(prompts.shownTexts().value(3), question);
        QCOMPARE(prompts.shownTexts().value(4), outcome);
        QCOMPARE(productColumn(u"Notes"_s, u"A1"_s), done);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), name);
        QCOMPARE(products(), import ? 3 : 2);
        QCOMPARE(texts(runs, RunState),
                 (QStringList{u"undoes run 2"_s, u"undone by run 3"_s, QString()}));
        QCOMPARE(screen->selectedRun(), 1);
        QCOMPARE(undo->text(), u"Undo"_s);
        QCOMPARE(prompts.unanswered(), 0);
    }

    // A screen still showing a run as standing after another took it back: the undo refuses
    // and says why, without a question first; nothing changes.
    void refusalIsTold() {
        TestProgramFolder folder(Catalogue::Empty);
        addProductsAndARun(false);
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Yes)
            .answerMessage(MessageAnswer::Ok)
            .answerMessage(MessageAnswer::Ok);
        auto screen = openHistory();
        auto other = openHistory();
        click(screen.get(), u"cmdUndo"_s);
        click(other.get(), u"cmdUndo"_s); // still showing run 1 as standing
        QCOMPARE(prompts.shown().value(2).icon, MessageIcon::Critical);
        QVERIFY(prompts.shownTexts().value(2).contains(u"already undone"_s));
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
        QCOMPARE(prompts.unanswered(), 0);
    }

    // Values in the list of changes are shown as the catalogue shows them.
    void changesShowInDisplayFormats_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("money") << int(PC::Retail) << u"7.1"_s << u"$6.80 \u2192 $7.10"_s;
        QTest::newRow("money in thousands")
            << int(PC::Cost1) << u"1234.5"_s << u"$6.80 \u2192 $1,234.50"_s;
        QTest::newRow("text") << int(PC::ProdName) << u"Gift"_s << u"Pen \u2192 Gift"_s;
        QTest::newRow("flag") << int(PC::Disco) << u"Yes"_s << u"No \u2192 Yes"_s;
        QTest::newRow("number") << int(PC::MinOrdW) << u"12"_s << u"0 \u2192 12"_s;
        QTest::newRow("text from nothing")
            << int(PC::Weight) << u"2 lb"_s << u"(empty) \u2192 2 lb"_s;
    }
    void changesShowInDisplayFormats() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        bulkEdit({{column, typed}});
        ScriptedPrompts prompts(screenPrompts());
        auto screen = openHistory();
        auto* rows = control<QTreeWidget>(screen.get(), u"lstRows"_s);
        QCOMPARE(rows->topLevelItem(0)->text(0), u"A1"_s);
        QCOMPARE(rows->topLevelItem(0)->text(3), shown);
    }

    // The question, the outcome and the screen count products, however many columns each
    // holds; products changed since the run are counted and named.
    void countsProductsEverywhere_data() {
        QTest::addColumn<QString>("since");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("nothing changed since")
            << QString() << u"Run 1 taken back: 2 products set back."_s;
        QTest::newRow("one column of one product changed since")
            << u"UPDATE Products SET ProdName = 'Quill' WHERE StockNo = 'A1'"_s
            << u"Run 1 taken back: 2 products set back.\n\nIn 1 product values changed since "
               u"the run are left as they are:\nA1 ProdName: changed since, now Quill, the "
               u"run wrote Gift"_s;
        QTest::newRow("every column of one product changed since")
            << u"UPDATE Products SET ProdName = 'Quill', Retail = 90000 WHERE StockNo = 'A1'"_s
            << u"Run 1 taken back: 1 product set back.\n\nIn 1 product values changed since "
               u"the run are left as they are:\nA1 ProdName: changed since, now Quill, the "
               u"run wrote Gift\nA1 Retail: changed since, now $9.00, the run wrote $7.10"_s;
    }
    void countsProductsEverywhere() {
        QFETCH(QString, since);
        QFETCH(QString, outcome);
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        bulkEdit({{PC::ProdName, u"Gift"_s}, {PC::Retail, u"7.1"_s}});
        if (!since.isEmpty())
            dbRun(since);
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        auto screen = openHistory();
        QCOMPARE(control<QTreeWidget>(screen.get(), u"lstRows"_s)->topLevelItemCount(), 4);
        QCOMPARE(control<QLabel>(screen.get(), u"lblRows"_s)->text(),
                 u"Run 1: 2 products changed"_s);
        click(screen.get(), u"cmdUndo"_s);
        QVERIFY(prompts.shownTexts().value(0).startsWith(
            u"Take back run 1, bulk edit: 2 products changed?"_s));
        QCOMPARE(prompts.shownTexts().value(1), outcome);
    }

    // The window shows a run's source and a one-line note whole, one line to each change
    // (notes of several lines too), and the whole note of the selected run under the list.
    void showsSourceNoteAndWholeNote() {
        TestProgramFolder folder(Catalogue::Empty);
        addProductsAndARun(true);
        ScriptedPrompts prompts(screenPrompts());
        auto screen = openHistory();
        // The main window gives its sub-window the size the screen asks for; a window of its own
        // is kept within part of the screen.
        screen->resize(screen->sizeHint());
        QCoreApplication::processEvents();
        auto* runs = control<QTreeWidget>(screen.get(), u"lstRuns"_s);
        auto* rows = control<QTreeWidget>(screen.get(), u"lstRows"_s);
        const QString totals = dbValue(u"SELECT Totals FROM Runs"_s).toString();
        QVERIFY(!totals.contains(u'\n'));
        QTreeWidgetItem* run = runs->topLevelItem(0);
        QCOMPARE(run->text(RunSource), u"kestrel-wholesale-spring-2026.txt"_s);
        QCOMPARE(run->text(RunNote), totals);
        const QFontMetrics metrics(runs->font());
        // Seen whole: the column is as wide as its text, and the note ends inside the list.
        QVERIFY(runs->columnWidth(RunSource) >= metrics.horizontalAdvance(run->text(RunSource)));
        QVERIFY2(
            runs->header()->sectionViewportPosition(RunNote) + metrics.horizontalAdvance(totals) <
                runs->viewport()->width(),
            qPrintable(u"%1 + %2 past %3"_s.arg(runs->header()->sectionViewportPosition(RunNote))
                           .arg(metrics.horizontalAdvance(totals))
                           .arg(runs->viewport()->width())));

        const QStringList columns = texts(rows, 2);
        QVERIFY(columns.contains(u"Notes"_s));
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            QVERIFY2(rows->visualItemRect(rows->topLevelItem(i)).height() <
                         2 * metrics.lineSpacing(),
                     qPrintable(rows->topLevelItem(i)->text(2)));
        const QString notes = rows->topLevelItem(int(columns.indexOf(u"Notes"_s)))->text(3);
        QVERIFY2(!notes.contains(u'\n') && notes.contains(u"\u21b5"_s), qPrintable(notes));

        auto* note = control<QPlainTextEdit>(screen.get(), u"txtNote"_s);
        QVERIFY(note->toPlainText().contains(KestrelList));
        QVERIFY(note->toPlainText().contains(totals));
        // The values of a change are read whole when it is selected.
        // Notes keep the line breaks of the platform they came from; the box shows lines.
        const QString notesAfter = productColumn(u"Notes"_s, u"A1"_s).replace(u"\r\n"_s, u"\n"_s);
        QVERIFY(notesAfter.count(u'\n') > 1);
        rows->setCurrentItem(rows->topLevelItem(int(columns.indexOf(u"Notes"_s))));
        QVERIFY2(note->toPlainText().endsWith(u"A1 Notes:\n(empty)\n\u2192\n"_s + notesAfter),
                 qPrintable(note->toPlainText()));
        QVERIFY(note->toPlainText().contains(totals));
        // A note of several lines (the prices an import left) is shown whole on selection.
        dbRun(u"UPDATE Runs SET Totals = ?"_s,
              {totals + u"\nPrices left as they were:\n   A1 Retail $6.80"_s});
        screen->refresh();
        runs->clearSelection();
        screen->selectRun(1);
        QVERIFY(note->toPlainText().contains(u"\n   A1 Retail $6.80"_s));
        QCOMPARE(runs->topLevelItem(0)->text(RunNote).count(u'\n'), 0);
    }

    // After Update Now the bulk edit screen offers "Undo This Run", which asks first and takes
    // the run back; No keeps the run and the offer.
    void bulkEditScreenUndoesItsRun() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Yes)
            .answerMessage(MessageAnswer::No)
            .answerMessage(MessageAnswer::Yes)
            .answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<EditProd>(TestProgramFolder::current().catalogue(),
                                           screenPrompts(), m_search, m_tasks);
        auto* undo = control<QPushButton>(screen.get(), u"cmdUndoRun"_s);
        QVERIFY(undo->isHidden());
        type(screen.get(), 3, u"Gift"_s);
        click(screen.get(), u"Command1"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Gift"_s);
        QVERIFY(!undo->isHidden());
        click(screen.get(), u"cmdUndoRun"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Gift"_s);
        QVERIFY(!undo->isHidden());
        click(screen.get(), u"cmdUndoRun"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
        QCOMPARE(prompts.shownTexts().value(1), prompts.shownTexts().value(2));
        QCOMPARE(prompts.shownTexts().value(3), u"Run 1 taken back: 2 products set back."_s);
        QVERIFY(undo->isHidden());
    }

    // The import screen's last page offers "Undo This Run": here it brings back the products
    // Delete All just deleted.
    void importScreenUndoesItsRun() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        m_search.SearchWhere.clear();
        m_tasks.buildMode = 0;
        ScriptedPrompts prompts(screenPrompts());
        prompts.answerMessage(MessageAnswer::Yes)
            .answerMessage(MessageAnswer::Yes)
            .answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), screenPrompts(),
                                          m_search, m_tasks);
        bool offered = false;
        qint64 left = -1;
        connect(screen.get(), &BuildDB::waiting, this, [&] {
            QTimer::singleShot(0, this, [&] {
                offered = !control<QPushButton>(screen.get(), u"cmdUndoRun"_s)->isHidden();
                left = products();
                click(screen.get(), u"cmdUndoRun"_s);
                click(screen.get(), u"Command2"_s);
            });
        });
        click(screen.get(), u"Command1"_s);
        QVERIFY(offered);
        QCOMPARE(left, 0);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
        QCOMPARE(products(), 2);
        QVERIFY2(prompts.shownTexts().value(1).startsWith(
                     u"Take back run 1, delete: 2 products deleted?"_s),
                 qPrintable(prompts.shownTexts().value(1)));
        QCOMPARE(prompts.shownTexts().value(2), u"Run 1 taken back: 2 products put back."_s);
    }
};

QTEST_MAIN(HistoryScreenTest)
#include "tst_historyscreen.moc"
