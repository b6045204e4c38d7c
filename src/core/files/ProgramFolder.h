#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>

namespace tovin::ProgramFolder {

// The file the package installs into the program folder: a folder holding it is an installed,
// read-only program folder even for a user who could write to it.
QString installedMarker();

// The program folder is the executable's folder, or the folder given with --app-folder. An
// installed program folder (read-only, or holding installedMarker()) is replaced by the user's
// data folder ("tovin-catalog" in the user's data location, ~/.local/share), which is filled
// from the installed folder first. An executable installed in a "bin" folder finds its
// installed program folder in ../share/tovin-catalog.
void setOverride(const QString& folder);
// The program folder with a trailing "/" (a root folder gives "//", which still opens files).
// Without an override it is found, and the user's folder made ready, once per run; later calls
// only hand it out.
QString path();
// The pictures folder of the program folder: path() + "pictures/".
QString picturesPath();

// Copies into userFolder every file of the installed folder that it lacks, and brings the
// program files up to date with the installed ones; catalogues already there are kept. The
// checksum of each file as copied is recorded in userFolder (refreshRecordName()): a file whose
// checksum differs from it was changed by the user and is kept, the installed one is written
// beside it as NAME.new. Returns the files so kept, relative to userFolder; a file is named
// once, by the refresh that first brings the installed version it differs from.
QStringList fillUserFolder(const QString& installed, const QString& userFolder);
QString refreshRecordName();
// The sentence that tells the user which of their files were kept (empty for none).
QString keptFilesNotice(const QStringList& kept);
// The notice of the refresh path() did when it made the user's folder ready, handed out once.
QString takeRefreshNotice();

// Finds a file named by a path that may use "\" separators (Windows data) or differ in letter
// case from the file on disk ("Pictures\NoPic.jpg" finds "pictures/NoPic.jpg"). Relative paths
// are taken from the program folder. Returns the path that exists, or the normalised path
// when nothing matches.
QString resolveFile(const QString& storedPath);
bool fileExists(const QString& storedPath);

// resolveFile() and fileExists() for a run that looks up thousands of files (the pictures of a
// web catalogue): each folder is listed once, when first needed, and every later name is
// matched against that listing instead of the disk. The answers are those of the functions
// above as the folders were when listed, so a finder lives for one run; a file added after
// its folder was listed is seen by the next finder.
class FileFinder {
public:
    QString resolve(const QString& storedPath);
    bool exists(const QString& storedPath);

private:
    struct Listing {
        bool read = false;              // false when the folder could not be listed
        QSet<QString> names;            // every entry, as on disk
        QHash<QString, QString> folded; // the first entry of each case-folded name
    };
    const Listing& listingOf(const QString& folder);
    // The path found and whether each of its parts was found.
    std::pair<QString, bool> find(const QString& storedPath);

    QHash<QString, Listing> m_listings;
};

} // namespace tovin::ProgramFolder
