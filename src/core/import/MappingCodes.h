#pragma once

#include "core/catalogue/CatalogueSchema.h"

#include <QString>
#include <QStringList>

// The mapping codes of the import: a code is the position of a column in the Products table,
// and the list the user maps fields with shows one caption per code (list index = code).
namespace tovin::MappingCodes {

namespace PC = CatalogueSchema::ProductsColumn;

inline constexpr int Count = PC::Count;

inline constexpr int NotUsed = 0;
inline constexpr int Supplier = PC::Supplier;
inline constexpr int StockNumber = PC::StockNo; // the one code every mapping needs
inline constexpr int Description = PC::ProdDesc;
inline constexpr int FirstNumeric = PC::Cost1; // Cost1 ...
inline constexpr int LastNumeric = PC::Price;  // ... Price
inline constexpr int Retail = PC::Retail;
inline constexpr int StockInformation = PC::OutStock;
inline constexpr int Discontinued = PC::Disco;

// The caption of `code` in the mapping list; empty outside 0 to 30.
QString caption(int code);
// All 31 captions in code order.
QStringList captions();
// The Products column that `code` fills; empty for code 0 and outside 0 to 30.
QString columnName(int code);

// The code of the Products column named `name`, in any letter case and with blanks around it
// ("retail" is 12), as bulk edit reads column names; -1 when no column has that name.
int codeOfColumn(const QString& name);
// The importable column whose name `name` is nearest, for a refusal to propose.
QString nearestColumn(const QString& name);

// Codes 7 to 13: money columns; a value that is not a number is cut to its leading number.
bool isNumeric(int code);
// Codes 19, 21, 22 and 30: yes/no columns; values become "True" or "False".
bool isYesNo(int code);
// Codes 23, 24 and 26 (Inventory, OnOrder, NoSold): kept by the program itself, never imported;
// picking one of them in the mapping list is refused.
bool isRefused(int code);
// Code 2: an item without a stock number cannot be imported.
bool isRequired(int code);

} // namespace tovin::MappingCodes
