#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QIODevice;
class QSaveFile;

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
// and anything that exists and is not a plain file (folders, devices, pipes).
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

} // namespace tovin
