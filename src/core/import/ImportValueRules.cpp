#include "core/import/ImportValueRules.h"

#include "core/import/FieldMap.h"
#include "core/import/ImportItem.h"
#include "core/import/MappingCodes.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ImportValueRules {

namespace {

QStringView trimBlanks(QStringView text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.sliced(start, end - start);
}

} // namespace

namespace {

bool isPriceDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The blanks a supplier's file may hold: besides the ordinary ones, the no-break, narrow
// no-break and thin spaces that spreadsheets put between groups of thousands.
bool isPriceBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0x00A0) ||
           c == QChar(0x202F) || c == QChar(0x2009);
}

// The value with its blanks left out, as the platform's number reader leaves them out, except
// a run of blanks between two digits: it may group thousands ("1 234,50") or stand between two
// numbers ("12 50"), and only the groups rule can tell which. It is kept, as ordinary blanks.
QString closeUpBlanks(const QString& value) {
    QString out;
    out.reserve(value.size());
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n;) {
        if (!isPriceBlank(value.at(i))) {
            out.append(value.at(i++));
            continue;
        }
        qsizetype end = i;
        while (end < n && isPriceBlank(value.at(end)))
            ++end;
        if (!out.isEmpty() && isPriceDigit(out.back()) && end < n && isPriceDigit(value.at(end)))
            out.append(QString(end - i, u' '));
        i = end;
    }
    return out;
}

// The number at the front of a money value, taken apart: its sign ("-" however the amount was
// written negative), the digits with their marks ("1,234.50", "1 234,50", "1'234.50"), and what
// follows.
struct LeadingNumber {
    QString sign;
    QString digits;
    QString rest;
};

// Accounts write a credit in parentheses, "(12.50)", or with the minus after it, "12,50-".
// Either way the amount is negative; a value that marks its sign twice, or whose minus joins
// two numbers ("12-15"), has no number.
bool takeWrittenSign(LeadingNumber& number, bool parenthesised) {
    if (parenthesised) {
        if (!number.sign.isEmpty() || !number.rest.startsWith(u')'))
            return false;
        number.sign = u"-"_s;
        number.rest.remove(0, 1);
    }
    if (number.rest.startsWith(u'-')) {
        if (!number.sign.isEmpty() || (number.rest.size() > 1 && isPriceDigit(number.rest.at(1))))
            return false;
        number.sign = u"-"_s;
        number.rest.remove(0, 1);
    }
    return true;
}

std::optional<LeadingNumber> leadingNumber(const QString& value) {
    QString text = closeUpBlanks(value);
    bool parenthesised = false;
    auto takeParenthesis = [&] {
        if (!parenthesised && text.startsWith(u'(')) {
            parenthesised = true;
            text.remove(0, 1);
        }
    };
    takeParenthesis();
    // A currency sign before the number, optionally after a minus sign and the letters of its
    // country ("US$", "CA$").
    static const QRegularExpression currency(u"^(-?)(?:[A-Za-z]{0,3}\\p{Sc})"_s);
    if (const QRegularExpressionMatch match = currency.match(text); match.hasMatch()) {
        text = match.captured(1) + text.mid(match.capturedLength());
        takeParenthesis();
    }
    // Digits with the marks that may stand between them; an apostrophe only as a thousands
    // mark, so that one after the number ("5'") is not taken for one.
    static const QRegularExpression parts(
        u"^([-+]?)([.,]?\\d(?:[\\d., ]|['\\x{2019}](?=\\d))*)(.*)$"_s,
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = parts.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    LeadingNumber number{match.captured(1), match.captured(2), match.captured(3)};
    if (!takeWrittenSign(number, parenthesised))
        return std::nullopt;
    return number;
}

// The digits in plain decimal ("1234.50"), or none when the marks are not those of a written
// number: one decimal point at most, nothing but digits after it, and thousands marks only
// between groups of three. The thousands mark is the one that goes with the decimal point
// ("," or "."), a blank or an apostrophe, but one of them throughout.
std::optional<QString> plainDigits(const QString& digits, bool decimalComma) {
    const QChar group = decimalComma ? u'.' : u',';
    const QChar point = decimalComma ? u',' : u'.';
    const qsizetype pointAt = digits.indexOf(point);
    const QString whole = pointAt < 0 ? digits : digits.left(pointAt);
    const QString fraction = pointAt < 0 ? QString() : digits.mid(pointAt + 1);
    if (!std::all_of(fraction.cbegin(), fraction.cend(), isPriceDigit))
        return std::nullopt;
    const auto firstMark = std::find_if_not(whole.cbegin(), whole.cend(), isPriceDigit);
    const QChar mark = firstMark == whole.cend() ? group : *firstMark;
    const bool oneMark = std::all_of(whole.cbegin(), whole.cend(),
                                     [mark](QChar c) { return isPriceDigit(c) || c == mark; });
    if (!oneMark || !TextRules::groupsThousands(whole, mark))
        return std::nullopt;
    QString plain = whole;
    plain.remove(mark);
    if (pointAt >= 0)
        plain += u'.' + fraction;
    return plain;
}

bool holdsNoBreakBlank(const QString& value) {
    return std::any_of(value.cbegin(), value.cend(),
                       [](QChar c) { return isPriceBlank(c) && c != u' ' && c.unicode() > 0x7f; });
}

} // namespace

