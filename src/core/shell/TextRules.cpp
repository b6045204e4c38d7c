#include "core/shell/TextRules.h"

#include "core/shell/RunTimeError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

namespace {

// A finite double as decimal digits: value = 0.<digits> * 10^pointPos, at most 15
// significant digits (what a double holds reliably).
struct DecimalText {
    bool negative = false;
    QString digits; // no leading zeros unless the value is zero
    int pointPos = 0;
};

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

enum class Rounding { HalfEven, HalfAwayFromZero };

// Rounds to `decimals` places; returns the integer and fraction digit texts (the fraction
// always has exactly `decimals` digits, the integer part has no leading zeros and is "" for 0).
void roundDecimal(const DecimalText& d, int decimals, Rounding rounding, QString& intPart,
                  QString& fracPart, bool& isZero) {
    QString digits = d.digits;
    int pointPos = d.pointPos;
    const int keep = pointPos + decimals;
    QString kept;
    if (keep <= 0) {
        // Everything is below the last place kept; only a half or more can round up to it.
        bool up = false;
        if (keep == 0) {
            const int first = digits.at(0).digitValue();
            bool restNonZero = false;
            for (qsizetype i = 1; i < digits.size(); ++i)
                restNonZero |= digits.at(i) != u'0';
            if (rounding == Rounding::HalfAwayFromZero)
                up = first >= 5;
            else
                up = first > 5 || (first == 5 && restNonZero);
        }
        kept = up ? u"1"_s : u"0"_s;
        pointPos = up ? 1 - decimals : 1 - decimals; // one digit at the last kept place
    } else {
        kept = digits.left(keep);
        while (kept.size() < keep)
            kept.append(u'0');
        bool up = false;
        if (keep < digits.size()) {
            const int first = digits.at(keep).digitValue();
            bool restNonZero = false;
            for (qsizetype i = keep + 1; i < digits.size(); ++i)
                restNonZero |= digits.at(i) != u'0';
            const bool lastOdd = (kept.back().digitValue() % 2) == 1;
            if (rounding == Rounding::HalfAwayFromZero)
                up = first >= 5;
            else
                up = first > 5 || (first == 5 && (restNonZero || lastOdd));
        }
        if (up) {
            qsizetype i = kept.size() - 1;
            while (i >= 0) {
                const int v = kept.at(i).digitValue();
                if (v < 9) {
                    kept[i] = QChar(u'0' + v + 1);
                    break;
                }
                kept[i] = u'0';
                --i;
            }
            if (i < 0) {
                kept.prepend(u'1');
                ++pointPos;
            }
        }
    }
    // kept holds the digits from the first significant place down to the last kept decimal.
    const int intDigits = pointPos;
    if (intDigits >= 0) {
        intPart = kept.left(intDigits);
        fracPart = kept.mid(intDigits);
    } else {
        intPart.clear();
        fracPart = QString(-intDigits, u'0') + kept;
    }
    while (fracPart.size() < decimals)
        fracPart.append(u'0');
    fracPart = fracPart.left(decimals);
    while (!intPart.isEmpty() && intPart.front() == u'0')
        intPart.remove(0, 1);
    isZero = intPart.isEmpty() && !fracPart.contains(QRegularExpression(u"[1-9]"_s));
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

// Reads a number written only with ASCII digits, sign, point and exponent. Much cheaper than
// QString::toDouble, which matters when an import compares a hundred thousand prices.
bool asciiToDouble(const QString& number, double& out) {
    char buffer[64];
    const qsizetype n = number.size();
    if (n == 0 || n >= qsizetype(sizeof buffer))
        return false;
    for (qsizetype i = 0; i < n; ++i)
        buffer[i] = char(number.at(i).unicode());
    const char* first = buffer;
    if (*first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, buffer + n, out);
    return error == std::errc() && end == buffer + n && std::isfinite(out);
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

double Val(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c))
            compact.append(c);
    if (compact.startsWith(u"&H"_s, Qt::CaseInsensitive) ||
        compact.startsWith(u"&O"_s, Qt::CaseInsensitive)) {
        const int base = compact.at(1).toUpper() == u'H' ? 16 : 8;
        qsizetype end = 2;
        auto isDigitOfBase = [base](QChar c) {
            bool ok = false;
            QString(c).toInt(&ok, base);
            return ok;
        };
        while (end < compact.size() && isDigitOfBase(compact.at(end)))
            ++end;
        bool ok = false;
        const qlonglong v = compact.mid(2, end - 2).toLongLong(&ok, base);
        return ok ? double(v) : 0.0;
    }
    qsizetype i = 0;
    const qsizetype n = compact.size();
    QString number;
    if (i < n && (compact.at(i) == u'+' || compact.at(i) == u'-'))
        number.append(compact.at(i++));
    bool digits = false;
    while (i < n && compact.at(i).isDigit() && compact.at(i).unicode() < 128) {
        number.append(compact.at(i++));
        digits = true;
    }
    if (i < n && compact.at(i) == u'.') {
        number.append(compact.at(i++));
        while (i < n && compact.at(i).isDigit() && compact.at(i).unicode() < 128) {
            number.append(compact.at(i++));
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (compact.at(i) == u'e' || compact.at(i) == u'E' || compact.at(i) == u'd' ||
                  compact.at(i) == u'D')) {
        qsizetype j = i + 1;
        QString exponent = u"e"_s;
        if (j < n && (compact.at(j) == u'+' || compact.at(j) == u'-'))
            exponent.append(compact.at(j++));
        bool expDigits = false;
        while (j < n && compact.at(j).isDigit() && compact.at(j).unicode() < 128) {
            exponent.append(compact.at(j++));
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    double v = 0.0;
    return asciiToDouble(number, v) ? v : 0.0;
}

namespace {
// Parses a numeric text; returns false for anything that is not a number.
bool parseNumeric(const QString& text, double& out) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    bool currency = false;
    auto takeSign = [&] {
        if (i < n && (t.at(i) == u'+' || t.at(i) == u'-')) {
            negative = t.at(i) == u'-';
            ++i;
            return true;
        }
        return false;
    };
    auto takeCurrency = [&] {
        if (i < n && t.at(i) == u'$') {
            currency = true;
            ++i;
            return true;
        }
        return false;
    };
    if (!takeSign()) {
        if (takeCurrency())
            takeSign();
    } else {
        takeCurrency();
    }
    while (i < n && t.at(i) == u' ')
        ++i;
    QString number;
    bool digits = false;
    const qsizetype wholeStart = i;
    while (i < n && ((t.at(i) >= u'0' && t.at(i) <= u'9') || (t.at(i) == u',' && digits))) {
        if (t.at(i) != u',') {
            number.append(t.at(i));
            digits = true;
        }
        ++i;
    }
    if (!groupsThousands(QStringView(t).sliced(wholeStart, i - wholeStart), u','))
        return false;
    if (i < n && t.at(i) == u'.') {
        number.append(u'.');
        ++i;
        while (i < n && t.at(i) >= u'0' && t.at(i) <= u'9') {
            number.append(t.at(i++));
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (i < n && (t.at(i) == u'e' || t.at(i) == u'E')) {
        QString exponent = u"e"_s;
        ++i;
        if (i < n && (t.at(i) == u'+' || t.at(i) == u'-'))
            exponent.append(t.at(i++));
        bool expDigits = false;
        while (i < n && t.at(i) >= u'0' && t.at(i) <= u'9') {
            exponent.append(t.at(i++));
            expDigits = true;
        }
        if (!expDigits)
            return false;
        number.append(exponent);
    }
    if (i != n)
        return false;
    double v = 0.0;
    if (!asciiToDouble(number, v))
        return false;
    Q_UNUSED(currency);
    out = negative ? -v : v;
    return true;
}
} // namespace

bool groupsThousands(QStringView digits, QChar separator) {
    const qsizetype first = digits.indexOf(separator);
    if (first < 0)
        return true;
    if (first < 1 || first > 3)
        return false;
    // After the first group: separator, three digits, separator, three digits, ...
    const qsizetype rest = digits.size() - first;
    if (rest % 4 != 0)
        return false;
    for (qsizetype k = first; k < digits.size(); ++k) {
        const bool separatorPlace = (k - first) % 4 == 0;
        if ((digits.at(k) == separator) != separatorPlace)
            return false;
    }
    return true;
}

bool IsNumeric(const QString& text) {
    double ignored = 0;
    return parseNumeric(text, ignored);
}

double CDbl(const QString& text) {
    double v = 0;
    if (!parseNumeric(text, v))
        throw RunTimeError(ErrorNumber::TypeMismatch, u"Type mismatch"_s);
    return v;
}

double roundHalfEven(double value) {
    return roundHalfEven(value, 0);
}

double roundHalfEven(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    const DecimalText d = toDecimal(value);
    QString intPart, fracPart;
    bool isZero = false;
    roundDecimal(d, decimals, Rounding::HalfEven, intPart, fracPart, isZero);
    if (isZero)
        return 0.0;
    const QString text = (d.negative ? u"-"_s : QString()) +
                         (intPart.isEmpty() ? u"0"_s : intPart) +
                         (fracPart.isEmpty() ? QString() : u"."_s + fracPart);
    double v = 0.0;
    asciiToDouble(text, v);
    return v;
}

std::int16_t CInt(double value) {
    if (!std::isfinite(value))
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    const double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0)
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    return static_cast<std::int16_t>(r);
}

std::int16_t CInt(const QString& text) {
    return CInt(CDbl(text));
}

std::int32_t CLng(double value) {
    if (!std::isfinite(value))
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    const double r = roundHalfEven(value);
    if (r < -2147483648.0 || r > 2147483647.0)
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    return static_cast<std::int32_t>(r);
}

std::int32_t CLng(const QString& text) {
    return CLng(CDbl(text));
}

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
        value *= 100.0;

    const qsizetype point = section.indexOf(u'.');
    const QString intSection = point < 0 ? section : section.left(point);
    const QString fracSection = point < 0 ? QString() : section.mid(point + 1);
    const bool grouping = intSection.contains(u',');
    const int minIntDigits = int(intSection.count(u'0'));
    const int maxDecimals = int(fracSection.count(u'#') + fracSection.count(u'0'));
    const int minDecimals = int(fracSection.lastIndexOf(u'0') + 1);

    const DecimalText d = toDecimal(value);
    QString intPart, fracPart;
    bool isZero = false;
    roundDecimal(d, maxDecimals, Rounding::HalfAwayFromZero, intPart, fracPart, isZero);
    while (fracPart.size() > minDecimals && fracPart.back() == u'0')
        fracPart.chop(1);
    while (intPart.size() < minIntDigits)
        intPart.prepend(u'0');
    if (intPart.isEmpty() && fracPart.isEmpty())
        intPart = u"0"_s; // a zero with nothing to show still shows one digit
    if (grouping)
        intPart = groupThousands(intPart);
    QString body = intPart;
    if (!fracPart.isEmpty())
        body += u'.' + fracPart;
    const bool negative = d.negative && !isZero;
    return (negative ? u"-"_s : QString()) + prefix + body + suffix;
}

QString formatDate(const QDate& date, const QString& pattern) {
    if (!date.isValid())
        return QString();
    QString out;
    const QString p = pattern.toUpper();
    qsizetype i = 0;
    while (i < p.size()) {
        const QChar c = p.at(i);
        qsizetype run = 1;
        while (i + run < p.size() && p.at(i + run) == c)
            ++run;
        if (c == u'M') {
            out +=
                run >= 2 ? QString::asprintf("%02d", date.month()) : QString::number(date.month());
        } else if (c == u'D') {
            out += run >= 2 ? QString::asprintf("%02d", date.day()) : QString::number(date.day());
        } else if (c == u'Y') {
            out += run >= 3 ? QString::asprintf("%04d", date.year())
                            : QString::asprintf("%02d", date.year() % 100);
        } else {
            out += QString(run, c);
        }
        i += run;
    }
    return out;
}

QDate parseDate(const QString& text) {
    const QString t = text.trimmed();
    static const QRegularExpression mdy(u"^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})$"_s);
    static const QRegularExpression ymd(u"^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ].*)?$"_s);
    if (const auto m = ymd.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (const auto m = mdy.match(t); m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900; // the platform's two-digit year window
        return QDate(year, m.captured(1).toInt(), m.captured(2).toInt());
    }
    return QDate();
}

QString toText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"True"_s : u"False"_s;
    case QMetaType::Double:
    case QMetaType::Float:
        return plainDecimal(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QDate:
        return formatDate(value.toDate(), u"MM/DD/YYYY"_s);
    case QMetaType::QDateTime:
        return formatDate(value.toDateTime().date(), u"MM/DD/YYYY"_s);
    default:
        return value.toString();
    }
}

} // namespace tovin::TextRules
