#pragma once

#include "core/import/Divider.h"
#include "core/import/FieldMap.h"

#include <QList>
#include <QString>

// The supplier's own files, whose layout is known, and the catalogue's own database format: their
// file names, dividers and fixed field mappings.
namespace tovin::FixedMappings {

enum class SupplierFileKind { FullDescription, Stock, PriceList };

// One supplier file.
struct SupplierFile {
    SupplierFileKind kind;
    // Price lists only: the index of the list's check box (0 White ... 4 Retail); -1 otherwise.
    int listIndex;
    // The file's name under the program folder, e.g. "Supplier/wp-cd.txt".
    QString relativePath;
    Divider divider;
    FieldMap map;
    // The first two lines of the message shown when the file is missing.
    QString missingFirstLine;
    QString missingSecondLine;
};

inline constexpr int PriceListCount = 5;

// "Supplier/fulldesc.tab", tab divided: stock number and full description.
SupplierFile fullDescriptionFile();
// "Supplier/stock.txt", divided by "]": name, costs, retail, packaging, stock information,
// discontinued and orderable flags.
SupplierFile stockFile();
// Price list `index` (0 White, 1 Yellow, 2 Open Party, 3 Canadian, 4 Retail), comma divided; its
// field 4 goes to the list's own price column. Out of range gives the White list.
SupplierFile priceList(int index);
// All price lists in the order they are read.
QList<SupplierFile> priceLists();

// The critical message shown when a supplier file is missing (five lines).
QString missingFileMessage(const SupplierFile& file);

// The fixed mapping of a database in the program's own format (19 product columns).
FieldMap tovinDatabaseMap();
// True for a database file named TOVIN.MDB, in any letter case, in any folder.
bool isTovinDatabase(const QString& path);

} // namespace tovin::FixedMappings
