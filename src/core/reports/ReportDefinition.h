#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tovin {

// One report file: what it reads from the catalogue and the page it draws.
//
// A report file is plain text. Lines before the line "page:" describe the report, one
// "key: value" per line (a line that starts with a blank continues the one before it, a line
// that starts with "#" is a comment); everything after "page:" is the page, written as HTML
// with Mustache tags ({{Field}}, {{#list}}...{{/list}}):
//
//     title: Retail Price List
//     landscape: no
//     money: Retail, Price
//     data products: select StockNo, ProdName, Retail, Price from Products order by StockNo
//     page:
//     <table><thead><tr><th>Stock #</th>...</tr></thead>
//     {{#products}}<tr><td>{{StockNo}}</td>...</tr>{{/products}}</table>
//
// "data NAME: SELECT" gives the page a list NAME of the rows the SELECT returns.
// "data PARENT.NAME: SELECT" runs once for every row of list PARENT and gives that row a list
// NAME; the SELECT may use the parent row's fields as :Field parameters. "money:" and "date:"
// name the fields shown as money ("$1,234.50") and as dates ("03/12/2003").
//
// "rows NAME: LIST" gives the page a list NAME that the program itself works out (see
// ProgramList: "below-margin" is the products under the shop's minimum margin), for what
// one SELECT cannot say the way the rest of the program says it. Such a list may also give the
// page values of its own, such as a count.
struct ReportDefinition {
    struct Data {
        QString name;   // the list's name
        QString parent; // the list whose rows it belongs to, empty for the page itself
        QString select;
        QString source; // the program's list it is, instead of a SELECT
    };

    QString title;
    bool landscape = false;
    QStringList moneyFields;
    QStringList dateFields;
    QList<Data> data;
    QString page;

    // Reads a report file's text. A text that is not a report (no "page:" line, no title, a
    // data line that is not a single SELECT, a list under a parent that is not declared before
    // it) raises a RunTimeError that says which line is wrong.
    static ReportDefinition parse(const QString& text);
    // Reads a report file; a missing file raises error 53.
    static ReportDefinition read(const QString& path);
};

} // namespace tovin
