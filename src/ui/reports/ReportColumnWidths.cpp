#include "ui/reports/ReportColumnWidths.h"

#include "ui/reports/ReportHtmlParts.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

QT_BEGIN_NAMESPACE
// The resolution a table format's fixed lengths are written for; Qt scales them to the device
// by it, and so must a width read in device pixels that is written back.
Q_GUI_EXPORT int qt_defaultDpi();
QT_END_NAMESPACE

namespace tovin {

namespace {

// How many of the widest cells of a column are kept between two rows that always count. The
// text is measured here word by word, a little differently from the layout; the layout of the
// rows kept says the last word.
constexpr int Kept = 3;

using Ranked = QList<std::pair<qreal, qsizetype>>;

void rank(Ranked& best, qreal width, qsizetype row) {
    if (best.size() == Kept) {
        const auto narrowest = std::min_element(best.begin(), best.end());
        if (narrowest->first >= width)
            return;
        best.erase(narrowest);
    }
    best.append({width, row});
}

// The x of the text of column `column` in some row where it stands alone; none when every row
// spans it or pads it on the left.
std::optional<qreal> columnLeft(QTextDocument& doc, QTextTable* table, int column) {
    const QTextTableFormat format = table->format();
    for (int row = 0; row < table->rows(); ++row) {
        const QTextTableCell cell = table->cellAt(row, column);
        if (cell.column() != column || cell.columnSpan() != 1)
            continue;
        const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        const qreal padding = cellFormat.hasProperty(QTextFormat::TableCellLeftPadding)
                                  ? cellFormat.leftPadding()
                                  : format.cellPadding();
        if (padding != 0)
            return std::nullopt;
        return doc.documentLayout()->blockBoundingRect(cell.firstCursorPosition().block()).left();
    }
    return std::nullopt;
}

} // namespace

QList<qsizetype> ReportColumnWidths::decidingRows(const ReportHtmlParts& parts, const QFont& font,
                                                  QPaintDevice* device) {
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF plain(font, device);
    const QFontMetricsF heading(bold, device);
    QHash<QString, qreal> plainWords;
    QHash<QString, qreal> headingWords;
    const auto wordWidth = [&](const QString& word, bool isHeading) {
        QHash<QString, qreal>& cache = isHeading ? headingWords : plainWords;
        auto it = cache.find(word);
        if (it == cache.end())
            it = cache.insert(word, (isHeading ? heading : plain).horizontalAdvance(word));
        return it.value();
    };
    // The widest cells of each column since the last row that always counts: whole, and by
    // their widest word.
    QList<std::pair<Ranked, Ranked>> best;
    QList<qsizetype> rows;
    const auto keepBest = [&] {
        for (const auto& [whole, word] : best) {
            for (const auto& ranked : {whole, word})
                for (const auto& [width, row] : ranked)
                    rows.append(row);
        }
        best.clear();
    };
    for (qsizetype row = 0; row < parts.rowCount(); ++row) {
        const QList<ReportHtmlParts::Cell> cells = parts.cells(row);
        if (std::any_of(cells.cbegin(), cells.cend(),
                        [](const ReportHtmlParts::Cell& cell) { return !cell.plain; })) {
            // A cell that spans columns counts where it comes; markup is measured by the
            // layout alone.
            keepBest();
            rows.append(row);
            continue;
        }
        if (best.size() < cells.size())
            best.resize(cells.size());
        for (qsizetype column = 0; column < cells.size(); ++column) {
            const ReportHtmlParts::Cell& cell = cells.at(column);
            const QStringList words = cell.text.split(u' ', Qt::SkipEmptyParts);
            qreal whole = 0;
            qreal widest = 0;
            for (const QString& word : words) {
                const qreal width = wordWidth(word, cell.heading);
                whole += width;
                widest = std::max(widest, width);
            }
            if (words.size() > 1)
                whole += (words.size() - 1) * wordWidth(u" "_s, cell.heading);
            rank(best[column].first, whole, row);
            rank(best[column].second, widest, row);
        }
    }
    keepBest();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QTextTable* ReportColumnWidths::table(QTextDocument& doc, int index) {
    int seen = 0;
    for (QTextFrame* frame : doc.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame); table && seen++ == index)
            return table;
    return nullptr;
}

std::optional<ReportColumnWidths> ReportColumnWidths::read(QTextDocument& doc, int index,
                                                           qreal width) {
    QTextTable* found = table(doc, index);
    if (!found)
        return std::nullopt;
    const QTextTableFormat format = found->format();
    if (format.width() != QTextLength(QTextLength::PercentageLength, 100) || format.border() != 0 ||
        format.cellSpacing() != 0 || format.padding() != 0 || format.leftMargin() != 0 ||
        format.rightMargin() != 0)
        return std::nullopt;
    std::optional<ReportColumnWidths> widths = lefts(doc, index);
    // The table starts at the page's left edge and fills the width.
    if (!widths || std::abs(widths->m_lefts.first()) > 0.01)
        return std::nullopt;
    widths->m_lefts.append(width);
    if (const QPaintDevice* device = doc.documentLayout()->paintDevice())
        widths->m_scale = qreal(device->logicalDpiY()) / qt_defaultDpi();
    return widths;
}

std::optional<ReportColumnWidths> ReportColumnWidths::lefts(QTextDocument& doc, int index) {
    QTextTable* found = table(doc, index);
    if (!found || found->columns() == 0)
        return std::nullopt;
    ReportColumnWidths widths;
    for (int column = 0; column < found->columns(); ++column) {
        const std::optional<qreal> left = columnLeft(doc, found, column);
        if (!left)
            return std::nullopt;
        widths.m_lefts.append(*left);
    }
    return widths;
}

void ReportColumnWidths::apply(QTextDocument& doc, int index) const {
    QTextTable* found = table(doc, index);
    if (!found || found->columns() + 1 != m_lefts.size())
        return;
    QTextTableFormat format = found->format();
    QList<QTextLength> constraints;
    qreal total = 0;
    for (qsizetype column = 0; column + 1 < m_lefts.size(); ++column) {
        const qreal width = m_lefts.at(column + 1) - m_lefts.at(column);
        // A fixed length is kept in 64ths and scaled down to them again: a little over, so no
        // column comes out narrower than the text it was measured with.
        constraints.append(QTextLength(QTextLength::FixedLength, width / m_scale + 2.0 / 64));
        total += width / m_scale + 2.0 / 64;
    }
    format.setColumnWidthConstraints(constraints);
    // The table a little wider than its columns: were they found wider than the table, every
    // cell's text would be broken anywhere rather than between words.
    format.setWidth(QTextLength(QTextLength::FixedLength, total + 1));
    found->setFormat(format);
}

bool ReportColumnWidths::matches(const ReportColumnWidths& other) const {
    const qsizetype columns = std::min(m_lefts.size(), other.m_lefts.size());
    if (std::abs(m_lefts.size() - other.m_lefts.size()) > 1 || columns == 0)
        return false;
    for (qsizetype i = 0; i < columns; ++i)
        if (std::abs(m_lefts.at(i) - other.m_lefts.at(i)) > 0.5)
            return false;
    return true;
}

} // namespace tovin
