#include "core/files/ProgramFolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdio>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ProgramFolder {

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}
// An installed program folder (under /usr, read-only, or marked by the package even when root
// could write to it) is never written: the program works in a folder of the user's own, which
// is filled from the installed one on first start.
bool isInstalledFolder(const QString& folder) {
    return QFileInfo::exists(folder + u'/' + installedMarker()) || !QFileInfo(folder).isWritable();
}

QString& refreshNotice() {
    static QString notice;
    return notice;
}

QString workingFolderFor(const QString& installed) {
    static QString prepared;
    static QString preparedFrom;
    if (preparedFrom != installed) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (base.isEmpty())
            base = QDir::homePath() + u"/.local/share"_s;
        prepared = base + u"/tovin-catalog"_s;
        refreshNotice() = keptFilesNotice(fillUserFolder(installed, prepared));
        // Said on the error output at once, for the commands; the window shows it as well.
        if (!refreshNotice().isEmpty())
            std::fprintf(stderr, "tovin-catalog: %s\n", qUtf8Printable(refreshNotice()));
        preparedFrom = installed;
    }
    return prepared;
}

// The installed program folder of an executable installed in a "bin" folder: the package keeps
// the architecture-independent files under share/, apart from the executable.
QString sharedProgramFolder(const QString& executableFolder) {
    const QString folder = QDir::cleanPath(executableFolder + u"/../share/tovin-catalog"_s);
    return QFileInfo::exists(folder + u'/' + installedMarker()) ? folder : QString();
}

bool isCatalogueFile(const QFileInfo& file) {
    return file.suffix().compare(u"mde"_s, Qt::CaseInsensitive) == 0 ||
           file.suffix().compare(u"mdb"_s, Qt::CaseInsensitive) == 0 ||
           file.suffix().compare(u"accdb"_s, Qt::CaseInsensitive) == 0;
}

// The checksum of a file's bytes, empty when it cannot be read.
QByteArray checksumOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

// The record of the installed files as last copied: "CHECKSUM  RELATIVE-PATH" lines.
QHash<QString, QByteArray> readRecord(const QString& path) {
    QHash<QString, QByteArray> record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype space = line.indexOf("  ");
        if (space > 0)
            record.insert(QString::fromUtf8(line.mid(space + 2)), line.left(space));
    }
    return record;
}

void writeRecord(const QString& path, const QHash<QString, QByteArray>& record) {
    QStringList names = record.keys();
    names.sort();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (const QString& name : names)
        file.write(record.value(name) + "  " + name.toUtf8() + '\n');
    file.commit();
}

bool copyInstalled(const QString& source, const QString& target) {
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return false;
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    return true;
}

} // namespace

