#include "core/files/OutputFile.h"

#include "core/base/RunTimeError.h"
#include "core/files/FileIdentity.h"
#include "core/files/OpenCatalogues.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

// The open catalogue and the journal files the database keeps beside it while it is open, as
// every output is compared with them: looked at once, however many files are checked.
class OpenCatalogue {
public:
    explicit OpenCatalogue(const QString& catalogue) {
        if (catalogue.isEmpty())
            return;
        for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s}) {
            const QString path = catalogue + suffix;
            File file;
            file.exists = ::stat(QFile::encodeName(path).constData(), &file.status) == 0;
            file.realPath = FileIdentity::realPath(path);
            m_files.push_back(std::move(file));
        }
    }

    // True when the output is one of them. Files that both exist are the same when their device
    // and file number are (links and other spellings included); a file not made yet (a journal
    // file, the output) is compared by its real path, which `realPathOfMissing` gives for the
    // output. An existing output cannot be a file that does not exist.
    bool holds(const struct stat* output, const std::function<QString()>& realPathOfMissing) const {
        QString real;
        for (const File& file : m_files) {
            if (output && file.exists) {
                if (output->st_dev == file.status.st_dev && output->st_ino == file.status.st_ino)
                    return true;
            } else if (!output) {
                if (real.isNull())
                    real = realPathOfMissing();
                if (real == file.realPath)
                    return true;
            }
        }
        return false;
    }

private:
    struct File {
        bool exists = false;
        struct stat status {};
        QString realPath;
    };
    std::vector<File> m_files;
};

namespace {

// The first bytes of every SQLite database, the catalogue's format.
constexpr QByteArrayView CatalogueHeader("SQLite format 3\0", 16);

bool holdsCatalogue(const QString& path) {
    // A catalogue this program has open is not read past its connection (that would drop the
    // connection's locks); it is a catalogue all the same.
    if (OpenCatalogues::holding(path))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(CatalogueHeader.size()) == CatalogueHeader;
}

// Where a write to `path` really lands: the file a symbolic link leads to.
QString landingPath(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
}

[[noreturn]] void refuse(const QString& sentence) {
    throw RunTimeError(ErrorNumber::PathFileAccessError, sentence);
}

// Why a write failed, in words for the user. Qt reports a full disk as a resource error, often
// with no text of the system's ("Unknown error"); the free space of the disk tells it too.
QString writeFailure(const QString& path, const QFileDevice& file) {
    struct statvfs disk {};
    const bool full =
        file.error() == QFileDevice::ResourceError ||
        (::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &disk) == 0 &&
         disk.f_bavail == 0);
    if (full)
        return u"Cannot write the file "_s + path +
               u": the disk is full. Nothing was written; make room on the disk and try again."_s;
    return u"Cannot write the file "_s + path + u": "_s + file.errorString();
}

std::optional<QString> refusalOf(const QString& path, const OutputRules& rules,
                                 const OpenCatalogue& open,
                                 const std::function<QString()>& realPathOfMissing) {
    if (path.isEmpty())
        return u"No file name was given, so nothing was written."_s;
    struct stat status {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    if (open.holds(exists ? &status : nullptr, realPathOfMissing))
        return path + u" is the open catalogue (or one of its working files), so nothing was "
                      u"written over it."_s;
    if (!exists)
        return std::nullopt; // a new name
    if (S_ISDIR(status.st_mode))
        return path + u" is a folder, not a file, so nothing was written there."_s;
    if (!S_ISREG(status.st_mode))
        return path + u" is not a plain file (a device or a pipe), so nothing was written to it."_s;
    if (holdsCatalogue(path) && !(rules.writesCatalogue && rules.replaceCatalogue))
        return rules.writesCatalogue
                   ? path + u" already holds a catalogue; it is replaced only when replacing it "
                            u"was asked for."_s
                   : path + u" holds a catalogue, so nothing was written over it."_s;
    return std::nullopt;
}

} // namespace

