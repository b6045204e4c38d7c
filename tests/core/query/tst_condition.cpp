#include "core/base/RunTimeError.h"
#include "core/query/Condition.h"

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// A small products-like table; rows are told apart by their stock number (column 1).
const QList<std::pair<QString, ColumnKind>> kColumns = {
    {u"PID"_s, ColumnKind::Counter},   {u"StockNo"_s, ColumnKind::Text},
    {u"ProdName"_s, ColumnKind::Text}, {u"ProdDesc"_s, ColumnKind::Memo},
    {u"Retail"_s, ColumnKind::Money},  {u"Catagory"_s, ColumnKind::Number},
    {u"Supplier"_s, ColumnKind::Text}, {u"Taxable"_s, ColumnKind::YesNo},
    {u"Notes"_s, ColumnKind::Memo},    {u"Order ID"_s, ColumnKind::Text},
    {u"Date In"_s, ColumnKind::Date},  {u"Name"_s, ColumnKind::Text},
};

const QVariant null;

QList<QVariantList> rows() {
    return {
        {qlonglong(1), u"LAMP-1"_s, u"Desk lamp"_s, u"Brass base"_s, 25.0, 3.0, u"Acme"_s, true,
         null, u"A100"_s, QDate(2026, 1, 5), u"Acme"_s},
        {qlonglong(2), u"AB7"_s, u"Floor light"_s, u"Tall LAMP shade"_s, 9.99, 3.0, u"Bolt"_s,
         false, u"fragile"_s, u"B210"_s, QDate(2025, 12, 1), u"acme"_s},
        {qlonglong(7), u"ZAB3"_s, u"Cap"_s, null, 10.0, 5.0, u"Acme"_s, true, QString(), u"C300"_s,
         null, u"Acme Ltd"_s},
        {qlonglong(12), u"BIG CAP 9"_s, u"Cap set"_s, u"Three caps"_s, 10.5, 3.0, u"Acme"_s, false,
         u"check"_s, u"D400"_s, QDate(2026, 2, 1), null},
        {qlonglong(70), u"O'Brien-7"_s, u"Sign"_s, u"Lamplighter's sign"_s, null, null, null, null,
         u""_s, u"0012"_s, null, u"Zed"_s},
    };
}

