#pragma once

#include "core/convert/TableSource.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace tovin {

// How an old catalogue's tables meet the catalogue's own: tables and columns are matched by
// name in any letter case and any order.
struct ConversionPlan {
    QStringList missingTables;  // catalogue tables the old file does not have
    QStringList emptyColumns;   // "Table.Column": catalogue columns the old file lacks (left empty)
    QStringList ignoredColumns; // "Table.Column": old columns the catalogue has no place for

    bool usable() const { return missingTables.isEmpty(); }
    // The plain-words refusal naming what is missing ("" when usable).
    QString refusal() const;
};

struct ConversionResult {
    bool cancelled = false;
    QList<QPair<QString, qint64>> rowsPerTable; // in the catalogue's table order
    qint64 totalRows() const;
};

// Converts a catalogue kept in another database file (an Access file of the older program)
// into a new catalogue file: every table, row and value. The old file is only read.
namespace CatalogueConversion {

// Called as rows are written; returning false cancels the conversion.
using Progress = std::function<bool(qint64 rowsDone, qint64 rowsInAll)>;

ConversionPlan plan(const TableSource& source);

// Writes the new catalogue at targetPath, which must not exist. The file appears there only when
// the conversion is complete: a refusal, a value a column cannot take (error 13 naming the table,
// row and column) or a cancel leaves nothing at targetPath. Money is carried exactly to four
// decimals, dates and yes/no values are kept, and the counters go on after the highest old key.
ConversionResult convert(const TableSource& source, const QString& targetPath,
                         const Progress& progress = {});

// As convert, but an existing file at targetPath is replaced, and only once the new catalogue
// is whole: it is written beside the old one first, so a refusal or a cancel leaves the existing
// file as it was. A target that is `keep` (the open catalogue, or the file being converted) or
// one of its journals, a folder or a device is refused before anything is written.
ConversionResult convertReplacing(const TableSource& source, const QString& targetPath,
                                  const QString& keep, const Progress& progress = {});

// The name of the new catalogue beside the old file: "shop.mdb" gives "shop.mde"; an old file
// that is already named *.mde gives "shop-converted.mde".
QString convertedPath(const QString& oldPath);

} // namespace CatalogueConversion

} // namespace tovin
