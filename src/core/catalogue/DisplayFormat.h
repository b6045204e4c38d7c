#pragma once

#include "core/storage/ColumnKind.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace tovin {

// How a column's value is shown in a bound box or a grid cell, and how text typed into a box
// becomes the value handed to the record set.
namespace DisplayFormat {

inline const QString Plain;
inline const QString Currency = QStringLiteral("$#,##0.00");
inline const QString Date = QStringLiteral("MM/dd/yyyy");
inline const QString Percent = QStringLiteral("0%");

// The format a column of this kind is shown in where nothing else is asked for (a grid cell):
// money as currency, everything else plain.
const QString& forKind(ColumnKind kind);

// The text of a value in a display format. A text value (typed and not yet written) is shown
// formatted when it reads as what the format expects, and as typed otherwise.
QString text(const QVariant& value, const QString& format);

// Typed text as the value handed to the record set: a percentage typed with its sign ("8%")
// for a percent format is the fraction it stands for; any other text goes as typed and the
// column converts it.
QVariant typedValue(const QString& typed, const QString& format);

// A rate typed as a plain number of percent into a box shown as a percentage ("7"): the
// fraction kept for it, in plain decimal ("0.07"). Nothing for a text that is no number.
std::optional<QString> fractionOfPercent(const QString& typed);

} // namespace DisplayFormat

} // namespace tovin
