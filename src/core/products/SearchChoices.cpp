#include "core/products/SearchChoices.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QList<SearchColumn>& SearchChoices::columns() {
    static const QList<SearchColumn> list{
        {u"Stock Number"_s, u"StockNo"_s},
        {u"Name / Description"_s, u"ProdName"_s},
        {u"Page Number"_s, u"PageNo"_s},
        {u"Catagory"_s, u"Catagory"_s},
        {u"Supplier"_s, u"Supplier"_s},
        {u"Cost 1"_s, u"Cost1"_s},
        {u"Cost 2"_s, u"Cost2"_s},
        {u"Cost 3"_s, u"Cost3"_s},
        {u"Cost 4"_s, u"Cost4"_s},
        {u"Cost 5"_s, u"Cost5"_s},
        {u"Retail"_s, u"Retail"_s},
        {u"Selling Price"_s, u"Price"_s},
        {u"Notes"_s, u"Notes"_s},
        {u"Stock Info"_s, u"OutStock"_s},
        {u"Discontinued"_s, u"Disco"_s, true},
        {u"Orderable"_s, u"Orderable"_s, true},
        {u"On Special"_s, u"OnSpecial"_s, true},
        {u"Taxable"_s, u"Taxable"_s, true},
    };
    return list;
}

const QList<SearchOperatorChoice>& SearchChoices::operators() {
    // The NULL choice has no operator of its own: it shortens the current one (" = " -> " =").
    static const QList<SearchOperatorChoice> list{
        {u"Like / Contains"_s, u" like "_s, u"'*"_s, u"*'"_s},
        {u"Equals (=)"_s, u" = "_s, u"'"_s, u"'"_s},
        {u"More Than (>)"_s, u" > "_s, u"'"_s, u"'"_s},
        {u"Less Than (<)"_s, u" < "_s, u"'"_s, u"'"_s},
        {u"Equal Or Greater (=>)"_s, u" >= "_s, u"'"_s, u"'"_s},
        {u"Equal Or Less (=<)"_s, u" <= "_s, u"'"_s, u"'"_s},
        {u"Does Not Equal (<>)"_s, u" <> "_s, u"'"_s, u"'"_s},
        {u"Empty Values (NULL)"_s, QString(), QString(), QString()},
        {u"Starts With"_s, u" like "_s, u"'"_s, u"*'"_s},
    };
    return list;
}

} // namespace tovin
