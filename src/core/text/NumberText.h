#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Reading numbers out of text the way the original platform did, and its whole-number
// conversions and rounding.
namespace tovin::TextRules {

// The leading number of a text: blanks anywhere are skipped, reading stops at the first
// character that cannot continue a number. "12.50abc" gives 12.5, "$5" and "abc" give 0.
double Val(const QString& text);

// True when the whole text (blanks around it allowed) reads as a number: an optional sign, an
// optional leading currency sign "$", digits with optional thousands commas (see
// groupsThousands), an optional decimal part and exponent. "44,38" and "1,2,3" are not numbers:
// a comma that does not group thousands may be a decimal comma, and reading it any other way
// would store a price at a hundred times its value.
bool IsNumeric(const QString& text);

// A numeric text (as IsNumeric accepts it) taken apart without going through a double:
// the number is (whole.fraction) * 10^exponent with the sign apart.
struct WrittenNumber {
    bool negative = false;
    QString whole;    // digits only, thousands commas removed; may be empty (".5")
    QString fraction; // digits after the point
    long exponent = 0;
};
std::optional<WrittenNumber> readNumber(const QString& text);

// Whether the whole-number part of a written number uses `separator` only to group thousands:
// it holds no separator, or a first group of one to three digits and after it groups of
// exactly three digits, each after one separator ("1,234,567"; not "44,38", "1,2,3", "1234,567"
// or "1,,234"). `digits` holds nothing but digits and separators.
bool groupsThousands(QStringView digits, QChar separator);

// The number a numeric text stands for; raises error 13 (type mismatch) for any other text.
double CDbl(const QString& text);

// Rounds to the nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
// Rounds to the given number of decimals, halves to the even digit.
double roundHalfEven(double value, int decimals);

// Whole-number conversions: round half to even, then raise error 6 (overflow) when the result
// does not fit 16 resp. 32 bits.
std::int16_t CInt(double value);
std::int16_t CInt(const QString& text);
std::int32_t CLng(double value);
std::int32_t CLng(const QString& text);

// The largest whole number of the platform's 16-bit integers: the bound of page numbers and
// typed quantities. Counts of rows are never held in 16 bits.
constexpr int IntegerMax = 32767;

} // namespace tovin::TextRules
