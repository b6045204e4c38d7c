#pragma once

#include <QString>

// An export of the families' products, read back and compared with the catalogue itself.
namespace tovin::test::torture {

// Exports stock number, name and price of the products on the families' pages into
// `out`, in another process, and compares them with a direct read; the difference ("" when
// equal).
QString exportDifference(const QString& catalogue, const QString& out,
                         const QStringList& programOptions);

// The fields of one line of a comma-divided file, quotes taken off; `text` moves past it.
QStringList nextCsvRecord(QStringView& text);

} // namespace tovin::test::torture
