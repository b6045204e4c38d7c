#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RecordSet.h"
#include "core/catalogue/RowWriter.h"
#include "support/core/RecordSetFixture.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::errorOf;

// What a record set shows, keeps and writes while other connections write the same catalogue.
class RecordSetSharedWritesTest : public QObject, public test::RecordSetFixture {
    Q_OBJECT

    // A catalogue of these products, with a record set opened on them whose moves are counted.
    RecordSet& openProducts(const QList<ColumnValueList>& products) {
        return open(ProductsSelect, 0, products);
    }

private slots:
    void cleanup() { closeAll(); }
    // Another screen writes the row this set shows and is typing into. A row deleted there (and
    // replaced by a new row) or changed in a field this set writes is not written over: the
    // update is refused and the typing kept. A change to a field this set does not write is
    // kept beside this set's change, and one that wrote the very value this set writes
    // (receiving a line writes its date before the screen saves the typed date) is no conflict.
    void writesElsewhereToTheShownRow_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("column"); // written elsewhere; -1: the row is deleted
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written"); // columns 1 and 2 afterwards; empty: refused
        for (const QString& table : {u"Catagory"_s, u"Inventory"_s}) {
            QTest::addRow("%s deleted, new row added", qPrintable(table))
                << table << -1 << QString() << QString();
            QTest::addRow("%s changed", qPrintable(table))
                << table << 1 << u"Changed elsewhere"_s << QString();
        }
        QTest::newRow("other field kept") << u"Catagory"_s << 2 << u"99"_s << u"Typed/99"_s;
        QTest::newRow("same value") << u"Catagory"_s << 1 << u"Typed"_s << u"Typed/7"_s;
    }
    void writesElsewhereToTheShownRow() {
        QFETCH(QString, table);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QString, written);
        makeCatalogue(0);
        for (const QString& key : {u"TL-513"_s, u"TL-514"_s, u"TL-515"_s})
            RowWriter::insert(*m_db, table,
                              {{0, table == u"Catagory"_s ? QVariant() : key}, {1, key}, {2, 5}});
        RecordSet rs;
        rs.open(u"select * from "_s + table, *m_db);
        rs.moveLast();
        const qint64 shown = rs.bookmark();
        rs.setValue(1, u"Typed"_s);
        if (column == 1 && !written.isEmpty())
            rs.setValue(2, u"7"_s);

        CatalogueDatabase other(m_db->path());
        if (column < 0) {
            RowWriter::remove(other, table, shown);
            RowWriter::insert(other, table, {{1, u"NEW-9"_s}});
        } else {
            RowWriter::update(other, table, shown, {{column, value}});
        }
        const QString quoted = CatalogueDatabase::quoteName(table);
        const QString first = CatalogueDatabase::quoteName(rs.fieldName(1));
        if (!written.isEmpty()) {
            rs.update();
            QCOMPARE(other
                         .scalar(u"SELECT "_s + first + u" || '/' || "_s +
                                     CatalogueDatabase::quoteName(rs.fieldName(2)) + u" FROM "_s +
                                     quoted + u" WHERE rowid = ?"_s,
                                 {shown})
                         .toString(),
                     written);
            return;
        }
        QString why;
        QCOMPARE(errorOf([&] { rs.update(); }, &why), ErrorNumber::DatabaseRefused);
        QVERIFY2(why.contains(u"another screen"_s), qPrintable(why));
        QCOMPARE(other
                     .scalar(u"SELECT count(*) FROM "_s + quoted + u" WHERE "_s + first +
                             u" = 'Typed'"_s)
                     .toInt(),
                 0);
        QCOMPARE(other.scalar(u"SELECT count(*) FROM "_s + quoted).toInt(), 3);
        QVERIFY(rs.isDirty());
        QCOMPARE(rs.value(1).toString(), u"Typed"_s);
    }

    // Another connection writes category 2 or 3 while the set stands on category 2 with every
    // row read: the set shows what the file holds once the write is committed, and only then.
    void rowsWrittenElsewhereAreShown_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("cid");
        QTest::addColumn<bool>("shown");
        for (int cid : {2, 3}) {
            QTest::addRow("single statement, category %d", cid) << u"statement"_s << cid << true;
            QTest::addRow("committed transaction, category %d", cid) << u"commit"_s << cid << true;
            QTest::addRow("rolled back, category %d", cid) << u"rollback"_s << cid << false;
            QTest::addRow("another catalogue file, category %d", cid)
                << u"other file"_s << cid << false;
        }
    }
    void rowsWrittenElsewhereAreShown() {
        QFETCH(QString, how);
        QFETCH(int, cid);
        QFETCH(bool, shown);
        if (test::onServer() && how == u"other file"_s)
            QSKIP("about catalogue files only");
        makeCatalogue(3);
        const QString path = m_db->path();
        if (how == u"other file"_s) {
            const QString second = m_dir.filePath(u"second%1.mde"_s.arg(++m_count));
            m_db->copyTo(second);
            m_db = std::make_unique<CatalogueDatabase>(second);
        }
        RecordSet rs;
        rs.open(CategorySelect, *m_db);
        rs.moveNext();
        for (int p = 0; p < rs.recordCount(); ++p)
            rs.valueAt(p, 1);
        QSignalSpy updated(&rs, &RecordSet::rowUpdated);

        CatalogueDatabase other(path);
        const QString sql = u"UPDATE Catagory SET CatName = 'Renamed' WHERE CID = ?"_s;
        if (how == u"statement"_s || how == u"other file"_s) {
            other.run(sql, {cid});
        } else {
            ScopedTransaction transaction(other);
            other.run(sql, {cid});
            QCOMPARE(updated.count(), 0);
            if (how == u"commit"_s)
                transaction.commit();
        }

        const QString name = shown ? u"Renamed"_s : u"C%1"_s.arg(cid);
        QCOMPARE(rs.valueAt(cid - 1, 1).toString(), name);
        QCOMPARE(rs.value(1).toString(), cid == 2 ? name : u"C2"_s);
        QCOMPARE(rs.absolutePosition(), 2);
        QCOMPARE(updated.count(), shown ? 1 : 0);
        if (shown)
            QCOMPARE(updated.at(0).at(0).toInt(), cid - 1);
        // What is shown now is what a change typed next is checked against.
        rs.setValue(1, u"Typed"_s);
        rs.update();
        QCOMPARE(m_db->scalar(u"SELECT CatName FROM Catagory WHERE CID = 2"_s).toString(),
                 u"Typed"_s);
    }

    // Another connection adds ("+A0:25", stock number and retail) or removes ("-A3") products
    // in one transaction while the set stands on a row, maybe typing into it ("typing") or
    // adding one ("adding", stock number A25). The set takes in what joined or left at once, in
    // one go, staying on its row; a row being typed into or added is left alone until it is
    // left ("typing") or written ("adding"), and only then does the set follow.
    void rowsJoiningOrLeavingElsewhereAreTakenIn_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("editing");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("current");
        const QStringList all{u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s};
        QTest::newRow("row added")
            << QString() << QString() << u"A2"_s << QString() << QStringList{u"+A0:1"_s}
            << QStringList{u"A0"_s, u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s} << u"A2"_s;
        QTest::newRow("row removed")
            << QString() << QString() << u"A2"_s << QString() << QStringList{u"-A3"_s}
            << QStringList{u"A1"_s, u"A2"_s, u"A4"_s} << u"A2"_s;
        QTest::newRow("current row removed")
            << QString() << QString() << u"A2"_s << QString() << QStringList{u"-A2"_s}
            << QStringList{u"A1"_s, u"A3"_s, u"A4"_s} << u"A3"_s;
        QTest::newRow("last row, current, removed")
            << QString() << QString() << u"A4"_s << QString() << QStringList{u"-A4"_s}
            << QStringList{u"A1"_s, u"A2"_s, u"A3"_s} << u"A3"_s;
        QTest::newRow("added and removed at once")
            << QString() << QString() << u"A3"_s << QString()
            << QStringList{u"-A1"_s, u"+A5:1"_s, u"-A4"_s} << QStringList{u"A2"_s, u"A3"_s, u"A5"_s}
            << u"A3"_s;
        QTest::newRow("with a filter")
            << u"Retail > 8"_s << QString() << u"A2"_s << QString()
            << QStringList{u"+B1:3"_s, u"+B2:30"_s}
            << QStringList{u"A2"_s, u"A3"_s, u"A4"_s, u"B2"_s} << u"A2"_s;
        QTest::newRow("with a sort")
            << QString() << u"Retail Desc"_s << u"A2"_s << QString() << QStringList{u"+B1:12"_s}
            << QStringList{u"A4"_s, u"A3"_s, u"B1"_s, u"A2"_s, u"A1"_s} << u"A2"_s;
        QTest::newRow("first rows of an empty set")
            << u"Retail > 100"_s << QString() << QString() << QString() << QStringList{u"+B1:200"_s}
            << QStringList{u"B1"_s} << u"B1"_s;
        // Leaving the typed row writes it and moves on in the order as it is now.
        QTest::newRow("while typing")
            << QString() << QString() << u"A2"_s << u"typing"_s << QStringList{u"+A0:1"_s}
            << QStringList{u"A0"_s, u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s} << u"A3"_s;
        QTest::newRow("while typing, next row removed")
            << QString() << QString() << u"A2"_s << u"typing"_s << QStringList{u"-A3"_s}
            << QStringList{u"A1"_s, u"A2"_s, u"A4"_s} << u"A4"_s;
        // A row added here stays at the end, where the screen looks for it after writing it.
        QTest::newRow("while adding")
            << QString() << QString() << u"A2"_s << u"adding"_s << QStringList{u"+A0:1"_s}
            << QStringList{u"A0"_s, u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s, u"A25"_s} << u"A25"_s;
    }
    void rowsJoiningOrLeavingElsewhereAreTakenIn() {
        QFETCH(QString, filter);
        QFETCH(QString, sort);
        QFETCH(QString, start);
        QFETCH(QString, editing);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, rows);
        QFETCH(QString, current);
        RecordSet& rs = openProducts({product(u"A1"_s, 5), product(u"A2"_s, 10),
                                      product(u"A3"_s, 15), product(u"A4"_s, 20)});
        if (!filter.isEmpty())
            rs.setFilter(filter);
        if (!sort.isEmpty())
            rs.setSort(sort);
        if (!start.isEmpty())
            rs.find(u"StockNo = '"_s + start + u"'"_s, 0, RecordSet::SearchDirection::Forward,
                    RecordSet::FindStart::FirstRow);
        const int before = rs.recordCount();
        if (editing == u"typing"_s) {
            rs.setValue(u"ProdName"_s, u"Typed"_s);
        } else if (editing == u"adding"_s) {
            rs.addNew();
            rs.setValue(u"StockNo"_s, u"A25"_s);
        }
        QSignalSpy resets(&rs, &RecordSet::rowsReset);
        m_moves->clear();

        CatalogueDatabase other(m_db->path());
        {
            ScopedTransaction transaction(other);
            for (const QString& change : changes) {
                const QString stockNo = change.mid(1).section(u':', 0, 0);
                if (change.startsWith(u'+'))
                    RowWriter::insert(other, u"Products"_s,
                                      product(stockNo, change.section(u':', 1).toDouble()));
                else
                    RowWriter::remove(
                        other, u"Products"_s,
                        other.scalar(u"SELECT rowid FROM Products WHERE StockNo = ?"_s, {stockNo})
                            .toLongLong());
            }
            transaction.commit();
        }

        if (editing.isEmpty()) {
            // One read for the whole write, told as one change of the rows and one move.
            QCOMPARE(resets.count(), 1);
            QCOMPARE(m_moves->count(), 1);
        } else {
            QCOMPARE(resets.count(), 0);
            QCOMPARE(rs.recordCount(), before);
            QCOMPARE(rs.isDirty(), true);
            if (editing == u"typing"_s) {
                QCOMPARE(rs.value(u"ProdName"_s).toString(), u"Typed"_s);
                rs.moveNext();
                QCOMPARE(m_db->scalar(u"SELECT ProdName FROM Products WHERE StockNo = 'A2'"_s)
                             .toString(),
                         u"Typed"_s);
            } else {
                rs.update();
            }
        }
        QCOMPARE(stockNumbers(rs), rows);
        QCOMPARE(rs.recordCount(), int(rows.size()));
        QCOMPARE(stock(rs), current);
        QCOMPARE(rs.absolutePosition(), int(rows.indexOf(current)) + 1);
    }

    // A row that a write elsewhere took from under the typing keeps what was typed, is refused
    // when written, and is let go of when the typing is dropped.
    void currentRowRemovedWhileTyping() {
        RecordSet& rs =
            openProducts({product(u"A1"_s, 5), product(u"A2"_s, 10), product(u"A3"_s, 15)});
        rs.moveNext();
        const RecordSet::Bookmark typed = rs.bookmark();
        rs.setValue(u"ProdName"_s, u"Typed"_s);
        CatalogueDatabase other(m_db->path());
        RowWriter::remove(other, u"Products"_s, typed);
        QCOMPARE(rs.recordCount(), 3);
        QCOMPARE(errorOf([&] { rs.update(); }), ErrorNumber::DatabaseRefused);
        QCOMPARE(rs.value(u"ProdName"_s).toString(), u"Typed"_s);
        rs.cancelUpdate();
        QCOMPARE(stockNumbers(rs), (QStringList{u"A1"_s, u"A3"_s}));
        QCOMPARE(stock(rs), u"A3"_s);
    }

    // A screen answering the move that took rows in may write rows itself: those are taken in
    // as soon as events run.
    void rowsWrittenWhileTakingInFollow() {
        RecordSet& rs = openProducts({product(u"A1"_s, 5)});
        CatalogueDatabase other(m_db->path());
        bool answered = false;
        connect(&rs, &RecordSet::moveComplete, &rs, [&] {
            if (!std::exchange(answered, true))
                RowWriter::insert(other, u"Products"_s, product(u"A3"_s, 1));
        });
        RowWriter::insert(other, u"Products"_s, product(u"A2"_s, 1));
        QTRY_COMPARE(stockNumbers(rs), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s}));
    }
};

QTEST_GUILESS_MAIN(RecordSetSharedWritesTest)
#include "tst_recordsetsharedwrites.moc"
