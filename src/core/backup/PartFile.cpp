#include "core/backup/PartFile.h"

#include "core/base/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QStringList& partJournalSuffixes() {
    static const QStringList suffixes{u"-journal"_s, u"-wal"_s, u"-shm"_s};
    return suffixes;
}

// Whether the path still names the file open on `descriptor`: a cleaner that took the lock
// between our creating the file and locking it has removed it.
bool pathNamesDescriptor(const QString& path, int descriptor) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

QString randomPartTag() {
    static const QString letters =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_s;
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
    return tag;
}

} // namespace

PartFile::PartFile(const QString& target) {
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + u"/."_s + info.fileName() + u'.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = stem + randomPartTag() + u".part"_s;
        const int descriptor = ::open(QFile::encodeName(path).constData(),
                                      O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            break;
        if (::flock(descriptor, LOCK_EX) == 0 && pathNamesDescriptor(path, descriptor)) {
            m_path = path;
            m_descriptor = descriptor;
            return;
        }
        ::close(descriptor);
    }
    throw RunTimeError(ErrorNumber::DatabaseRefused,
                       u"Cannot write the file "_s + target + u": "_s + qt_error_string(errno));
}

PartFile::~PartFile() {
    if (!m_placed)
        discard();
    // Closed last, when no connection has the file open any more: closing a descriptor drops
    // this process's database locks on the file.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void PartFile::discard() {
    QFile::remove(m_path);
    for (const QString& suffix : partJournalSuffixes())
        QFile::remove(m_path + suffix);
}

QStringList PartFile::removeLeftovers(const QString& folder, const QRegularExpression& targetName) {
    QStringList removed;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({u".*.part"_s}, QDir::Files | QDir::Hidden)) {
        // ".NAME.XXXXXX.part" is a part of the target NAME.
        if (!targetName.match(info.fileName().mid(1).section(u'.', 0, -3)).hasMatch())
            continue;
        const QString path = info.absoluteFilePath();
        const int descriptor =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (descriptor < 0)
            continue;
        // A writer still running holds the lock; it is removed only while held here, so a
        // writer that locks it next sees its name gone and starts again.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && pathNamesDescriptor(path, descriptor)) {
            for (const QString& suffix : partJournalSuffixes())
                QFile::remove(path + suffix);
            if (QFile::remove(path))
                removed << path;
        }
        ::close(descriptor);
    }
    return removed;
}

} // namespace tovin