std::optional<QString> numericValue(const QString& value, bool decimalComma) {
    // QString::trimmed, which IsNumeric uses, also drops no-break spaces; they must not be
    // kept in a value taken as written.
    if (!decimalComma && TextRules::IsNumeric(value) && !value.contains(u'$') &&
        !holdsNoBreakBlank(value))
        return value;
    const std::optional<LeadingNumber> number = leadingNumber(value);
    if (!number)
        return std::nullopt;
    const std::optional<QString> digits = plainDigits(number->digits, decimalComma);
    if (!digits)
        return std::nullopt;
    const QString plain = number->sign + *digits;
    if (number->rest.isEmpty() && TextRules::IsNumeric(plain))
        return plain;
    return TextRules::plainDecimal(TextRules::Val(plain + number->rest));
}

std::optional<QString> decimalCommaSign(const QStringList& moneyValues) {
    static const QRegularExpression commaDecimals(u",\\d{1,2}$"_s);
    int prices = 0;
    int commaOnly = 0;
    QString first;
    for (const QString& value : moneyValues) {
        const std::optional<LeadingNumber> number = leadingNumber(value);
        if (!number)
            continue; // "N/A", "call": not a price either way
        const bool plain = numericValue(value, false).has_value();
        const bool comma =
            numericValue(value, true).has_value() || commaDecimals.match(number->digits).hasMatch();
        if (!plain && !comma)
            continue;
        ++prices;
        if (!plain) {
            ++commaOnly;
            if (first.isEmpty())
                first = value;
        }
    }
    if (commaOnly * 2 <= prices)
        return std::nullopt;
    return first;
}

QString yesNoValue(const QString& value, Target target) {
    const QStringView tested = target == Target::NewRow ? trimBlanks(value) : QStringView(value);
    const bool yes = tested == u"True"_s || tested.startsWith(u'Y');
    return yes ? u"True"_s : u"False"_s;
}

std::optional<QString> convert(int code, const QString& value, Target target, bool decimalComma) {
    if (MappingCodes::isNumeric(code)) {
        // The money columns an import fills are costs and prices, none of which is ever below
        // nothing: a credit in a price list is passed over, never stored as a price.
        std::optional<QString> amount = numericValue(value, decimalComma);
        if (amount && TextRules::IsNumeric(*amount) && TextRules::CDbl(*amount) < 0)
            return std::nullopt;
        return amount;
    }
    if (MappingCodes::isYesNo(code))
        return yesNoValue(value, target);
    return value;
}

bool differs(const QVariant& stored, const QString& newValue) {
    if (stored.isNull())
        return true;
    const QString old = TextRules::toText(stored);
    if (old.isEmpty())
        return true;
    if (old == newValue)
        return false;
    if (TextRules::IsNumeric(old) && TextRules::IsNumeric(newValue))
        return TextRules::CDbl(old) != TextRules::CDbl(newValue);
    return old != newValue;
}

QString changeLine(const QString& column, const QString& oldValue, const QString& newValue) {
    return u"   Changed: "_s + column + u" From '"_s + oldValue + u"' To '"_s + newValue +
           u"'\r\n"_s;
}

bool skipsStockNumber(const QString& stockNumber) {
    return stockNumber.isEmpty() || stockNumber == u"0"_s || stockNumber == u"99999999"_s;
}

void clearDashFields(ImportItem& item) {
    for (int position : {7, 8})
        if (trimBlanks(item.field(position)) == u"-"_s)
            item.setField(position, QString());
}

bool isDiscontinued(const QString& value) {
    return value == u"True"_s || trimBlanks(value).toString().toUpper().startsWith(u'Y');
}

bool isDiscontinued(const ImportItem& item, const FieldMap& map) {
    for (int position : map.positionsOf(MappingCodes::Discontinued))
        if (isDiscontinued(item.field(position)))
            return true;
    return false;
}

int slotsToAdd(const QString& answer) {
    if (!TextRules::IsNumeric(answer))
        return 0;
    const double count = TextRules::CDbl(answer);
    if (!(count >= 1))
        return 0;
    return int(TextRules::roundHalfEven(qMin(count, double(ImportItem::Positions))));
}

QString bareFileName(const QString& path) {
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

} // namespace tovin::ImportValueRules
