#pragma once

#include "core/text/Money.h"

#include <QString>
#include <optional>

namespace tovin {

// How the shop ends its selling prices, applied when a price is moved with its cost. Each
// ending rounds UP, never down, so that a moved price keeps at least the margin it had:
//   None      the next whole cent at or above the amount;
//   N99       the smallest X.99 at or above it (10.00 -> 10.99, 9.99 stays);
//   N95       the smallest X.95 at or above it;
//   N49Or99   under 10.00 the smallest X.49 or X.99 at or above it (9.49 stays, 9.50 -> 9.99);
//             from 10.00 on (10.00 itself included) as N99.
// The cent is found first from the exact amount (9.4901 -> 9.50 -> 9.99), so no amount is
// ever ended below itself. Amounts of zero or less are returned as they are.
class PriceEnding {
public:
    enum Kind { None, N99, N95, N49Or99 };

    constexpr PriceEnding() = default;
    constexpr explicit PriceEnding(Kind kind) : m_kind(kind) {}
    Kind kind() const { return m_kind; }

    // The words the setting is written with: "none", ".99", ".95", ".49/.99" (spaces around
    // them and letter case do not matter). Nothing for any other text.
    static std::optional<PriceEnding> fromText(const QString& text);
    QString text() const;

    // The amount rounded up to the cent and then to this ending.
    Money apply(Money amount) const;

    friend bool operator==(PriceEnding, PriceEnding) = default;

private:
    Kind m_kind = None;
};

} // namespace tovin
