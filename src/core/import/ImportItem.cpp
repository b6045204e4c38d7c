#include "core/import/ImportItem.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
const QString& emptyText() {
    static const QString empty;
    return empty;
}
} // namespace

const QString& ImportItem::field(int position) const {
    if (position < 0 || position >= m_count)
        return emptyText();
    return m_fields[position];
}

void ImportItem::setField(int position, QString value) {
    if (position >= 0 && position < m_count)
        m_fields[position] = std::move(value);
}

void ImportItem::append(QString value) {
    if (m_count == Positions) {
        m_truncated = true;
        return;
    }
    m_fields[m_count++] = std::move(value);
}

void ImportItem::clear() {
    for (int i = 0; i < m_count; ++i)
        m_fields[i].clear();
    m_count = 0;
    m_addedSlots = 0;
    m_truncated = false;
}

int ImportItem::addSlots(int count) {
    int added = 0;
    while (added < count && m_count < Positions) {
        m_fields[m_count] = addedSlotLabel(m_count);
        ++m_count;
        ++added;
    }
    m_addedSlots += added;
    return added;
}

void ImportItem::clearAddedSlotLabels() {
    for (int i = m_count - m_addedSlots; i < m_count; ++i)
        m_fields[i].clear();
}

QString ImportItem::addedSlotLabel(int position) {
    return u"Additional Item "_s + QString::number(position + 1) + u" You Added"_s;
}

} // namespace tovin
