#include "core/import/TextFileLines.h"

namespace tovin {

TextFileLines TextFileLines::open(const QString& path, const QString& encodingName,
                                  qsizetype heldLines) {
    TextFileLines lines;
    lines.m_path = path;
    lines.m_encodingName = encodingName;
    LineSource source(path, encodingName);
    QString head;
    for (; !source.atEnd(); ++lines.m_lineCount) {
        const QStringView line = source.readLine();
        if (lines.m_lineCount < heldLines) {
            head += line;
            head += source.lastLineEnd();
        }
        source.dropRead();
    }
    const TextFile::Encoding encoding = source.encoding();
    if (encodingName.isEmpty() &&
        (encoding == TextFile::Encoding::Utf8 || encoding == TextFile::Encoding::Windows1252))
        lines.m_found = encoding;
    lines.m_head = TextFile::fromText(std::move(head), encoding, source.hadByteOrderMark());
    return lines;
}

QStringList TextFileLines::heldLines(qsizetype first, qsizetype count) const {
    return m_head.lines(first, count);
}

QString TextFileLines::line(qsizetype index) const {
    if (index < 0 || index >= m_lineCount)
        return QString();
    if (index < m_head.lineCount())
        return m_head.line(index).toString();
    LineSource source = from(index);
    return source.readLine().toString();
}

LineSource TextFileLines::from(qsizetype first) const {
    if (m_lineCount <= m_head.lineCount())
        return LineSource(m_head, first);
    return LineSource(m_path, m_encodingName, first, 0, m_found);
}

} // namespace tovin