ConditionColumn resolve(const QString& name) {
    for (int i = 0; i < kColumns.size(); ++i)
        if (kColumns[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return {i, kColumns[i].second};
    return {};
}

// Stock numbers of the matching rows, comma-separated. Fails the test when the condition reads a
// column it did not list in columns(), since callers load only those.
QString matching(const Condition& condition) {
    const QList<int> read = condition.columns();
    QStringList found;
    for (const QVariantList& row : rows()) {
        bool strayRead = false;
        const bool match = condition.matches([&](int index) {
            strayRead |= !read.contains(index);
            return row.at(index);
        });
        if (strayRead)
            return u"read a column not in columns()"_s;
        if (match)
            found << row.at(1).toString();
    }
    return found.join(u',');
}

// The matching rows, or "error N" when the text is refused.
QString outcome(const QString& text) {
    try {
        return matching(Condition::parse(text, resolve));
    } catch (const RunTimeError& error) {
        return u"error %1"_s.arg(error.number());
    }
}

QString nested(int levels) {
    return QString(levels, u'(') + u"PID = 7"_s + QString(levels, u')');
}

QString repeated(const QString& part, int count, const QString& separator = QString()) {
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << part.arg(i);
    return parts.join(separator);
}

// The rows of matchesRows whose text is refused, with the error it raises.
void refusedConditionRows() {
    const QString wrong = u"error %1"_s.arg(ErrorNumber::WrongArguments);
    const QString notFound = u"error %1"_s.arg(ErrorNumber::ItemNotFound);
    QTest::newRow("unclosed quote") << u"StockNo = 'abc"_s << wrong;
    QTest::newRow("apostrophe not doubled") << u"StockNo = 'O'Brien-7'"_s << wrong;
    QTest::newRow("unclosed bracket") << u"[StockNo = 'a'"_s << wrong;
    QTest::newRow("unclosed date") << u"[Date In] = #01/05/2026"_s << wrong;
    QTest::newRow("unknown bracketed column") << u"[Nope] = 'a'"_s << notFound;
    QTest::newRow("unknown bare column") << u"StockNo = 'a' or nope = 1"_s << notFound;
    QTest::newRow("word against number") << u"Catagory = 'Tools'"_s << wrong;
    QTest::newRow("word against money") << u"[Retail]  > 'ten'"_s << wrong;
    QTest::newRow("empty against number") << u"[PID] = ''"_s << wrong;
    QTest::newRow("word against yes/no") << u"[Taxable] = 'maybe'"_s << wrong;
    QTest::newRow("impossible date") << u"[Date In] = '02/30/2024'"_s << wrong;
    QTest::newRow("number against date") << u"[Date In] = 5"_s << wrong;
    QTest::newRow("unquoted word") << u"Supplier = Acme"_s << wrong;
    QTest::newRow("trailing operator") << u"StockNo ="_s << wrong;
    QTest::newRow("trailing and") << u"StockNo = 'a' and"_s << wrong;
    QTest::newRow("column only") << u"[StockNo]"_s << wrong;
    QTest::newRow("operator glued to Null") << u"[StockNo]  likeNull"_s << wrong;
    QTest::newRow("missing )") << u"(StockNo = 'a'"_s << wrong;
    QTest::newRow("extra )") << u"StockNo = 'a')"_s << wrong;
    QTest::newRow("number glued to word") << u"PID = 7abc"_s << wrong;
    QTest::newRow("is without null") << u"Notes is 'a'"_s << wrong;
    QTest::newRow("unclosed list") << u"StockNo like '[ab'"_s << wrong;
    QTest::newRow("reversed range") << u"StockNo like '[z-a]'"_s << wrong;
    QTest::newRow("keyword as column") << u"and = 1"_s << wrong;
    QTest::newRow("nested 101 deep") << nested(101) << wrong;
    QTest::newRow("nested 100 000 deep") << nested(100000) << wrong;
    QTest::newRow("100 000 opening") << QString(100000, u'(') << wrong;
}

} // namespace

class TestCondition : public QObject {
    Q_OBJECT

private slots:
    void matchesRows_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("stock number contains") << u"[StockNo]  like '*lamp*'"_s << u"LAMP-1"_s;
        QTest::newRow("name or description")
            << u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s << u"LAMP-1,AB7,O'Brien-7"_s;
        QTest::newRow("quoted number against money")
            << u"[Retail]  > '10'"_s << u"LAMP-1,BIG CAP 9"_s;
        QTest::newRow("yes/no true") << u"[Taxable]  = True"_s << u"LAMP-1,ZAB3"_s;
        QTest::newRow("number and text")
            << u"Catagory = '3' and Supplier = 'Acme'"_s << u"LAMP-1,BIG CAP 9"_s;
        QTest::newRow("empty notes") << u"[Notes]  =Null"_s << u"LAMP-1,ZAB3,O'Brien-7"_s;
        QTest::newRow("column called Name") << u"name = 'Acme'"_s << u"LAMP-1,AB7"_s;
        QTest::newRow("counter as quoted text") << u"[PID] = '7'"_s << u"ZAB3"_s;
        QTest::newRow("no blanks") << u"[Name]='zed'"_s << u"O'Brien-7"_s;

        // and binds tighter than or, and only parentheses change that.
        QTest::newRow("or before and") << u"Taxable = False or Supplier = 'Acme' and Catagory = 5"_s
                                       << u"AB7,ZAB3,BIG CAP 9"_s;
        QTest::newRow("parentheses")
            << u"(Taxable = False or Supplier = 'Acme') and Catagory = 5"_s << u"ZAB3"_s;

        // Null values never match a comparison, not even a negated one.
        QTest::newRow("not equal skips null") << u"Supplier <> 'Acme'"_s << u"AB7"_s;
        QTest::newRow("not comparison") << u"NOT [Taxable] = True"_s << u"AB7,BIG CAP 9"_s;
        QTest::newRow("null or true") << u"Retail > 100 or PID = 70"_s << u"O'Brien-7"_s;
        QTest::newRow("not not") << u"not not Supplier = 'Bolt'"_s << u"AB7"_s;
        QTest::newRow("not before parentheses")
            << u"not (Taxable = True or Supplier = 'Bolt')"_s << u"BIG CAP 9"_s;
        QTest::newRow("not like") << u"[StockNo] not like '*A*'"_s << u"O'Brien-7"_s;
        QTest::newRow("is null") << u"Retail is null"_s << u"O'Brien-7"_s;
        QTest::newRow("is not null") << u"[Notes] IS NOT NULL"_s << u"AB7,BIG CAP 9"_s;
        QTest::newRow("not equal null") << u"[Name] <> Null"_s << u"LAMP-1,AB7,ZAB3,O'Brien-7"_s;
        QTest::newRow("greater than null") << u"[Retail] >Null"_s << QString();

        // Numbers, money and dates compare by value.
        QTest::newRow("range") << u"Retail >= 10 and Retail <= 10.5"_s << u"ZAB3,BIG CAP 9"_s;
        QTest::newRow("reversed operators")
            << u"Retail => 10 and Retail =< 10.5"_s << u"ZAB3,BIG CAP 9"_s;
        QTest::newRow("currency sign") << u"[Retail] = '$9.99'"_s << u"AB7"_s;
        QTest::newRow("negative number") << u"Retail > -1.5 and Catagory <> 3"_s << u"ZAB3"_s;
        QTest::newRow("date literal") << u"[Date In] > #12/31/2025#"_s << u"LAMP-1,BIG CAP 9"_s;
        QTest::newRow("quoted iso date") << u"[Date In] = '2026-01-05'"_s << u"LAMP-1"_s;
        QTest::newRow("quoted hashed date") << u"[Date In] = '#02/01/2026#'"_s << u"BIG CAP 9"_s;

        // A number against a text column compares as text.
        QTest::newRow("number text same") << u"[Order ID] = 0012"_s << u"O'Brien-7"_s;
        QTest::newRow("text order ignores case")
            << u"ProdName >= 'CAP' and ProdName < 'd'"_s << u"ZAB3,BIG CAP 9"_s;

        QTest::newRow("like on money") << u"Retail like '10*'"_s << u"ZAB3,BIG CAP 9"_s;

        QTest::newRow("minus one") << u"Taxable = -1"_s << u"LAMP-1,ZAB3"_s;
        QTest::newRow("quoted false") << u"Taxable = 'False'"_s << u"AB7,BIG CAP 9"_s;

        QTest::newRow("keywords in any case")
            << u"stockno LIKE 'ab*' Or pid = 1"_s << u"LAMP-1,AB7"_s;
        QTest::newRow("blanks inside") << u"  (  [PID]=7 )  "_s << u"ZAB3"_s;
        QTest::newRow("bracketed blanks") << u"[ Order ID ] = 'a100'"_s << u"LAMP-1"_s;
        QTest::newRow("blank text") << u"   "_s << u"LAMP-1,AB7,ZAB3,BIG CAP 9,O'Brien-7"_s;
        const QString typed = u"O'Brien-7"_s;
        QTest::newRow("apostrophe typed")
            << u"[StockNo] = '"_s + quoteConditionValue(typed) + u'\'' << typed;
        QTest::newRow("apostrophe in like")
            << u"[StockNo] like '*"_s + quoteConditionValue(u"'b"_s) + u"*'"_s << typed;
        // 10 000 clauses joined by or, the last one matching; then by and; then 10 001 nots.
        QTest::newRow("long or chain")
            << repeated(u"StockNo = 'S%1'"_s, 9999, u" or "_s) + u" or stockno = 'ZAB3'"_s
            << u"ZAB3"_s;
        QTest::newRow("long and chain")
            << repeated(u"StockNo <> 'S%1'"_s, 9999, u" and "_s) + u" and [PID] > 50"_s << typed;
        QTest::newRow("long not chain")
            << u"not "_s.repeated(10001) + u"Supplier = 'Bolt'"_s << u"LAMP-1,ZAB3,BIG CAP 9"_s;
        QTest::newRow("nested 100 deep") << nested(100) << u"ZAB3"_s;

        refusedConditionRows();
    }

    void matchesRows() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(outcome(text), expected);
    }

    void likePattern_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");

        QTest::newRow("case") << u"*LaMp*"_s << u"desk lamp"_s << true;
        QTest::newRow("non-ascii case") << u"*ÉTÉ*"_s << u"un été"_s << true;
        QTest::newRow("question mark") << u"A?7"_s << u"AB7"_s << true;
        QTest::newRow("question mark needs one") << u"AB?7"_s << u"AB7"_s << false;
        QTest::newRow("digit") << u"AB#"_s << u"AB7"_s << true;
        QTest::newRow("digit rejects letter") << u"AB#"_s << u"ABC"_s << false;
        QTest::newRow("list") << u"[xyz]B7"_s << u"yB7"_s << true;
        QTest::newRow("range ignores case") << u"[a-c]*"_s << u"Brass"_s << true;
        QTest::newRow("negated range") << u"[!a-c]*"_s << u"Brass"_s << false;
        QTest::newRow("bracketed star is literal") << u"5[*]"_s << u"5*"_s << true;
        QTest::newRow("dash at end of list") << u"A[x-]"_s << u"A-"_s << true;
        QTest::newRow("star matches nothing") << u"lamp*"_s << u"lamp"_s << true;
        QTest::newRow("anchored at end") << u"*lamp"_s << u"lamps"_s << false;
        QTest::newRow("backtracking") << u"*ab*abc"_s << u"xabababcx abc"_s << true;
        QTest::newRow("empty pattern") << QString() << QString() << false; // null value: unknown
        QTest::newRow("many stars, no match")
            << u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"_s << QString(5000, u'a') << false;
        QTest::newRow("many stars, match")
            << u"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"_s << QString(5000, u'a') + u'b' << true;
    }

    void likePattern() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        const Condition condition = Condition::parse(
            u"[ProdDesc] like '"_s + quoteConditionValue(pattern) + u'\'', resolve);
        QCOMPARE(condition.matches([&](int) { return QVariant(text); }), expected);
    }

    // Random texts made of condition fragments either parse and evaluate or raise one of the two
    // condition errors; nothing else may happen.
    void fuzz() {
        const QStringList pieces =
            u"[|]|'|''|#|(|)| |=|<|>|*|?|!|-|.|7|1e5|and |or |not |like |is |null |True |StockNo |"
            u"[Retail]|[Date In]|Taxable |'*a[b-c]*'|#01/05/2026#|'x'|é"_s.split(u'|');
        QRandomGenerator random(20260105);
        const QList<QVariantList> table = rows();
        for (int round = 0; round < 3000; ++round) {
            QString text;
            const int length = random.bounded(1, 16);
            for (int i = 0; i < length; ++i)
                text += pieces.at(random.bounded(int(pieces.size())));
            try {
                const Condition condition = Condition::parse(text, resolve);
                for (const QVariantList& row : table)
                    condition.matches([&](int index) { return row.at(index); });
            } catch (const RunTimeError& error) {
                if (error.number() != ErrorNumber::WrongArguments &&
                    error.number() != ErrorNumber::ItemNotFound)
                    QFAIL(qPrintable(u"error %1 for %2"_s.arg(error.number()).arg(text)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestCondition)
#include "tst_condition.moc"
