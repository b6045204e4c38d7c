#include "core/import/TextFileReader.h"

#include "core/base/RunTimeError.h"
#include "core/files/OpenCatalogues.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Enough of the start of a file to tell UTF-16 without a mark.
constexpr qsizetype HeadBytes = 8192;

TextFile::Encoding encodingOfName(const QString& name) {
    const QString lower = name.toLower();
    return lower == u"utf-8"_s             ? TextFile::Encoding::Utf8
           : lower == u"windows-1252"_s    ? TextFile::Encoding::Windows1252
           : lower.startsWith(u"utf-16"_s) ? TextFile::Encoding::Utf16
                                           : TextFile::Encoding::Named;
}

} // namespace

TextFileReader::TextFileReader(const QString& path, const QString& encodingName,
                               qsizetype pieceSize, std::optional<TextFile::Encoding> found)
    : m_path(path), m_file(path), m_pieceSize(qMax<qsizetype>(pieceSize, 4)) {
    // The open catalogue is never read as a text file: closing that descriptor would drop the
    // catalogue connection's locks.
    if (const std::optional<QString> refusal = OpenCatalogues::plainOpenRefusal(path))
        throw RunTimeError(ErrorNumber::FileAlreadyOpen, *refusal);
    if (!QFileInfo(path).isFile() || !m_file.open(QIODevice::ReadOnly))
        fail();
    const QByteArray head = m_file.peek(HeadBytes);
    QString name = encodingName;
    if (name.isEmpty()) {
        if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
            name = u"UTF-16"_s;
        else if (const char* utf16 = TextFile::utf16WithoutMark(head, m_file.size()))
            name = QString::fromLatin1(utf16);
    }
    if (!name.isEmpty()) {
        // The system's converter (ICU) knows the code pages; it keeps what a piece cuts off
        // for the next one.
        m_decoder.emplace(name.toLatin1().constData());
        if (!m_decoder->isValid())
            throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                               u"This system cannot read the encoding "_s + name);
        m_encoding = encodingOfName(name);
        m_atEnd = m_file.size() == 0;
        return;
    }

    // UTF-8 only when all of it is: a first pass over the bytes, piece by piece.
    m_byteOrderMark = head.startsWith("\xEF\xBB\xBF");
    const qint64 start = m_byteOrderMark ? 3 : 0;
    if (!m_file.seek(start))
        fail();
    bool utf8 = found != TextFile::Encoding::Windows1252;
    while (utf8 && !found && !m_atEnd) {
        const QByteArray piece = readBytes();
        utf8 = TextFile::isValidUtf8(piece);
    }
    m_encoding = utf8 ? TextFile::Encoding::Utf8 : TextFile::Encoding::Windows1252;
    m_carried.clear();
    m_atEnd = false;
    if (!m_file.seek(start))
        fail();
    m_atEnd = m_file.size() <= start;
}

void TextFileReader::fail() const {
    throw RunTimeError(ErrorNumber::FileNotFound, u"File not found: "_s + m_path);
}

QByteArray TextFileReader::readBytes() {
    QByteArray piece = m_carried + m_file.read(m_pieceSize);
    if (m_file.error() != QFileDevice::NoError)
        fail();
    m_atEnd = m_file.atEnd();
    if (m_atEnd || m_decoder) {
        m_carried.clear();
        return piece;
    }
    const qsizetype whole = TextFile::wholeUtf8Characters(piece);
    m_carried = piece.sliced(whole);
    piece.truncate(whole);
    return piece;
}

QString TextFileReader::read() {
    if (m_atEnd)
        return QString();
    const QByteArray bytes = readBytes();
    if (m_decoder) {
        QString text = m_decoder->decode(bytes);
        if (m_first && text.startsWith(QChar(0xFEFF))) {
            m_byteOrderMark = true;
            text.remove(0, 1);
        }
        m_first = false;
        return text;
    }
    return m_encoding == TextFile::Encoding::Utf8 ? QString::fromUtf8(bytes)
                                                  : TextFile::fromWindows1252(bytes);
}

} // namespace tovin
