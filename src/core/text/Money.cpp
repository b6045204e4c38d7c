#include "core/text/Money.h"

#include "core/base/RunTimeError.h"
#include "core/text/DecimalDigits.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Products of an amount and a rate need more than 64 bits before they are rounded back.
__extension__ typedef __int128 Wide;

constexpr Wide Largest = std::numeric_limits<std::int64_t>::max();
constexpr Wide Smallest = std::numeric_limits<std::int64_t>::min();
// 10^38 is the largest power of ten a 128-bit number holds.
constexpr int WidestPower = 38;

// The platform's "Division by zero".
constexpr int DivisionByZero = 11;

[[noreturn]] void overflow() {
    throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
}

Wide powerOfTen(int exponent) {
    Wide p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= 10;
    return p;
}

// n / d, the remainder deciding: more than half away from zero, exactly half to the even
// quotient. d > 0.
Wide divideHalfEven(Wide n, Wide d) {
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0)
        r = -r;
    if (2 * r > d || (2 * r == d && q % 2 != 0))
        q += n < 0 ? -1 : 1;
    return q;
}

// n / d with halves away from zero. d > 0.
Wide divideHalfAway(Wide n, Wide d) {
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0)
        r = -r;
    if (2 * r >= d)
        q += n < 0 ? -1 : 1;
    return q;
}

std::int64_t narrow(Wide units) {
    if (units > Largest || units < Smallest)
        overflow();
    return std::int64_t(units);
}

// units x 10^exponent, rounded half to even (or away from zero) when the exponent is negative.
std::int64_t scaled(Wide units, int exponent, bool halvesAway = false) {
    if (units == 0)
        return 0;
    if (exponent >= 0) {
        if (exponent > 19)
            overflow();
        const Wide p = powerOfTen(exponent);
        if (units > Largest / p || units < Smallest / p)
            overflow();
        return narrow(units * p);
    }
    if (-exponent > WidestPower)
        return 0; // far below half a ten-thousandth
    const Wide divisor = powerOfTen(-exponent);
    return narrow(halvesAway ? divideHalfAway(units, divisor) : divideHalfEven(units, divisor));
}

// A factor as whole digits and a power of ten: 0.07 is 7 x 10^-2.
void decimalFactor(double factor, Wide& digits, int& exponent) {
    const TextRules::DecimalText d = TextRules::toDecimal(factor);
    QString significant = d.digits;
    while (significant.size() > 1 && significant.back() == u'0')
        significant.chop(1);
    digits = significant.toLongLong();
    if (d.negative)
        digits = -digits;
    exponent = d.pointPos - int(significant.size());
}

// units x factor x 10^shift, the exact product rounded once at the last of `decimals` kept.
std::int64_t multiplied(std::int64_t units, double factor, int shift, int decimals,
                        bool halvesAway) {
    if (!std::isfinite(factor))
        overflow();
    Wide digits = 0;
    int exponent = 0;
    decimalFactor(factor, digits, exponent);
    const int dropped = 4 - std::clamp(decimals, 0, 4);
    const Wide kept = scaled(Wide(units) * digits, exponent + shift - dropped, halvesAway);
    return narrow(kept * powerOfTen(dropped));
}

TextRules::DecimalText decimalText(std::int64_t units) {
    TextRules::DecimalText d;
    d.negative = units < 0;
    // The magnitude of the smallest int64 has no positive int64; unsigned holds it.
    const quint64 magnitude = d.negative ? 0 - quint64(units) : quint64(units);
    d.digits = QString::number(magnitude);
    d.pointPos = magnitude == 0 ? 1 : int(d.digits.size()) - 4;
    return d;
}

// Values read from the file travel in QVariants; code that wants a number, a flag or a text of
// a value gets the amount's without knowing it is money. Whole numbers round as Qt rounds a
// double.
const bool convertersRegistered = [] {
    QMetaType::registerConverter<Money, double>(&Money::toDouble);
    QMetaType::registerConverter<Money, QString>(&Money::toText);
    QMetaType::registerConverter<Money, int>([](Money m) { return qRound(m.toDouble()); });
    QMetaType::registerConverter<Money, qlonglong>(
        [](Money m) { return qlonglong(qRound64(m.toDouble())); });
    QMetaType::registerConverter<Money, bool>([](Money m) { return !m.isZero(); });
    return true;
}();

} // namespace

