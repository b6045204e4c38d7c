#include "core/data/Condition.h"
#include "core/shell/SharedState.h"
#include "support/ui/WidgetFinder.h"
#include "ui/products/Search.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using test::control;

namespace {
// Plays a list of user actions on the open form:
//   field:N, op:N, sort:N   click optsrch(N), optOperator(N), optSort(N)
//   type:TEXT               type into the value box
//   click:NAME              click a button or tick box by its name
//   enter                   press Enter in the value box
//   close                   close the window by its frame
void play(Search& form, const QStringList& actions) {
    for (const QString& action : actions) {
        const QString arg = action.section(u':', 1);
        if (action.startsWith(u"field:"_s))
            QTest::mouseClick(control<QRadioButton>(&form, u"optsrch"_s, arg.toInt()),
                              Qt::LeftButton);
        else if (action.startsWith(u"op:"_s))
            QTest::mouseClick(control<QRadioButton>(&form, u"optOperator"_s, arg.toInt()),
                              Qt::LeftButton);
        else if (action.startsWith(u"sort:"_s))
            QTest::mouseClick(control<QRadioButton>(&form, u"optSort"_s, arg.toInt()),
                              Qt::LeftButton);
        else if (action.startsWith(u"type:"_s))
            QTest::keyClicks(control<QLineEdit>(&form, u"txtSearch"_s), arg);
        else if (action.startsWith(u"click:"_s))
            QTest::mouseClick(control<QAbstractButton>(&form, arg), Qt::LeftButton);
        else if (action == u"enter"_s)
            QTest::keyClick(control<QLineEdit>(&form, u"txtSearch"_s), Qt::Key_Return);
        else if (action == u"close"_s)
            form.close();
        else
            QFAIL(qPrintable(u"Unknown action "_s + action));
    }
}

// Opens the form the way the Products screen does.
void prepareOpening(bool descending) {
    resetSharedState();
    shared().SearchWhere = u"Supplier = 'Earlier'"_s;
    shared().SortDescending = descending;
    shared().DetailSearchActive = true;
}
} // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void searchTexts_data() {
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<bool>("active");

        const QString search = u"click:cmdSrch"_s;
        QTest::newRow("searched at once") << false << QStringList{u"type:lamp"_s, search}
                                          << u"[StockNo]  like '*lamp*'"_s << u"StockNo"_s << false;
        QTest::newRow("name also searches the description")
            << false << QStringList{u"field:1"_s, u"op:0"_s, u"type:lamp"_s, search}
            << u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s << u"StockNo"_s << false;
        QTest::newRow("starts with")
            << false << QStringList{u"field:0"_s, u"op:8"_s, u"type:AB"_s, search}
            << u"[StockNo]  like 'AB*'"_s << u"StockNo"_s << false;
        QTest::newRow("more than, quoted as text")
            << false << QStringList{u"field:10"_s, u"op:2"_s, u"type:10"_s, search}
            << u"[Retail]  > '10'"_s << u"StockNo"_s << false;
        QTest::newRow("yes/no column") << false << QStringList{u"field:17"_s, search}
                                       << u"[Taxable]  = True"_s << u"StockNo"_s << false;
        QTest::newRow("and chain")
            << false
            << QStringList{u"field:3"_s, u"op:1"_s,      u"type:Tools"_s, u"click:cmdAndOr(0)"_s,
                           u"field:4"_s, u"type:Acme"_s, search}
            << u"Catagory = 'Tools' and Supplier = 'Acme'"_s << u"StockNo"_s << false;
        QTest::newRow("and then or, no parentheses")
            << false
            << QStringList{u"field:3"_s,
                           u"op:1"_s,
                           u"type:a"_s,
                           u"click:cmdAndOr(0)"_s,
                           u"field:4"_s,
                           u"type:b"_s,
                           u"click:cmdAndOr(1)"_s,
                           u"field:12"_s,
                           u"op:0"_s,
                           u"type:c"_s,
                           search}
            << u"Catagory = 'a' and Supplier = 'b' or Notes like '*c*'"_s << u"StockNo"_s << false;
        QTest::newRow("whole words")
            << false << QStringList{u"click:Check1"_s, u"type:cap"_s, search}
            << u"[StockNo]  like '* cap *'"_s << u"StockNo"_s << false;
        QTest::newRow("empty values")
            << false << QStringList{u"field:12"_s, u"op:1"_s, u"op:7"_s, search}
            << u"[Notes]  =Null"_s << u"StockNo"_s << false;
        QTest::newRow("sort then by, reversed")
            << false << QStringList{u"sort:3"_s,  u"click:cmdAndOr(2)"_s,
                                    u"sort:10"_s, u"click:chkReverse"_s,
                                    u"type:x"_s,  search}
            << u"[StockNo]  like '*x*'"_s << u"Catagory,Retail Desc"_s << false;
        QTest::newRow("then by the same column stays one column")
            << false << QStringList{u"click:cmdAndOr(2)"_s, u"sort:0"_s, u"sort:0"_s, search}
            << u"[StockNo]  like '**'"_s << u"StockNo"_s << false;
        QTest::newRow("reverse order remembered from last time")
            << true << QStringList{u"type:x"_s, search} << u"[StockNo]  like '*x*'"_s
            << u"StockNo Desc"_s << false;
        QTest::newRow("reverse order unticked")
            << true << QStringList{u"click:chkReverse"_s, u"type:x"_s, search}
            << u"[StockNo]  like '*x*'"_s << u"StockNo"_s << false;
        QTest::newRow("enter searches") << false << QStringList{u"type:lamp"_s, u"enter"_s}
                                        << u"[StockNo]  like '*lamp*'"_s << u"StockNo"_s << false;

        // A typed apostrophe stays part of the value and never ends the quoted text.
        QTest::newRow("apostrophe, like")
            << false << QStringList{u"type:O'Brien"_s, search} << u"[StockNo]  like '*O''Brien*'"_s
            << u"StockNo"_s << false;
        QTest::newRow("apostrophe, equals")
            << false << QStringList{u"field:4"_s, u"op:1"_s, u"type:O'Brien"_s, search}
            << u"[Supplier]  = 'O''Brien'"_s << u"StockNo"_s << false;
        QTest::newRow("apostrophe, name and description")
            << false << QStringList{u"field:1"_s, u"type:it's"_s, search}
            << u"ProdName like '*it''s*' or ProdDesc like '*it''s*'"_s << u"StockNo"_s << false;
        QTest::newRow("apostrophe in a chain")
            << false << QStringList{u"field:3"_s,           u"op:1"_s,      u"type:Kid's"_s,
                                    u"click:cmdAndOr(1)"_s, u"type:Toys"_s, search}
            << u"Catagory = 'Kid''s' or Catagory = 'Toys'"_s << u"StockNo"_s << false;
        QTest::newRow("quote trick stays a value")
            << false << QStringList{u"field:4"_s, u"op:1"_s, u"type:x' or 'a'='a"_s, search}
            << u"[Supplier]  = 'x'' or ''a''=''a'"_s << u"StockNo"_s << false;

        QTest::newRow("start over forgets chain and sort")
            << false << QStringList{u"field:3"_s,    u"op:1"_s,
                                    u"type:Tools"_s, u"click:cmdAndOr(0)"_s,
                                    u"sort:10"_s,    u"click:cmdAndOr(2)"_s,
                                    u"sort:3"_s,     u"click:cmdStartOver"_s,
                                    u"type:x"_s,     search}
            << u"[StockNo]  like '*x*'"_s << u"StockNo"_s << false;
        QTest::newRow("cancel empties the condition")
            << false << QStringList{u"type:lamp"_s, u"click:cmdCancel"_s} << QString()
            << u"StockNo"_s << false;
        QTest::newRow("closed by the frame")
            << false << QStringList{u"field:3"_s, u"type:lamp"_s, u"close"_s} << QString()
            << u"StockNo"_s << true;
    }
    void searchTexts() {
        QFETCH(bool, descending);
        QFETCH(QStringList, actions);
        QFETCH(QString, where);
        QFETCH(QString, sort);
        QFETCH(bool, active);
        prepareOpening(descending);
        Search form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        play(form, actions);

        QVERIFY(!form.isVisible());
        QCOMPARE(shared().SearchWhere, where);
        QCOMPARE(shared().SortOrder, sort);
        QCOMPARE(shared().DetailSearchActive, active);
    }

    void yesNoColumnLocksTheValue() {
        prepareOpening(false);
        Search form;
        form.show();
        play(form, {u"click:Check1"_s, u"field:16"_s});

        auto* value = control<QLineEdit>(&form, u"txtSearch"_s);
        QCOMPARE(value->text(), u"True"_s);
        QVERIFY(!value->isEnabled());
        QVERIFY(!control<QCheckBox>(&form, u"Check1"_s)->isEnabled());
        QVERIFY(control<QRadioButton>(&form, u"optOperator"_s, 1)->isChecked());
        for (int i : {0, 2, 3, 4, 5})
            QVERIFY(!control<QRadioButton>(&form, u"optOperator"_s, i)->isEnabled());
        for (int i : {6, 7, 8})
            QVERIFY(control<QRadioButton>(&form, u"optOperator"_s, i)->isEnabled());

        // A ticked whole-words box that the column locks does not pad the True.
        play(form, {u"click:cmdSrch"_s});
        QCOMPARE(shared().SearchWhere, u"[OnSpecial]  = True"_s);
    }

    void apostropheValueMatchesAsTyped() {
        prepareOpening(false);
        Search form;
        form.show();
        play(form, {u"field:4"_s, u"op:1"_s, u"type:O'Brien"_s, u"click:cmdSrch"_s});

        const Condition condition = Condition::parse(shared().SearchWhere, [](const QString& name) {
            return name.compare(u"Supplier"_s, Qt::CaseInsensitive) == 0
                       ? ConditionColumn{0, ColumnKind::Text}
                       : ConditionColumn{};
        });
        auto supplier = [](const QString& name) { return [name](int) { return QVariant(name); }; };
        QVERIFY(condition.matches(supplier(u"O'Brien"_s)));
        QVERIFY(!condition.matches(supplier(u"OBrien"_s)));
    }

    void formShowsItsControls() {
        prepareOpening(false);
        Search form;
        QCOMPARE(form.windowTitle(), u"Detailed Search Form"_s);
        QCOMPARE(control<QRadioButton>(&form, u"optsrch"_s, 13)->text(), u"Stock Info"_s);
        QCOMPARE(control<QRadioButton>(&form, u"optSort"_s, 11)->text(), u"Selling Price"_s);
        QCOMPARE(control<QRadioButton>(&form, u"optOperator"_s, 4)->text(),
                 u"Equal Or Greater (=>)"_s);
        QCOMPARE(control<QPushButton>(&form, u"cmdAndOr"_s, 2)->text(), u"Then By"_s);
        QCOMPARE(control<QLabel>(&form, u"Label4"_s)->text(),
                 u"Type in any words, phrase, numbers. Press the \"And\"  -  \"Or\"  buttons to "
                 "search for more than one word or phrase using any combination of  \"Fields\" "
                 "and \"Operators\"  you want.  Press Search when done!"_s);
        // Opening starts on stock numbers, "Like / Contains" and sorting by stock number.
        QVERIFY(control<QRadioButton>(&form, u"optsrch"_s, 0)->isChecked());
        QVERIFY(control<QRadioButton>(&form, u"optOperator"_s, 0)->isChecked());
        QVERIFY(control<QRadioButton>(&form, u"optSort"_s, 0)->isChecked());
        QCOMPARE(shared().SearchWhere, QString());
    }
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
