#pragma once

#include "ui/reports/ReportDocument.h"

#include <optional>

class QWidget;

namespace tovin {

// Makes a report for the window away from its thread. Reading the catalogue and laying out the
// pages take as long as the catalogue is big (a minute and more for tens of thousands of
// products), and on a server a statement may wait for the server; meanwhile the window goes on
// answering and shows the work in a dialog whose Cancel leaves the report unmade. The work
// itself runs on in the background until it ends, its result dropped.
class ReportMaker {
public:
    // The report file at `reportPath` filled from `catalogue` and laid out for a device of
    // `resolution` dots per inch. Nothing when the user cancelled, or the program is closing;
    // an error the making raised is raised here, as PreparedReport::make raises it.
    static std::optional<ReportDocument> make(QWidget* parent, const QString& caption,
                                              const QString& reportPath, const QString& catalogue,
                                              int resolution);
};

} // namespace tovin
