#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <time.h>

class QIODevice;
class QSaveFile;
class QTemporaryDir;

namespace tovin {

// What a writer may replace. Every file the program writes (exports, reports, pages and their
// PDFs, pictures, downloads, catalogue copies) is checked against these rules first, so that no
// output ever lands on the catalogue being worked on.
struct OutputRules {
    QString openCatalogue;         // the catalogue the program has open; empty when none
    bool writesCatalogue = false;  // the output is itself a catalogue (copies, conversions)
    bool replaceCatalogue = false; // ... and the user agreed to replace another catalogue
};

namespace OutputFile {

// Why `path` cannot be written, as one sentence naming the file; nothing when it can. Refused:
// the open catalogue and its -wal and -shm files by any name (links and other spellings
// included), a file holding a catalogue unless a catalogue writer was allowed to replace it,
// and anything that exists and is not a plain file (folders, devices, pipes). A catalogue
// writer naming the open catalogue is refused every other catalogue a connection has open too.
std::optional<QString> refusal(const QString& path, const OutputRules& rules);
// The same, raised as a RunTimeError.
void check(const QString& path, const OutputRules& rules);

// Writes the whole file through a file beside it that replaces the old one only when complete.
void write(const QString& path, const QByteArray& bytes, const OutputRules& rules);
// A copy of the file `source`, written the same way.
void copy(const QString& source, const QString& path, const OutputRules& rules);

// For engines that write a file themselves: a free name beside `target` to let them write to,
// and the move of their finished file into place (checked once more, since time has passed).
// A failed move removes the finished file.
QString temporaryBeside(const QString& target);
void moveIntoPlace(const QString& finished, const QString& target, const OutputRules& rules);

} // namespace OutputFile

// A file written in pieces: checked when made, written to a file beside the target, and put in
// place by commit(). Destroyed without commit() (an error, a stop), it leaves the old file as it
// was and nothing else behind.
class OutputWriter {
public:
    OutputWriter(const QString& path, const OutputRules& rules);
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    QIODevice& device();
    void write(const QByteArray& bytes);
    void commit();

private:
    [[noreturn]] void failed() const;

    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
};

// Many files written into one folder as one set (the pages of a web catalogue). What depends
// only on the folder and the open catalogue is worked out once, not for every file; each file
// is written into a hidden working folder inside the folder, and commit() saves them all to
// disk at once, then checks each name once more and moves the file over it. A file that already
// holds exactly the bytes to write is left as it is (a catalogue written again mostly repeats
// itself, and each new file costs the disk far more than reading the old one). Destroyed
// without commit() (an error, a stop), it leaves the folder as it was and nothing else behind.
class OpenCatalogue;

class OutputFolder {
public:
    OutputFolder(const QString& folder, const OutputRules& rules);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // The path of the file `fileName` (a name without folders) in the folder.
    QString pathOf(const QString& fileName) const;
    // OutputFile::refusal() of that file.
    std::optional<QString> refusal(const QString& fileName) const;
    // Writes the whole file into the working folder. Raises RunTimeError when its name is
    // refused or it cannot be written.
    void write(const QString& fileName, const QByteArray& bytes);

    struct Failure {
        QString fileName;
        QString error;
    };
    // Puts every written file in place; the files that could not be, with why.
    QList<Failure> commit();

private:
    // A file found holding the bytes to write, and how it looked then: if it changed before the
    // commit, the bytes are written after all.
    struct Kept {
        QByteArray bytes;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
    };
    bool keepsUnchanged(const QString& fileName, const QByteArray& bytes);
    bool isUnchangedSince(const QString& fileName, const Kept& kept) const;

    QString m_folder; // ends in "/"
    OutputRules m_rules;
    std::unique_ptr<OpenCatalogue> m_open;
    QString m_realFolder;
    std::unique_ptr<QTemporaryDir> m_work;
    QStringList m_written; // in the order written
    QSet<QString> m_names;
    QHash<QString, Kept> m_kept;
};

} // namespace tovin
