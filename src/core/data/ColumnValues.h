#pragma once

#include "core/data/ColumnKind.h"

#include <QVariant>

namespace tovin::ColumnValues {

// Converts a value written to a column (typed text, a number, a date, a flag) into what the
// file stores for that kind, the way the original engine accepted it: a word refused by a
// number, money or date column, or an impossible date, raises error 13 (type mismatch).
// An empty text stores null; money is rounded to four decimals, halves to even.
QVariant toStorage(ColumnKind kind, const QVariant& value, const QString& columnName = {});

// Converts what the file holds into the program's value for the kind (see ColumnKind.h).
QVariant fromStorage(ColumnKind kind, const QVariant& stored);

// Money in its stored form: whole ten-thousandths.
qint64 moneyToStorage(double amount);
double moneyFromStorage(qint64 tenThousandths);

} // namespace tovin::ColumnValues
