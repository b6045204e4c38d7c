#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Texts of the values an Access database stores in binary form, written the way the import
// reads them: plain decimal numbers with "." as decimal point and MM/DD/YYYY dates.
namespace tovin::AccessValueText {

// A date/time value: days since 12/30/1899, the fraction being the time of day (for dates
// before that day the whole part counts back and the fraction still counts forward in the
// day). Gives "MM/DD/YYYY", followed by " HH:MM:SS" when the time of day is not midnight; an
// empty text for a value that is no date.
QString dateText(double days);

// A currency value, stored as a whole number of ten-thousandths: exact, without trailing zeros
// ("18", "21.35", "-0.0001").
QString moneyText(std::int64_t tenThousandths);

// A decimal value: a sign, a 128-bit magnitude given as four 32-bit words (most significant
// first) and the number of decimal places. Exact, without trailing zeros.
QString decimalText(bool negative, const std::array<std::uint32_t, 4>& magnitude, int scale);

// A single-precision number, with the digits a single holds (0.1f gives "0.1").
QString singleText(float value);

// A double-precision number in plain decimal.
QString doubleText(double value);

} // namespace tovin::AccessValueText
