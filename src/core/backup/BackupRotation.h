#pragma once

#include <QDate>
#include <QList>

namespace tovin {

class SettingsStore;

// How many copies of a catalogue the Backups folder keeps.
struct RotationCounts {
    int daily = 7;  // the newest copies, one per day that has one
    int weekly = 4; // then the newest copy of each older week (Monday to Sunday)
};

namespace BackupRotation {

// The kept counts from the settings (section "Backups", keys "KeepDaily" and "KeepWeekly"); a
// missing value, or one that is not a whole number of at least 1, gives the usual count.
RotationCounts countsFrom(const SettingsStore& settings);

// Which of the dates that have copies to keep. The `daily` newest dates are kept; of the dates
// older than those, the newest date of each week, for the `weekly` newest weeks. Dates after
// today (a clock set back) are always kept: nothing is removed that the rule cannot place.
// Taken day after day, a week's kept copy only ever moves to a copy that is there.
QList<QDate> keep(QList<QDate> dates, const QDate& today, const RotationCounts& counts);

} // namespace BackupRotation

} // namespace tovin
