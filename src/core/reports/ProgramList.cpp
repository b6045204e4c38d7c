#include "core/reports/ProgramList.h"

#include "core/base/RunTimeError.h"
#include "core/margins/BelowMarginList.h"
#include "core/margins/Margin.h"
#include "core/margins/MarginSettings.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString BelowMargin = u"below-margin"_s;

// The rows come from the same list the margins command prints, so the report and the command
// agree on every product, its margin and its place.
ProgramList belowMargin(CatalogueDatabase& db, Money minimumPercent) {
    const BelowMarginList list = BelowMarginList::find(db, minimumPercent);
    ProgramList result;
    for (const BelowMarginRow& row : list.rows)
        result.rows.append(QVariantMap{{u"StockNo"_s, row.stockNumber},
                                       {u"ProdName"_s, row.name},
                                       {u"Cost1"_s, qlonglong(row.cost.toStored())},
                                       {u"Price"_s, qlonglong(row.price.toStored())},
                                       {u"Margin"_s, Margin::percentText(row.marginPercent)}});
    result.values.insert(u"Listed"_s, QString::number(list.rows.size()));
    result.values.insert(u"PassedOver"_s, QString::number(list.passedOver));
    result.values.insert(u"MinimumMargin"_s, Margin::percentText(minimumPercent));
    return result;
}

} // namespace

ProgramList::Settings ProgramList::Settings::fromProgram() {
    Settings settings;
    try {
        settings.minimumPercent = MarginSettings::fromProgram().minimumPercent;
    } catch (const RunTimeError& error) {
        settings.refusal = error.description();
    }
    return settings;
}

bool ProgramList::exists(const QString& name) {
    return name == BelowMargin;
}

ProgramList ProgramList::read(CatalogueDatabase& db, const QString& name,
                              const Settings& settings) {
    if (name != BelowMargin)
        throw RunTimeError(ErrorNumber::ItemNotFound,
                           u"The program makes no list \"%1\""_s.arg(name));
    if (!settings.minimumPercent)
        throw RunTimeError(ErrorNumber::InvalidProcedureCall, settings.refusal);
    return belowMargin(db, *settings.minimumPercent);
}

} // namespace tovin
