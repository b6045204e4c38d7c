#include "core/text/DecimalDigits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

DecimalText toDecimal(double value) {
    DecimalText d;
    if (value == 0.0 || !std::isfinite(value)) {
        d.digits = u"0"_s;
        d.pointPos = 1;
        return d;
    }
    d.negative = value < 0;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // buffer: d.dddddddddddddde[+-]xx
    const QString text = QString::fromLatin1(buffer);
    const qsizetype ePos = text.indexOf(u'e');
    QString mantissa = text.left(ePos);
    mantissa.remove(u'.');
    d.digits = mantissa;
    d.pointPos = text.mid(ePos + 1).toInt() + 1;
    return d;
}

namespace {

// Whether the digits dropped from `from` on round the last kept digit up.
bool roundsUp(const QString& digits, qsizetype from, bool lastKeptOdd, Rounding rounding) {
    if (from >= digits.size())
        return false;
    const int first = digits.at(from).digitValue();
    if (rounding == Rounding::HalfAwayFromZero)
        return first >= 5;
    bool restNonZero = false;
    for (qsizetype i = from + 1; i < digits.size(); ++i)
        restNonZero |= digits.at(i) != u'0';
    return first > 5 || (first == 5 && (restNonZero || lastKeptOdd));
}

// Adds one at the last digit; returns false when the carry ran off the front.
bool increment(QString& digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const int v = digits.at(i).digitValue();
        if (v < 9) {
            digits[i] = QChar(u'0' + v + 1);
            return true;
        }
        digits[i] = u'0';
    }
    return false;
}

} // namespace

RoundedDecimal roundDecimal(const DecimalText& d, int decimals, Rounding rounding) {
    int pointPos = d.pointPos;
    const int keep = pointPos + decimals;
    QString kept;
    if (keep <= 0) {
        // Everything is below the last place kept; only a half or more can round up to it, and
        // the digit left at that place is never odd.
        const bool up = keep == 0 && roundsUp(d.digits, 0, false, rounding);
        kept = up ? u"1"_s : u"0"_s;
        pointPos = 1 - decimals; // one digit at the last kept place
    } else {
        kept = d.digits.left(keep);
        while (kept.size() < keep)
            kept.append(u'0');
        const bool lastOdd = (kept.back().digitValue() % 2) == 1;
        if (roundsUp(d.digits, keep, lastOdd, rounding) && !increment(kept)) {
            kept.prepend(u'1');
            ++pointPos;
        }
    }
    // kept holds the digits from the first significant place down to the last kept decimal.
    RoundedDecimal r;
    if (pointPos >= 0) {
        r.intPart = kept.left(pointPos);
        r.fracPart = kept.mid(pointPos);
    } else {
        r.fracPart = QString(-pointPos, u'0') + kept;
    }
    while (r.fracPart.size() < decimals)
        r.fracPart.append(u'0');
    r.fracPart = r.fracPart.left(decimals);
    while (!r.intPart.isEmpty() && r.intPart.front() == u'0')
        r.intPart.remove(0, 1);
    r.isZero = r.intPart.isEmpty() && std::all_of(r.fracPart.cbegin(), r.fracPart.cend(),
                                                  [](QChar c) { return c == u'0'; });
    return r;
}

QString groupThousands(const QString& digits) {
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out.append(digits.at(i));
        const qsizetype left = n - i - 1;
        if (left > 0 && left % 3 == 0)
            out.append(u',');
    }
    return out;
}

QString formatDecimal(DecimalText d, const QString& pattern) {
    // Split the pattern into literal prefix, number section and literal suffix.
    auto isPlace = [](QChar c) { return c == u'#' || c == u'0' || c == u',' || c == u'.'; };
    qsizetype start = 0;
    while (start < pattern.size() && !isPlace(pattern.at(start)))
        ++start;
    qsizetype end = start;
    while (end < pattern.size() && isPlace(pattern.at(end)))
        ++end;
    QString prefix = pattern.left(start);
    const QString section = pattern.mid(start, end - start);
    const QString suffix = pattern.mid(end);
    prefix.remove(u'"');
    if (suffix.contains(u'%'))
        d.pointPos += 2;

    const qsizetype point = section.indexOf(u'.');
    const QString intSection = point < 0 ? section : section.left(point);
    const QString fracSection = point < 0 ? QString() : section.mid(point + 1);
    const bool grouping = intSection.contains(u',');
    const int minIntDigits = int(intSection.count(u'0'));
    const int maxDecimals = int(fracSection.count(u'#') + fracSection.count(u'0'));
    const int minDecimals = int(fracSection.lastIndexOf(u'0') + 1);

    RoundedDecimal r = roundDecimal(d, maxDecimals, Rounding::HalfAwayFromZero);
    while (r.fracPart.size() > minDecimals && r.fracPart.back() == u'0')
        r.fracPart.chop(1);
    while (r.intPart.size() < minIntDigits)
        r.intPart.prepend(u'0');
    if (r.intPart.isEmpty() && r.fracPart.isEmpty())
        r.intPart = u"0"_s; // a zero with nothing to show still shows one digit
    if (grouping)
        r.intPart = groupThousands(r.intPart);
    QString body = r.intPart;
    if (!r.fracPart.isEmpty())
        body += u'.' + r.fracPart;
    const bool negative = d.negative && !r.isZero;
    return (negative ? u"-"_s : QString()) + prefix + body + suffix;
}

} // namespace tovin::TextRules
