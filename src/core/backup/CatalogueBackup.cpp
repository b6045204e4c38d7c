#include "core/backup/CatalogueBackup.h"

#include "core/backup/CatalogueCheck.h"
#include "core/backup/PartFile.h"
#include "core/backup/SqliteFile.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/OutputFile.h"
#include "core/settings/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <memory>

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
                              u"-(\\d{4}-\\d{2}-\\d{2})(-\\d{6}(-\\d+)?)?"_s +
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
            found << BackupCopy{info.absoluteFilePath(), date, info.size(), info.lastModified()};
    }
    std::sort(found.begin(), found.end(), [](const BackupCopy& a, const BackupCopy& b) {
        if (a.date != b.date)
            return a.date > b.date;
        // Several copies of one day: the one written last first.
        return a.written != b.written ? a.written > b.written : a.path > b.path;
    });
    return found;
}

QString write(const QString& catalogue, const QDate& date, const QString& folder, bool stamped) {
    if (!QFileInfo(catalogue).isFile())
        fail(catalogue, u"the file does not exist."_s);
    QString refusal;
    const std::unique_ptr<SqliteHandle> source = CatalogueCheck::openInUse(catalogue, refusal);
    if (!source)
        fail(catalogue, refusal);
    return writeFrom(*source, catalogue, date, folder, stamped);
}

QString writeFrom(SqliteHandle& source, const QString& catalogue, const QDate& date,
                  const QString& folder, bool stamped) {
    // Nothing is made for a file that is no catalogue; its pages are checked in the copy.
    if (const auto problem =
            CatalogueCheck::problem(source, catalogue, CatalogueCheck::Depth::Layout))
        fail(catalogue, *problem);
    const QString where = folder.isEmpty() ? folderFor(catalogue) : folder;
    if (!QDir().mkpath(where))
        fail(catalogue, u"the folder "_s + where + u" cannot be made."_s);
    PartFile::removeLeftovers(where, copyName(catalogue));
    const QString target = newCopyName(catalogue, date, where, stamped);
    // Never onto the catalogue or its journals.
    const OutputRules rules{catalogue, true, true};
    OutputFile::check(target, rules);
    std::optional<PartFile> part;
    try {
        part.emplace(target);
    } catch (const RunTimeError& error) {
        fail(catalogue, error.description());
    }
    // One read transaction: a consistent state of the file whatever other connections write.
    if (const auto copied = source.writeCopyTo(part->path()); !copied.ok())
        fail(catalogue, copied.message);
    // The copy stands alone: no journal file beside it is needed to read it.
    if (const auto alone =
            SqliteFile::open(part->path(), SqliteFile::Access::ReadWrite)->setWriteAheadLog(false);
        !alone.ok())
        fail(catalogue, alone.message);
    if (const auto problem = CatalogueCheck::problem(part->path(), CatalogueCheck::Depth::Quick))
        fail(catalogue, *problem);
    try {
        OutputFile::moveIntoPlace(part->path(), target, rules);
    } catch (const RunTimeError& error) {
        fail(catalogue, error.description());
    }
    part->placed();
    SqliteFile::syncFolder(where);
    return target;
}

// The day's first copy takes the plain dated name; a later one of the same day never replaces
// it (a good copy of the morning is worth keeping) but takes the time of day into its name. A
// copy a screen has open is never replaced either.
QString newCopyName(const QString& catalogue, const QDate& date, const QString& folder,
                    bool stamped) {
    const auto taken = [](const QString& path) {
        return QFileInfo::exists(path) || CatalogueDatabase::openHereRefusal(path);
    };
    QString target = pathFor(catalogue, date, folder);
    if (!stamped && !taken(target))
        return target;
    const QString time = QTime::currentTime().toString(u"-HHmmss"_s);
    target = pathFor(catalogue, date, folder, time);
    for (int n = 2; taken(target); ++n)
        target = pathFor(catalogue, date, folder, time + u'-' + QString::number(n));
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
    // Hidden copies left half written by backups that were stopped; one still being written is
    // held by its writer and stays.
    removed << PartFile::removeLeftovers(folder.isEmpty() ? folderFor(catalogue) : folder,
                                         copyName(catalogue));
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
