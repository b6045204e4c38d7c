#pragma once

#include <QDate>
#include <QString>

// Dates written into notes and boxes, and dates typed or stored as text.
namespace tovin::TextRules {

// Formats a date with a pattern of MM, DD/dd, YY/YYYY/yyyy and "/" ("MM/DD/YY" -> 01/05/26).
QString formatDate(const QDate& date, const QString& pattern);

// Reads a date typed or stored as text: MM/DD/YYYY, M/D/YY, or YYYY-MM-DD. Returns an invalid
// date for anything else, including impossible dates such as 02/30/2024.
QDate parseDate(const QString& text);

} // namespace tovin::TextRules
