#pragma once

#include "core/import/LineSource.h"
#include "core/import/TextFile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

// The lines of a text file as the import's dialogue shows and checks them, without holding the
// file: its first lines are held for the preview, every line is counted, and a line or item
// further on is read again from the file when it is asked for. A supplier's list of a million
// lines thus takes no more memory to choose its start line and divider than one of a hundred.
//
// The file is read through once when it is opened, in the encoding the whole of it decides, so
// the lines held read exactly as the import will read them, and a file that cannot be read to
// its end is refused before any question is asked about it.
class TextFileLines {
public:
    static constexpr qsizetype DefaultHeldLines = 100;

    TextFileLines() = default;

    // Reads the file at `path` (see TextFileReader): raises error 53 when it cannot be read to
    // its end, error 5 for an encoding name the system does not know.
    static TextFileLines open(const QString& path, const QString& encodingName = QString(),
                              qsizetype heldLines = DefaultHeldLines);

    qsizetype lineCount() const { return m_lineCount; }
    // How many of the first lines are held.
    qsizetype heldLineCount() const { return m_head.lineCount(); }
    // Up to `count` of the lines held, from `first` on.
    QStringList heldLines(qsizetype first, qsizetype count) const;
    // Line `index` without its line end; empty outside the file.
    QString line(qsizetype index) const;
    // The lines from `first` on, for reading items: the lines held when they are the whole file,
    // else the file streamed again.
    LineSource from(qsizetype first) const;

private:
    QString m_path;
    QString m_encodingName;
    // The encoding found for the whole file, so that reading it again needs no second look at
    // every byte; none when one was named or the file is UTF-16.
    std::optional<TextFile::Encoding> m_found;
    TextFile m_head;
    qsizetype m_lineCount = 0;
};

} // namespace tovin
