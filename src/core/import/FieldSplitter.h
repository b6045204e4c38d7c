#pragma once

#include "core/import/Divider.h"

#include <QStringList>

namespace tovin {

class ImportItem;
class LineSource;

// Cuts the lines of a text file into items and fields.
//
// Plain fields: the rest of the line is searched for the first occurrence of the divider; the
// text before it is the next field and reading goes on after the divider's FIRST character, so
// a two-character divider leaves its second character at the front of the next field. With the
// two-space divider an empty field takes no position (a run of spaces is one divider): "A  B   C"
// gives "A", " B", " C". When no divider is left, the rest of the line is the last field.
//
// Quoted fields (dividers that quote fields: see Divider::quotesFields): a field that starts with a
// double quote is read up to its closing quote, "" inside standing for one quote. Line breaks
// inside the quotes belong to the field, each kept as the file wrote it, so one item may span
// several lines. Text between the closing quote and the next divider is added to the field. (A
// field after a two-character divider starts with the divider's second character, so it counts as
// quoted only when that character is a double quote.)
//
// An unterminated quote must not swallow the rest of the file: when the closing quote is not
// found within MaxQuotedLines lines (the opening line included) or MaxQuotedChars characters, or
// before the end of the file, the quote is an ordinary character after all: the line it opened
// on is split from that field on by the bare divider, and the next item starts on the line after
// it.
//
// Separate lines: each line is one field, linesPerItem() lines make an item (fewer at the end
// of the file).
//
// Positions past 100 are read (so quoted fields there still end where they should) but dropped.
class FieldSplitter {
public:
    static constexpr int MaxQuotedLines = 1000;
    static constexpr qsizetype MaxQuotedChars = 1024 * 1024;

    explicit FieldSplitter(Divider divider) : m_divider(std::move(divider)) {}

    const Divider& divider() const { return m_divider; }

    // Reads the next item from `source` into `item` (emptied first). Returns false, leaving the
    // item empty, when the source is at its end.
    bool readItem(LineSource& source, ImportItem& item) const;

    // The fields of the first item of a text read as a file on its own (an empty text has no
    // item and gives no fields): a convenience for checking a line.
    QStringList split(const QString& text) const;

private:
    void readSeparateLines(LineSource& source, ImportItem& item) const;
    void splitLines(LineSource& source, ImportItem& item) const;

    Divider m_divider;
};

} // namespace tovin
