#pragma once

#include "core/import/TextFile.h"

#include <deque>
#include <memory>
#include <optional>

namespace tovin {

class TextFileReader;

// Reads the lines of a text file one after the other, for the field splitter: either of a file
// decoded whole (it keeps its own copy, shared, not copied, so it never outlives the text it
// reads), or streamed from the file itself, so that an import of any size holds only the lines
// of the item it is reading.
//
// A streamed source keeps the lines from the last call of dropRead() on: it can go back to any
// of them, never further.
class LineSource {
public:
    explicit LineSource(TextFile file, qsizetype firstLine = 0);
    // Streams the file at `path` (see TextFileReader, which also tells `found`), reading
    // `pieceSize` bytes at a time (0: the reader's own size); raises error 53 when it cannot be
    // read.
    LineSource(const QString& path, const QString& encodingName, qsizetype firstLine = 0,
               qsizetype pieceSize = 0, std::optional<TextFile::Encoding> found = std::nullopt);
    ~LineSource();
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;
    LineSource(LineSource&&) noexcept;
    LineSource& operator=(LineSource&&) noexcept;

    // The encoding the text is read in.
    TextFile::Encoding encoding() const;
    bool hadByteOrderMark() const;

    bool atEnd() const { return m_next >= m_firstLine + lineCountHeld(); }
    // Index of the line that the next readLine() returns.
    qsizetype position() const { return m_next; }
    // Moves to line `index` (kept within the lines held and the line count).
    void seek(qsizetype index);
    // Skips up to `count` lines (the lines above the chosen start line).
    void skip(qsizetype count) { seek(m_next + count); }

    // The next line without its line end, and moves past it; an empty view at the end. The
    // view stays valid until dropRead().
    QStringView readLine();
    // The line end of the line just before position(), that is of the line readLine() returned
    // last: empty at the start and after a last line that has none.
    QStringView lastLineEnd() const;
    // Lets a streamed source forget the lines before position(): the reader is done with them.
    void dropRead();
    // The room a streamed source keeps for text read and not yet cut into lines: about one
    // piece, however long the file, unless a line is longer.
    qsizetype textCapacity() const { return m_pending.capacity(); }

private:
    struct Line {
        QString text;
        quint8 endLength = 0;
    };
    qsizetype lineCountHeld() const;
    // Makes sure line `index` is held when the file has it.
    void load(qsizetype index);
    // Cuts the next line off the text read; false at the end of the file.
    bool cutLine();

    TextFile m_file;
    qsizetype m_next = 0;

    std::unique_ptr<TextFileReader> m_reader; // set for a streamed source
    std::deque<Line> m_lines;                 // held lines, from m_firstLine on
    qsizetype m_firstLine = 0;
    QString m_pending; // text read and not yet cut into lines, from m_pendingAt on
    qsizetype m_pendingAt = 0;
};

} // namespace tovin
