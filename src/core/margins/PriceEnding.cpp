#include "core/margins/PriceEnding.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

constexpr std::int64_t EndingCent = Money::Scale / 100;
constexpr std::int64_t EndingDollar = Money::Scale;

// The smallest amount at or above `units` whose cents are `ending` (0 to 99). `units` > 0.
std::int64_t nextWithCents(std::int64_t units, std::int64_t ending) {
    const std::int64_t dollars = units / EndingDollar;
    const std::int64_t candidate = dollars * EndingDollar + ending * EndingCent;
    return candidate >= units ? candidate : candidate + EndingDollar;
}

} // namespace

std::optional<PriceEnding> PriceEnding::fromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == u"none"_s)
        return PriceEnding(None);
    if (word == u".99"_s)
        return PriceEnding(N99);
    if (word == u".95"_s)
        return PriceEnding(N95);
    if (word == u".49/.99"_s)
        return PriceEnding(N49Or99);
    return std::nullopt;
}

QString PriceEnding::text() const {
    switch (m_kind) {
    case N99:
        return u".99"_s;
    case N95:
        return u".95"_s;
    case N49Or99:
        return u".49/.99"_s;
    case None:
        break;
    }
    return u"none"_s;
}

Money PriceEnding::apply(Money amount) const {
    if (amount <= Money())
        return amount;
    const Money one = Money::fromStored(Money::Scale);
    // The cent at or above the exact amount first: an ending is a whole number of cents.
    const std::int64_t units = amount.scaledBy(one, one, 2, Money::Rounding::Up).toStored();
    switch (m_kind) {
    case None:
        return Money::fromStored(units);
    case N99:
        return Money::fromStored(nextWithCents(units, 99));
    case N95:
        return Money::fromStored(nextWithCents(units, 95));
    case N49Or99:
        if (units < 10 * EndingDollar)
            return Money::fromStored(std::min(nextWithCents(units, 49), nextWithCents(units, 99)));
        return Money::fromStored(nextWithCents(units, 99));
    }
    return Money::fromStored(units);
}

} // namespace tovin
