#include "core/pages/PageProduct.h"

#include "core/data/DataControl.h"
#include "core/data/RecordSet.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QList<PageProduct> PageProduct::readAll(const RecordSet& records) {
    const int stockNo = records.fieldIndex(u"StockNo"_s);
    const int prodName = records.fieldIndex(u"ProdName"_s);
    const int prodDesc = records.fieldIndex(u"ProdDesc"_s);
    const int picture = records.fieldIndex(u"Picture"_s);
    const int pageNo = records.fieldIndex(u"PageNo"_s);
    const int retail = records.fieldIndex(u"Retail"_s);
    std::array<int, 5> cost{};
    for (int level = 0; level < 5; ++level)
        cost[level] = records.fieldIndex(u"Cost"_s + QString::number(level + 1));

    auto text = [&](int position, int column) {
        return column < 0 ? QString() : TextRules::toText(records.valueAt(position, column));
    };
    auto value = [&](int position, int column) {
        return column < 0 ? QVariant() : records.valueAt(position, column);
    };

    QList<PageProduct> products;
    const int count = records.recordCount();
    products.reserve(count);
    for (int position = 0; position < count; ++position) {
        PageProduct p;
        p.StockNo = text(position, stockNo);
        p.ProdName = text(position, prodName);
        p.ProdDesc = text(position, prodDesc);
        p.Picture = text(position, picture);
        p.PageNo = text(position, pageNo);
        p.Retail = value(position, retail);
        for (int level = 0; level < 5; ++level)
            p.Cost[level] = value(position, cost[level]);
        products << p;
    }
    return products;
}

QList<PageProduct> PageProduct::readSelection(const QString& cataloguePath, const QString& where,
                                              const QString& sort) {
    DataControl data;
    data.setDatabaseName(cataloguePath);
    data.setRecordSource(u"select * from Products order by StockNo"_s);
    data.refresh();
    RecordSet& records = data.recordset();
    // Filtering and sorting the same rows the same way keeps ties in the same order too.
    if (!where.isEmpty())
        records.setFilter(where);
    if (!sort.isEmpty())
        records.setSort(sort);
    return readAll(records);
}

} // namespace tovin
