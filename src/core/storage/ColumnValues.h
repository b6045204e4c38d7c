#pragma once

#include "core/storage/ColumnKind.h"

#include <QVariant>

namespace tovin::ColumnValues {

// Converts a value written to a column (typed text, a number, a date, a flag) into what the
// file stores for that kind, the way the original engine accepted it: a word refused by a
// number, money or date column, or an impossible date, raises error 13 (type mismatch).
// An empty text stores null; money is rounded to four decimals, halves to even.
QVariant toStorage(ColumnKind kind, const QVariant& value, const QString& columnName = {});

// Converts what the file holds into the program's value for the kind (see ColumnKind.h).
QVariant fromStorage(ColumnKind kind, const QVariant& stored);

// Money in its stored form: whole ten-thousandths. An amount only known as a double is rounded
// from its 15 significant digits; one too large to keep raises error 6 (overflow).
qint64 moneyToStorage(double amount);
// The program's value of a stored amount: a Money in the QVariant.
QVariant moneyValue(qint64 tenThousandths);

} // namespace tovin::ColumnValues
