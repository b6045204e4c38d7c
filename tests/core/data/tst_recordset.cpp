#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/RecordSet.h"
#include "core/data/RowWriter.h"
#include "core/shell/RunTimeError.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {
const QString CategorySelect = u"select CID,CatName,CatNum from Catagory Order by CID"_s;
const QString ProductsSelect =
    u"select PID,Catagory,Cost1,Cost2,Cost3,Cost4,Cost5,Disco,Inventory,MinOrdR,MinOrdW,NoSold,"
    u"Notes,OnOrder,OnSpecial,Orderable,OutStock,Packaging,PageNo,Picture,Price,ProdDesc,"
    u"ProdName,ReOrder,Retail,Ship1,Ship2,StockNo,Supplier,Taxable,Weight from Products order "
    u"by StockNo"_s;
} // namespace

class RecordSetTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;
    std::unique_ptr<CatalogueDatabase> m_db;

    // A catalogue with categories 1..n named C1..Cn and the given products.
    void makeCatalogue(int categories, const QList<ColumnValueList>& products = {}) {
        const QString path = m_dir.filePath(u"rs%1.mde"_s.arg(++m_count));
        CatalogueDatabase::create(path);
        m_db = std::make_unique<CatalogueDatabase>(path);
        ScopedTransaction t(*m_db);
        for (int i = 1; i <= categories; ++i)
            RowWriter::insert(*m_db, u"Catagory"_s,
                              {{1, u"C%1"_s.arg(i)}, {2, QString::number(i * 10)}});
        for (const ColumnValueList& p : products)
            RowWriter::insert(*m_db, u"Products"_s, p);
        t.commit();
    }

    static ColumnValueList product(const QString& stockNo, const QString& name, double retail,
                                   int category = 1, bool taxable = false) {
        return {{PC::StockNo, stockNo},
                {PC::ProdName, name},
                {PC::Retail, retail},
                {PC::Catagory, category},
                {PC::Taxable, taxable}};
    }

    QStringList stockNumbers(RecordSet& rs) {
        QStringList list;
        for (int p = 0; p < rs.recordCount(); ++p)
            list << rs.valueAt(p, rs.fieldIndex(u"StockNo"_s)).toString();
        return list;
    }

    qint64 countRows(const QString& table) {
        return m_db->scalar(u"SELECT count(*) FROM "_s + table).toLongLong();
    }

