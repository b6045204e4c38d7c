#pragma once

#include "core/import/TextFile.h"

namespace tovin {

// Reads the lines of a decoded file one after the other, for the field splitter. It keeps its
// own copy of the file (shared, not copied), so it never outlives the text it reads.
class LineSource {
public:
    explicit LineSource(TextFile file, qsizetype firstLine = 0);

    const TextFile& file() const { return m_file; }

    bool atEnd() const { return m_next >= m_file.lineCount(); }
    // Index of the line that the next readLine() returns.
    qsizetype position() const { return m_next; }
    // Moves to line `index` (kept within 0 and the line count).
    void seek(qsizetype index);
    // Skips up to `count` lines (the lines above the chosen start line).
    void skip(qsizetype count) { seek(m_next + count); }

    // The next line without its line end, and moves past it; an empty view at the end.
    QStringView readLine();
    // The line end of the line just before position(), that is of the line readLine() returned
    // last: empty at the start and after a last line that has none.
    QStringView lastLineEnd() const { return m_file.lineEnd(m_next - 1); }

private:
    TextFile m_file;
    qsizetype m_next = 0;
};

} // namespace tovin
