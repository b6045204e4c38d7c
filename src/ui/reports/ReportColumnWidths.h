#pragma once

#include <QList>
#include <QTextLength>
#include <optional>

class QFont;
class QPaintDevice;
class QTextDocument;
class QTextTable;

namespace tovin {

class ReportHtmlParts;

// The column widths of a long table, worked out once for the whole table so that its pages,
// laid out a run of rows at a time, all show the columns the whole table laid out at once
// would show. The widths of such a table follow only from each column's widest cell and widest
// word (and, in the order they come, from the cells that span columns), so a table of the rows
// that hold those cells, laid out by the same rules, gets the same widths.
class ReportColumnWidths {
public:
    // The rows of `parts` that can decide the widths, in their order: every row with a cell
    // that spans columns or holds markup, and between two such rows the few whose cells are
    // widest, whole and in their widest word, column by column.
    static QList<qsizetype> decidingRows(const ReportHtmlParts& parts, const QFont& font,
                                         QPaintDevice* device);

    // The table `index` (counting the document's tables) of a laid-out document `width` wide
    // as its columns came out. None when the table is not one whose columns can be kept this
    // way: not the full width, or with borders, spacing, margins or a padding on the left.
    static std::optional<ReportColumnWidths> read(QTextDocument& doc, int index, qreal width);

    // Gives table `index` of a document, before it is laid out, these columns.
    void apply(QTextDocument& doc, int index) const;

    // Where the columns of table `index` of a laid-out document start, whatever its format.
    static std::optional<ReportColumnWidths> lefts(QTextDocument& doc, int index);
    // Whether the columns of `other` start where these do, to half a device pixel.
    bool matches(const ReportColumnWidths& other) const;

    static QTextTable* table(QTextDocument& doc, int index);

private:
    QList<qreal> m_lefts; // where each column starts, then the table's width; device pixels
    qreal m_scale = 1;    // device pixels per length of a table format
};

} // namespace tovin
