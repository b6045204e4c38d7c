#include "core/margins/MarginSettings.h"

#include "core/base/RunTimeError.h"
#include "core/settings/SettingsStore.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

[[noreturn]] void refuseMarginSetting(const QString& key, const QString& value,
                                      const QString& wanted) {
    throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                       u"the setting %1 in section %2 is \"%3\", which is not %4"_s.arg(
                           key, MarginSettings::Section, value, wanted));
}

} // namespace

std::optional<Money> MarginSettings::readPercent(const QString& text) {
    // Plain digits only: Money::read also takes "$" and thousands commas, which are no
    // percentage.
    static const QRegularExpression Percent(
        u"^\\s*(\\d+(?:\\.\\d{1,4})?|\\.\\d{1,4})\\s*%?\\s*$"_s);
    const QRegularExpressionMatch match = Percent.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<Money> percent = Money::fromText(match.captured(1));
    if (!percent || *percent > Money::fromStored(100 * Money::Scale))
        return std::nullopt;
    return percent;
}

MarginSettings MarginSettings::read(const SettingsStore& settings) {
    MarginSettings read;
    if (settings.contains(Section, MinimumMarginKey)) {
        const QString text = settings.value(Section, MinimumMarginKey, QString());
        const std::optional<Money> percent = readPercent(text);
        if (!percent)
            refuseMarginSetting(MinimumMarginKey, text, u"a percentage from 0 to 100"_s);
        read.minimumPercent = *percent;
    }
    if (settings.contains(Section, PriceEndingKey)) {
        const QString text = settings.value(Section, PriceEndingKey, QString());
        const std::optional<PriceEnding> ending = PriceEnding::fromText(text);
        if (!ending)
            refuseMarginSetting(PriceEndingKey, text, u"one of none, .99, .95 or .49/.99"_s);
        read.ending = *ending;
    }
    return read;
}

MarginSettings MarginSettings::fromProgram() {
    return read(SettingsStore::program());
}

} // namespace tovin
