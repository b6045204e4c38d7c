#include "core/orders/CatalogueOrdering.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/StoredRows.h"
#include "core/text/DateText.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueOrdering {

namespace {

double number(const QVariant& value) {
    return TextRules::Val(TextRules::toText(value));
}

// Adds to numeric columns of the product and appends to its notes, in the transaction the
// caller has open.
bool changeProductRow(CatalogueDatabase& db, const QString& stockNo,
                      const QList<QPair<QString, double>>& additions, const QString& note) {
    QStringList columns{u"Notes"_s};
    for (const auto& addition : additions)
        columns << addition.first;
    const auto product = StoredRows::firstWhere(db, u"Products"_s, columns, u"StockNo"_s, stockNo);
    if (!product)
        return false;
    StoredRows::Changes changes;
    for (const auto& [column, by] : additions)
        changes << qMakePair(column, QVariant(number(product->value(column)) + by));
    if (!note.isEmpty())
        changes << qMakePair(u"Notes"_s, QVariant(product->value(u"Notes"_s).toString() + note));
    StoredRows::update(db, u"Products"_s, product->rowId, changes);
    return true;
}

// The same in a transaction of its own.
bool changeProduct(CatalogueDatabase& db, const QString& stockNo,
                   const QList<QPair<QString, double>>& additions, const QString& note) {
    ScopedTransaction transaction(db);
    if (!changeProductRow(db, stockNo, additions, note))
        return false;
    transaction.commit();
    return true;
}

} // namespace

QString orderedNote(const QDate& day, int quantity, const QString& orderId) {
    return TextRules::formatDate(day, u"MM/DD/YY"_s) + u" - Ordered "_s +
           QString::number(quantity) + u" Items. Order Number: "_s + orderId + u"\r\n"_s;
}

QString receivedNote(const QDate& day) {
    return TextRules::formatDate(day, u"MM/DD/YY"_s) + u" - Received Item\r\n"_s;
}

std::optional<OrderMath::SupplierTerms> supplierTerms(CatalogueDatabase& db, const QString& name) {
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    const QStringList columns{u"Name"_s,  u"Discounts"_s, u"OtherChgs"_s, u"Ship1"_s,
                              u"Ship2"_s, u"Ship3"_s,     u"Ship4"_s,     u"TaxRate"_s};
    for (const StoredRows::Row& row : StoredRows::allRows(db, u"Supplier"_s, columns)) {
        const QString rowName = row.value(u"Name"_s).toString().trimmed();
        if (rowName.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        OrderMath::SupplierTerms terms;
        terms.name = rowName;
        terms.discountPercent = number(row.value(u"Discounts"_s));
        terms.fees = TextRules::toText(row.value(u"OtherChgs"_s)).trimmed();
        for (int i = 0; i < 4; ++i)
            terms.shipPercent[size_t(i)] = number(row.value(u"Ship"_s + QString::number(i + 1)));
        terms.taxRate = number(row.value(u"TaxRate"_s));
        return terms;
    }
    return std::nullopt;
}

bool orderNumberExists(CatalogueDatabase& db, const QString& orderId) {
    return !StoredRows::rowsWhere(db, u"Orders"_s, {u"Order ID"_s}, u"Order ID"_s, orderId)
                .isEmpty();
}

bool recordOrdered(CatalogueDatabase& db, const QString& stockNo, double quantity,
                   const QString& note) {
    return changeProduct(db, stockNo, {{u"OnOrder"_s, quantity}}, note);
}

bool takeSaleOffStock(CatalogueDatabase& db, const QString& stockNo, double quantity) {
    return changeProductRow(db, stockNo, {{u"Inventory"_s, -quantity}, {u"NoSold"_s, quantity}},
                            QString());
}

bool putBackInStock(CatalogueDatabase& db, const QString& stockNo, double quantity) {
    ScopedTransaction transaction(db);
    const auto row =
        StoredRows::firstWhere(db, u"Inventory"_s, {u"Number"_s}, u"Product Id"_s, stockNo);
    if (!row)
        return false;
    StoredRows::update(db, u"Inventory"_s, row->rowId,
                       {{u"Number"_s, number(row->value(u"Number"_s)) + quantity}});
    transaction.commit();
    return true;
}

} // namespace tovin::CatalogueOrdering
