#include "core/backup/CatalogueBackup.h"

#include "core/backup/CatalogueCheck.h"
#include "core/backup/SqliteFile.h"
#include "core/data/CatalogueDatabase.h"
#include "core/shell/OutputFile.h"
#include "core/shell/RunTimeError.h"
#include "core/shell/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueBackup {

namespace {

std::function<QDate()>& clock() {
    static std::function<QDate()> current;
    return current;
}

[[noreturn]] void fail(const QString& catalogue, const QString& reason) {
    throw RunTimeError(ErrorNumber::DatabaseRefused,
                       u"No backup of "_s + catalogue + u" was made: "_s + reason);
}

QRegularExpression copyName(const QString& catalogue) {
    const QFileInfo info(catalogue);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return QRegularExpression(u'^' + QRegularExpression::escape(info.completeBaseName()) +
                              u"-(\\d{4}-\\d{2}-\\d{2})(-\\d{6})?"_s +
                              QRegularExpression::escape(suffix) + u'$');
}

} // namespace

QDate today() {
    return clock() ? clock()() : QDate::currentDate();
}

void setClock(std::function<QDate()> clock) {
    CatalogueBackup::clock() = std::move(clock);
}

QString folderFor(const QString& catalogue) {
    return QFileInfo(catalogue).absolutePath() + u"/Backups"_s;
}

QString pathFor(const QString& catalogue, const QDate& date, const QString& folder,
                const QString& time) {
    const QFileInfo info(catalogue);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return (folder.isEmpty() ? folderFor(catalogue) : folder) + u'/' + info.completeBaseName() +
           u'-' + date.toString(u"yyyy-MM-dd"_s) + time + suffix;
}

QList<BackupCopy> copies(const QString& catalogue, const QString& folder) {
    const QDir dir(folder.isEmpty() ? folderFor(catalogue) : folder);
    const QRegularExpression pattern = copyName(catalogue);
    QList<BackupCopy> found;
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(info.fileName());
        const QDate date = QDate::fromString(match.captured(1), u"yyyy-MM-dd"_s);
        if (match.hasMatch() && date.isValid())
            found << BackupCopy{info.absoluteFilePath(), date, info.size()};
    }
    std::sort(found.begin(), found.end(), [](const BackupCopy& a, const BackupCopy& b) {
        return a.date != b.date ? a.date > b.date : a.path > b.path;
    });
    return found;
}

QString write(const QString& catalogue, const QDate& date, const QString& folder, bool stamped) {
    if (!QFileInfo(catalogue).isFile())
        fail(catalogue, u"the file does not exist."_s);
    // Nothing is made for a file that is no catalogue; its pages are checked in the copy.
    if (const auto problem = CatalogueCheck::problem(catalogue, CatalogueCheck::Depth::Layout))
        fail(catalogue, *problem);
    const QString where = folder.isEmpty() ? folderFor(catalogue) : folder;
    if (!QDir().mkpath(where))
        fail(catalogue, u"the folder "_s + where + u" cannot be made."_s);
    const auto timeOfDay = [] { return QTime::currentTime().toString(u"-HHmmss"_s); };
    QString target = pathFor(catalogue, date, where, stamped ? timeOfDay() : QString());
    // The day's copy may be open in a screen (the user opened it to look back): replacing it
    // would leave that screen reading and writing a file that is no longer there, so this copy
    // takes the time of day into its name instead.
    if (CatalogueDatabase::openHereRefusal(target))
        target = pathFor(catalogue, date, where, timeOfDay());
    if (const auto refusal = CatalogueDatabase::openHereRefusal(target))
        fail(catalogue, *refusal);
    // Never onto the catalogue or its journals; an earlier copy of the day may be replaced.
    const OutputRules rules{catalogue, true, true};
    OutputFile::check(target, rules);
    const QString temporary = OutputFile::temporaryBeside(target);
    const auto discard = [&](const QString& reason) {
        SqliteFile::removeWithJournals(temporary);
        fail(catalogue, reason);
    };
    // One read transaction: a consistent state of the file whatever other connections write.
    if (const auto copied = SqliteFile::run(catalogue, SqliteFile::Access::ReadOnly,
                                            u"VACUUM INTO "_s + SqliteFile::literal(temporary));
        !copied.ok())
        discard(copied.message);
    // The copy stands alone: no journal file beside it is needed to read it.
    if (const auto alone = SqliteFile::run(temporary, SqliteFile::Access::ReadWrite,
                                           u"PRAGMA journal_mode = DELETE"_s);
        !alone.ok())
        discard(alone.message);
    if (const auto problem = CatalogueCheck::problem(temporary, CatalogueCheck::Depth::Quick))
        discard(*problem);
    // Journals left by an earlier file of that name would be read into the copy.
    QFile::remove(target + u"-wal"_s);
    QFile::remove(target + u"-shm"_s);
    try {
        OutputFile::moveIntoPlace(temporary, target, rules);
    } catch (const RunTimeError& error) {
        fail(catalogue, error.description());
    }
    SqliteFile::syncFolder(where);
    return target;
}

QStringList rotate(const QString& catalogue, const QDate& today, const RotationCounts& counts,
                   const QString& folder) {
    const QList<BackupCopy> present = copies(catalogue, folder);
    QList<QDate> dates;
    for (const BackupCopy& copy : present)
        dates << copy.date;
    const QList<QDate> kept = BackupRotation::keep(dates, today, counts);
    QStringList removed;
    // A copy a screen has open stays until a later rotation: removing it would take the file
    // from under that screen.
    for (const BackupCopy& copy : present)
        if (!kept.contains(copy.date) && !CatalogueDatabase::openHereRefusal(copy.path) &&
            QFile::remove(copy.path))
            removed << copy.path;
    // A hidden copy left half written by a program stopped during a backup; one still being
    // written by another program is younger than a day.
    const QDir dir(folder.isEmpty() ? folderFor(catalogue) : folder);
    const QRegularExpression name = copyName(catalogue);
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& info : dir.entryInfoList({u".*.part"_s}, QDir::Files | QDir::Hidden)) {
        const QString copyPart = info.fileName().mid(1).section(u'.', 0, -3);
        if (name.match(copyPart).hasMatch() && info.lastModified() < dayAgo &&
            QFile::remove(info.absoluteFilePath()))
            removed << info.absoluteFilePath();
    }
    return removed;
}

std::optional<QString> takeDaily(const QString& catalogue, bool onlyIfDue) {
    const QDate date = today();
    try {
        if (onlyIfDue && QFileInfo::exists(pathFor(catalogue, date)))
            return std::nullopt;
        write(catalogue, date);
        rotate(catalogue, date, BackupRotation::countsFrom(SettingsStore::program()));
        return std::nullopt;
    } catch (const RunTimeError& error) {
        return error.description();
    }
}

std::optional<QString> keepBeforeReplacing(const QString& target) {
    if (!QFileInfo(target).isFile() ||
        CatalogueCheck::problem(target, CatalogueCheck::Depth::Layout))
        return std::nullopt;
    return takeDaily(target, false);
}

} // namespace tovin::CatalogueBackup
