#pragma once

#include "core/text/Money.h"

#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// A list a report shows that the program works out itself rather than with a report file's
// SELECT, so that a report and the rest of the program never tell two stories about the same
// products ("rows NAME: LIST" in a report file, see ReportDefinition).
//
//   below-margin   the products under the shop's minimum margin, worst first: StockNo,
//                  ProdName, Cost1 and Price (money, the selling price the margin is taken
//                  on) and Margin ("12.5%"); with the page values Listed (how many),
//                  PassedOver (products without a selling price or cost, not judged) and
//                  MinimumMargin ("20%").
struct ProgramList {
    // What the lists take from the settings. The settings belong to the program's main thread:
    // a report made in another thread is given them, read before it starts. A setting that
    // cannot be read fails only the report that needs it.
    struct Settings {
        std::optional<Money> minimumPercent;
        QString refusal; // why the minimum margin could not be read
        static Settings fromProgram();
    };

    QVariantList rows;  // maps of field name to value; money in stored ten-thousandths
    QVariantMap values; // values the list gives the page itself

    static bool exists(const QString& name);
    // Reads the list from the catalogue; a setting the list needs that could not be read raises
    // a RunTimeError that names it.
    static ProgramList read(CatalogueDatabase& db, const QString& name, const Settings& settings);
};

} // namespace tovin
