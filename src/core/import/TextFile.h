#pragma once

#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tovin {

// A text file decoded once and cut into lines.
//
// The bytes are read as UTF-8 when they are valid UTF-8 and as Windows-1252 otherwise, so no
// byte is ever dropped or replaced. A UTF-8 byte-order mark at the very start is removed; a
// UTF-16 byte-order mark (what spreadsheet programs write as "Unicode text") makes the file
// UTF-16 of that byte order, and so do zero bytes in the high byte of most character pairs (a
// UTF-16 file written without the mark). A file may also be read in an encoding the user names.
// Lines end with CR LF, LF or a lone CR; the line end is kept apart from the line's text so that
// a reader can still tell which one ended a line. A last line without a line end is a line; a
// line end at the very end of the file does not start another (empty) line.
//
// Copies are cheap: the decoded text and the line table are shared.
class TextFile {
public:
    enum class Encoding { Utf8, Windows1252, Utf16, Named };

    TextFile() = default;

    // Decodes the bytes of a whole file.
    static TextFile decode(QByteArrayView bytes);
    // Decodes the bytes in the named encoding ("UTF-8", "windows-1252", "ISO-8859-1",
    // "macintosh", "UTF-16", any name the system's converter knows); raises error 5 for a name
    // it does not know. An empty name decodes as above.
    static TextFile decode(QByteArrayView bytes, const QString& encodingName);
    // Text already decoded, cut into lines; the encoding and mark are what it was read with.
    static TextFile fromText(QString text, Encoding encoding, bool byteOrderMark);
    // The encodings offered to the user: name for the converter, and caption.
    static QList<QPair<QString, QString>> offeredEncodings();
    // Reads and decodes the file at `path`; raises error 53 (file not found) when it does not
    // exist or cannot be read.
    static TextFile load(const QString& path, const QString& encodingName = QString());

    // True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above
    // U+10FFFF, no sequence cut off at the end.
    static bool isValidUtf8(QByteArrayView bytes);
    // The byte order of UTF-16 written without a byte-order mark ("UTF-16LE" or "UTF-16BE"),
    // told from the start of a file of `fileSize` bytes; null for any other text.
    static const char* utf16WithoutMark(QByteArrayView head, qsizetype fileSize);
    // How many bytes the UTF-8 text `head` holds that end on a whole character: a sequence cut
    // off at the end is left for the next piece of the file.
    static qsizetype wholeUtf8Characters(QByteArrayView head);
    // Windows-1252 decoding: 0x80-0x9F through the code page's own table (the five unassigned
    // bytes become the C1 controls of the same value), every other byte as its Latin-1 character.
    static QString fromWindows1252(QByteArrayView bytes);

    Encoding encoding() const { return m_encoding; }
    bool hadByteOrderMark() const { return m_byteOrderMark; }

    qsizetype lineCount() const { return m_endLength.size(); }
    // The text of line `index` without its line end; an empty view outside the file.
    QStringView line(qsizetype index) const;
    // The line end of line `index`: "\r\n", "\n", "\r", or empty for a last line without one.
    QStringView lineEnd(qsizetype index) const;
    // Up to `count` lines from `first` on, as separate texts (the import's preview list).
    QStringList lines(qsizetype first, qsizetype count) const;

    // The whole decoded text, line ends included.
    const QString& text() const { return m_text; }

private:
    void splitLines();

    QString m_text;
    // m_lineStart[i] is where line i starts; one more entry marks the end of the text.
    QList<qsizetype> m_lineStart;
    // Length of each line's line end (0, 1 or 2).
    QList<quint8> m_endLength;
    Encoding m_encoding = Encoding::Utf8;
    bool m_byteOrderMark = false;
};

} // namespace tovin
