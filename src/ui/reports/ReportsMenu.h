#pragma once

#include <QString>

class QMainWindow;
class QMenu;
class QWidget;

namespace tovin {
struct CatalogueInUse;
struct PromptsInUse;
} // namespace tovin

namespace tovin::ReportsMenu {

// Adds the Reports menu ("mnuReports") with its entries mnuR1 to mnuR10 to the window's
// menu bar, placed before the menu `before` (at the end when it is null). An entry reports on
// the catalogue open when it is chosen and tells through `prompts` (both must outlive the
// window's menu).
QMenu* addTo(QMainWindow* window, QMenu* before, const CatalogueInUse& catalogue,
             const PromptsInUse& prompts);

// Runs one report for a menu entry: reads the report file from the program folder, fills it
// from `catalogue` (see ReportMaker: the window answers meanwhile and the user may
// cancel) and shows it in a print preview, from which the user prints it
// or saves it as a PDF. A missing report file is reported as a missing file; a report that
// cannot be made is told with its reason, through `prompts`.
void ShowReport(const PromptsInUse& prompts, QWidget* parent, const QString& entryName,
                const QString& reportFile, const QString& catalogue);

} // namespace tovin::ReportsMenu
