#pragma once

#include "core/reports/PreparedReport.h"
#include "core/shell/OutputFile.h"

class QPagedPaintDevice;

namespace tovin {

// Lays a prepared report out on pages and paints them: each page has the report's title, the
// catalogue's name and the date at the top and "Page N of M" at the bottom; a table whose
// heading row is written in <thead> repeats that row at the top of every page it runs onto.
class ReportDocument {
public:
    explicit ReportDocument(PreparedReport report);

    // Sets the page (US letter, the report's orientation, margins) on a printer or PDF writer
    // before it is shown or painted.
    void preparePage(QPagedPaintDevice* device) const;
    // Paints every page on the device; returns the number of pages. A device that cannot be
    // painted on (a PDF file that cannot be written) raises error 75.
    int print(QPagedPaintDevice* device) const;

    // Writes the report as a PDF file, replacing the file only once it is complete and never
    // when the rules refuse it (the open catalogue, another catalogue, no plain file).
    void writePdf(const QString& path, const OutputRules& rules) const;

private:
    PreparedReport m_report;
};

} // namespace tovin
