#include "ui/reports/ReportDocument.h"

#include "core/base/RunTimeError.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QThread>
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
struct ReportDocument::Layout {
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<QTextDocument> doc;
    int resolution = 0;
    QSize size;
    qreal titleHeight = 0;
    qreal lineHeight = 0;
    QRectF page;
    QRectF body;
    int pages = 0;
};

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
    layout->doc = std::make_unique<QTextDocument>();
    QTextDocument& doc = *layout->doc;
    doc.documentLayout()->setPaintDevice(device);
    doc.setDefaultFont(bodyFont());
    doc.setDocumentMargin(0);
    doc.setDefaultStyleSheet(u"th { text-align: left; border-bottom: 1px solid black; }"
                             u" td, th { padding: 1px 6px 1px 0; }"_s);
    doc.setHtml(report.html);

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
    doc.setPageSize(layout->body.size());
    layout->pages = doc.pageCount();
    return layout;
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
    m_layout->doc->moveToThread(owner);
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
    return layout->pages;
}

void ReportDocument::paintPages(QPagedPaintDevice* device, const Layout& layout) const {
    QPainter painter;
    if (!painter.begin(device))
        throw RunTimeError(ErrorNumber::PathFileAccessError, u"The report could not be printed"_s);
    const QRectF& page = layout.page;
    const QRectF& body = layout.body;
    const QRectF heading(page.left(), page.top(), page.width(), layout.titleHeight);
    for (int i = 0; i < layout.pages; ++i) {
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

        painter.save();
        painter.translate(body.left(), body.top() - i * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        layout.doc->documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(bodyFont());
        painter.drawText(
            QRectF(page.left(), page.bottom() - layout.lineHeight, page.width(), layout.lineHeight),
            Qt::AlignHCenter | Qt::AlignVCenter, u"Page %1 of %2"_s.arg(i + 1).arg(layout.pages));
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
