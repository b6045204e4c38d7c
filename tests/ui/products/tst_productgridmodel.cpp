// The Products grid's model follows its record set: it lists the set's rows after every change
// of the set, without being told.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/DisplayFormat.h"
#include "core/catalogue/RecordSet.h"
#include "support/core/TestProgramFolder.h"
#include "ui/products/ProductGridModel.h"
#include "ui/products/Products.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using test::TestProgramFolder;

namespace {
using Change = std::function<void(RecordSet&, CatalogueDatabase&)>;

// Column 1 of the grid's SELECT is ProdName.
constexpr int ProdNameColumn = 1;
} // namespace

Q_DECLARE_METATYPE(Change)

class ProductGridModelTest : public QObject {
    Q_OBJECT
private slots:
    void followsTheRecordSet_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("reset"); // a whole new list, or one row changed in place
        QTest::newRow("filtered") << Change([](RecordSet& rs, CatalogueDatabase&) {
            rs.setFilter(u"[StockNo] like 'AB*'"_s);
        }) << true;
        QTest::newRow("sorted") << Change([](RecordSet& rs, CatalogueDatabase&) {
            rs.setSort(u"ProdName Desc"_s);
        }) << true;
        QTest::newRow("read again after another screen added a product")
            << Change([](RecordSet& rs, CatalogueDatabase& db) {
                   db.run(u"INSERT INTO Products (StockNo, ProdName) VALUES ('NEW-1', 'New')"_s);
                   rs.requery();
               })
            << true;
        QTest::newRow("a product added through the set")
            << Change([](RecordSet& rs, CatalogueDatabase&) {
                   rs.addNew();
                   rs.setValue(u"StockNo"_s, u"NEW-2"_s);
                   rs.update();
               })
            << true;
        QTest::newRow("the current product deleted")
            << Change([](RecordSet& rs, CatalogueDatabase&) {
                   rs.moveLast();
                   rs.deleteCurrent();
               })
            << true;
        QTest::newRow("closed") << Change([](RecordSet& rs, CatalogueDatabase&) { rs.close(); })
                                << true;
        QTest::newRow("the current product written")
            << Change([](RecordSet& rs, CatalogueDatabase&) {
                   rs.setAbsolutePosition(5);
                   rs.setValue(u"ProdName"_s, u"Renamed"_s);
                   rs.update();
               })
            << false;
    }

    void followsTheRecordSet() {
        QFETCH(Change, change);
        QFETCH(bool, reset);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Demo);
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        RecordSet rs;
        rs.open(Products::GridSelect, db);
        ProductGridModel model(&rs);
        QCOMPARE(model.rowCount(), rs.recordCount());
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        change(rs, db);

        QCOMPARE(resets.isEmpty(), !reset);
        QCOMPARE(changed.isEmpty(), reset);
        QCOMPARE(model.rowCount(), rs.isOpen() ? rs.recordCount() : 0);
        if (!reset)
            QCOMPARE(changed.first().at(0).toModelIndex().row(), rs.absolutePosition() - 1);
        // Every row the grid lists shows the set's row at the same place.
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.index(row, ProdNameColumn).data().toString(),
                     DisplayFormat::text(rs.valueAt(row, ProdNameColumn), DisplayFormat::Plain));
    }
};

QTEST_MAIN(ProductGridModelTest)
#include "tst_productgridmodel.moc"
