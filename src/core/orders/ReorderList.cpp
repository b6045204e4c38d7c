#include "core/orders/ReorderList.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/StoredRows.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QMap>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ReorderList {

namespace {

double number(const QVariant& value) {
    return TextRules::Val(TextRules::toText(value));
}

} // namespace

QList<SupplierGroup> build(CatalogueDatabase& db) {
    const QStringList columns{u"StockNo"_s,   u"ProdName"_s,  u"Supplier"_s,
                              u"Inventory"_s, u"OnOrder"_s,   u"ReOrder"_s,
                              u"MinOrdW"_s,   u"Orderable"_s, u"Disco"_s};
    QMap<QString, SupplierGroup> groups; // by folded supplier name
    // The file narrows the rows first (flags are stored as 0/1, counts as numbers), so a large
    // catalogue is not converted row by row; the rules are checked again below.
    const QString candidates = u"Orderable <> 0 AND coalesce(Disco, 0) = 0 AND ReOrder > 0 "
                               u"AND coalesce(Inventory, 0) <= ReOrder"_s;
    for (const StoredRows::Row& row :
         StoredRows::rowsMatching(db, u"Products"_s, columns, candidates)) {
        if (!row.value(u"Orderable"_s).toBool() || row.value(u"Disco"_s).toBool())
            continue;
        // A product without a re-order level (empty or 0) is not watched.
        if (number(row.value(u"ReOrder"_s)) <= 0)
            continue;
        Item item;
        item.stockNo = row.value(u"StockNo"_s).toString();
        item.name = row.value(u"ProdName"_s).toString();
        item.inventory = number(row.value(u"Inventory"_s));
        item.onOrder = number(row.value(u"OnOrder"_s));
        item.reOrder = number(row.value(u"ReOrder"_s));
        if (item.inventory > item.reOrder || item.inventory + item.onOrder > item.reOrder)
            continue;
        const double shortfall = item.reOrder - item.inventory - item.onOrder + 1;
        item.quantity = std::max(std::ceil(shortfall), number(row.value(u"MinOrdW"_s)));
        const QString supplier = row.value(u"Supplier"_s).toString().trimmed();
        SupplierGroup& group = groups[supplier.toCaseFolded()];
        if (group.supplier.isEmpty())
            group.supplier = supplier;
        group.items << item;
    }
    QList<SupplierGroup> list = groups.values();
    for (SupplierGroup& group : list)
        std::sort(group.items.begin(), group.items.end(),
                  [](const Item& a, const Item& b) { return a.stockNo < b.stockNo; });
    return list;
}

QString limitNote(const Item& item) {
    if (item.quantity <= TextRules::IntegerMax)
        return QString();
    return u"More than the %1 one order line takes: order it over several lines."_s.arg(
        TextRules::IntegerMax);
}

QString asText(const QList<SupplierGroup>& groups) {
    if (groups.isEmpty())
        return u"No product needs ordering again.\n"_s;
    QString out;
    for (const SupplierGroup& group : groups) {
        out += (group.supplier.isEmpty() ? u"(no supplier)"_s : group.supplier) + u'\n';
        for (const Item& item : group.items) {
            out += u"  %1\t%2\torder %3\t(in stock %4, on order %5, re-order at %6)\n"_s.arg(
                item.stockNo, item.name, TextRules::plainDecimal(item.quantity),
                TextRules::plainDecimal(item.inventory), TextRules::plainDecimal(item.onOrder),
                TextRules::plainDecimal(item.reOrder));
            if (const QString note = limitNote(item); !note.isEmpty())
                out += u"    "_s + note + u'\n';
        }
    }
    return out;
}

} // namespace tovin::ReorderList
