#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace tovin {

// A report's filled page taken apart around its longest table, so that the table's rows can be
// laid out a run at a time: the text before the table, the table's opening tag with its heading
// rows, each body row (from its <tr> to the next), and the text from </table> on.
//
// Only a table that stands on the page itself (not inside another element) and holds nothing
// but an optional <thead> and plain <tr> rows is taken apart; anything else gives no parts, and
// the page is laid out whole.
class ReportHtmlParts {
public:
    // One cell of a body row as the measuring of column widths sees it.
    struct Cell {
        QString text;      // the cell's text, entities read, blanks made one
        bool plain = true; // text only, in the row's own font: no markup, no span
        bool heading = false;
    };

    static std::optional<ReportHtmlParts> split(const QString& html);

    qsizetype rowCount() const { return m_rows.size(); }
    // Rows of the <thead>, repeated at the top of every page.
    int headRows() const { return m_headRows; }
    // Tables on the page before the one taken apart.
    int tablesBefore() const { return m_tablesBefore; }

    // A page of rows [from, to) of the table, with its heading rows; the text before the table
    // comes with the first row, the text after it with the last.
    QString chunk(qsizetype from, qsizetype to) const;
    // The table alone, with its heading rows and the given rows in the order given.
    QString tableWith(const QList<qsizetype>& rows) const;
    // The cells of body row `row`, in order.
    QList<Cell> cells(qsizetype row) const;

private:
    QString m_html;
    qsizetype m_tableStart = 0;                    // "<table"
    qsizetype m_leadEnd = 0;                       // where the first body row starts
    qsizetype m_closeStart = 0;                    // "</table>"
    QList<std::pair<qsizetype, qsizetype>> m_rows; // start and end of each body row
    int m_headRows = 0;
    int m_tablesBefore = 0;
};

} // namespace tovin
