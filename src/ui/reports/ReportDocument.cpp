#include "ui/reports/ReportDocument.h"

#include "core/base/RunTimeError.h"
#include "ui/reports/ReportColumnWidths.h"
#include "ui/reports/ReportHtmlParts.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextTable>
#include <QThread>
#include <functional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Sizes follow the device's resolution, so preview, printer and PDF look alike.
QFont bodyFont() {
    return QFont(u"DejaVu Sans"_s, 9);
}

QFont titleFont() {
    QFont font = bodyFont();
    font.setPointSizeF(13);
    font.setBold(true);
    return font;
}

} // namespace

// A document laid out for one kind of device: its resolution and page size in device pixels.
// Laid out ahead, it keeps the stand-in device it was measured on (a PDF writer into memory of
// the same page and resolution), since the layout reads its metrics again while painting.
//
// A long table is laid out a run of rows at a time, each run a document of its own that starts
// at the top of a page: the time a layout takes grows with its rows and more than that, so runs
// of bounded length keep the report's time in line with its length. Each printed page is a
// page of one of these documents.
struct ReportDocument::Layout {
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QPdfWriter> writer;
    std::vector<std::unique_ptr<QTextDocument>> docs;
    QList<std::pair<int, int>> pages; // the document and its page each printed page shows
    int resolution = 0;
    QSize size;
    qreal titleHeight = 0;
    qreal lineHeight = 0;
    QRectF page;
    QRectF body;
};

namespace {

// Rows laid out together: some twenty pages of a price list.
constexpr qsizetype RowsPerRun = 1000;

// A document of the report's text for `device`, laid out on pages of `body` size; `adjust` sees
// it after its text is read and before it is laid out.
std::unique_ptr<QTextDocument> pageDocument(QPagedPaintDevice* device, const QSizeF& body,
                                            const QString& html,
                                            const std::function<void(QTextDocument&)>& adjust) {
    auto doc = std::make_unique<QTextDocument>();
    // No page size while the text is read: it is laid out once, when the page size is set.
    doc->setPageSize(QSizeF(0, 0));
    doc->documentLayout()->setPaintDevice(device);
    doc->setDefaultFont(bodyFont());
    doc->setDocumentMargin(0);
    doc->setDefaultStyleSheet(u"th { text-align: left; border-bottom: 1px solid black; }"
                              u" td, th { padding: 1px 6px 1px 0; }"_s);
    doc->setHtml(html);
    if (adjust)
        adjust(*doc);
    doc->setPageSize(body);
    doc->pageCount();
    return doc;
}

// Where the text of the table's row `row` starts, down the document.
qreal rowTop(QTextDocument& doc, QTextTable* table, int row) {
    const QTextBlock block = table->cellAt(row, 0).firstCursorPosition().block();
    return doc.documentLayout()->blockBoundingRect(block).top();
}

} // namespace

ReportDocument::ReportDocument(PreparedReport report) : m_report(std::move(report)) {}
ReportDocument::~ReportDocument() = default;
ReportDocument::ReportDocument(ReportDocument&& other) noexcept = default;
ReportDocument& ReportDocument::operator=(ReportDocument&& other) noexcept = default;

QPageLayout ReportDocument::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::Letter),
                       m_report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
}

void ReportDocument::preparePage(QPagedPaintDevice* device) const {
    device->setPageLayout(pageLayout());
}

std::unique_ptr<ReportDocument::Layout> ReportDocument::layOutFor(const PreparedReport& report,
                                                                  QPagedPaintDevice* device) {
    auto layout = std::make_unique<Layout>();
    const QFontMetricsF metrics(bodyFont(), device);
    const QFontMetricsF titleMetrics(titleFont(), device);
    layout->resolution = device->logicalDpiY();
    layout->size = QSize(device->width(), device->height());
    layout->titleHeight = titleMetrics.height();
    layout->lineHeight = metrics.height();
    layout->page = QRectF(0, 0, device->width(), device->height());
    const qreal headerHeight = layout->titleHeight + layout->lineHeight * 1.2;
    const qreal footerHeight = layout->lineHeight * 1.8;
    layout->body =
        QRectF(layout->page.left(), layout->page.top() + headerHeight, layout->page.width(),
               layout->page.height() - headerHeight - footerHeight);
    if (!layOutInRuns(report, device, *layout)) {
        layout->docs.clear();
        layout->pages.clear();
        layout->docs.push_back(pageDocument(device, layout->body.size(), report.html, {}));
        for (int i = 0; i < layout->docs.front()->pageCount(); ++i)
            layout->pages.append({0, i});
    }
    return layout;
}

