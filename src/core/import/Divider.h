#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace tovin {

// The divider between the fields of an item in a text file: a text of one or two characters,
// or "separate lines", where every field stands on its own line and an item is a fixed number of
// lines.
//
// How a line is cut at the divider is FieldSplitter's work; this class knows the kinds, the
// proposal made from the file's start line and the checks on what the user types.
class Divider {
public:
    enum class Kind {
        Comma,         // ","
        Tab,           // a tab character
        TwoSpaces,     // two spaces; a run of spaces counts as one divider
        Bracket,       // "]", the supplier's stock file
        Other,         // any other text of one or two characters
        SeparateLines, // each field on its own line
    };

    // A comma divider.
    Divider();
    // A divider text; its kind follows from the text (so a typed "," is the comma divider).
    // Only the comma divider quotes fields unless withQuotes() says otherwise.
    explicit Divider(QString text);

    static Divider comma();
    static Divider tab();
    static Divider twoSpaces();
    static Divider bracket();
    // Each field on its own line, `linesPerItem` lines to an item (less than 1 counts as 1).
    static Divider separateLines(int linesPerItem);

    Kind kind() const { return m_kind; }
    // The divider text; empty for separate lines.
    const QString& text() const { return m_text; }
    bool isSeparateLines() const { return m_kind == Kind::SeparateLines; }
    // Lines that make up one item: 1 unless fields stand on separate lines.
    int linesPerItem() const { return m_linesPerItem; }

    // Whether a field may be quoted ("...", with "" for a quote inside), so that it can hold
    // the divider and line breaks. Comma files quote their fields; the fixed supplier files with
    // other dividers do not, and a lone quote there is an ordinary character. A divider the user
    // chose quotes too.
    bool quotesFields() const { return m_quotes && !isSeparateLines(); }
    Divider withQuotes(bool quotes) const;

    // The start line must hold the divider before a file is read with it; separate lines fit
    // any line.
    bool fits(QStringView line) const;

    // The divider proposed for a file from its start line: the first of comma, tab, two spaces
    // and bracket that occurs at least twice in the line, or none.
    static std::optional<Divider> propose(QStringView startLine);
    // Every divider of that list that occurs at least twice in the line, in the list's order
    // (the first is the proposal).
    static QList<Divider> candidates(QStringView startLine);
    // True when `divider` occurs in `line` and occurs again after the start of its first
    // occurrence. Occurrences may overlap, so three spaces in a row hold two-space twice.
    static bool occursTwice(QStringView line, QStringView divider);

    // The divider the user typed for "Other": one or two characters, anything else refused.
    // A double quote or a line break cannot divide fields (they open quoted fields and end
    // lines), so a divider holding one is refused too.
    static std::optional<Divider> fromTypedText(const QString& typed);
    // The number of lines per item the user typed for "Seperate Lines": any numeric answer,
    // rounded to a whole number; none for an answer that is not a number. A number beyond 16
    // bits raises error 6 (overflow) like every whole-number conversion.
    static std::optional<int> linesPerItemFromAnswer(const QString& answer);

private:
    QString m_text;
    Kind m_kind = Kind::Comma;
    int m_linesPerItem = 1;
    bool m_quotes = true;
};

} // namespace tovin
