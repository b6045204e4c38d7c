#pragma once

#include "core/backup/BackupRotation.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tovin {

class SqliteHandle;

// One copy in a Backups folder, named "<catalogue name>-YYYY-MM-DD<suffix>", or with
// "-HHMMSS" after the date for a later copy of the same day and one taken before a restore
// ("-HHMMSS-N" when several are taken within a second).
struct BackupCopy {
    QString path;
    QDate date;
    qint64 size = 0;
    QDateTime written; // the file's modification time
};

namespace CatalogueBackup {

// Today, as the backups date their copies. Tests put a clock of their own in place (an empty
// function restores the real one) to simulate days.
QDate today();
void setClock(std::function<QDate()> clock);

// The Backups folder beside the catalogue.
QString folderFor(const QString& catalogue);
// The copy's name for that date in `folder` (the Backups folder when empty), with `time`
// ("-HHMMSS") after the date when given.
QString pathFor(const QString& catalogue, const QDate& date, const QString& folder = QString(),
                const QString& time = QString());

// The copies of the catalogue in `folder` (the Backups folder when empty), newest first.
QList<BackupCopy> copies(const QString& catalogue, const QString& folder = QString());

// Writes a consistent copy of the catalogue, even while other connections write to it: read
// in one transaction through a connection of its own into a hidden file in the folder, put on
// disk, checked page by page, and only then given its name. The day's first copy is named
// after the date alone; a later one, or any when `stamped`, takes the time of day too, so no
// copy replaces another. Hidden files that stopped backups left in the folder are removed
// first. Gives the copy's path; raises a RunTimeError saying why no copy was made.
QString write(const QString& catalogue, const QDate& date, const QString& folder = QString(),
              bool stamped = false);
// The same through a connection the caller has open on the catalogue (one that holds it
// alone, say: no other connection could read it meanwhile).
QString writeFrom(SqliteHandle& source, const QString& catalogue, const QDate& date,
                  const QString& folder, bool stamped);

// A name for a new copy of that date in `folder` that no copy has yet (see write()).
QString newCopyName(const QString& catalogue, const QDate& date, const QString& folder,
                    bool stamped);

// Removes the copies the rotation does not keep (all copies of a day count as that day), and
// the hidden files of stopped backups; gives the paths removed.
QStringList rotate(const QString& catalogue, const QDate& today, const RotationCounts& counts,
                   const QString& folder = QString());

// The copy of the day with the rotation after it; the reason when none could be written.
// Writes nothing when `onlyIfDue` and a copy dated today is there already.
std::optional<QString> takeDaily(const QString& catalogue, bool onlyIfDue);

// Before a file is replaced by a new catalogue (a conversion): a copy of the day when it holds a
// catalogue, nothing for a new name or another kind of file. The reason when no copy could be
// written.
std::optional<QString> keepBeforeReplacing(const QString& target);

} // namespace CatalogueBackup

} // namespace tovin
