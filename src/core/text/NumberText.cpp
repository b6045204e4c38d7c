#include "core/text/NumberText.h"

#include "core/base/RunTimeError.h"
#include "core/text/DecimalDigits.h"

#include <charconv>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

namespace {

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

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Val's reading of "&H1F" and "&O17".
double radixValue(const QString& compact) {
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

// Takes apart a numeric text and also works out its double, so that a number a double cannot
// hold (1e400) is no number for anyone, whichever way it is then read.
bool parseNumeric(const QString& text, WrittenNumber& written, double& out) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto takeSign = [&] {
        if (i < n && (t.at(i) == u'+' || t.at(i) == u'-')) {
            written.negative = t.at(i) == u'-';
            ++i;
            return true;
        }
        return false;
    };
    auto takeCurrency = [&] {
        if (i < n && t.at(i) == u'$') {
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
    const qsizetype wholeStart = i;
    while (i < n && (isAsciiDigit(t.at(i)) || (t.at(i) == u',' && !written.whole.isEmpty()))) {
        if (t.at(i) != u',')
            written.whole.append(t.at(i));
        ++i;
    }
    if (!groupsThousands(QStringView(t).sliced(wholeStart, i - wholeStart), u','))
        return false;
    const bool point = i < n && t.at(i) == u'.';
    if (point) {
        ++i;
        while (i < n && isAsciiDigit(t.at(i)))
            written.fraction.append(t.at(i++));
    }
    if (written.whole.isEmpty() && written.fraction.isEmpty())
        return false;
    QString number = written.whole + (point ? u"."_s + written.fraction : QString());
    if (i < n && (t.at(i) == u'e' || t.at(i) == u'E')) {
        ++i;
        const qsizetype expStart = i;
        if (i < n && (t.at(i) == u'+' || t.at(i) == u'-'))
            ++i;
        const qsizetype digitsStart = i;
        while (i < n && isAsciiDigit(t.at(i)))
            ++i;
        if (i == digitsStart)
            return false;
        const QString exponent = t.mid(expStart, i - expStart);
        number += u'e' + exponent;
        // Leading zeros say nothing ("1e0000001" is ten). Past six digits every amount
        // overflows or vanishes, and a bound that far out keeps sums on the exponent in range.
        QStringView magnitude = QStringView(t).mid(digitsStart, i - digitsStart);
        while (magnitude.size() > 1 && magnitude.front() == u'0')
            magnitude = magnitude.mid(1);
        const long size = magnitude.size() <= 6 ? magnitude.toLong() : 9999999L;
        written.exponent = t.at(expStart) == u'-' ? -size : size;
    }
    if (i != n)
        return false;
    double v = 0.0;
    if (!asciiToDouble(number, v))
        return false;
    out = written.negative ? -v : v;
    return true;
}

} // namespace

double Val(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c))
            compact.append(c);
    if (compact.startsWith(u"&H"_s, Qt::CaseInsensitive) ||
        compact.startsWith(u"&O"_s, Qt::CaseInsensitive))
        return radixValue(compact);
    qsizetype i = 0;
    const qsizetype n = compact.size();
    QString number;
    if (i < n && (compact.at(i) == u'+' || compact.at(i) == u'-'))
        number.append(compact.at(i++));
    bool digits = false;
    while (i < n && isAsciiDigit(compact.at(i))) {
        number.append(compact.at(i++));
        digits = true;
    }
    if (i < n && compact.at(i) == u'.') {
        number.append(compact.at(i++));
        while (i < n && isAsciiDigit(compact.at(i))) {
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
        while (j < n && isAsciiDigit(compact.at(j))) {
            exponent.append(compact.at(j++));
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    double v = 0.0;
    return asciiToDouble(number, v) ? v : 0.0;
}

std::optional<WrittenNumber> readNumber(const QString& text) {
    WrittenNumber written;
    double ignored = 0;
    if (!parseNumeric(text, written, ignored))
        return std::nullopt;
    return written;
}

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
    WrittenNumber written;
    double ignored = 0;
    return parseNumeric(text, written, ignored);
}

double CDbl(const QString& text) {
    WrittenNumber written;
    double v = 0;
    if (!parseNumeric(text, written, v))
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
    const RoundedDecimal r = roundDecimal(d, decimals, Rounding::HalfEven);
    if (r.isZero)
        return 0.0;
    const QString text = (d.negative ? u"-"_s : QString()) +
                         (r.intPart.isEmpty() ? u"0"_s : r.intPart) +
                         (r.fracPart.isEmpty() ? QString() : u"."_s + r.fracPart);
    double v = 0.0;
    asciiToDouble(text, v);
    return v;
}

namespace {
double wholeWithin(double value, double low, double high) {
    const double r = std::isfinite(value) ? roundHalfEven(value) : value;
    if (!std::isfinite(r) || r < low || r > high)
        throw RunTimeError(ErrorNumber::Overflow, u"Overflow"_s);
    return r;
}
} // namespace

std::int16_t CInt(double value) {
    return static_cast<std::int16_t>(wholeWithin(value, -32768.0, 32767.0));
}

std::int16_t CInt(const QString& text) {
    return CInt(CDbl(text));
}

std::int32_t CLng(double value) {
    return static_cast<std::int32_t>(wholeWithin(value, -2147483648.0, 2147483647.0));
}

std::int32_t CLng(const QString& text) {
    return CLng(CDbl(text));
}

} // namespace tovin::TextRules
