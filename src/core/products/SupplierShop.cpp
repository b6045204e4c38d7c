#include "core/products/SupplierShop.h"

#include "core/catalogue/RecordSet.h"
#include "core/query/Condition.h"
#include "core/text/ValueText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

SupplierShop SupplierShop::read(CatalogueDatabase& db, const QString& supplierName) {
    RecordSet suppliers;
    suppliers.open(u"select URL,UserName,PassWord from Supplier Order by SID"_s, db);
    suppliers.setFilter(u"name = '"_s + quoteConditionValue(supplierName) + u"'"_s);
    if (!suppliers.hasCurrentRow())
        return {};
    const auto text = [&suppliers](int field) { return TextRules::toText(suppliers.value(field)); };
    return {text(0).trimmed(), text(1), text(2)};
}

} // namespace tovin
