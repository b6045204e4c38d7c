#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/DataControl.h"
#include "core/data/RowWriter.h"
#include "core/shell/RunTimeError.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

class DataControlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void open(DataControl& data) {
        data.setDatabaseName(m_path);
        data.setRecordSource(u"Products"_s);
        data.refresh();
    }

private slots:
    void init() {
        m_path = m_dir.filePath(u"dc%1.mde"_s.arg(QDateTime::currentMSecsSinceEpoch()));
        CatalogueDatabase::create(m_path);
        CatalogueDatabase db(m_path);
        for (const QString& s : {u"B2"_s, u"A1"_s, u"O'Brien-7"_s, u"0012"_s})
            RowWriter::insert(db, u"Products"_s, {{PC::StockNo, s}, {PC::ProdName, u"n"_s + s}});
    }

    void findFirst_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("stockNo");
        QTest::newRow("any letter case") << u"[StockNo] = 'a1'"_s << true << u"A1"_s;
        QTest::newRow("doubled apostrophe")
            << u"[StockNo] = 'O''Brien-7'"_s << true << u"O'Brien-7"_s;
        QTest::newRow("text not number") << u"[StockNo] = '12'"_s << false << u"B2"_s;
        QTest::newRow("leading zeros") << u"[StockNo] = '0012'"_s << true << u"0012"_s;
        QTest::newRow("like") << u"[StockNo] like 'B*'"_s << true << u"B2"_s;
        QTest::newRow("no match keeps row") << u"[StockNo] = 'ZZ'"_s << false << u"B2"_s;
    }
    void findFirst() {
        QFETCH(QString, criterion);
        QFETCH(bool, found);
        QFETCH(QString, stockNo);
        DataControl data;
        open(data);
        QCOMPARE(data.recordset().value(u"StockNo"_s).toString(), u"B2"_s); // table order
        data.findFirst(criterion);
        QCOMPARE(data.noMatch(), !found);
        QCOMPARE(data.recordset().value(u"StockNo"_s).toString(), stockNo);
    }

    void editAddAndDelete() {
        DataControl data;
        open(data);
        data.findFirst(u"[StockNo] = 'A1'"_s);
        try {
            data.update();
            QFAIL("update without edit");
        } catch (const RunTimeError& e) {
            QCOMPARE(e.number(), ErrorNumber::OperationNotAllowed);
        }
        data.edit();
        data.recordset().setValue(PC::Retail, 9.5);
        data.update();
        data.addNew();
        data.recordset().setValue(PC::StockNo, u"NEW"_s);
        data.update();
        QCOMPARE(data.recordset().value(u"StockNo"_s).toString(), u"A1"_s);
        data.findFirst(u"[StockNo] = 'NEW'"_s);
        QVERIFY(!data.noMatch());
        data.remove();
        QVERIFY(data.tableNames().contains(u"Products"_s));
        CatalogueDatabase db(m_path);
        QCOMPARE(db.scalar(u"SELECT Retail FROM Products WHERE StockNo = 'A1'"_s).toLongLong(),
                 qint64(95000));
        QCOMPARE(db.scalar(u"SELECT count(*) FROM Products"_s).toInt(), 4);
    }
};

QTEST_GUILESS_MAIN(DataControlTest)
#include "tst_datacontrol.moc"
