// The history screen lists the runs and the rows of the one selected, tells what an undo would
// change without changing it, and takes the run back; the bulk edit screen offers to take back
// (and the import screen, on its last page) the run it just made.
#include "core/bulkedit/BulkEdit.h"
#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/RowWriter.h"
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/bulkedit/EditProd.h"
#include "ui/import/BuildDB.h"
#include "ui/journal/FrmHistory.h"

#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

void addProducts() {
    CatalogueDatabase db(shared().DBPath);
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 1}, {PC::StockNo, u"A1"_s}, {PC::ProdName, u"Pen"_s}});
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 2}, {PC::StockNo, u"B2"_s}, {PC::ProdName, u"Cup"_s}});
}

// A bulk edit run elsewhere (another screen's connection) naming every product "Gift".
void renameAll() {
    CatalogueDatabase db(shared().DBPath);
    BulkEdit edit;
    edit.set(PC::ProdName, u"Gift"_s);
    edit.run(db, QString());
}

QStringList texts(QTreeWidget* list, int column) {
    QStringList all;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        all << list->topLevelItem(i)->text(column);
    return all;
}

} // namespace

class HistoryScreenTest : public QObject {
    Q_OBJECT
private slots:
    void init() { quietenPlatformNotes(); }

    void listsTriesAndUndoesTheSelectedRun() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        renameAll();
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok).answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<FrmHistory>();
        auto* runs = control<QTreeWidget>(screen.get(), u"lstRuns"_s);
        auto* rows = control<QTreeWidget>(screen.get(), u"lstRows"_s);
        QCOMPARE(texts(runs, 2), QStringList{u"bulk edit"_s});
        // The newest run is open: its rows with the column and both values.
        QCOMPARE(texts(rows, 0), (QStringList{u"A1"_s, u"B2"_s}));
        QCOMPARE(texts(rows, 2), (QStringList{u"ProdName"_s, u"ProdName"_s}));
        QCOMPARE(rows->topLevelItem(0)->text(3), u"\"Pen\" -> \"Gift\""_s);

        click(screen.get(), u"cmdTrial"_s);
        QVERIFY2(prompts.shownTexts().value(0).startsWith(u"Undoing run 1 would take back: 0 "
                                                          u"rows deleted, 2 rows restored"_s),
                 qPrintable(prompts.shownTexts().value(0)));
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Gift"_s);

        click(screen.get(), u"cmdUndo"_s);
        QVERIFY2(prompts.shownTexts().value(1).startsWith(u"Run 1 taken back"_s),
                 qPrintable(prompts.shownTexts().value(1)));
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
        QCOMPARE(texts(runs, 2), (QStringList{u"undo"_s, u"bulk edit"_s}));
        QCOMPARE(texts(runs, 6).last(), u"undone by 2"_s);
        QCOMPARE(prompts.unanswered(), 0);
    }

    // Undoing a run already undone is refused and told; nothing changes.
    void refusalIsTold() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        renameAll();
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok).answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<FrmHistory>();
        auto other = openScreen<FrmHistory>();
        click(screen.get(), u"cmdUndo"_s);
        click(other.get(), u"cmdUndo"_s); // still showing run 1 as standing
        QCOMPARE(prompts.shown().value(1).icon, MessageIcon::Critical);
        QVERIFY(prompts.shownTexts().value(1).contains(u"already undone"_s));
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
    }

    // After Update Now the bulk edit screen offers "Undo This Run", which takes the run back.
    void bulkEditScreenUndoesItsRun() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<EditProd>();
        auto* undo = control<QPushButton>(screen.get(), u"cmdUndoRun"_s);
        QVERIFY(undo->isHidden());
        type(screen.get(), 3, u"Gift"_s);
        click(screen.get(), u"Command1"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Gift"_s);
        QVERIFY(!undo->isHidden());
        click(screen.get(), u"cmdUndoRun"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
        QVERIFY(prompts.shownTexts().value(1).startsWith(u"Run 1 taken back"_s));
        QVERIFY(undo->isHidden());
    }

    // The import screen's last page offers "Undo This Run": here it brings back the products
    // Delete All just deleted.
    void importScreenUndoesItsRun() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        shared().SearchWhere.clear();
        shared().BuildMode = 0;
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<BuildDB>();
        bool offered = false;
        qint64 left = -1;
        connect(screen.get(), &BuildDB::waiting, this, [&] {
            QTimer::singleShot(0, this, [&] {
                offered = !control<QPushButton>(screen.get(), u"cmdUndoRun"_s)->isHidden();
                left = dbValue(u"SELECT count(*) FROM Products"_s).toLongLong();
                click(screen.get(), u"cmdUndoRun"_s);
                click(screen.get(), u"Command2"_s);
            });
        });
        click(screen.get(), u"Command1"_s);
        QVERIFY(offered);
        QCOMPARE(left, 0);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
        QCOMPARE(dbValue(u"SELECT count(*) FROM Products"_s).toLongLong(), 2);
        QVERIFY(prompts.shownTexts().value(1).startsWith(u"Run 1 taken back: 0 rows deleted, 0 "
                                                         u"rows restored, 2 rows put back"_s));
    }
};

QTEST_MAIN(HistoryScreenTest)
#include "tst_historyscreen.moc"
