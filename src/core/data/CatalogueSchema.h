#pragma once

#include "core/data/ColumnKind.h"

#include <QList>
#include <QString>

namespace tovin {

struct ColumnDefinition {
    QString name;
    ColumnKind kind;
};

struct TableDefinition {
    QString name;
    QList<ColumnDefinition> columns; // in the table's own column order

    int columnIndex(const QString& column) const; // -1 when absent (case-insensitive)
};

// The tables of a catalogue file and how a new one is made. The column order of Products is
// fixed: the import, bulk edit, export and page maker address its columns by position.
namespace CatalogueSchema {

inline constexpr int Version = 1;

const QList<TableDefinition>& tables();
const TableDefinition& table(const QString& name); // throws ItemNotFound for an unknown table

// Products column positions in the table's own order.
namespace ProductsColumn {
enum : int {
    PID = 0,
    Supplier,
    StockNo,
    ProdName,
    ProdDesc,
    PageNo,
    Packaging,
    Cost1,
    Cost2,
    Cost3,
    Cost4,
    Cost5,
    Retail,
    Price,
    Weight,
    MinOrdW,
    MinOrdR,
    Picture,
    Catagory,
    OnSpecial,
    OutStock,
    Disco,
    Orderable,
    Inventory,
    OnOrder,
    ReOrder,
    NoSold,
    Ship1,
    Ship2,
    Notes,
    Taxable
};
} // namespace ProductsColumn

// The SQL type name a column of this kind is declared with; the data layer reads the kind
// back from it (kindFromDeclaredType), also for tables it did not make.
QString declaredType(ColumnKind kind);
ColumnKind kindFromDeclaredType(const QString& declaredType, bool isPrimaryKey);

// The statements that make a new, empty catalogue.
QStringList createStatements();

} // namespace CatalogueSchema

} // namespace tovin
