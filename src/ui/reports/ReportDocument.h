#pragma once

#include "core/files/OutputFile.h"
#include "core/reports/PreparedReport.h"

#include <memory>

class QPagedPaintDevice;
class QPageLayout;
class QThread;

namespace tovin {

// Lays a prepared report out on pages and paints them: each page has the report's title, the
// catalogue's name and the date at the top and "Page N of M" at the bottom; a table whose
// heading row is written in <thead> repeats that row at the top of every page it runs onto.
class ReportDocument {
public:
    explicit ReportDocument(PreparedReport report);
    ~ReportDocument();
    ReportDocument(ReportDocument&& other) noexcept;
    ReportDocument& operator=(ReportDocument&& other) noexcept;

    // The page of the report: US letter, the report's orientation, the margins.
    QPageLayout pageLayout() const;
    // Sets that page on a printer or PDF writer before it is shown or painted.
    void preparePage(QPagedPaintDevice* device) const;

    // Lays the pages out now for a device of `resolution` dots per inch whose page was set by
    // preparePage. On a catalogue of many thousand products this is most of the time printing
    // takes, so the window does it in another thread; print() on such a device then only
    // paints.
    void layOut(int resolution);
    // Hands what layOut() made to the thread that paints it; called in the thread that made it.
    void moveToThread(QThread* owner);

    // Paints every page on the device; returns the number of pages. A device that cannot be
    // painted on (a PDF file that cannot be written) raises error 75.
    int print(QPagedPaintDevice* device);

    // Writes the report as a PDF file, replacing the file only once it is complete and never
    // when the rules refuse it (the open catalogue, another catalogue, no plain file).
    void writePdf(const QString& path, const OutputRules& rules);

private:
    struct Layout;
    static std::unique_ptr<Layout> layOutFor(const PreparedReport& report,
                                             QPagedPaintDevice* device);
    // Lays a report with a long table out a run of its rows at a time; false when the page is
    // not one that can be laid out so, and is laid out whole.
    static bool layOutInRuns(const PreparedReport& report, QPagedPaintDevice* device,
                             Layout& layout);
    void paintPages(QPagedPaintDevice* device, const Layout& layout) const;

    PreparedReport m_report;
    std::unique_ptr<Layout> m_layout; // laid out ahead by layOut()
};

} // namespace tovin
