#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/DisplayFormat.h"
#include "core/catalogue/RecordSet.h"
#include "core/catalogue/RowWriter.h"
#include "support/core/RecordSetFixture.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::errorOf;
namespace PC = CatalogueSchema::ProductsColumn;

class RecordSetTest : public QObject, public test::RecordSetFixture {
    Q_OBJECT

    QVariant scalar(const QString& sql) { return m_db->scalar(sql); }

    // A catalogue of `count` products P00001... inserted last first, so that the order by stock
    // number is not the order of the rows in the file; product i has retail i and category i % 7.
    void makeLargeCatalogue(int count) {
        QList<ColumnValueList> products;
        for (int i = count; i >= 1; --i)
            products << ColumnValueList{{PC::StockNo, u"P%1"_s.arg(i, 5, 10, QChar(u'0'))},
                                        {PC::Retail, i},
                                        {PC::Catagory, i % 7}};
        makeCatalogue(0, products);
    }

private slots:
    void cleanup() { closeAll(); }
    void emptySet() {
        RecordSet& rs = open(CategorySelect, 0);
        QCOMPARE(m_moves->count(), 1); // the open reaches its (missing) first row
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof() && rs.eof() && rs.absolutePosition() < 0 && !rs.hasCurrentRow());
        rs.moveFirst();
        rs.moveLast();
        QVERIFY(rs.bof() && rs.eof());
        QCOMPARE(errorOf([&] { rs.value(0); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs.moveNext(); }), ErrorNumber::NoCurrentRecord);
    }

    void movesAndPositions() {
        RecordSet& rs = open(CategorySelect, 3);
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(rs.value(u"catname"_s).toString(), u"C1"_s);
        QCOMPARE(rs.value(2).toString(), u"10"_s); // CatNum by position
        rs.moveNext();
        rs.moveNext();
        QCOMPARE(rs.absolutePosition(), 3);
        rs.moveNext();
        QVERIFY(rs.eof());
        QCOMPARE(rs.absolutePosition(), RecordSet::PositionEOF);
        rs.moveLast();
        QCOMPARE(rs.value(1).toString(), u"C3"_s);
        for (int i = 0; i < 3; ++i)
            rs.movePrevious();
        QVERIFY(rs.bof());
        QCOMPARE(rs.absolutePosition(), RecordSet::PositionBOF);
        rs.moveFirst();
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(m_moves->count(), 9);
    }

    void bookmarksSurviveFilterAndSort() {
        RecordSet& rs =
            open(ProductsSelect, 0,
                 {product(u"X1"_s, 5, 1, u"Lamp"_s), product(u"ZAB3"_s, 20, 2, u"Desk lamp"_s),
                  product(u"AB7"_s, 12, 2), product(u"Q9"_s, 3, 3)});
        QCOMPARE(stockNumbers(rs), (QStringList{u"AB7"_s, u"Q9"_s, u"X1"_s, u"ZAB3"_s}));
        rs.moveLast();
        const RecordSet::Bookmark zab3 = rs.bookmark();
        rs.setFilter(u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"X1"_s, u"ZAB3"_s}));
        QCOMPARE(stock(rs), u"X1"_s); // a new filter starts at its first row
        rs.setBookmark(zab3);
        QCOMPARE(stock(rs), u"ZAB3"_s);
        rs.setSort(u"Retail Desc"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"ZAB3"_s, u"X1"_s}));
        QCOMPARE(stock(rs), u"ZAB3"_s); // sort keeps the current row
        rs.setFilter(QString());
        QCOMPARE(stockNumbers(rs), (QStringList{u"ZAB3"_s, u"AB7"_s, u"X1"_s, u"Q9"_s}));
        rs.setBookmark(zab3);
        QCOMPARE(rs.absolutePosition(), 1);
        rs.setSort(u"Catagory,Retail Desc"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"Q9"_s}));
        rs.setSort(QString());
        QCOMPARE(stockNumbers(rs), (QStringList{u"AB7"_s, u"Q9"_s, u"X1"_s, u"ZAB3"_s}));
        rs.setFilter(u"[Retail]  > '100'"_s);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof() && rs.eof());
    }

    // Which texts are refused is the condition test's matter; here a refusal of either kind
    // must leave the set as it was.
    void rejectedConditionsChangeNothing_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("error");
        QTest::newRow("unbalanced quote") << u"[StockNo] = 'A1"_s << ErrorNumber::WrongArguments;
        QTest::newRow("unknown column") << u"[Colour] = 'red'"_s << ErrorNumber::ItemNotFound;
    }
    void rejectedConditionsChangeNothing() {
        QFETCH(QString, condition);
        QFETCH(int, error);
        RecordSet& rs = open(ProductsSelect, 0, {product(u"A1"_s, 5), product(u"B2"_s, 50)});
        rs.setFilter(u"[Retail]  > '10'"_s);
        m_moves->clear();
        QCOMPARE(errorOf([&] { rs.setFilter(condition); }), error);
        QCOMPARE(errorOf([&] { rs.find(condition); }), error);
        QCOMPARE(rs.filter(), u"[Retail]  > '10'"_s); // the previous rows are kept
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(m_moves->count(), 0);
    }

    void findFromCurrentOrFirstRow() {
        // Sorted: AB1, AB2, AB4, CD3, O'Brien-7, OBrien-7.
        RecordSet& rs =
            open(ProductsSelect, 0,
                 {product(u"AB1"_s, 1), product(u"AB2"_s, 2), product(u"CD3"_s, 3),
                  product(u"AB4"_s, 4), product(u"OBrien-7"_s, 5), product(u"O'Brien-7"_s, 6)});
        const QString ab = u"[StockNo]  like 'AB*'"_s;
        const auto fromFirst = [&](const QString& condition) {
            rs.find(condition, 0, RecordSet::SearchDirection::Forward,
                    RecordSet::FindStart::FirstRow);
        };
        rs.setAbsolutePosition(3);
        rs.find(ab);
        QCOMPARE(stock(rs), u"AB4"_s); // the current row itself matches
        rs.find(ab, 1);                // skip the current row
        QVERIFY(rs.eof());
        QVERIFY(rs.absolutePosition() < 0);
        fromFirst(ab);
        QCOMPARE(stock(rs), u"AB1"_s);
        fromFirst(u"stockno = 'zz'"_s);
        QVERIFY(rs.eof());
        fromFirst(u"[StockNo] like '*"_s + quoteConditionValue(u"O'Brien"_s) + u"*'"_s);
        QCOMPARE(stock(rs), u"O'Brien-7"_s);
        rs.moveLast();
        rs.find(ab, 0, RecordSet::SearchDirection::Backward);
        QCOMPARE(stock(rs), u"AB4"_s);
        rs.find(ab, 1, RecordSet::SearchDirection::Backward);
        QCOMPARE(stock(rs), u"AB2"_s);
        rs.moveFirst();
        rs.find(ab, 1, RecordSet::SearchDirection::Backward);
        QVERIFY(rs.bof());
    }

    // A find or filter that requires "column = value" reads only the rows holding the value; it
    // must still match what testing every row matches: letter case ignored (also the Kelvin
    // sign and the long s, which fold to k and s), duplicates, nulls, "and" chains, and the
    // conditions it cannot look up (or, not, a value beyond ASCII).
    void equalitiesFindWhatEveryRowTestFinds_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QStringList>("expected"); // "StockNo#PID" in the set's order
        const QString kelvin = u"S\u212A-1"_s;
        const QString longS = u"\u017FK-1"_s;
        QTest::newRow("case and duplicates")
            << u"StockNo = 'ab-1'"_s
            << QStringList{u"ab-1#1"_s, u"AB-1#2"_s, u"Ab-1#3"_s, u"AB-1#4"_s};
        QTest::newRow("bracketed, capitals") << u"[StockNo] = 'AB-2'"_s << QStringList{u"AB-2#5"_s};
        QTest::newRow("kelvin sign and long s")
            << u"StockNo = 'sk-1'"_s
            << QStringList{u"SK-1#8"_s, kelvin + u"#9"_s, longS + u"#10"_s};
        QTest::newRow("no such value") << u"StockNo = 'ab-3'"_s << QStringList();
        QTest::newRow("empty value matches no null") << u"StockNo = ''"_s << QStringList();
        QTest::newRow("in an and chain") << u"Retail > 2 and (StockNo = 'AB-1' and Retail < 9)"_s
                                         << QStringList{u"Ab-1#3"_s, u"AB-1#4"_s};
        QTest::newRow("or") << u"StockNo = 'AB-2' or StockNo = 'sk-1'"_s
                            << QStringList{u"AB-2#5"_s, u"SK-1#8"_s, kelvin + u"#9"_s,
                                           longS + u"#10"_s};
        QTest::newRow("negated") << u"not StockNo = 'ab-1'"_s
                                 << QStringList{u"AB-2#5"_s,       u"SK-1#8"_s,
                                                kelvin + u"#9"_s,  u"\u00C4B-1#11"_s,
                                                u"\u00E4b-1#12"_s, longS + u"#10"_s};
        QTest::newRow("beyond ascii")
            << u"StockNo = '\u00E4B-1'"_s << QStringList{u"\u00C4B-1#11"_s, u"\u00E4b-1#12"_s};
        QTest::newRow("key") << u"PID = 3"_s << QStringList{u"Ab-1#3"_s};
        QTest::newRow("key of a null stock number") << u"[PID] = 6"_s << QStringList{u"#6"_s};
        QTest::newRow("key between keys") << u"PID = 3.5"_s << QStringList();
        QTest::newRow("key and stock number") << u"PID = 2 and StockNo = 'ab-2'"_s << QStringList();
    }
    void equalitiesFindWhatEveryRowTestFinds() {
        QFETCH(QString, condition);
        QFETCH(QStringList, expected);
        const QStringList stockNumbers{
            u"ab-1"_s, u"AB-1"_s, u"Ab-1"_s,      u"AB-1"_s,      u"AB-2"_s,      QString(),
            QString(), u"SK-1"_s, u"S\u212A-1"_s, u"\u017FK-1"_s, u"\u00C4B-1"_s, u"\u00E4b-1"_s};
        QList<ColumnValueList> products;
        for (int i = 0; i < stockNumbers.size(); ++i)
            products << product(stockNumbers.at(i), i + 1);
        RecordSet& rs = open(ProductsSelect, 0, products);
        const auto row = [&] { return stock(rs) + u'#' + rs.value(u"PID"_s).toString(); };

        QStringList forward;
        rs.find(condition, 0, RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
        for (; !rs.eof() && forward.size() <= expected.size(); rs.find(condition, 1))
            forward << row();
        QCOMPARE(forward, expected);
        QStringList backward;
        rs.find(condition, 0, RecordSet::SearchDirection::Backward, RecordSet::FindStart::FirstRow);
        for (; !rs.bof() && backward.size() <= expected.size();
             rs.find(condition, 1, RecordSet::SearchDirection::Backward))
            backward.prepend(row());
        QCOMPARE(backward, expected);

        rs.setFilter(condition);
        QStringList filtered;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            filtered << row();
        QCOMPARE(filtered, expected);
    }

    void addNewThenCancelOrUpdate() {
        RecordSet& rs = open(CategorySelect, 3);
        rs.moveNext();
        QSignalSpy changes(&rs, &RecordSet::willChangeRecord);
        rs.addNew();
        QVERIFY(rs.isAdding() && !rs.bof() && !rs.eof() && rs.value(1).isNull());
        rs.setValue(1, u"New"_s);
        rs.cancelUpdate();
        QVERIFY(!rs.isAdding());
        QCOMPARE(rs.value(1).toString(), u"C2"_s); // back on the row current before AddNew
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(scalar(u"SELECT count(*) FROM Catagory"_s).toInt(), 3);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().first().value<RecordSet::ChangeReason>(),
                 RecordSet::ChangeReason::AddNew);
        rs.addNew();
        rs.setValue(1, u"Added"_s);
        rs.updateBatch();
        QCOMPARE(rs.recordCount(), 4);
        rs.moveLast();
        QCOMPARE(rs.value(1).toString(), u"Added"_s);
        QVERIFY(rs.value(0).toLongLong() > 0); // the counter was given by the file
        QCOMPARE(scalar(u"SELECT count(*) FROM Catagory"_s).toInt(), 4);
    }

    // An amount typed into a bound money box is written to the ten-thousandth as typed, however
    // many digits, and shown from the file as the box's format says. One past the largest amount,
    // or no amount at all, is refused by a write and by a move alike: the file keeps what it had
    // and the row keeps all that was typed, written once the amount is put right.
    void typedAmountsAreKeptExactly_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<int>("error");
        QTest::newRow("more digits than a double holds")
            << u"123456789012.3456"_s << qint64(1234567890123456) << u"123456789012.3456"_s
            << u"$123,456,789,012.35"_s << 0;
        QTest::newRow("largest amount")
            << u"$922,337,203,685,477.5807"_s << std::numeric_limits<qint64>::max()
            << u"922337203685477.5807"_s << u"$922,337,203,685,477.58"_s << 0;
        QTest::newRow("negative below a cent")
            << u"-0.0001"_s << qint64(-1) << u"-0.0001"_s << u"$0.00"_s << 0;
        QTest::newRow("one past the largest") << u"922337203685477.5808"_s << qint64(72500)
                                              << u"7.25"_s << u"$7.25"_s << ErrorNumber::Overflow;
        QTest::newRow("not an amount")
            << u"cheap"_s << qint64(72500) << u"7.25"_s << u"$7.25"_s << ErrorNumber::TypeMismatch;
    }
    void typedAmountsAreKeptExactly() {
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        QFETCH(QString, plain);
        QFETCH(QString, currency);
        QFETCH(int, error);
        RecordSet& rs = open(ProductsSelect, 0, {product(u"A1"_s, 5), product(u"B2"_s, 6)});
        const int retail = rs.fieldIndex(u"Retail"_s);
        const QString a1 = u" FROM Products WHERE StockNo = 'A1'"_s;
        rs.setValue(retail, DisplayFormat::typedValue(typed, DisplayFormat::Currency));
        rs.setValue(rs.fieldIndex(u"ProdName"_s), u"Typed name"_s);
        for (bool viaMove : {false, true}) {
            QString why;
            QCOMPARE(errorOf([&] { viaMove ? rs.moveNext() : rs.updateBatch(); }, &why), error);
            if (!error)
                break;
            QVERIFY2(why.contains(u"Retail"_s), qPrintable(why));
            QCOMPARE(scalar(u"SELECT ProdName"_s + a1).toString(), u"Mug"_s);
            QCOMPARE(scalar(u"SELECT Retail"_s + a1).toLongLong(), qint64(50000));
            QVERIFY(rs.isDirty());
            QCOMPARE(rs.absolutePosition(), 1);
            QCOMPARE(rs.value(retail).toString(), typed);
        }
        if (error) {
            rs.setValue(retail, u"7.25"_s);
            rs.updateBatch();
        }
        QCOMPARE(scalar(u"SELECT Retail"_s + a1).toLongLong(), stored);
        QCOMPARE(scalar(u"SELECT ProdName"_s + a1).toString(), u"Typed name"_s);
        rs.requery();
        QCOMPARE(DisplayFormat::text(rs.value(retail), DisplayFormat::Plain), plain);
        QCOMPARE(DisplayFormat::text(rs.value(retail), DisplayFormat::Currency), currency);
    }

    void changesAreWrittenOnLeavingAndDeletesLeaveAGap() {
        RecordSet& rs = open(CategorySelect, 3);
        QSignalSpy changes(&rs, &RecordSet::willChangeRecord);
        const QString first = u"SELECT CatName FROM Catagory WHERE CID = 1"_s;
        rs.setValue(1, u"Renamed"_s);
        QCOMPARE(scalar(first).toString(), u"C1"_s);
        rs.moveNext();
        QCOMPARE(scalar(first).toString(), u"Renamed"_s);
        QCOMPARE(changes.count(), 2); // first change, then the move that writes it
        rs.deleteCurrent();
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(scalar(u"SELECT count(*) FROM Catagory"_s).toInt(), 2);
        QVERIFY(rs.absolutePosition() < 0);
        rs.moveNext();
        QCOMPARE(rs.value(1).toString(), u"C3"_s);
        rs.deleteCurrent();
        rs.moveNext();
        QVERIFY(rs.eof());
        rs.moveLast();
        rs.deleteCurrent();
        QCOMPARE(rs.recordCount(), 0);
        rs.moveNext();
        QVERIFY(rs.bof() && rs.eof());
    }

    void requeryReturnsToFirstRowSeesOthersChangesAndReopens() {
        RecordSet& rs = open(CategorySelect, 2);
        rs.moveLast();
        rs.setValue(1, u"dropped"_s);
        RowWriter::insert(*m_db, u"Catagory"_s, {{1, u"C3"_s}});
        QCOMPARE(rs.recordCount(), 2); // static until read again
        rs.requery();
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(scalar(u"SELECT count(*) FROM Catagory WHERE CatName = 'dropped'"_s).toInt(), 0);
        rs.close();
        QVERIFY(!rs.isOpen());
        QCOMPARE(errorOf([&] { rs.moveFirst(); }), ErrorNumber::OperationNotAllowed);
        rs.open(CategorySelect, *m_db);
        QCOMPARE(rs.recordCount(), 3);
        CatalogueDatabase(m_db->path()).run(u"DELETE FROM Catagory"_s);
        rs.requery();
        QCOMPARE(rs.recordCount(), 0);
    }

    // Walks, jumps and finds over more rows than one read block (64) and than the row cache
    // holds (4 096), filtered and sorted, must see every row's own values.
    void largeSetsAcrossBlockAndCacheEdges_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QList<int>>("expected"); // product numbers in the set's order
        // The numbers 1..6000 that pass, in ascending or descending order.
        const auto numbers = [](bool descending, bool (*keep)(int)) {
            QList<int> list;
            for (int i = 1; i <= 6000; ++i)
                if (keep(i))
                    list << i;
            if (descending)
                std::reverse(list.begin(), list.end());
            return list;
        };
        const auto all = [](int) { return true; };
        QTest::newRow("whole set") << QString() << QString() << numbers(false, all);
        QTest::newRow("sorted descending") << QString() << u"Retail Desc"_s << numbers(true, all);
        QTest::newRow("filtered") << u"[Catagory] = 3"_s << QString()
                                  << numbers(false, [](int i) { return i % 7 == 3; });
        QTest::newRow("filtered and sorted") << u"[Retail] > 500"_s << u"Retail Desc"_s
                                             << numbers(true, [](int i) { return i > 500; });
    }
    void largeSetsAcrossBlockAndCacheEdges() {
        QFETCH(QString, filter);
        QFETCH(QString, sort);
        QFETCH(QList<int>, expected);
        makeLargeCatalogue(6000);
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        if (!filter.isEmpty())
            rs.setFilter(filter);
        if (!sort.isEmpty())
            rs.setSort(sort);
        QCOMPARE(rs.recordCount(), expected.size());
        const auto name = [](int i) { return u"P%1"_s.arg(i, 5, 10, QChar(u'0')); };
        const int stockNo = rs.fieldIndex(u"StockNo"_s);
        const int retail = rs.fieldIndex(u"Retail"_s);

        rs.moveFirst();
        for (int p = 0; p < expected.size(); ++p, rs.moveNext()) {
            QCOMPARE(stock(rs), name(expected.at(p)));
            QCOMPARE(rs.value(retail).toInt(), expected.at(p));
        }
        QVERIFY(rs.eof());
        rs.moveLast();
        for (int p = int(expected.size()) - 1; p >= 0; --p, rs.movePrevious())
            QCOMPARE(stock(rs), name(expected.at(p)));
        QVERIFY(rs.bof());

        // Jumps back and forth across the edges, so that the cache is emptied and refilled.
        const int last = int(expected.size()) - 1;
        for (int p : {0, 63, 64, 65, 4095, 4096, 4097, last, 1, 4160, 127, last - 64}) {
            const int at = std::clamp(p, 0, last);
            QCOMPARE(rs.valueAt(at, stockNo).toString(), name(expected.at(at)));
            rs.setAbsolutePosition(at + 1);
            QCOMPARE(stock(rs), name(expected.at(at)));
            rs.find(u"[StockNo] = '"_s + name(expected.at(last - at)) + u"'"_s, 0,
                    RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
            QCOMPARE(rs.absolutePosition(), last - at + 1);
        }
    }

    void sources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("rows"); // -1: refused
        QTest::addColumn<int>("fields");
        QTest::newRow("selection")
            << u"select * from products where [StockNo]  like 'AB*'"_s << 2 << 31;
        QTest::newRow("table name") << u"Products"_s << 3 << 31;
        QTest::newRow("taxable") << u"select * from products where [Taxable]  = True"_s << 1 << 31;
        QTest::newRow("two columns")
            << u"select [StockNo],Retail from Products order by Retail"_s << 3 << 2;
        QTest::newRow("unknown table") << u"select * from Nothing"_s << -1 << 0;
        QTest::newRow("unknown column") << u"select Colour from Products"_s << -1 << 0;
        QTest::newRow("unknown sort") << u"select * from Products order by Colour"_s << -1 << 0;
        QTest::newRow("bad where") << u"select * from Products where StockNo = 'x"_s << -1 << 0;
    }
    void sources() {
        QFETCH(QString, source);
        QFETCH(int, rows);
        QFETCH(int, fields);
        makeCatalogue(
            0, {product(u"AB1"_s, 1), product(u"AB2"_s, 2, 1, u"b"_s, true), product(u"CD3"_s, 3)});
        RecordSet rs;
        QCOMPARE(errorOf([&] { rs.open(source, *m_db); }) != 0, rows < 0);
        QCOMPARE(rs.isOpen(), rows >= 0);
        QCOMPARE(rs.isOpen() ? rs.recordCount() : -1, rows);
        QCOMPARE(rs.isOpen() ? rs.fieldCount() : 0, fields);
    }
};

QTEST_GUILESS_MAIN(RecordSetTest)
#include "tst_recordset.moc"
