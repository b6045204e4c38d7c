#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/data/DataControl.h"
#include "core/data/RowWriter.h"
#include "core/shell/RunTimeError.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestHelpers.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
namespace PC = CatalogueSchema::ProductsColumn;

class DataControlTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestCatalogue> m_catalogue;

    void open(DataControl& data) {
        data.setDatabaseName(m_catalogue->path());
        data.setRecordSource(u"Products"_s);
        data.refresh();
    }

private slots:
    void init() {
        m_catalogue = std::make_unique<test::TestCatalogue>();
        for (const QString& s : {u"B2"_s, u"A1"_s, u"O'Brien-7"_s, u"0012"_s})
            RowWriter::insert(m_catalogue->db(), u"Products"_s,
                              {{PC::StockNo, s}, {PC::ProdName, u"n"_s + s}});
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
        QCOMPARE(test::errorOf([&] { data.update(); }), ErrorNumber::OperationNotAllowed);
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
        QCOMPARE(m_catalogue->text(u"A1"_s, u"Retail"_s), u"9.5"_s);
        QCOMPARE(m_catalogue->count(), 4);
    }
};

QTEST_GUILESS_MAIN(DataControlTest)
#include "tst_datacontrol.moc"
