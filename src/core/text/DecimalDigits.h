#pragma once

#include <QString>

// A number as a string of decimal digits and the place of its point, so that rounding to a
// number of decimals and writing through a pattern work on the digits a reader sees rather
// than on the binary fraction a double holds. Doubles and exact money amounts both come here.
namespace tovin::TextRules {

// value = 0.<digits> * 10^pointPos, with the sign apart.
struct DecimalText {
    bool negative = false;
    QString digits; // no leading zeros unless the value is zero
    int pointPos = 0;
};

// A finite double as at most 15 significant digits (what a double holds reliably); zero and
// anything not finite come out as zero.
DecimalText toDecimal(double value);

enum class Rounding { HalfEven, HalfAwayFromZero };

// The number rounded to `decimals` places.
struct RoundedDecimal {
    QString intPart;  // no leading zeros; empty for a whole part of 0
    QString fracPart; // exactly `decimals` digits
    bool isZero = false;
};
RoundedDecimal roundDecimal(const DecimalText& d, int decimals, Rounding rounding);

// Digits with a comma between groups of three, counted from the right.
QString groupThousands(const QString& digits);

// The number written through a pattern (see formatNumber); halves round away from zero.
QString formatDecimal(DecimalText d, const QString& pattern);

} // namespace tovin::TextRules