bool ReportDocument::layOutInRuns(const PreparedReport& report, QPagedPaintDevice* device,
                                  Layout& layout) {
    const std::optional<ReportHtmlParts> parts = ReportHtmlParts::split(report.html);
    if (!parts || parts->rowCount() <= RowsPerRun)
        return false;
    const QSizeF body = layout.body.size();
    const int index = parts->tablesBefore();
    // The columns of the whole table, from the rows that decide them, laid out without pages
    // only to be measured.
    const std::unique_ptr<QTextDocument> measured = pageDocument(
        device, QSizeF(body.width(), 0),
        parts->tableWith(ReportColumnWidths::decidingRows(*parts, bodyFont(), device)), {});
    const std::optional<ReportColumnWidths> widths =
        ReportColumnWidths::read(*measured, index, body.width());
    if (!widths)
        return false;
    const auto pinned = [&](QTextDocument& doc) { widths->apply(doc, index); };
    qsizetype from = 0;
    while (from < parts->rowCount()) {
        const qsizetype to = std::min(parts->rowCount(), from + RowsPerRun);
        std::unique_ptr<QTextDocument> doc =
            pageDocument(device, body, parts->chunk(from, to), pinned);
        QTextTable* table = ReportColumnWidths::table(*doc, index);
        const std::optional<ReportColumnWidths> laid = ReportColumnWidths::lefts(*doc, index);
        // Columns that came out otherwise than measured are not laid out this way.
        if (!table || !laid || !widths->matches(*laid))
            return false;
        int pages = doc->pageCount();
        qsizetype next = to;
        if (to < parts->rowCount() && pages > 1) {
            // The rows of the run's last page start the next run, at the top of a page. The
            // layout keeps the page's height in 64ths of a pixel.
            const qreal lastPageTop = (pages - 1) * (qRound(body.height() * 64) / 64.0);
            for (qsizetype row = from; row < to; ++row) {
                if (rowTop(*doc, table, parts->headRows() + int(row - from)) >= lastPageTop - 0.5) {
                    next = row;
                    break;
                }
            }
            if (next > from && next < to)
                --pages;
            else
                next = to;
        }
        const int number = int(layout.docs.size());
        for (int i = 0; i < pages; ++i)
            layout.pages.append({number, i});
        layout.docs.push_back(std::move(doc));
        from = next;
    }
    return true;
}

void ReportDocument::layOut(int resolution) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->open(QIODevice::WriteOnly);
    auto writer = std::make_unique<QPdfWriter>(buffer.get());
    writer->setResolution(resolution);
    preparePage(writer.get());
    std::unique_ptr<Layout> layout = layOutFor(m_report, writer.get());
    layout->buffer = std::move(buffer);
    layout->writer = std::move(writer);
    m_layout = std::move(layout);
}

void ReportDocument::moveToThread(QThread* owner) {
    if (!m_layout)
        return;
    for (const std::unique_ptr<QTextDocument>& doc : m_layout->docs)
        doc->moveToThread(owner);
    m_layout->writer->moveToThread(owner);
    m_layout->buffer->moveToThread(owner);
}

int ReportDocument::print(QPagedPaintDevice* device) {
    // A layout made ahead serves a device of the same resolution and page; any other device is
    // measured for itself.
    std::unique_ptr<Layout> own;
    const Layout* layout = m_layout.get();
    if (!layout || layout->resolution != device->logicalDpiY() ||
        layout->size != QSize(device->width(), device->height())) {
        own = layOutFor(m_report, device);
        layout = own.get();
    }
    paintPages(device, *layout);
    return int(layout->pages.size());
}

void ReportDocument::paintPages(QPagedPaintDevice* device, const Layout& layout) const {
    QPainter painter;
    if (!painter.begin(device))
        throw RunTimeError(ErrorNumber::PathFileAccessError, u"The report could not be printed"_s);
    const QRectF& page = layout.page;
    const QRectF& body = layout.body;
    const QRectF heading(page.left(), page.top(), page.width(), layout.titleHeight);
    const int pages = int(layout.pages.size());
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device->newPage();
        // The heading of every page: title, and the catalogue and date beside it.
        painter.setFont(titleFont());
        painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, m_report.title);
        painter.setFont(bodyFont());
        painter.drawText(heading, Qt::AlignRight | Qt::AlignVCenter,
                         m_report.catalogue + u"    "_s + m_report.date);
        const qreal rule = page.top() + layout.titleHeight + layout.lineHeight * 0.3;
        painter.drawLine(QPointF(page.left(), rule), QPointF(page.right(), rule));

        const auto [doc, docPage] = layout.pages.at(i);
        painter.save();
        painter.translate(body.left(), body.top() - docPage * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, docPage * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        layout.docs.at(doc)->documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(bodyFont());
        painter.drawText(
            QRectF(page.left(), page.bottom() - layout.lineHeight, page.width(), layout.lineHeight),
            Qt::AlignHCenter | Qt::AlignVCenter, u"Page %1 of %2"_s.arg(i + 1).arg(pages));
    }
    painter.end();
}

void ReportDocument::writePdf(const QString& path, const OutputRules& rules) {
    OutputWriter file(path, rules);
    {
        QPdfWriter writer(&file.device());
        writer.setResolution(300);
        writer.setTitle(m_report.title);
        writer.setCreator(u"Tovin Catalog"_s);
        preparePage(&writer);
        print(&writer);
    }
    file.commit();
}

} // namespace tovin
