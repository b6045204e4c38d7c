#include "core/import/ImportValueRules.h"

#include "core/import/FieldMap.h"
#include "core/import/ImportItem.h"
#include "core/import/MappingCodes.h"
#include "core/text/NumberFormat.h"
#include "core/text/NumberText.h"
#include "core/text/ValueText.h"

#include <QRegularExpression>

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

// The number at the front of a money value, taken apart: its sign, the digits with their marks
// ("1,234.50"), and what follows. Blanks are left out as the platform's number reader leaves
// them out ("1 234,50" is "1234,50").
struct LeadingNumber {
    QString sign;
    QString digits;
    QString rest;
};

std::optional<LeadingNumber> leadingNumber(const QString& value) {
    // A currency sign before the number, optionally after a minus sign and the letters of its
    // country ("US$", "CA$"), and the blanks after it.
    static const QRegularExpression currency(u"^\\s*(-?)\\s*(?:[A-Za-z]{0,3}\\p{Sc})\\s*"_s);
    QString text = value;
    if (const QRegularExpressionMatch match = currency.match(text); match.hasMatch())
        text = match.captured(1) + text.mid(match.capturedLength());
    static const QRegularExpression blanks(u"[ \\t\\r\\n]"_s);
    text.remove(blanks);
    static const QRegularExpression parts(u"^([-+]?)([.,]?\\d[\\d.,]*)(.*)$"_s,
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = parts.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return LeadingNumber{match.captured(1), match.captured(2), match.captured(3)};
}

// The digits in plain decimal ("1234.50"), or none when the marks are not those of a written
// number: one decimal point at most, and thousands separators only between groups of three.
std::optional<QString> plainDigits(const QString& digits, bool decimalComma) {
    const QChar group = decimalComma ? u'.' : u',';
    const QChar point = decimalComma ? u',' : u'.';
    const qsizetype pointAt = digits.indexOf(point);
    const QString whole = pointAt < 0 ? digits : digits.left(pointAt);
    const QString fraction = pointAt < 0 ? QString() : digits.mid(pointAt + 1);
    if (fraction.contains(group) || fraction.contains(point) ||
        !TextRules::groupsThousands(whole, group))
        return std::nullopt;
    QString plain = whole;
    plain.remove(group);
    if (pointAt >= 0)
        plain += u'.' + fraction;
    return plain;
}

} // namespace

std::optional<QString> numericValue(const QString& value, bool decimalComma) {
    if (!decimalComma && TextRules::IsNumeric(value) && !value.contains(u'$'))
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
    if (MappingCodes::isNumeric(code))
        return numericValue(value, decimalComma);
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
