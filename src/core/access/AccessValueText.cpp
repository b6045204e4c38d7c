#include "core/access/AccessValueText.h"

#include "core/text/DateText.h"
#include "core/text/NumberFormat.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::AccessValueText {

namespace {

constexpr int SecondsPerDay = 24 * 60 * 60;
// The day numbers of 01/01/0100 and 12/31/9999, the range Access accepts for a date.
constexpr double FirstDay = -657434.0;
constexpr double LastDay = 2958465.0;

// Puts a decimal point `scale` digits from the right of a digit string and drops the zeros
// that end the fraction.
QString placePoint(QString digits, int scale) {
    if (scale <= 0)
        return digits;
    if (digits.size() <= scale)
        digits.prepend(QString(scale + 1 - digits.size(), u'0'));
    QString whole = digits.left(digits.size() - scale);
    QString fraction = digits.right(scale);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    return fraction.isEmpty() ? whole : whole + u'.' + fraction;
}

QString withSign(bool negative, const QString& magnitude) {
    return negative && magnitude != u"0"_s ? u'-' + magnitude : magnitude;
}

} // namespace

QString dateText(double days) {
    if (!std::isfinite(days) || days < FirstDay || days >= LastDay + 1.0)
        return QString();
    double wholeDays = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - wholeDays) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        // The time of day rounded up to midnight: that is the start of the next day.
        seconds -= SecondsPerDay;
        wholeDays += 1.0;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(wholeDays));
    QString text = TextRules::formatDate(date, u"MM/DD/YYYY"_s);
    if (seconds != 0)
        text += u' ' + QTime(0, 0).addSecs(static_cast<int>(seconds)).toString(u"HH:mm:ss"_s);
    return text;
}

QString moneyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - std::uint64_t(tenThousandths) : std::uint64_t(tenThousandths);
    return withSign(negative, placePoint(QString::number(magnitude), 4));
}

QString decimalText(bool negative, const std::array<std::uint32_t, 4>& magnitude, int scale) {
    // Long division by ten, one 32-bit word at a time, gives the digits from the right.
    std::array<std::uint32_t, 4> words = magnitude;
    QString digits;
    bool zero = false;
    while (!zero) {
        std::uint64_t remainder = 0;
        zero = true;
        for (std::uint32_t& word : words) {
            const std::uint64_t current = (remainder << 32) | word;
            word = static_cast<std::uint32_t>(current / 10);
            remainder = current % 10;
            zero = zero && word == 0;
        }
        digits.prepend(QChar(u'0' + static_cast<char16_t>(remainder)));
    }
    return withSign(negative, placePoint(digits, qBound(0, scale, 38)));
}

QString singleText(float value) {
    if (!std::isfinite(value))
        return doubleText(value);
    // The shortest text that reads back as the same single, taken as a double from there, so
    // that 0.1f does not show the binary noise of its double widening.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double widened = value;
    std::from_chars(buffer, written.ptr, widened);
    return doubleText(widened);
}

QString doubleText(double value) {
    return TextRules::plainDecimal(value);
}

} // namespace tovin::AccessValueText
