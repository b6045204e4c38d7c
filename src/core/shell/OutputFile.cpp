#include "core/shell/OutputFile.h"

#include "core/data/CatalogueFile.h"
#include "core/shell/RunTimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The first bytes of every SQLite database, the catalogue's format.
constexpr QByteArrayView CatalogueHeader("SQLite format 3\0", 16);

bool holdsCatalogue(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(CatalogueHeader.size()) == CatalogueHeader;
}

// The open catalogue and the journal files the database keeps beside it while it is open.
bool isOpenCatalogue(const QString& path, const QString& openCatalogue) {
    if (openCatalogue.isEmpty())
        return false;
    for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s})
        if (CatalogueFile::sameFile(path, openCatalogue + suffix))
            return true;
    return false;
}

// Where a write to `path` really lands: the file a symbolic link leads to.
QString landingPath(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
}

[[noreturn]] void refuse(const QString& sentence) {
    throw RunTimeError(ErrorNumber::PathFileAccessError, sentence);
}

} // namespace

namespace OutputFile {

std::optional<QString> refusal(const QString& path, const OutputRules& rules) {
    if (path.isEmpty())
        return u"No file name was given, so nothing was written."_s;
    if (isOpenCatalogue(path, rules.openCatalogue))
        return path + u" is the open catalogue (or one of its working files), so nothing was "
                      u"written over it."_s;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
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
    if (!m_file->commit())
        failed();
}

void OutputWriter::failed() const {
    if (!QFileInfo(QFileInfo(m_path).absolutePath()).isDir())
        throw RunTimeError(ErrorNumber::PathNotFound, u"Cannot write the file "_s + m_path +
                                                          u": its folder does not exist."_s);
    refuse(u"Cannot write the file "_s + m_path + u": "_s + m_file->errorString());
}

} // namespace tovin