namespace OutputFile {

std::optional<QString> refusal(const QString& path, const OutputRules& rules) {
    const auto realPath = [&] { return FileIdentity::realPath(path); };
    if (auto sentence = refusalOf(path, rules, OpenCatalogue(rules.openCatalogue), realPath))
        return sentence;
    // A catalogue written from the open one (a copy, a backup, a conversion) never replaces
    // another one a connection still has open either: a screen keeps the catalogue it opened
    // when another one is opened, and would go on reading and writing the file the copy
    // replaced. Only a restore names no open catalogue; it closes every screen first.
    if (rules.writesCatalogue && !rules.openCatalogue.isEmpty())
        for (const QString& other : OpenCatalogues::all())
            if (other != rules.openCatalogue)
                if (auto sentence = refusalOf(path, rules, OpenCatalogue(other), realPath))
                    return sentence;
    return std::nullopt;
}

void check(const QString& path, const OutputRules& rules) {
    if (const auto sentence = refusal(path, rules))
        refuse(*sentence);
}

void write(const QString& path, const QByteArray& bytes, const OutputRules& rules) {
    OutputWriter writer(path, rules);
    writer.write(bytes);
    writer.commit();
}

void copy(const QString& source, const QString& path, const OutputRules& rules) {
    check(path, rules);
    if (const std::optional<QString> refusal = OpenCatalogues::plainOpenRefusal(source))
        refuse(*refusal);
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        refuse(u"Cannot read the file "_s + source + u": "_s + file.errorString());
    write(path, file.readAll(), rules);
}

QString temporaryBeside(const QString& target) {
    const QFileInfo info(landingPath(target));
    QTemporaryFile file(info.absolutePath() + u"/."_s + info.fileName() + u".XXXXXX.part"_s);
    file.setAutoRemove(false);
    if (!file.open())
        refuse(u"Cannot write the file "_s + target + u": "_s + file.errorString());
    return file.fileName();
}

void moveIntoPlace(const QString& finished, const QString& target, const OutputRules& rules) {
    const auto discard = [&](const QString& sentence) {
        QFile::remove(finished);
        refuse(sentence);
    };
    if (const auto sentence = refusal(target, rules))
        discard(*sentence);
    // On disk before it replaces anything, so a power cut cannot leave an empty file.
    const int fd = ::open(QFile::encodeName(finished).constData(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        discard(u"Cannot write the file "_s + target + u": it could not be saved to disk."_s);
    if (::rename(QFile::encodeName(finished).constData(),
                 QFile::encodeName(landingPath(target)).constData()) != 0)
        discard(u"Cannot write the file "_s + target + u": it could not be put in place."_s);
}

} // namespace OutputFile

OutputWriter::OutputWriter(const QString& path, const OutputRules& rules) : m_path(path) {
    OutputFile::check(path, rules);
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly))
        failed();
}

OutputWriter::~OutputWriter() {
    if (m_file && m_file->isOpen())
        m_file->cancelWriting();
}

QIODevice& OutputWriter::device() {
    return *m_file;
}

void OutputWriter::write(const QByteArray& bytes) {
    if (m_file->write(bytes) != bytes.size())
        failed();
}

void OutputWriter::commit() {
    // The last buffered bytes are written here: QSaveFile::commit() alone would not notice
    // that they failed (a full disk), and would put a cut-off file in place.
    if (!m_file->flush() || !m_file->commit())
        failed();
}

void OutputWriter::failed() const {
    if (!QFileInfo(QFileInfo(m_path).absolutePath()).isDir())
        throw RunTimeError(ErrorNumber::PathNotFound, u"Cannot write the file "_s + m_path +
                                                          u": its folder does not exist."_s);
    refuse(writeFailure(m_path, *m_file));
}

OutputFolder::OutputFolder(const QString& folder, const OutputRules& rules)
    : m_folder(folder.endsWith(u'/') ? folder : folder + u'/'), m_rules(rules),
      m_open(std::make_unique<OpenCatalogue>(rules.openCatalogue)) {
    const QString absolute = QFileInfo(m_folder).absolutePath();
    m_realFolder = QFileInfo(absolute).canonicalFilePath();
    if (m_realFolder.isEmpty())
        m_realFolder = absolute;
    // Inside the folder, so that each finished file only has to be renamed into place.
    m_work = std::make_unique<QTemporaryDir>(m_folder + u".output-XXXXXX"_s);
}

OutputFolder::~OutputFolder() = default;

QString OutputFolder::pathOf(const QString& fileName) const {
    return m_folder + fileName;
}

std::optional<QString> OutputFolder::refusal(const QString& fileName) const {
    return refusalOf(pathOf(fileName), m_rules, *m_open,
                     [&] { return m_realFolder + u'/' + fileName; });
}

