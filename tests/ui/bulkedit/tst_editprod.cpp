// The bulk edit screen driven through its boxes: only touched boxes are written, the
// internet picture-path check blocks Update Now until the address is right, a word in a number
// box is refused, a supplier typed in another letter case is written as stored.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/products/SearchInForce.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/bulkedit/EditProd.h"

#include <QCheckBox>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

void addProducts() {
    CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 1},
                       {PC::StockNo, u"A1"_s},
                       {PC::ProdName, u"Pen"_s},
                       {PC::Retail, 80.0},
                       {PC::Price, 70.0},
                       {PC::Taxable, true},
                       {PC::Weight, u"1 oz"_s}});
    RowWriter::insert(db, u"Products"_s,
                      {{PC::PID, 2},
                       {PC::StockNo, u"B2"_s},
                       {PC::ProdName, u"Cup"_s},
                       {PC::Retail, 10.0},
                       {PC::Price, 9.0},
                       {PC::Taxable, true}});
    RowWriter::insert(db, u"Supplier"_s, {{0, 1}, {1, u"Acme Tools"_s}});
}

} // namespace

class EditProdTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;
    // The search in force the screens are made with.
    SearchInForce m_search;
    TaskScreenHandoff m_tasks;

private slots:
    void init() {
        m_search = SearchInForce{};
        m_tasks = TaskScreenHandoff{};
    }

    // Every write is asked first, with the product count of the selection and the columns by
    // their names on the screen; a run that empties columns defaults to No. A word in a number
    // box is told instead, and nothing is written.
    void updateWritesTouchedBoxes_data() {
        QTest::addColumn<QStringList>("typing");   // "N=text" types into box N, "chk:N" clicks
        QTest::addColumn<QString>("where");        // the Products screen's selection
        QTest::addColumn<QString>("question");     // or the notice; empty: nothing is shown
        QTest::addColumn<bool>("yes");             // the answer
        QTest::addColumn<QStringList>("expected"); // "Stock.Column=stored"
        const QString allColumns =
            u"Supplier, Name, Page, Packaging, Cost 1, Cost 2, Cost 3, Cost 4, Cost 5, Retail, "
            u"Sales Price, Weight, Min Ord W, Min Ord R, Picture Path, Catagory, On Special, "
            u"Stock Status, Disco, Orderable, Inventory, On Order, Re-Order, No Sold, "
            u"Shiping 1, Shiping 2, Taxable"_s;
        const QString emptied =
            u"Supplier, Name, Page, Packaging, Cost 1, Cost 2, Cost 3, Cost 4, Cost 5, Retail, "
            u"Sales Price, Weight, Min Ord W, Min Ord R, Picture Path, Catagory, Stock Status, "
            u"Inventory, On Order, Re-Order, No Sold, Shiping 1, Shiping 2"_s;
        QTest::newRow("typed boxes only")
            << QStringList{u"3=Gift"_s, u"13=50%"_s} << QString()
            << u"Change 2 products? Columns: Name, Sales Price"_s << true
            << QStringList{u"A1.ProdName=Gift"_s, u"A1.Price=400000"_s, u"B2.Price=50000"_s,
                           u"A1.Weight=1 oz"_s, u"A1.Taxable=1"_s};
        QTest::newRow("typed then cleared is not written")
            << QStringList{u"3=Gift"_s, u"3="_s} << QString() << QString() << true
            << QStringList{u"A1.ProdName=Pen"_s};
        QTest::newRow("include blank: cleared boxes and unticked flags written")
            << QStringList{u"check:Check1"_s} << QString()
            << u"Change 2 products? Columns: "_s + allColumns + u" ("_s + emptied +
                   u" will be emptied)"_s
            << true
            << QStringList{u"A1.ProdName="_s, u"A1.Weight="_s, u"A1.Retail="_s, u"A1.Taxable=0"_s};
        QTest::newRow("include blank answered No: nothing emptied")
            << QStringList{u"check:Check1"_s} << QString()
            << u"Change 2 products? Columns: "_s + allColumns + u" ("_s + emptied +
                   u" will be emptied)"_s
            << false
            << QStringList{u"A1.ProdName=Pen"_s, u"A1.Weight=1 oz"_s, u"A1.Retail=800000"_s,
                           u"A1.Taxable=1"_s, u"B2.ProdName=Cup"_s};
        QTest::newRow("clear notes with an empty box")
            << QStringList{u"check:Check2"_s} << QString()
            << u"Change 2 products? Columns: Notes (Notes will be emptied)"_s << true
            << QStringList{u"A1.Notes="_s};
        QTest::newRow("the searched products only")
            << QStringList{u"3=Gift"_s} << u"StockNo = 'B2'"_s
            << u"Change 1 product? Columns: Name"_s << true
            << QStringList{u"B2.ProdName=Gift"_s, u"A1.ProdName=Pen"_s};
        QTest::newRow("a ticked flag")
            << QStringList{u"chk:19"_s} << QString() << u"Change 2 products? Columns: On Special"_s
            << true << QStringList{u"B2.OnSpecial=1"_s};
        QTest::newRow("a word in a number box")
            << QStringList{u"12=call"_s, u"3=Gift"_s} << QString()
            << u"\"call\" is not a number; Retail takes a number or a percentage such as 10%"_s
            << false << QStringList{u"A1.Retail=800000"_s, u"A1.ProdName=Pen"_s};
        QTest::newRow("supplier in another letter case")
            << QStringList{u"1=ACME tools"_s} << QString()
            << u"Change 2 products? Columns: Supplier"_s << true
            << QStringList{u"B2.Supplier=Acme Tools"_s};
    }
    void updateWritesTouchedBoxes() {
        QFETCH(QStringList, typing);
        QFETCH(QString, where);
        QFETCH(QString, question);
        QFETCH(bool, yes);
        QFETCH(QStringList, expected);
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        m_search.SearchWhere = where;
        ScriptedPrompts prompts(m_promptsInUse);
        const bool asks = question.startsWith(u"Change "_s);
        if (!question.isEmpty())
            prompts.answerMessage(!asks ? MessageAnswer::Ok
                                  : yes ? MessageAnswer::Yes
                                        : MessageAnswer::No);
        auto screen = openScreen<EditProd>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                           m_search, m_tasks);
        // The stock box shows the first product the edit will change.
        QCOMPARE(box(screen.get(), 2)->text(), where.isEmpty() ? u"A1"_s : u"B2"_s);
        for (const QString& step : typing) {
            if (step.startsWith(u"chk:"_s))
                click(screen.get(), u"chkFields("_s + step.mid(4) + u')');
            else if (step.startsWith(u"check:"_s))
                control<QCheckBox>(screen.get(), step.mid(6))->click();
            else if (step.section(u'=', 1).isEmpty()) {
                QLineEdit* edit = box(screen.get(), step.section(u'=', 0, 0).toInt());
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
            } else
                type(screen.get(), step.section(u'=', 0, 0).toInt(), step.section(u'=', 1));
        }
        click(screen.get(), u"Command1"_s);
        m_search.SearchWhere.clear();
        const bool written = question.isEmpty() || (asks && yes);
        QCOMPARE(control<QLabel>(screen.get(), u"Label1"_s)->text(),
                 written ? u"Updating Records: #%1 Of %1"_s.arg(where.isEmpty() ? 2 : 1)
                         : QString());
        for (const QString& check : expected) {
            const QString stock = check.section(u'.', 0, 0);
            const QString name = check.section(u'.', 1).section(u'=', 0, 0);
            QCOMPARE(productColumn(name, stock), check.section(u'=', 1));
        }
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shownTexts(), question.isEmpty() ? QStringList{} : QStringList{question});
        if (asks) {
            const ScriptedPrompts::Shown& asked = prompts.shown().first();
            QCOMPARE(asked.buttons, MessageButtons::YesNo);
            // No is the default exactly when columns are emptied.
            QCOMPARE(asked.defaultButton, question.contains(u"emptied"_s) ? MessageDefault::Second
                                                                          : MessageDefault::First);
        }
    }

    // An address ending in "/" blocks Update Now; once corrected and the picture type chosen
    // (after one refused type), every product gets address/stock number + type.
    void internetPicturePath() {
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::Ok)
            .answerMessage(MessageAnswer::Ok)
            .answerMessage(MessageAnswer::Ok)
            .answerInput(u".png"_s)
            .answerMessage(MessageAnswer::Ok)
            .answerInput(u".gif"_s)
            .answerMessage(MessageAnswer::Yes);
        auto screen = openScreen<EditProd>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                           m_search, m_tasks);
        QLineEdit* picture = box(screen.get(), 17);
        picture->setFocus();
        QTest::keyClicks(picture, u"http://example.com/pics/"_s);
        click(screen.get(), u"Command1"_s);
        QVERIFY(screen->addressCheckPending());
        QCOMPARE(productColumn(u"Picture"_s, u"A1"_s), QString());
        picture->setFocus();
        QTest::keyClick(picture, Qt::Key_Backspace);
        click(screen.get(), u"Command1"_s); // leaving the box checks it again: now Update works
        QVERIFY(!screen->addressCheckPending());
        QCOMPARE(screen->pictureExtension(), u".gif"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QVERIFY(prompts.shownTexts().value(1).startsWith(u"Right Now You Have A '/'"_s));
        QCOMPARE(prompts.shownTexts().value(4), u"That Is NOT A Valid Extention, Try Again?"_s);
        QCOMPARE(productColumn(u"Picture"_s, u"B2"_s), u"http://example.com/pics/B2.gif"_s);
    }

    // A refused address keeps Update Now refused while the user moves on through other boxes
    // (internetPicturePath shows the corrected address letting it write).
    void refusedAddressHoldsThroughOtherBoxes_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("refusal"); // the check's last word on it; "" asks the type
        QTest::newRow("slash at the end")
            << u"http://example.com/pics/"_s << u"Right Now You Have A '/'"_s;
        QTest::newRow("file name of the first product")
            << u"http://example.com/pics/A1.jpg"_s << u"You Have Included The File Name"_s;
        QTest::newRow("picture type not chosen") << u"http://example.com/pics"_s << QString();
    }
    void refusedAddressHoldsThroughOtherBoxes() {
        QFETCH(QString, address);
        QFETCH(QString, refusal);
        TestProgramFolder folder(Catalogue::Empty);
        addProducts();
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::Ok);
        if (refusal.isEmpty())
            prompts.answerInput(QString());
        else
            prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<EditProd>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                           m_search, m_tasks);
        QLineEdit* picture = box(screen.get(), 17);
        picture->setFocus();
        QTest::keyClicks(picture, address);
        // Leaving the picture box checks it; leaving the name box must not undo that.
        box(screen.get(), 3)->setFocus();
        QTest::keyClicks(box(screen.get(), 3), u"Gift"_s);
        box(screen.get(), 5)->setFocus();
        click(screen.get(), u"Command1"_s);
        QVERIFY(screen->addressCheckPending());
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().size(), 2);
        QVERIFY(prompts.shownTexts().last().startsWith(refusal.isEmpty() ? u"Choose Picture Type"_s
                                                                         : refusal));
        QCOMPARE(productColumn(u"Picture"_s, u"A1"_s), QString());
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), u"Pen"_s);
    }
};

QTEST_MAIN(EditProdTest)
#include "tst_editprod.moc"
