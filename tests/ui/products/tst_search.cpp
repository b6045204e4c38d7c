#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/products/SearchInForce.h"
#include "support/ui/SearchFormDriver.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using test::control;
using test::play;

namespace {
// Opens the form the way the Products screen does.
void prepareOpening(SearchInForce& search, bool descending) {
    resumeWaits();
    search = SearchInForce{};
    search.SearchWhere = u"Supplier = 'Earlier'"_s;
    search.SortDescending = descending;
    search.DetailSearchActive = true;
}
} // namespace

class SearchTest : public QObject {
    Q_OBJECT
    SearchInForce m_search;
private slots:
    void searchTexts_data() {
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<bool>("active");
        // The value box and options the user sets, and the condition and sort handed back.
        const auto row = [](const char* tag, const QString& actions, const QString& where,
                            const QString& sort = u"StockNo"_s, bool descending = false,
                            bool active = false) {
            QTest::newRow(tag) << descending << actions << where << sort << active;
        };
        row("searched at once", u"type:lamp|search"_s, u"[StockNo]  like '*lamp*'"_s);
        row("name also searches the description", u"field:1|op:0|type:lamp|search"_s,
            u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s);
        row("starts with", u"field:0|op:8|type:AB|search"_s, u"[StockNo]  like 'AB*'"_s);
        row("more than, quoted as text", u"field:10|op:2|type:10|search"_s, u"[Retail]  > '10'"_s);
        row("yes/no column", u"field:17|search"_s, u"[Taxable]  = True"_s);
        row("and chain", u"field:3|op:1|type:Tools|click:cmdAndOr(0)|field:4|type:Acme|search"_s,
            u"Catagory = 'Tools' and Supplier = 'Acme'"_s);
        row("and then or, no parentheses",
            u"field:3|op:1|type:a|click:cmdAndOr(0)|field:4|type:b|click:cmdAndOr(1)|"
            u"field:12|op:0|type:c|search"_s,
            u"Catagory = 'a' and Supplier = 'b' or Notes like '*c*'"_s);
        row("whole words", u"click:Check1|type:cap|search"_s, u"[StockNo]  like '* cap *'"_s);
        row("empty values", u"field:12|op:1|op:7|search"_s, u"[Notes]  =Null"_s);
        row("sort then by, reversed",
            u"sort:3|click:cmdAndOr(2)|sort:10|click:chkReverse|type:x|search"_s,
            u"[StockNo]  like '*x*'"_s, u"Catagory,Retail Desc"_s);
        row("then by the same column stays one column", u"click:cmdAndOr(2)|sort:0|sort:0|search"_s,
            u"[StockNo]  like '**'"_s);
        row("reverse order remembered from last time", u"type:x|search"_s,
            u"[StockNo]  like '*x*'"_s, u"StockNo Desc"_s, true);
        row("reverse order unticked", u"click:chkReverse|type:x|search"_s,
            u"[StockNo]  like '*x*'"_s, u"StockNo"_s, true);
        row("enter searches", u"type:lamp|enter"_s, u"[StockNo]  like '*lamp*'"_s);
        // A typed apostrophe stays part of the value and never ends the quoted text.
        row("apostrophe, like", u"type:O'Brien|search"_s, u"[StockNo]  like '*O''Brien*'"_s);
        row("apostrophe, equals", u"field:4|op:1|type:O'Brien|search"_s,
            u"[Supplier]  = 'O''Brien'"_s);
        row("apostrophe, name and description", u"field:1|type:it's|search"_s,
            u"ProdName like '*it''s*' or ProdDesc like '*it''s*'"_s);
        row("apostrophe in a chain",
            u"field:3|op:1|type:Kid's|click:cmdAndOr(1)|type:Toys|search"_s,
            u"Catagory = 'Kid''s' or Catagory = 'Toys'"_s);
        // Leaving a yes/no column quotes the next column's value again.
        row("yes/no column, then another column", u"field:15|field:4|type:Acme|search"_s,
            u"[Supplier]  = 'Acme'"_s);
        row("yes/no condition chained with another column",
            u"field:14|click:cmdAndOr(0)|field:4|type:Acme|search"_s,
            u"Disco = True and Supplier = 'Acme'"_s);
        row("yes/no column, then a like on another column",
            u"field:17|field:12|op:0|type:fragile|search"_s, u"[Notes]  like '*fragile*'"_s);
        row("quote trick stays a value", u"field:4|op:1|type:x' or 'a'='a|search"_s,
            u"[Supplier]  = 'x'' or ''a''=''a'"_s);
        row("start over forgets chain and sort",
            u"field:3|op:1|type:Tools|click:cmdAndOr(0)|sort:10|click:cmdAndOr(2)|sort:3|"
            u"click:cmdStartOver|type:x|search"_s,
            u"[StockNo]  like '*x*'"_s);
        row("cancel empties the condition", u"type:lamp|click:cmdCancel"_s, QString());
        row("closed by the frame", u"field:3|type:lamp|close"_s, QString(), u"StockNo"_s, false,
            true);
    }
    void searchTexts() {
        QFETCH(bool, descending);
        QFETCH(QString, actions);
        QFETCH(QString, where);
        QFETCH(QString, sort);
        QFETCH(bool, active);
        prepareOpening(m_search, descending);
        const PromptsInUse nobody;
        Search form(m_search, nobody);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        play(form, actions);
        QVERIFY(!form.isVisible());
        QCOMPARE(m_search.SearchWhere, where);
        QCOMPARE(m_search.SortOrder, sort);
        QCOMPARE(m_search.DetailSearchActive, active);
    }

    void yesNoColumnLocksTheValue() {
        prepareOpening(m_search, false);
        const PromptsInUse nobody;
        Search form(m_search, nobody);
        form.show();
        play(form, u"click:Check1|field:16"_s);
        auto* value = control<QLineEdit>(&form, u"txtSearch"_s);
        QCOMPARE(value->text(), u"True"_s);
        QVERIFY(!value->isEnabled());
        QVERIFY(!control<QCheckBox>(&form, u"Check1"_s)->isEnabled());
        QVERIFY(control<QRadioButton>(&form, u"optOperator"_s, 1)->isChecked());
        for (int i = 0; i <= 8; ++i)
            QCOMPARE(control<QRadioButton>(&form, u"optOperator"_s, i)->isEnabled(),
                     i == 1 || i >= 6);
        // A ticked whole-words box that the column locks does not pad the True.
        play(form, u"search"_s);
        QCOMPARE(m_search.SearchWhere, u"[OnSpecial]  = True"_s);
    }
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
