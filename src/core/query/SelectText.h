#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tovin {

struct SortKey {
    QString column;
    bool descending = false;
    bool operator==(const SortKey&) const = default;
};

// The SELECT texts the screens open record sets with: one table, an optional where condition in
// the condition language and an optional order:
//   select PID,Catagory,... from Products order by StockNo
//   select * from products where [StockNo]  like '*lamp*'
//   select [Order ID],Cost from Orders Order by [Order ID],ProductOrderID
// A bare table name ("Products") stands for "select * from" that table.
struct SelectText {
    QStringList columns; // empty for "*"
    QString table;
    QString where;
    QList<SortKey> orderBy;

    // Throws RunTimeError(WrongArguments) for a text of any other form.
    static SelectText parse(const QString& source);
};

// A sort text: column names separated by commas, each optionally followed by Asc or Desc
// ("Catagory,Retail Desc"). Throws RunTimeError(WrongArguments) for a malformed text.
QList<SortKey> parseSortText(const QString& text);

} // namespace tovin
