#include "core/import/ImportValueRules.h"

#include "core/import/FieldMap.h"
#include "core/import/ImportItem.h"
#include "core/import/MappingCodes.h"
#include "core/shell/TextRules.h"

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

std::optional<QString> numericValue(const QString& value, bool decimalComma) {
    if (!decimalComma && TextRules::IsNumeric(value) && !value.contains(u'$'))
        return value;
    // A currency sign before the number, optionally after a minus sign and the letters of its
    // country ("US$", "CA$"), and the blanks after it.
    static const QRegularExpression currency(u"^\\s*(-?)\\s*(?:[A-Za-z]{0,3}\\p{Sc})\\s*"_s);
    QString text = value;
    if (const QRegularExpressionMatch match = currency.match(text); match.hasMatch())
        text = match.captured(1) + text.mid(match.capturedLength());
    if (decimalComma) {
        text.remove(u'.');
        text.replace(u',', u'.');
    }
    static const QRegularExpression leadingNumber(u"^\\s*[-+]?\\s*\\.?\\d"_s);
    if (!leadingNumber.match(text).hasMatch())
        return std::nullopt;
    if (TextRules::IsNumeric(text) && !text.contains(u'$'))
        return text.trimmed();
    return TextRules::plainDecimal(TextRules::Val(text));
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
