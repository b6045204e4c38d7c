#pragma once

#include "core/margins/PriceEnding.h"
#include "core/text/Money.h"

#include <QString>
#include <optional>

namespace tovin {

class SettingsStore;

// The shop's margin settings, section "Margins" of the settings store:
//   MinimumMargin  a percentage from 0 to 100 ("20", "20%", "17.5"); default 20
//   PriceEnding    none, .99, .95 or .49/.99; default none
// A value that is set but cannot be read is refused with a plain message naming it: a run
// never goes on with a guess.
struct MarginSettings {
    static inline const QString Section = QStringLiteral("Margins");
    static inline const QString MinimumMarginKey = QStringLiteral("MinimumMargin");
    static inline const QString PriceEndingKey = QStringLiteral("PriceEnding");

    Money minimumPercent = Money::fromStored(20 * Money::Scale); // 20 %
    PriceEnding ending;

    // Raises a RunTimeError (invalid procedure call) whose description names the setting and
    // its value when either cannot be read.
    static MarginSettings read(const SettingsStore& settings);
    // read() from the program's settings store.
    static MarginSettings fromProgram();

    // A percentage as typed: digits with at most four decimals, an optional "%" after them,
    // from 0 to 100. Nothing for anything else ("abc", "", "-5", "150%", "1e2").
    static std::optional<Money> readPercent(const QString& text);
};

} // namespace tovin
