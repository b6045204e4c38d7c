#include "core/shell/ProgramFolder.h"

#include "core/shell/SharedState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ProgramFolder {

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}
} // namespace

void setOverride(const QString& folder) {
    overrideFolder() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString path() {
    QString folder = overrideFolder();
    if (folder.isEmpty() && QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    // Always appended, also to a root folder, as the program's file names expect.
    return folder + u'/';
}

void applyToSharedState() {
    shared().AppFolder = path();
    shared().PicturesFolder = shared().AppFolder + u"pictures/"_s;
}

QString resolveFile(const QString& storedPath) {
    if (storedPath.isEmpty())
        return storedPath;
    QString normalised = storedPath;
    normalised.replace(u'\\', u'/');
    if (QFileInfo(normalised).isRelative())
        normalised = path() + normalised;
    if (QFileInfo::exists(normalised))
        return normalised;
    // Walk the path, matching each part without regard to letter case.
    const bool absolute = normalised.startsWith(u'/');
    const QStringList parts = normalised.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? u"/"_s : QString();
    for (const QString& part : parts) {
        const QString candidate =
            current.isEmpty() || current.endsWith(u'/') ? current + part : current + u'/' + part;
        if (QFileInfo::exists(candidate)) {
            current = candidate;
            continue;
        }
        const QDir dir(current.isEmpty() ? u"."_s : current);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        QString match;
        for (const QString& entry : entries)
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        if (match.isEmpty())
            return normalised;
        current =
            current.isEmpty() || current.endsWith(u'/') ? current + match : current + u'/' + match;
    }
    return current;
}

bool fileExists(const QString& storedPath) {
    if (storedPath.trimmed().isEmpty())
        return false;
    return QFileInfo(resolveFile(storedPath)).isFile();
}

} // namespace tovin::ProgramFolder
