#include "core/text/NumberFormat.h"

#include "core/text/DecimalDigits.h"
#include "core/text/NumberText.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

QString plainDecimal(double value) {
    if (!std::isfinite(value))
        return QString::number(value);
    // Amounts of money are exactly the double nearest some ten-thousandths: below ten million
    // their 15 significant digits are those ten-thousandths followed by zeros, so they are
    // written from the whole number without formatting the double.
    if (std::fabs(value) < 1e7) {
        const double scaled = std::nearbyint(value * 10000.0);
        if (scaled / 10000.0 == value) {
            const qint64 whole = qint64(std::fabs(scaled));
            if (whole == 0)
                return u"0"_s;
            QString text = QString::number(whole / 10000);
            if (const qint64 fraction = whole % 10000) {
                QString digits = QString::number(fraction).rightJustified(4, u'0');
                while (digits.back() == u'0')
                    digits.chop(1);
                text += u'.' + digits;
            }
            return value < 0 ? u'-' + text : text;
        }
    }
    const DecimalText d = toDecimal(value);
    if (d.digits == u"0"_s)
        return u"0"_s;
    QString digits = d.digits;
    while (digits.size() > 1 && digits.back() == u'0')
        digits.chop(1);
    QString intPart, fracPart;
    if (d.pointPos <= 0) {
        intPart = u"0"_s;
        fracPart = QString(-d.pointPos, u'0') + digits;
    } else if (d.pointPos >= digits.size()) {
        intPart = digits + QString(d.pointPos - digits.size(), u'0');
    } else {
        intPart = digits.left(d.pointPos);
        fracPart = digits.mid(d.pointPos);
    }
    return (d.negative ? u"-"_s : QString()) + intPart +
           (fracPart.isEmpty() ? QString() : u"."_s + fracPart);
}

QString formatNumber(double value, const QString& pattern) {
    return formatDecimal(toDecimal(value), pattern);
}

QString formatNumberText(const QString& text, const QString& pattern) {
    const std::optional<WrittenNumber> written = readNumber(text);
    if (!written)
        return text;
    DecimalText d;
    d.negative = written->negative;
    d.digits = written->whole + written->fraction;
    while (!d.digits.isEmpty() && d.digits.front() == u'0')
        d.digits.remove(0, 1);
    if (d.digits.isEmpty()) {
        d.digits = u"0"_s;
        d.pointPos = 1;
    } else {
        d.pointPos = int(d.digits.size() + written->exponent - written->fraction.size());
    }
    return formatDecimal(d, pattern);
}

} // namespace tovin::TextRules
