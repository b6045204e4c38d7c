#include "core/import/MappingCodes.h"

#include "core/text/NearestName.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace tovin::MappingCodes {

namespace {

struct Entry {
    const char16_t* caption;
    const char16_t* column;
};

// In the order of the Products table's columns.
constexpr std::array<Entry, Count> Entries = {{
    {u"* SKIP THIS ONE / IGNORE! *", u""},
    {u"Suppliers Name / ID Number", u"Supplier"},
    {u"Stock # / Item ID ** NOTE: Required! ** (Letters Or Numbers Okay)", u"StockNo"},
    {u"Product Name / Short Description", u"ProdName"},
    {u"Full Description", u"ProdDesc"},
    {u"Page # (Letters Or Numbers Okay)", u"PageNo"},
    {u"Packaging  (Letters Or Numbers Okay)", u"Packaging"},
    {u"Cost 1 / Wholesale  (Numbers Only!)", u"Cost1"},
    {u"Cost 2 / Next Price Up  (Numbers Only!)", u"Cost2"},
    {u"Cost 3 / Other Prices  (Numbers Only!)", u"Cost3"},
    {u"Cost 4 / Other Prices  (Numbers Only!)", u"Cost4"},
    {u"Cost 5 / Other Prices  (Numbers Only!)", u"Cost5"},
    {u"Retail Price  (Numbers Only!)", u"Retail"},
    {u"Sales Price / Selling Price  (Numbers Only!)", u"Price"},
    {u"Items Weight (Letter Or Numbers Okay)", u"Weight"},
    {u"Minimum Order Wholesale (Numbers Only)", u"MinOrdW"},
    {u"Minimum Order Retail (Numbers Only)", u"MinOrdR"},
    {u"Picture Path / Picture Name", u"Picture"},
    {u"Catagory  / Group Number  (Numbers Only)", u"Catagory"},
    {u"On Special / On Sale  (True/False Y/N Yes/No)", u"OnSpecial"},
    {u"Suppliers Stock Information  (Letters Or Numbers)", u"OutStock"},
    {u"Discontinued Item  (True/False Y/N Yes/No)", u"Disco"},
    {u"Is Item Orderable  (True/False Y/N Yes/No)", u"Orderable"},
    {u"** DON'T USE THIS ONE **", u"Inventory"},
    {u"** DON'T USE THIS ONE **", u"OnOrder"},
    {u"Re-Order Level  (Numbers Only)", u"ReOrder"},
    {u"** DON'T USE THIS ONE **", u"NoSold"},
    {u"Shipping Charges 1 / Handling Fee's", u"Ship1"},
    {u"Shipping Charges 2 / Handling Fee's", u"Ship2"},
    {u"Notes", u"Notes"},
    {u"Taxable (True/False Y/N Yes/No)", u"Taxable"},
}};

bool valid(int code) {
    return code >= 0 && code < Count;
}

} // namespace

QString caption(int code) {
    return valid(code) ? QString::fromUtf16(Entries[code].caption) : QString();
}

QStringList captions() {
    QStringList list;
    list.reserve(Count);
    for (const Entry& entry : Entries)
        list.append(QString::fromUtf16(entry.caption));
    return list;
}

QString columnName(int code) {
    return valid(code) ? QString::fromUtf16(Entries[code].column) : QString();
}

int codeOfColumn(const QString& name) {
    for (int code = 1; code < Count; ++code)
        if (QString::fromUtf16(Entries[code].column).compare(name.trimmed(), Qt::CaseInsensitive) ==
            0)
            return code;
    return -1;
}

QString nearestColumn(const QString& name) {
    QStringList importable;
    for (int code = 1; code < Count; ++code)
        if (!isRefused(code))
            importable.append(columnName(code));
    return TextRules::nearestName(name, importable);
}

bool isNumeric(int code) {
    return code >= FirstNumeric && code <= LastNumeric;
}

bool isYesNo(int code) {
    return code == PC::OnSpecial || code == PC::Disco || code == PC::Orderable ||
           code == PC::Taxable;
}

bool isRefused(int code) {
    return code == PC::Inventory || code == PC::OnOrder || code == PC::NoSold;
}

bool isRequired(int code) {
    return code == StockNumber;
}

} // namespace tovin::MappingCodes
