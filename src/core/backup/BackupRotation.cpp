#include "core/backup/BackupRotation.h"

#include "core/settings/SettingsStore.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BackupRotation {

namespace {

int count(const SettingsStore& settings, const QString& key, int usual) {
    bool ok = false;
    const int value = settings.value(u"Backups"_s, key, QString::number(usual)).toInt(&ok);
    return ok && value >= 1 ? value : usual;
}

// The Monday that starts the week of the date.
QDate weekOf(const QDate& date) {
    return date.addDays(1 - date.dayOfWeek());
}

} // namespace

RotationCounts countsFrom(const SettingsStore& settings) {
    RotationCounts usual;
    return {count(settings, u"KeepDaily"_s, usual.daily),
            count(settings, u"KeepWeekly"_s, usual.weekly)};
}

QList<QDate> keep(QList<QDate> dates, const QDate& today, const RotationCounts& counts) {
    std::sort(dates.begin(), dates.end(), std::greater<>());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    QList<QDate> kept;
    int daily = 0;
    QList<QDate> weeks;
    for (const QDate& date : dates) {
        if (date > today) {
            kept << date;
        } else if (daily < counts.daily) {
            kept << date;
            ++daily;
        } else if (!weeks.contains(weekOf(date)) && weeks.size() < counts.weekly) {
            // Newest first, so the first date met in a week is that week's newest.
            weeks << weekOf(date);
            kept << date;
        }
    }
    return kept;
}

} // namespace tovin::BackupRotation
