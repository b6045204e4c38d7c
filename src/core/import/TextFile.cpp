#include "core/import/TextFile.h"

#include "core/base/RunTimeError.h"
#include "core/import/TextFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Characters of Windows-1252 for the bytes 0x80 to 0x9F. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value, as the system's converter does.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// UTF-16 without a byte-order mark, told by its zero bytes: text files hold no zero bytes, but
// UTF-16 stores every Latin character with one, in the high byte of each pair. The byte order is
// the side the zeros stand on. The first few thousand pairs are enough to tell.
constexpr qsizetype SampledPairs = 4096;

} // namespace

// `fileSize` is the size of the whole file, of which `bytes` may be only the start.
const char* TextFile::utf16WithoutMark(QByteArrayView bytes, qsizetype fileSize) {
    const qsizetype pairs = qMin(bytes.size() / 2, SampledPairs);
    if (pairs == 0 || fileSize % 2 != 0)
        return nullptr;
    qsizetype zeroLow = 0, zeroHigh = 0; // zero at the pair's first or second byte
    for (qsizetype i = 0; i < pairs; ++i) {
        zeroLow += bytes.at(2 * i) == 0;
        zeroHigh += bytes.at(2 * i + 1) == 0;
    }
    // Most pairs of a file of Latin text have the zero; the other side has none or nearly none.
    const auto mostly = [pairs](qsizetype zeros, qsizetype others) {
        return zeros * 2 > pairs && others * 16 < zeros;
    };
    if (mostly(zeroHigh, zeroLow))
        return "UTF-16LE";
    if (mostly(zeroLow, zeroHigh))
        return "UTF-16BE";
    return nullptr;
}

qsizetype TextFile::wholeUtf8Characters(QByteArrayView bytes) {
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (isContinuation(c))
            continue;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

bool TextFile::isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        // Runs of plain ASCII are checked eight bytes at a time.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int follow = 0;
        unsigned char low = 0x80; // bounds of the second byte
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            if (c == 0xE0)
                low = 0xA0; // no overlong forms
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= follow)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= follow; ++i)
            if (!isContinuation(p[i]))
                return false;
        p += follow + 1;
    }
    return true;
}

QString TextFile::fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char c = in[i];
        out[i] = (c >= 0x80 && c <= 0x9F) ? Windows1252High[c - 0x80] : char16_t(c);
    }
    return text;
}

TextFile TextFile::decode(QByteArrayView bytes) {
    TextFile file;
    if (bytes.startsWith(QByteArrayView("\xFF\xFE", 2)) ||
        bytes.startsWith(QByteArrayView("\xFE\xFF", 2)))
        return decode(bytes, u"UTF-16"_s);
    if (const char* utf16 = utf16WithoutMark(bytes, bytes.size()))
        return decode(bytes, QString::fromLatin1(utf16));
    if (bytes.size() >= 3 && bytes.startsWith(QByteArrayView("\xEF\xBB\xBF", 3))) {
        file.m_byteOrderMark = true;
        bytes = bytes.sliced(3);
    }
    if (isValidUtf8(bytes)) {
        file.m_encoding = Encoding::Utf8;
        file.m_text = QString::fromUtf8(bytes);
    } else {
        file.m_encoding = Encoding::Windows1252;
        file.m_text = fromWindows1252(bytes);
    }
    file.splitLines();
    return file;
}

TextFile TextFile::decode(QByteArrayView bytes, const QString& encodingName) {
    if (encodingName.isEmpty())
        return decode(bytes);
    // The system's converter (ICU) knows the code pages; a byte-order mark is taken off.
    QStringDecoder decoder(encodingName.toLatin1().constData());
    if (!decoder.isValid())
        throw RunTimeError(ErrorNumber::InvalidProcedureCall,
                           u"This system cannot read the encoding "_s + encodingName);
    TextFile file;
    file.m_text = decoder.decode(bytes);
    file.m_byteOrderMark = file.m_text.startsWith(QChar(0xFEFF));
    if (file.m_byteOrderMark)
        file.m_text.remove(0, 1);
    const QString lower = encodingName.toLower();
    file.m_encoding = lower == u"utf-8"_s             ? Encoding::Utf8
                      : lower == u"windows-1252"_s    ? Encoding::Windows1252
                      : lower.startsWith(u"utf-16"_s) ? Encoding::Utf16
                                                      : Encoding::Named;
    file.splitLines();
    return file;
}

TextFile TextFile::fromText(QString text, Encoding encoding, bool byteOrderMark) {
    TextFile file;
    file.m_text = std::move(text);
    file.m_encoding = encoding;
    file.m_byteOrderMark = byteOrderMark;
    file.splitLines();
    return file;
}

QList<QPair<QString, QString>> TextFile::offeredEncodings() {
    return {{u"UTF-8"_s, u"UTF-8"_s},
            {u"windows-1252"_s, u"Windows-1252 (Western)"_s},
            {u"ISO-8859-1"_s, u"ISO-8859-1 (Latin-1)"_s},
            {u"macintosh"_s, u"Mac Roman"_s},
            {u"UTF-16"_s, u"UTF-16 (Unicode text)"_s}};
}

TextFile TextFile::load(const QString& path, const QString& encodingName) {
    // The same reader as a streamed import's, so both read the same text. A large file is never
    // held twice, as bytes and as text.
    TextFileReader reader(path, encodingName);
    TextFile file;
    file.m_encoding = reader.encoding();
    file.m_text.reserve(reader.size());
    while (!reader.atEnd())
        file.m_text += reader.read();
    file.m_byteOrderMark = reader.hadByteOrderMark();
    file.splitLines();
    return file;
}

void TextFile::splitLines() {
    const char16_t* const data = reinterpret_cast<const char16_t*>(m_text.constData());
    const qsizetype size = m_text.size();
    m_lineStart.clear();
    m_endLength.clear();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i];
        if (c != u'\n' && c != u'\r')
            continue;
        quint8 length = 1;
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            length = 2;
        m_lineStart.append(start);
        m_endLength.append(length);
        i += length - 1;
        start = i + 1;
    }
    if (start < size) {
        m_lineStart.append(start);
        m_endLength.append(0);
    }
    m_lineStart.append(size);
}

QStringView TextFile::line(qsizetype index) const {
    if (index < 0 || index >= lineCount())
        return {};
    const qsizetype start = m_lineStart.at(index);
    const qsizetype next = m_lineStart.at(index + 1);
    return QStringView(m_text).sliced(start, next - start - m_endLength.at(index));
}

QStringView TextFile::lineEnd(qsizetype index) const {
    if (index < 0 || index >= lineCount())
        return {};
    const qsizetype next = m_lineStart.at(index + 1);
    const qsizetype length = m_endLength.at(index);
    return QStringView(m_text).sliced(next - length, length);
}

QStringList TextFile::lines(qsizetype first, qsizetype count) const {
    QStringList result;
    for (qsizetype i = qMax<qsizetype>(first, 0); i < lineCount() && result.size() < count; ++i)
        result.append(line(i).toString());
    return result;
}

} // namespace tovin
