#include "core/import/LineSource.h"

namespace tovin {

LineSource::LineSource(TextFile file, qsizetype firstLine) : m_file(std::move(file)) {
    seek(firstLine);
}

void LineSource::seek(qsizetype index) {
    m_next = qBound<qsizetype>(0, index, m_file.lineCount());
}

QStringView LineSource::readLine() {
    if (atEnd())
        return {};
    return m_file.line(m_next++);
}

} // namespace tovin
