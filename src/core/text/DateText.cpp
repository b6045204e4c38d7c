#include "core/text/DateText.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin::TextRules {

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

} // namespace tovin::TextRules
