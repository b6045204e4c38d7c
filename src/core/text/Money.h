#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

namespace tovin {

// An amount of money as the catalogue file keeps it: a whole number of ten-thousandths. Sums,
// differences and multiples by a quantity are exact; a rate or a division rounds once, half to
// even, to the ten-thousandth. Amounts never pass through a double on their way from the file
// to a text, so 123456789012.3456 stays what was typed.
class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromStored(std::int64_t tenThousandths) { return Money(tenThousandths); }
    constexpr std::int64_t toStored() const { return m_units; }

    // An amount typed or imported as text, in the grammar TextRules::IsNumeric accepts ("$" and
    // thousands commas included). Digits past the fourth decimal round half to even.
    enum class Reading { Read, NotANumber, TooLarge };
    static Reading read(const QString& text, Money& amount);
    static std::optional<Money> fromText(const QString& text);
    // An amount that is only known as a double: its 15 significant digits, rounded half to even
    // to the ten-thousandth. Nothing when it is not finite or too large to keep.
    static std::optional<Money> fromDouble(double amount);
    // The amount a field value stands for: a Money as it is, another number from its double, a
    // numeric text from its digits. Nothing for null, any other text or an amount too large.
    static std::optional<Money> fromValue(const QVariant& value);

    double toDouble() const { return double(m_units) / double(Scale); }

    // Arithmetic beyond the range of the stored number raises error 6 (overflow).
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const;
    Money operator*(std::int64_t quantity) const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }

    // amount x factor, amount x percent / 100 and amount / divisor, rounded once to `decimals`
    // (at most four), halves to even unless asked otherwise. A double factor counts with the
    // digits it is written with (0.07 is seven hundredths, not the binary fraction nearest it).
    enum class Halves { ToEven, AwayFromZero };
    Money times(double factor, int decimals = 4, Halves halves = Halves::ToEven) const;
    Money percent(double percent, int decimals = 4, Halves halves = Halves::ToEven) const;
    Money dividedBy(std::int64_t divisor) const;
    // amount x numerator / denominator worked out whole in 128 bits and rounded once to
    // `decimals` (at most four): halves to even, or up (toward +infinity) or down (toward
    // -infinity), so that a price moved with its cost never drifts by a double rounding.
    // A zero denominator raises error 11, a result beyond the stored range error 6.
    enum class Rounding { HalfEven, Up, Down };
    Money scaledBy(Money numerator, Money denominator, int decimals = 4,
                   Rounding rounding = Rounding::HalfEven) const;
    // Half to even to fewer decimals (2 for cents).
    Money rounded(int decimals) const;

    bool isZero() const { return m_units == 0; }
    friend constexpr bool operator==(Money, Money) = default;
    friend constexpr std::strong_ordering operator<=>(Money, Money) = default;

    // Plain decimal with no trailing zeros ("1234.5", "-0.0001", "0").
    QString toText() const;
    // Through a number pattern as TextRules::formatNumber takes it ("$#,###.00"); halves round
    // away from zero, and an amount that rounds to zero shows no minus sign.
    QString format(const QString& pattern) const;

private:
    constexpr explicit Money(std::int64_t units) : m_units(units) {}
    std::int64_t m_units = 0;
};

} // namespace tovin

Q_DECLARE_METATYPE(tovin::Money)
