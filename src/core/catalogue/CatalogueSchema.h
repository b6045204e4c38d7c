#pragma once

#include "core/storage/ColumnKind.h"
#include "core/storage/StorageDialect.h"

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

// The layout version written into table SchemaVersion. 2: counter keys are never handed out
// again after a delete (AUTOINCREMENT), and the tables keyed by their row numbers keep the
// largest row number they ever gave out in RowKeys. 3: the order lines taken into stock are
// listed in ReceivedLines. 4: batch runs keep a journal of the rows they wrote (Runs, RunRows).
// 5: the journal keeps a run's changes in chunks of thousands, one RunRows row each.
inline constexpr int Version = 5;

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
    Taxable,
    Count // the number of columns
};
} // namespace ProductsColumn

// The SQL type name a column of this kind is declared with; the data layer reads the kind
// back from it (kindFromDeclaredType), also for tables it did not make.
QString declaredType(ColumnKind kind);
ColumnKind kindFromDeclaredType(const QString& declaredType, bool isPrimaryKey);

// The statements that make a new, empty catalogue.
QStringList createStatements();
// The same catalogue in an empty database on a PostgreSQL server: every table has a column
// rowid (its counter, or a key of its own) whose values come from the server's sequences and
// are never given out twice; texts compare and sort ignoring case; money, long texts and
// yes/no flags have types of their own, from which the kinds are read back. `dialect` is the
// server connection's.
QStringList serverCreateStatements(const StorageDialect& dialect);

// The tables the program keeps for itself (the layout version, the row keys), which are no
// part of the user's data and are not listed as its tables.
bool isBookkeepingTable(const QString& name);
// The position of a table's counter key column, -1 for a table keyed by its row numbers.
int counterColumn(const TableDefinition& table);
// The statements that keep row numbers from being given out twice for a table without a
// counter key: a delete records the row number it frees in RowKeys (see RowWriter::insert).
QStringList rowKeyStatements(const QString& table);
inline const QString RowKeysTable = QStringLiteral("RowKeys");

// The order lines (row numbers of Orders) whose goods were taken into stock. A line's Date
// Received is the user's to type and save, so it cannot tell whether the stock was counted;
// this list can. A deleted line leaves the list with it.
inline const QString ReceivedLinesTable = QStringLiteral("ReceivedLines");
QStringList receivedLinesStatements();
// Lists every line with a Date Received as received: for lines that came from a layout
// without the list, where a filled date is all there is to go by.
QString markDatedLinesReceived(const StorageDialect& dialect);

// The journal of batch runs (imports, bulk edits, receiving, undo): one Runs row per run and
// RunRows holding the rows it added, changed or deleted, so a run can be taken back.
inline const QString RunsTable = QStringLiteral("Runs");
inline const QString RunRowsTable = QStringLiteral("RunRows");
// On a server, the row versions each transaction of a run left (see PostgresChangeCapture).
inline const QString RunVersionsTable = QStringLiteral("RunVersions");
QStringList journalStatements();
QString runRowsStatement();

} // namespace CatalogueSchema

} // namespace tovin
