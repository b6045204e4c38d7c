#include "core/import/LineSource.h"

#include "core/import/TextFileReader.h"

namespace tovin {

namespace {

QStringView lineEndOfLength(quint8 length, QChar first) {
    if (length == 2)
        return u"\r\n";
    if (length == 0)
        return {};
    return first == u'\r' ? QStringView(u"\r") : QStringView(u"\n");
}

} // namespace

LineSource::LineSource(TextFile file, qsizetype firstLine) : m_file(std::move(file)) {
    seek(firstLine);
}

LineSource::LineSource(const QString& path, const QString& encodingName, qsizetype firstLine,
                       qsizetype pieceSize, std::optional<TextFile::Encoding> found)
    : m_reader(std::make_unique<TextFileReader>(
          path, encodingName, pieceSize > 0 ? pieceSize : TextFileReader::DefaultPieceSize,
          found)) {
    // The lines above the start line are read and forgotten.
    for (load(0); m_next < firstLine && !atEnd(); load(m_next)) {
        ++m_next;
        dropRead();
    }
}

LineSource::~LineSource() = default;
LineSource::LineSource(LineSource&&) noexcept = default;
LineSource& LineSource::operator=(LineSource&&) noexcept = default;

TextFile::Encoding LineSource::encoding() const {
    return m_reader ? m_reader->encoding() : m_file.encoding();
}

bool LineSource::hadByteOrderMark() const {
    return m_reader ? m_reader->hadByteOrderMark() : m_file.hadByteOrderMark();
}

qsizetype LineSource::lineCountHeld() const {
    return m_reader ? qsizetype(m_lines.size()) : m_file.lineCount();
}

void LineSource::seek(qsizetype index) {
    if (!m_reader) {
        m_next = qBound<qsizetype>(0, index, m_file.lineCount());
        return;
    }
    load(index);
    m_next = qBound<qsizetype>(m_firstLine, index, m_firstLine + lineCountHeld());
}

QStringView LineSource::readLine() {
    if (!m_reader) {
        if (atEnd())
            return {};
        return m_file.line(m_next++);
    }
    if (atEnd())
        return {};
    const QString& text = m_lines[size_t(m_next - m_firstLine)].text;
    ++m_next;
    // The line after it is read ahead, so that atEnd() knows.
    load(m_next);
    return text;
}

QStringView LineSource::lastLineEnd() const {
    if (!m_reader)
        return m_file.lineEnd(m_next - 1);
    if (m_next - 1 < m_firstLine)
        return {};
    const Line& line = m_lines[size_t(m_next - 1 - m_firstLine)];
    // The stored length tells CR LF and none; a single character is told by what the file
    // wrote, kept as the length's sign.
    return lineEndOfLength(line.endLength & 3, line.endLength & 4 ? QChar(u'\r') : QChar(u'\n'));
}

void LineSource::dropRead() {
    if (!m_reader)
        return;
    while (m_firstLine < m_next) {
        m_lines.pop_front();
        ++m_firstLine;
    }
}

void LineSource::load(qsizetype index) {
    while (m_firstLine + qsizetype(m_lines.size()) <= index && cutLine()) {
    }
}

bool LineSource::cutLine() {
    for (;;) {
        const auto* data = reinterpret_cast<const char16_t*>(m_pending.constData()) + m_pendingAt;
        const qsizetype size = m_pending.size() - m_pendingAt;
        qsizetype end = 0;
        while (end < size && data[end] != u'\n' && data[end] != u'\r')
            ++end;
        // A CR at the end of the text read may be the first half of CR LF.
        const bool decided = end < size && (data[end] == u'\n' || end + 1 < size);
        if (decided || m_reader->atEnd()) {
            if (end == size && size == 0)
                return false;
            Line line{QString(reinterpret_cast<const QChar*>(data), end), 0};
            if (end < size) {
                const bool crlf = data[end] == u'\r' && end + 1 < size && data[end + 1] == u'\n';
                line.endLength = crlf ? 2 : data[end] == u'\r' ? (1 | 4) : 1;
            }
            m_pendingAt += end + (line.endLength & 3);
            m_lines.push_back(std::move(line));
            return true;
        }
        if (m_pendingAt == 0 && !m_pending.isEmpty()) {
            // A line longer than the text read so far grows in place, at the cost of room to
            // spare, rather than being copied again with every piece.
            m_pending += m_reader->read();
            continue;
        }
        // The start of a line cut off by the end of the last piece goes in front of the next
        // piece, in a text made to fit both: appended to the old text, it would grow to several
        // pieces' size as the reallocations round up, and stay that size.
        QString rest = QStringView(m_pending).sliced(m_pendingAt).toString();
        m_pending = QString();
        m_pendingAt = 0;
        QString piece = m_reader->read();
        if (rest.isEmpty()) {
            m_pending = std::move(piece);
        } else {
            m_pending.reserve(rest.size() + piece.size());
            m_pending.append(rest).append(piece);
        }
    }
}

} // namespace tovin
