#pragma once

#include <QString>

// Writing numbers as text: plain decimal and the format patterns that screens, pages and notes
// use.
namespace tovin::TextRules {

// A number written in plain decimal: no exponent, no trailing zeros, "." as decimal point
// (5 -> "5", 0.07 -> "0.07", -1.5 -> "-1.5").
QString plainDecimal(double value);

// Formats a number with a pattern made of an optional literal prefix (such as "$"), digit
// places "#" and "0", thousands grouping ",", a decimal point and an optional "%" suffix:
// "$#,###.00", "$#,###.##", "#,###.#0", "$#,##0.00", "0%", "0". Halves round away from zero.
QString formatNumber(double value, const QString& pattern);
// The same for a numeric text (as IsNumeric accepts it), from its written digits: every digit
// typed counts, however many. Any other text comes back as it is.
QString formatNumberText(const QString& text, const QString& pattern);

} // namespace tovin::TextRules
