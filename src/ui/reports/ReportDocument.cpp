#include "ui/reports/ReportDocument.h"

#include "core/shell/RunTimeError.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

ReportDocument::ReportDocument(PreparedReport report) : m_report(std::move(report)) {}

void ReportDocument::preparePage(QPagedPaintDevice* device) const {
    device->setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter),
                    m_report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
}

int ReportDocument::print(QPagedPaintDevice* device) const {
    QPainter painter;
    if (!painter.begin(device))
        throw RunTimeError(ErrorNumber::PathFileAccessError, u"The report could not be printed"_s);

    // Sizes follow the device's resolution, so preview, printer and PDF look alike.
    QFont font(u"DejaVu Sans"_s, 9);
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(device);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setDefaultStyleSheet(u"th { text-align: left; border-bottom: 1px solid black; }"
                             u" td, th { padding: 1px 6px 1px 0; }"_s);
    doc.setHtml(m_report.html);

    const QFontMetricsF metrics(font, device);
    QFont titleFont = font;
    titleFont.setPointSizeF(13);
    titleFont.setBold(true);
    const QFontMetricsF titleMetrics(titleFont, device);
    const QRectF page(0, 0, device->width(), device->height());
    const qreal headerHeight = titleMetrics.height() + metrics.height() * 1.2;
    const qreal footerHeight = metrics.height() * 1.8;
    const QRectF body(page.left(), page.top() + headerHeight, page.width(),
                      page.height() - headerHeight - footerHeight);
    doc.setPageSize(body.size());
    const int pages = doc.pageCount();

    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device->newPage();
        // The heading of every page: title, and the catalogue and date beside it.
        painter.setFont(titleFont);
        painter.drawText(QRectF(page.left(), page.top(), page.width(), titleMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, m_report.title);
        painter.setFont(font);
        painter.drawText(QRectF(page.left(), page.top(), page.width(), titleMetrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         m_report.catalogue + u"    "_s + m_report.date);
        const qreal rule = page.top() + titleMetrics.height() + metrics.height() * 0.3;
        painter.drawLine(QPointF(page.left(), rule), QPointF(page.right(), rule));

        painter.save();
        painter.translate(body.left(), body.top() - i * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(font);
        painter.drawText(
            QRectF(page.left(), page.bottom() - metrics.height(), page.width(), metrics.height()),
            Qt::AlignHCenter | Qt::AlignVCenter, u"Page %1 of %2"_s.arg(i + 1).arg(pages));
    }
    painter.end();
    return pages;
}

void ReportDocument::writePdf(const QString& path, const OutputRules& rules) const {
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