bool OutputFolder::keepsUnchanged(const QString& fileName, const QByteArray& bytes) {
    m_kept.remove(fileName);
    if (m_names.contains(fileName))
        return false; // already written once in this set: the staged file is the one to keep
    // Looked at through any link, as the write would land there.
    const QString path = pathOf(fileName);
    Kept kept;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size != bytes.size())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(bytes.size() + 1) != bytes)
        return false;
    kept.bytes = bytes;
    kept.device = status.st_dev;
    kept.inode = status.st_ino;
    kept.size = status.st_size;
    kept.modified = status.st_mtim;
    m_kept.insert(fileName, std::move(kept));
    return true;
}

bool OutputFolder::isUnchangedSince(const QString& fileName, const Kept& kept) const {
    struct stat status {};
    return ::stat(QFile::encodeName(pathOf(fileName)).constData(), &status) == 0 &&
           status.st_dev == kept.device && status.st_ino == kept.inode &&
           status.st_size == kept.size && status.st_mtim.tv_sec == kept.modified.tv_sec &&
           status.st_mtim.tv_nsec == kept.modified.tv_nsec;
}

void OutputFolder::write(const QString& fileName, const QByteArray& bytes) {
    const QString target = pathOf(fileName);
    if (const auto sentence = refusal(fileName))
        refuse(*sentence);
    if (keepsUnchanged(fileName, bytes))
        return;
    if (!m_work->isValid()) {
        if (!QFileInfo(m_folder).isDir())
            throw RunTimeError(ErrorNumber::PathNotFound, u"Cannot write the file "_s + target +
                                                              u": its folder does not exist."_s);
        refuse(u"Cannot write the file "_s + target + u": "_s + m_work->errorString());
    }
    QFile file(m_work->filePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = writeFailure(target, file);
        file.close();
        file.remove();
        refuse(error);
    }
    file.close();
    if (!m_names.contains(fileName)) {
        m_names.insert(fileName);
        m_written.append(fileName);
    }
}

QList<OutputFolder::Failure> OutputFolder::commit() {
    QList<Failure> failures;
    // A kept file that was changed since it was read is written after all, through the gate.
    for (auto kept = m_kept.cbegin(); kept != m_kept.cend(); ++kept) {
        if (isUnchangedSince(kept.key(), kept.value()))
            continue;
        try {
            OutputFile::write(pathOf(kept.key()), kept->bytes, m_rules);
        } catch (const RunTimeError& error) {
            failures.append({kept.key(), error.description()});
        }
    }
    m_kept.clear();
    if (m_written.isEmpty())
        return failures;
    // One flush of the file system for the whole set rather than one per file (which is what
    // made many small files slow): still, no file replaces another before its bytes are on disk.
    const int fd = ::open(QFile::encodeName(m_work->path()).constData(), O_RDONLY | O_DIRECTORY);
    const bool saved = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    for (const QString& name : std::as_const(m_written)) {
        const QString staged = m_work->filePath(name);
        const QString target = pathOf(name);
        const auto fail = [&](const QString& error) {
            QFile::remove(staged);
            failures.append({name, error});
        };
        if (!saved) {
            fail(u"Cannot write the file "_s + target + u": it could not be saved to disk."_s);
            continue;
        }
        // Checked once more: time has passed since the file was written.
        if (const auto sentence = refusal(name)) {
            fail(*sentence);
            continue;
        }
        const QByteArray landing = QFile::encodeName(landingPath(target));
        const QByteArray from = QFile::encodeName(staged);
        // A replaced file keeps who may read it.
        struct stat old {};
        if (::stat(landing.constData(), &old) == 0)
            ::chmod(from.constData(), old.st_mode & 07777);
        if (::rename(from.constData(), landing.constData()) == 0)
            continue;
        if (errno == EXDEV) {
            // A link that leads to another disk: the file is copied there the slow way.
            try {
                OutputFile::copy(staged, target, m_rules);
                QFile::remove(staged);
                continue;
            } catch (const RunTimeError& error) {
                fail(error.description());
                continue;
            }
        }
        fail(u"Cannot write the file "_s + target + u": it could not be put in place."_s);
    }
    m_written.clear();
    m_names.clear();
    return failures;
}

} // namespace tovin
