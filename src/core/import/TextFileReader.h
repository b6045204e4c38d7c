#pragma once

#include "core/import/TextFile.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <optional>

namespace tovin {

// Reads a text file in pieces of decoded text, so that a file of any size is never held whole.
// The encoding is found as TextFile finds it (a first pass over the bytes tells UTF-8 from
// Windows-1252), and the pieces put together give exactly the text TextFile::load gives.
class TextFileReader {
public:
    static constexpr qsizetype DefaultPieceSize = 1 << 20;

    // Opens the file at `path` in the named encoding, or the one found from its bytes; raises
    // error 53 (file not found) when it does not exist or cannot be read, and error 5 for an
    // encoding name the system does not know. `pieceSize` is the number of bytes read at once.
    // `found` is what an earlier reader of the same file found (UTF-8 or Windows-1252, with no
    // encoding named): taken as it is, it spares the pass over all the bytes, so that reading
    // a few lines again costs a few lines.
    explicit TextFileReader(const QString& path, const QString& encodingName = QString(),
                            qsizetype pieceSize = DefaultPieceSize,
                            std::optional<TextFile::Encoding> found = std::nullopt);

    TextFile::Encoding encoding() const { return m_encoding; }
    bool hadByteOrderMark() const { return m_byteOrderMark; }
    qint64 size() const { return m_file.size(); }

    // True once every piece was read.
    bool atEnd() const { return m_atEnd; }
    // The next piece of text; empty at the end. Raises error 53 when the file cannot be read.
    QString read();

private:
    [[noreturn]] void fail() const;
    // The next piece of bytes, ending on a whole UTF-8 character unless it is the last.
    QByteArray readBytes();

    QString m_path;
    QFile m_file;
    qsizetype m_pieceSize;
    TextFile::Encoding m_encoding = TextFile::Encoding::Utf8;
    bool m_byteOrderMark = false;
    bool m_atEnd = false;
    bool m_first = true;
    QByteArray m_carried; // the start of a character cut off by the end of the last piece
    std::optional<QStringDecoder> m_decoder; // for UTF-16 and named encodings
};

} // namespace tovin
