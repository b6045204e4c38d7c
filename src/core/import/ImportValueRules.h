#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace tovin {
class FieldMap;
class ImportItem;
} // namespace tovin

// How the import turns the texts of an item into column values, decides whether a stored value
// changes, and which items it passes over. "Trimmed" here means blanks (spaces) removed at both
// ends, nothing else.
namespace tovin::ImportValueRules {

// Whether a value is put into an existing row or into a new one: yes/no values are trimmed
// before they are tested only for new rows.
enum class Target { ExistingRow, NewRow };

// The value for a money column (codes 7 to 13): a plain number is kept as written; anything else
// becomes its leading number in plain decimal ("12.50abc" -> "12.5"). A leading currency sign,
// with the letters of its country before it and the blanks after it, belongs to the number
// ("$12.50", "€ 2.50", "US$ 3"). A value that does not start with a number ("N/A", "call") has
// none: the result is empty and the value is passed over, never stored as 0.
//
// With `decimalComma` the number is written the continental way: "." groups thousands and ","
// is the decimal point ("1.234,50" -> "1234.50", "30,36" -> "30.36").
//
// Thousands may also be grouped with a blank (ordinary, no-break or narrow no-break: "1 234,50")
// or an apostrophe ("1'234.50", also U+2019), one kind of mark throughout. A thousands mark
// counts only between groups of three digits after a first group of one to three; a value whose
// marks do not fit ("44,38" without the decimal comma, "12.50" or "2,849,83" with it, "12 50")
// has no number either: guessing would store it at a hundred times, or a thousandth of, its
// price. Other blanks are left out.
//
// A leading minus, a minus right after the number ("12,50-") or parentheses ("(12.50)") make
// the number negative ("-12.50"); a sign marked twice, or a minus between two numbers ("12-15"),
// leaves no number.
std::optional<QString> numericValue(const QString& value, bool decimalComma = false);
// Whether the money values of a file's first items ask for the decimal comma: when most of the
// values that hold a price hold one only under the decimal comma ("44,38", "1.234,50", and
// "2,849,83", whose last comma sets off cents), the first such value, for the user to see;
// none otherwise. Values without a number ("N/A") do not count.
std::optional<QString> decimalCommaSign(const QStringList& moneyValues);
// The value for a yes/no column (codes 19, 21, 22, 30): "True" for the word True (exactly so) or a
// text whose first character is an upper-case Y, "False" for anything else.
QString yesNoValue(const QString& value, Target target);
// The value stored for a field mapped to `code`: numericValue, yesNoValue, or the text unchanged;
// empty for a money value without a number, and for a negative one: the money columns of the
// import are costs and prices, which are never negative.
std::optional<QString> convert(int code, const QString& value, Target target,
                               bool decimalComma = false);

// Whether a new value changes the stored one: a null or empty stored value always differs; when
// both are numbers they differ only in value (5 and 5.00 are the same); otherwise the texts are
// compared exactly. `stored` is read as text the way the platform converts field values.
bool differs(const QVariant& stored, const QString& newValue);
// "   Changed: <column> From '<old>' To '<new>'" followed by CR LF: one line of an edited item's
// change text.
QString changeLine(const QString& column, const QString& oldValue, const QString& newValue);

// True for a stock number that marks a line to pass over: empty, "0" or "99999999".
bool skipsStockNumber(const QString& stockNumber);
// Fields 7 and 8 (the stock file's two stock-information fields) that hold only "-" become
// empty.
void clearDashFields(ImportItem& item);
// The discontinued test of a value: exactly "True", or trimmed and upper-cased it starts with Y.
bool isDiscontinued(const QString& value);
// True when some field of `item` that `map` sends to code 21 holds a discontinued value.
bool isDiscontinued(const ImportItem& item, const FieldMap& map);

// The number of slots to add after the first item's fields for the answer the user typed: a
// numeric answer of 1 or more (rounded to a whole number, at most 101), else 0.
int slotsToAdd(const QString& answer);

// The bare name of a file: the text after the last "/" or "\".
QString bareFileName(const QString& path);

} // namespace tovin::ImportValueRules