QStringList fillUserFolder(const QString& installed, const QString& userFolder) {
    // Files the user is missing are copied. A program file the package changed is refreshed
    // only while the user's copy is still the one copied before, byte for byte; one the user
    // edited stays, and the package's version goes beside it. A catalogue that is already there
    // is the user's data and is never replaced.
    QDir().mkpath(userFolder);
    const QString recordPath = userFolder + u'/' + refreshRecordName();
    QHash<QString, QByteArray> record = readRecord(recordPath);
    const QHash<QString, QByteArray> before = record;
    QStringList kept;
    QDirIterator it(installed, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    while (it.hasNext()) {
        const QFileInfo source(it.next());
        const QString relative = QDir(installed).relativeFilePath(source.filePath());
        if (relative == installedMarker() || (!executable.isEmpty() && relative == executable))
            continue;
        const QString target = userFolder + u'/' + relative;
        const bool exists = QFileInfo::exists(target);
        if (isCatalogueFile(source)) {
            if (!exists)
                copyInstalled(source.filePath(), target);
            continue;
        }
        const QByteArray installedSum = checksumOf(source.filePath());
        if (installedSum.isEmpty())
            continue;
        if (!exists) {
            if (copyInstalled(source.filePath(), target))
                record.insert(relative, installedSum);
            continue;
        }
        // This version of the file was dealt with before, whatever the user did since.
        if (record.value(relative) == installedSum)
            continue;
        const QByteArray userSum = checksumOf(target);
        if (userSum == installedSum) {
            record.insert(relative, installedSum);
        } else if (!userSum.isEmpty() && userSum == record.value(relative)) {
            if (copyInstalled(source.filePath(), target))
                record.insert(relative, installedSum);
        } else if (copyInstalled(source.filePath(), target + u".new"_s)) {
            // Changed by the user, or there before any record was kept: theirs stays.
            record.insert(relative, installedSum);
            kept << relative;
        }
    }
    if (record != before)
        writeRecord(recordPath, record);
    return kept;
}

QString refreshRecordName() {
    return u".installed-files.sha256"_s;
}

QString keptFilesNotice(const QStringList& kept) {
    if (kept.isEmpty())
        return {};
    return u"the program was updated; your changed files were kept, and the new versions are "
           u"beside them as NAME.new: "_s +
           kept.join(u", "_s);
}

QString takeRefreshNotice() {
    return std::exchange(refreshNotice(), QString());
}

QString installedMarker() {
    return u"installed-program-folder"_s;
}

void setOverride(const QString& folder) {
    overrideFolder() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

namespace {
// The program folder found from the executable's place. That place does not move during a run,
// and finding it checks files on disk (and may fill the user's folder), so it is done once.
QString executableProgramFolder() {
    static const QString found = [] {
        QString folder = QCoreApplication::applicationDirPath();
        if (const QString shared = sharedProgramFolder(folder); !shared.isEmpty())
            return workingFolderFor(shared);
        if (isInstalledFolder(folder))
            return workingFolderFor(folder);
        return folder;
    }();
    return found;
}
} // namespace

QString path() {
    QString folder = overrideFolder();
    if (folder.isEmpty() && QCoreApplication::instance())
        folder = executableProgramFolder();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    // Always appended, also to a root folder, as the program's file names expect.
    return folder + u'/';
}

QString picturesPath() {
    return path() + u"pictures/"_s;
}

namespace {

QString normalisedPath(const QString& storedPath) {
    QString normalised = storedPath;
    normalised.replace(u'\\', u'/');
    if (QFileInfo(normalised).isRelative())
        normalised = path() + normalised;
    return normalised;
}

QString joined(const QString& folder, const QString& name) {
    return folder.isEmpty() || folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QStringList entriesOf(const QString& folder) {
    const QDir dir(folder.isEmpty() ? u"."_s : folder);
    return dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

} // namespace

QString resolveFile(const QString& storedPath) {
    if (storedPath.isEmpty())
        return storedPath;
    const QString normalised = normalisedPath(storedPath);
    if (QFileInfo::exists(normalised))
        return normalised;
    // Walk the path, matching each part without regard to letter case.
    const bool absolute = normalised.startsWith(u'/');
    const QStringList parts = normalised.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? u"/"_s : QString();
    for (const QString& part : parts) {
        const QString candidate = joined(current, part);
        if (QFileInfo::exists(candidate)) {
            current = candidate;
            continue;
        }
        QString match;
        for (const QString& entry : entriesOf(current))
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        if (match.isEmpty())
            return normalised;
        current = joined(current, match);
    }
    return current;
}

bool fileExists(const QString& storedPath) {
    if (storedPath.trimmed().isEmpty())
        return false;
    return QFileInfo(resolveFile(storedPath)).isFile();
}

} // namespace tovin::ProgramFolder

namespace tovin::ProgramFolder {

const FileFinder::Listing& FileFinder::listingOf(const QString& folder) {
    const auto found = m_listings.constFind(folder);
    if (found != m_listings.cend())
        return *found;
    Listing listing;
    const QDir dir(folder.isEmpty() ? u"."_s : folder);
    listing.read = dir.exists() && dir.isReadable();
    // In the order resolveFile() meets them, so that of two names differing only in case the
    // same one is taken.
    for (const QString& entry : entriesOf(folder)) {
        listing.names.insert(entry);
        const QString folded = entry.toCaseFolded();
        if (!listing.folded.contains(folded))
            listing.folded.insert(folded, entry);
    }
    return *m_listings.insert(folder, std::move(listing));
}

std::pair<QString, bool> FileFinder::find(const QString& storedPath) {
    const QString normalised = normalisedPath(storedPath);
    const bool absolute = normalised.startsWith(u'/');
    const QStringList parts = normalised.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? u"/"_s : QString();
    bool exact = true;
    for (const QString& part : parts) {
        const Listing& listing = listingOf(current);
        if (listing.names.contains(part)) {
            current = joined(current, part);
            continue;
        }
        // "." and "..", and the parts of a folder that cannot be listed, are only seen on disk.
        if (!listing.read || part == u"."_s || part == u".."_s) {
            const QString candidate = joined(current, part);
            if (!QFileInfo::exists(candidate))
                return {normalised, false};
            current = candidate;
            continue;
        }
        const QString match = listing.folded.value(part.toCaseFolded());
        if (match.isEmpty())
            return {normalised, false};
        current = joined(current, match);
        exact = false;
    }
    return {exact ? normalised : current, true};
}

QString FileFinder::resolve(const QString& storedPath) {
    if (storedPath.isEmpty())
        return storedPath;
    return find(storedPath).first;
}

bool FileFinder::exists(const QString& storedPath) {
    if (storedPath.trimmed().isEmpty())
        return false;
    const auto [found, whole] = find(storedPath);
    return whole && QFileInfo(found).isFile();
}

} // namespace tovin::ProgramFolder