private slots:
    void emptySet() {
        makeCatalogue(0);
        RecordSet rs;
        QSignalSpy moves(&rs, &RecordSet::moveComplete);
        rs.open(CategorySelect, *m_db);
        QCOMPARE(moves.count(), 1); // the open reaches its (missing) first row
        QVERIFY(rs.bof());
        QVERIFY(rs.eof());
        QVERIFY(rs.absolutePosition() < 0);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(!rs.hasCurrentRow());
        rs.moveFirst();
        rs.moveLast();
        QVERIFY(rs.bof() && rs.eof());
        try {
            rs.value(0);
            QFAIL("a value without a current row");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::NoCurrentRecord);
        }
        try {
            rs.moveNext();
            QFAIL("MoveNext at the end");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::NoCurrentRecord);
        }
    }

    void movesAndPositions() {
        makeCatalogue(3);
        RecordSet rs;
        QSignalSpy moves(&rs, &RecordSet::moveComplete);
        rs.open(CategorySelect, *m_db);
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
        rs.movePrevious();
        rs.movePrevious();
        rs.movePrevious();
        QVERIFY(rs.bof());
        QCOMPARE(rs.absolutePosition(), RecordSet::PositionBOF);
        rs.moveFirst();
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(moves.count(), 9);
    }

    void bookmarksSurviveFilterAndSort() {
        makeCatalogue(0, {product(u"X1"_s, u"Lamp"_s, 5), product(u"ZAB3"_s, u"Desk lamp"_s, 20, 2),
                          product(u"AB7"_s, u"Mug"_s, 12, 2), product(u"Q9"_s, u"Cup"_s, 3, 3)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        QCOMPARE(stockNumbers(rs), (QStringList{u"AB7"_s, u"Q9"_s, u"X1"_s, u"ZAB3"_s}));
        rs.moveLast();
        const RecordSet::Bookmark zab3 = rs.bookmark();
        rs.setFilter(u"ProdName like '*lamp*' or ProdDesc like '*lamp*'"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"X1"_s, u"ZAB3"_s}));
        rs.setBookmark(zab3);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"ZAB3"_s);
        rs.setSort(u"Retail Desc"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"ZAB3"_s, u"X1"_s}));
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"ZAB3"_s); // sort keeps the current row
        rs.setFilter(QString());
        QCOMPARE(stockNumbers(rs), (QStringList{u"ZAB3"_s, u"AB7"_s, u"X1"_s, u"Q9"_s}));
        rs.setBookmark(zab3);
        QCOMPARE(rs.absolutePosition(), 1);
        rs.setSort(u"Catagory,Retail Desc"_s);
        QCOMPARE(stockNumbers(rs), (QStringList{u"X1"_s, u"ZAB3"_s, u"AB7"_s, u"Q9"_s}));
        rs.setSort(QString());
        QCOMPARE(stockNumbers(rs), (QStringList{u"AB7"_s, u"Q9"_s, u"X1"_s, u"ZAB3"_s}));
    }

    void filterMovesToFirstMatchAndCounts() {
        makeCatalogue(0, {product(u"A1"_s, u"a"_s, 5), product(u"B2"_s, u"b"_s, 50),
                          product(u"C3"_s, u"c"_s, 15)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        rs.moveLast();
        rs.setFilter(u"[Retail]  > '10'"_s);
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"B2"_s);
        rs.setFilter(u"[Retail]  > '100'"_s);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof() && rs.eof());
    }

    void rejectedConditionsChangeNothing_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("error");
        QTest::newRow("unbalanced quote") << u"[StockNo] = 'A1"_s << ErrorNumber::WrongArguments;
        QTest::newRow("unknown column") << u"[Colour] = 'red'"_s << ErrorNumber::ItemNotFound;
        QTest::newRow("word for a number")
            << u"[Retail] > 'cheap'"_s << ErrorNumber::WrongArguments;
        QTest::newRow("trailing and") << u"StockNo = 'A1' and"_s << ErrorNumber::WrongArguments;
    }
    void rejectedConditionsChangeNothing() {
        QFETCH(QString, condition);
        QFETCH(int, error);
        makeCatalogue(0, {product(u"A1"_s, u"a"_s, 5), product(u"B2"_s, u"b"_s, 50)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        rs.setFilter(u"[Retail]  > '10'"_s);
        QSignalSpy moves(&rs, &RecordSet::moveComplete);
        for (auto apply : {0, 1}) {
            try {
                if (apply == 0)
                    rs.setFilter(condition);
                else
                    rs.find(condition);
                QFAIL("the condition was accepted");
            } catch (const RunTimeError& e) {
                QCOMPARE(e.number(), error);
            }
        }
        QCOMPARE(rs.filter(), u"[Retail]  > '10'"_s); // the previous rows are kept
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(moves.count(), 0);
    }

    void findFromCurrentOrFirstRow() {
        makeCatalogue(0, {product(u"AB1"_s, u"a"_s, 1), product(u"AB2"_s, u"b"_s, 2),
                          product(u"CD3"_s, u"c"_s, 3), product(u"AB4"_s, u"d"_s, 4)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        rs.setAbsolutePosition(3); // CD3
        rs.find(u"[StockNo]  like 'AB*'"_s);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"AB4"_s);
        rs.find(u"[StockNo]  like 'AB*'"_s); // the current row itself matches
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"AB4"_s);
        rs.find(u"[StockNo]  like 'AB*'"_s, 1); // skip the current row
        QVERIFY(rs.eof());
        QVERIFY(rs.absolutePosition() < 0);
        rs.find(u"[StockNo]  like 'AB*'"_s, 0, RecordSet::SearchDirection::Forward,
                RecordSet::FindStart::FirstRow);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"AB1"_s);
        rs.find(u"stockno = 'zz'"_s, 0, RecordSet::SearchDirection::Forward,
                RecordSet::FindStart::FirstRow);
        QVERIFY(rs.eof());
        rs.moveLast(); // order: AB1, AB2, AB4, CD3
        rs.find(u"[StockNo]  like 'AB*'"_s, 0, RecordSet::SearchDirection::Backward);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"AB4"_s);
        rs.find(u"[StockNo]  like 'AB*'"_s, 1, RecordSet::SearchDirection::Backward);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"AB2"_s);
        rs.moveFirst();
        rs.find(u"[StockNo]  like 'AB*'"_s, 1, RecordSet::SearchDirection::Backward);
        QVERIFY(rs.bof());
    }

    void apostropheInStockNumberIsFoundAsTyped() {
        makeCatalogue(0, {product(u"O'Brien-7"_s, u"a"_s, 1), product(u"OBrien-7"_s, u"b"_s, 2)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        rs.find(u"[StockNo] like '*"_s + quoteConditionValue(u"O'Brien"_s) + u"*'"_s, 0,
                RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
        QCOMPARE(rs.value(u"StockNo"_s).toString(), u"O'Brien-7"_s);
    }

    void addNewThenCancelUpdate() {
        makeCatalogue(3);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.moveNext();
        QSignalSpy changes(&rs, &RecordSet::willChangeRecord);
        rs.addNew();
        QVERIFY(rs.isAdding());
        QVERIFY(!rs.bof() && !rs.eof());
        QVERIFY(rs.value(1).isNull());
        rs.setValue(1, u"New"_s);
        rs.cancelUpdate();
        QVERIFY(!rs.isAdding());
        QCOMPARE(rs.value(1).toString(), u"C2"_s); // back on the row current before AddNew
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(countRows(u"Catagory"_s), 3);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().first().value<RecordSet::ChangeReason>(),
                 RecordSet::ChangeReason::AddNew);
    }

    void addNewThenUpdateGoesToTheEnd() {
        makeCatalogue(2);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.addNew();
        rs.setValue(1, u"Added"_s);
        rs.setValue(2, u"99"_s);
        rs.updateBatch();
        QCOMPARE(rs.recordCount(), 3);
        rs.moveLast();
        QCOMPARE(rs.value(1).toString(), u"Added"_s);
        QVERIFY(rs.value(0).toLongLong() > 0); // the counter was given by the file
        QCOMPARE(countRows(u"Catagory"_s), 3);
    }

    void changesAreWrittenWhenLeavingTheRow() {
        makeCatalogue(2);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        QSignalSpy changes(&rs, &RecordSet::willChangeRecord);
        rs.setValue(1, u"Renamed"_s);
        QCOMPARE(m_db->scalar(u"SELECT CatName FROM Catagory WHERE CID = 1"_s).toString(), u"C1"_s);
        rs.moveNext();
        QCOMPARE(m_db->scalar(u"SELECT CatName FROM Catagory WHERE CID = 1"_s).toString(),
                 u"Renamed"_s);
        QCOMPARE(changes.count(), 2); // first change, then the move that writes it
    }

    void refusedWriteLeavesFileUnchangedAndRowPending() {
        makeCatalogue(0, {product(u"A1"_s, u"a"_s, 5), product(u"B2"_s, u"b"_s, 6)});
        RecordSet rs;
        rs.open(ProductsSelect, *m_db);
        const int retail = rs.fieldIndex(u"Retail"_s);
        rs.setValue(retail, u"cheap"_s);
        rs.setValue(rs.fieldIndex(u"ProdName"_s), u"Typed name"_s);
        for (int attempt : {0, 1}) {
            try {
                if (attempt == 0)
                    rs.updateBatch();
                else
                    rs.moveNext();
                QFAIL("the word was written into a money column");
            } catch (const RunTimeError& e) {
                QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
                QVERIFY(e.description().contains(u"Retail"_s));
            }
            QCOMPARE(
                m_db->scalar(u"SELECT ProdName FROM Products WHERE StockNo = 'A1'"_s).toString(),
                u"a"_s);
            QVERIFY(rs.isDirty());
            QCOMPARE(rs.absolutePosition(), 1);
            QCOMPARE(rs.value(retail).toString(), u"cheap"_s);
        }
        rs.setValue(retail, u"7.25"_s);
        rs.updateBatch();
        QCOMPARE(m_db->scalar(u"SELECT Retail FROM Products WHERE StockNo = 'A1'"_s).toLongLong(),
                 qint64(72500));
        QCOMPARE(rs.value(rs.fieldIndex(u"ProdName"_s)).toString(), u"Typed name"_s);
    }

    void deleteLeavesAGapUntilMoved() {
        makeCatalogue(3);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.moveNext();
        rs.deleteCurrent();
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(countRows(u"Catagory"_s), 2);
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

    void requeryReturnsToFirstRowAndSeesOthersChanges() {
        makeCatalogue(2);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.moveLast();
        rs.setValue(1, u"dropped"_s);
        RowWriter::insert(*m_db, u"Catagory"_s, {{1, u"C3"_s}});
        QCOMPARE(rs.recordCount(), 2); // static until read again
        rs.requery();
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(m_db->scalar(u"SELECT count(*) FROM Catagory WHERE CatName = 'dropped'"_s).toInt(),
                 0);
    }

    void closeAndReopen() {
        makeCatalogue(2);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.close();
        QVERIFY(!rs.isOpen());
        try {
            rs.moveFirst();
            QFAIL("moved a closed set");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::OperationNotAllowed);
        }
        rs.open(CategorySelect, *m_db);
        QCOMPARE(rs.recordCount(), 2);
    }

    void whereTextAndTableNameSources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("fields");
        QTest::newRow("selection")
            << u"select * from products where [StockNo]  like 'AB*'"_s << 2 << 31;
        QTest::newRow("table name") << u"Products"_s << 3 << 31;
        QTest::newRow("taxable") << u"select * from products where [Taxable]  = True"_s << 1 << 31;
        QTest::newRow("two columns")
            << u"select [StockNo],Retail from Products order by Retail"_s << 3 << 2;
    }
    void whereTextAndTableNameSources() {
        QFETCH(QString, source);
        QFETCH(int, rows);
        QFETCH(int, fields);
        makeCatalogue(0, {product(u"AB1"_s, u"a"_s, 1), product(u"AB2"_s, u"b"_s, 2, 1, true),
                          product(u"CD3"_s, u"c"_s, 3)});
        RecordSet rs;
        rs.open(source, *m_db);
        QCOMPARE(rs.recordCount(), rows);
        QCOMPARE(rs.fieldCount(), fields);
    }

    void badSourcesAreRefused_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("unknown table") << u"select * from Nothing"_s;
        QTest::newRow("unknown column") << u"select Colour from Products"_s;
        QTest::newRow("unknown sort") << u"select * from Products order by Colour"_s;
        QTest::newRow("bad where") << u"select * from Products where StockNo = 'x"_s;
    }
    void badSourcesAreRefused() {
        QFETCH(QString, source);
        makeCatalogue(0);
        RecordSet rs;
        try {
            rs.open(source, *m_db);
            QFAIL("opened");
        } catch (const RunTimeError&) {
        }
        QVERIFY(!rs.isOpen());
    }

    void rowsDeletedElsewhereReadAsEmpty() {
        makeCatalogue(2);
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.moveLast();
        rs.moveFirst();
        CatalogueDatabase other(m_db->path());
        other.run(u"DELETE FROM Catagory"_s);
        rs.requery();
        QCOMPARE(rs.recordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(RecordSetTest)
#include "tst_recordset.moc"
