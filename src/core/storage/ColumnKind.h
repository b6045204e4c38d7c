#pragma once

#include <QString>

namespace tovin {

// How a column stores and shows its values. Values travel through the program as QVariant:
// null = QVariant(), Number as double, Counter as qlonglong, Money as Money (exact
// ten-thousandths), Date as QDate, YesNo as bool, Text and Memo as QString.
enum class ColumnKind {
    Counter, // the row's automatic number (PID, SID, CID)
    Number,  // a number used in arithmetic or counted
    Money,   // a currency amount, exact to four decimals
    Date,    // a calendar date
    YesNo,   // a true/false flag
    Text,    // a short text
    Memo,    // a long text
};

inline bool isNumericKind(ColumnKind kind) {
    return kind == ColumnKind::Counter || kind == ColumnKind::Number || kind == ColumnKind::Money;
}

inline bool isTextKind(ColumnKind kind) {
    return kind == ColumnKind::Text || kind == ColumnKind::Memo;
}

} // namespace tovin
