#include "core/pages/PageProduct.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/ProductSelection.h"
#include "core/catalogue/RecordSet.h"
#include "core/storage/StorageStatement.h"
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
    CatalogueDatabase db(cataloguePath);
    // The same selection and order as the screen's record set, ties included.
    const ProductSelection selection(db, where, sort);
    namespace PC = CatalogueSchema::ProductsColumn;
    static constexpr std::array<int, 11> Read = {
        PC::StockNo, PC::ProdName, PC::ProdDesc, PC::Picture, PC::PageNo, PC::Retail,
        PC::Cost1,   PC::Cost2,    PC::Cost3,    PC::Cost4,   PC::Cost5};
    const QList<ColumnInfo>& columns = db.columns(u"Products"_s);
    QStringList names;
    for (const int column : Read)
        names << CatalogueDatabase::quoteName(columns.at(column).name);
    QList<PageProduct> products;
    products.reserve(selection.size());
    selection.forEach(
        [&](const StorageStatement& row) {
            const auto value = [&](int i) { return row.value(i, columns.at(Read[i]).kind); };
            PageProduct p;
            p.StockNo = TextRules::toText(value(0));
            p.ProdName = TextRules::toText(value(1));
            p.ProdDesc = TextRules::toText(value(2));
            p.Picture = TextRules::toText(value(3));
            p.PageNo = TextRules::toText(value(4));
            p.Retail = value(5);
            for (int level = 0; level < 5; ++level)
                p.Cost[size_t(level)] = value(6 + level);
            products << p;
            return true;
        },
        names.join(u", "_s));
    return products;
}

} // namespace tovin
