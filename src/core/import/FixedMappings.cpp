#include "core/import/FixedMappings.h"

#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/MappingCodes.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::FixedMappings {

namespace {

struct PriceListEntry {
    const char16_t* colour;
    const char16_t* fileName;
    int priceCode;
};

constexpr PriceListEntry PriceListEntries[PriceListCount] = {
    {u"White", u"wp-cd.txt", 7},
    {u"Yellow", u"yp-cd.txt", 8},
    {u"Open Party", u"op-cd.txt", 9},
    {u"Canadian", u"canp-cd.txt", 10},
    {u"Retail", u"sp-cd.txt", MappingCodes::Retail},
};

} // namespace

SupplierFile fullDescriptionFile() {
    return {SupplierFileKind::FullDescription,
            -1,
            u"Supplier/fulldesc.tab"_s,
            Divider::tab(),
            FieldMap{{0, 2}, {1, 4}},
            u"This Will Update Your Supplier's 'FULLDESC.TAB' file ONLY!"_s,
            u"You Can Get This From Your Supplier's FTP Site In Their Picture Folders"_s};
}

SupplierFile stockFile() {
    return {SupplierFileKind::Stock,
            -1,
            u"Supplier/stock.txt"_s,
            Divider::bracket(),
            FieldMap{{0, 2},
                     {1, 3},
                     {2, 7},
                     {3, 8},
                     {4, 9},
                     {5, 12},
                     {6, 6},
                     {7, 20},
                     {8, 20},
                     {9, 0},
                     {10, 21},
                     {11, 0},
                     {12, 22}},
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
            FieldMap{{0, 2}, {1, 5}, {2, 3}, {3, 6}, {4, entry.priceCode}},
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
    return FieldMap{{0, 2},   {1, 3},  {2, 6},   {3, 7},   {4, 8},   {5, 9},   {6, 10},
                    {7, 12},  {8, 5},  {9, 21},  {10, 20}, {11, 17}, {12, 18}, {13, 4},
                    {14, 30}, {15, 0}, {16, 19}, {17, 13}, {18, 22}};
}

bool isTovinDatabase(const QString& path) {
    return ImportValueRules::bareFileName(path).toUpper() == u"TOVIN.MDB"_s;
}

} // namespace tovin::FixedMappings