Money::Reading Money::read(const QString& text, Money& amount) {
    const std::optional<TextRules::WrittenNumber> written = TextRules::readNumber(text);
    if (!written)
        return Reading::NotANumber;
    QString digits = written->whole + written->fraction;
    while (!digits.isEmpty() && digits.front() == u'0')
        digits.remove(0, 1);
    // The written digits are ten-thousandths times 10^shift.
    const long shift = written->exponent - long(written->fraction.size()) + 4;
    const qsizetype kept = std::max<qsizetype>(0, digits.size() + std::min(shift, 0L));
    // Twenty digits are beyond any amount kept, whatever the rounding.
    if (kept > 0 && kept + std::max(shift, 0L) > 19)
        return Reading::TooLarge;
    Wide units = 0;
    for (qsizetype i = 0; i < kept; ++i)
        units = units * 10 + digits.at(i).digitValue();
    // Zero stays zero whatever the exponent; a power of ten past the amounts is not worked out.
    if (shift > 0 && units != 0)
        units *= powerOfTen(int(shift));
    // Below the first dropped place there are only zeros the text left out: under a half.
    const bool droppedFromFirstPlace = digits.size() + std::min(shift, 0L) >= 0;
    if (kept < digits.size() && droppedFromFirstPlace) {
        // The dropped digits decide the rounding: above half, or exactly half with an odd
        // last kept digit, round up.
        const int first = digits.at(kept).digitValue();
        bool restNonZero = false;
        for (qsizetype i = kept + 1; i < digits.size(); ++i)
            restNonZero |= digits.at(i) != u'0';
        if (first > 5 || (first == 5 && (restNonZero || units % 2 != 0)))
            ++units;
    }
    if (written->negative)
        units = -units;
    if (units > Largest || units < Smallest)
        return Reading::TooLarge;
    amount = Money(std::int64_t(units));
    return Reading::Read;
}

std::optional<Money> Money::fromText(const QString& text) {
    Money amount;
    if (read(text, amount) != Reading::Read)
        return std::nullopt;
    return amount;
}

std::optional<Money> Money::fromDouble(double amount) {
    // Below ten million the 15 digits a double holds reliably reach past the fifth decimal, and
    // nearly every amount is a few decimals well away from a tie there: its ten-thousandths are
    // then simply the nearest whole number.
    if (std::fabs(amount) < 1e7) {
        const double scaledAmount = amount * double(Scale);
        const double nearest = std::nearbyint(scaledAmount);
        if (std::fabs(scaledAmount - nearest) < 0.25)
            return Money(std::int64_t(nearest));
    }
    if (!std::isfinite(amount) || std::fabs(amount) >= 1e16)
        return std::nullopt;
    Wide digits = 0;
    int exponent = 0;
    decimalFactor(amount, digits, exponent);
    try {
        return Money(scaled(digits, exponent + 4));
    } catch (const RunTimeError&) {
        return std::nullopt;
    }
}

std::optional<Money> Money::fromValue(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::QString)
        return fromText(value.toString());
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    return isNumber ? fromDouble(number) : std::nullopt;
}

Money Money::operator+(Money other) const {
    return Money(narrow(Wide(m_units) + other.m_units));
}

Money Money::operator-(Money other) const {
    return Money(narrow(Wide(m_units) - other.m_units));
}

Money Money::operator-() const {
    return Money(narrow(-Wide(m_units)));
}

Money Money::operator*(std::int64_t quantity) const {
    return Money(narrow(Wide(m_units) * quantity));
}

Money Money::times(double factor, int decimals, Halves halves) const {
    return Money(multiplied(m_units, factor, 0, decimals, halves == Halves::AwayFromZero));
}

Money Money::percent(double percent, int decimals, Halves halves) const {
    return Money(multiplied(m_units, percent, -2, decimals, halves == Halves::AwayFromZero));
}

Money Money::dividedBy(std::int64_t divisor) const {
    if (divisor == 0)
        throw RunTimeError(DivisionByZero, u"Division by zero"_s);
    const Wide n = divisor < 0 ? -Wide(m_units) : Wide(m_units);
    return Money(narrow(divideHalfEven(n, divisor < 0 ? -Wide(divisor) : Wide(divisor))));
}

Money Money::scaledBy(Money numerator, Money denominator, int decimals, Rounding rounding) const {
    if (denominator.m_units == 0)
        throw RunTimeError(DivisionByZero, u"Division by zero"_s);
    // Both factors fit 63 bits, so their product fits 127 before the one division.
    Wide n = Wide(m_units) * Wide(numerator.m_units);
    Wide d = denominator.m_units;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    // The result in units of 10^-decimals is n / (d x 10^(4 - decimals)).
    const Wide step = powerOfTen(4 - std::clamp(decimals, 0, 4));
    d *= step;
    Wide q = n / d;
    const Wide r = n % d;
    switch (rounding) {
    case Rounding::HalfEven:
        q = divideHalfEven(n, d);
        break;
    case Rounding::Up:
        if (r > 0)
            ++q;
        break;
    case Rounding::Down:
        if (r < 0)
            --q;
        break;
    }
    if (q > Largest / step || q < Smallest / step)
        overflow();
    return Money(narrow(q * step));
}

Money Money::rounded(int decimals) const {
    if (decimals >= 4)
        return *this;
    const Wide step = powerOfTen(4 - std::max(decimals, -14));
    return Money(narrow(divideHalfEven(m_units, step) * step));
}

QString Money::toText() const {
    const TextRules::DecimalText d = decimalText(m_units);
    const TextRules::RoundedDecimal r =
        TextRules::roundDecimal(d, 4, TextRules::Rounding::HalfEven);
    QString fraction = r.fracPart;
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    QString text = r.intPart.isEmpty() ? u"0"_s : r.intPart;
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    return d.negative ? u'-' + text : text;
}

QString Money::format(const QString& pattern) const {
    return TextRules::formatDecimal(decimalText(m_units), pattern);
}

} // namespace tovin
