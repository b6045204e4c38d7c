#pragma once

#include "core/reports/ProgramList.h"
#include "core/reports/ReportDefinition.h"

#include <QVariantMap>

namespace tovin {

class CatalogueDatabase;

// Reads what a report shows from the catalogue: every "data" list of the report, each row a
// map of field name to the text the page shows (money and dates formatted, null as ""), with
// the lists that belong to a row nested in it. Nothing is ever written: the reads run in a
// transaction that is rolled back.
//
// A SELECT the catalogue refuses, or a :Field parameter the parent row lacks, raises a
// RunTimeError naming the list.
// The program's own lists ("rows") are read with `lists`.
QVariantMap
readReportData(CatalogueDatabase& db, const ReportDefinition& report,
               const ProgramList::Settings& lists = ProgramList::Settings::fromProgram());

} // namespace tovin
