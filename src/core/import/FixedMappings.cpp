#include "core/import/FixedMappings.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/MappingCodes.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::FixedMappings {

namespace {

// A mapping code is the position of the Products column the field fills.
namespace PC = CatalogueSchema::ProductsColumn;
constexpr int Skip = MappingCodes::NotUsed;

struct PriceListEntry {
    const char16_t* colour;
    const char16_t* fileName;
    int priceCode;
};

constexpr PriceListEntry PriceListEntries[PriceListCount] = {
    {u"White", u"wp-cd.txt", PC::Cost1},      {u"Yellow", u"yp-cd.txt", PC::Cost2},
    {u"Open Party", u"op-cd.txt", PC::Cost3}, {u"Canadian", u"canp-cd.txt", PC::Cost4},
    {u"Retail", u"sp-cd.txt", PC::Retail},
};

} // namespace

SupplierFile fullDescriptionFile() {
    return {SupplierFileKind::FullDescription,
            -1,
            u"Supplier/fulldesc.tab"_s,
            Divider::tab(),
            FieldMap{{0, PC::StockNo}, {1, PC::ProdDesc}},
            u"This Will Update Your Supplier's 'FULLDESC.TAB' file ONLY!"_s,
            u"You Can Get This From Your Supplier's FTP Site In Their Picture Folders"_s};
}

SupplierFile stockFile() {
    return {SupplierFileKind::Stock,
            -1,
            u"Supplier/stock.txt"_s,
            Divider::bracket(),
            FieldMap{{0, PC::StockNo},
                     {1, PC::ProdName},
                     {2, PC::Cost1},
                     {3, PC::Cost2},
                     {4, PC::Cost3},
                     {5, PC::Retail},
                     {6, PC::Packaging},
                     {7, PC::OutStock},
                     {8, PC::OutStock},
                     {9, Skip},
                     {10, PC::Disco},
                     {11, Skip},
                     {12, PC::Orderable}},
            u"This Will Update Your Supplier's 'STOCK.TXT' file ONLY!"_s,
            u"You Can Get This From Your Supplier's FTP Site In Their Inventory Folder"_s};
}

SupplierFile priceList(int index) {
    if (index < 0 || index >= PriceListCount)
        index = 0;
    const PriceListEntry& entry = PriceListEntries[index];
    const QString fileName = QString::fromUtf16(entry.fileName);
    return {SupplierFileKind::PriceList,
            index,
            u"Supplier/"_s + fileName,
            Divider::comma(),
            FieldMap{{0, PC::StockNo},
                     {1, PC::PageNo},
                     {2, PC::ProdName},
                     {3, PC::Packaging},
                     {4, entry.priceCode}},
            u"This Will Update Your Supplier's "_s + QString::fromUtf16(entry.colour) +
                u" Price List '"_s + fileName + u"' file ONLY!"_s,
            u"You Can Get This From Your Supplier's Main Web Site!"_s};
}

QList<SupplierFile> priceLists() {
    QList<SupplierFile> lists;
    for (int i = 0; i < PriceListCount; ++i)
        lists.append(priceList(i));
    return lists;
}

QString missingFileMessage(const SupplierFile& file) {
    return ImportMessages::missingSupplierFile(file.missingFirstLine, file.missingSecondLine);
}

FieldMap tovinDatabaseMap() {
    return FieldMap{{0, PC::StockNo},    {1, PC::ProdName},  {2, PC::Packaging}, {3, PC::Cost1},
                    {4, PC::Cost2},      {5, PC::Cost3},     {6, PC::Cost4},     {7, PC::Retail},
                    {8, PC::PageNo},     {9, PC::Disco},     {10, PC::OutStock}, {11, PC::Picture},
                    {12, PC::Catagory},  {13, PC::ProdDesc}, {14, PC::Taxable},  {15, Skip},
                    {16, PC::OnSpecial}, {17, PC::Price},    {18, PC::Orderable}};
}

bool isTovinDatabase(const QString& path) {
    return ImportValueRules::bareFileName(path).toUpper() == u"TOVIN.MDB"_s;
}

} // namespace tovin::FixedMappings
