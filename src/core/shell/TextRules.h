#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <cstdint>

// The text and number rules of the original platform, in one place: reading numbers out of
// text, whole-number conversion, 16-bit counters and the format patterns that screens, pages
// and notes use.
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

// A number written in plain decimal: no exponent, no trailing zeros, "." as decimal point
// (5 -> "5", 0.07 -> "0.07", -1.5 -> "-1.5").
QString plainDecimal(double value);

// Formats a number with a pattern made of an optional literal prefix (such as "$"), digit
// places "#" and "0", thousands grouping ",", a decimal point and an optional "%" suffix:
// "$#,###.00", "$#,###.##", "#,###.#0", "$#,##0.00", "0%", "0". Halves round away from zero.
QString formatNumber(double value, const QString& pattern);

// Formats a date with a pattern of MM, DD/dd, YY/YYYY/yyyy and "/" ("MM/DD/YY" -> 01/05/26).
QString formatDate(const QDate& date, const QString& pattern);

// Reads a date typed or stored as text: MM/DD/YYYY, M/D/YY, or YYYY-MM-DD. Returns an invalid
// date for anything else, including impossible dates such as 02/30/2024.
QDate parseDate(const QString& text);

// The text of a field value as the platform converts it: null -> "", yes/no -> "True"/"False",
// numbers in plain decimal, dates as MM/DD/YYYY.
QString toText(const QVariant& value);

// The largest whole number of the platform's 16-bit integers: the bound of page numbers and
// typed quantities. Counts of rows are never held in 16 bits.
constexpr int IntegerMax = 32767;

} // namespace tovin::TextRules
