#include "core/import/RepeatedStockNumbers.h"

#include "core/import/ImportMessages.h"

namespace tovin {

QString RepeatedStockNumbers::key(const QString& stockNumber) {
    // The catalogue's text comparison folds only the letters A to Z; "É1" and "é1" stay two
    // products there, so they stay two here.
    QString folded = stockNumber;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return folded;
}

namespace {

char16_t folded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// The hash of the key, worked out without making the key.
size_t hashOfKey(QStringView stockNumber) {
    quint64 hash = 14695981039346656037ULL;
    for (const QChar c : stockNumber)
        hash = (hash ^ folded(c.unicode())) * 1099511628211ULL;
    return size_t(hash ^ (hash >> 29));
}

bool sameKey(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (folded(a[i].unicode()) != folded(b[i].unicode()))
            return false;
    return true;
}

bool isAscii(QByteArrayView bytes) {
    for (const char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    return true;
}

// A stock number as stored (UTF-8) against one as read. Stock numbers are nearly always ASCII,
// which is compared as it is stored; anything else is decoded first.
bool sameKey(QByteArrayView stored, QStringView stockNumber) {
    if (stored.size() == stockNumber.size()) {
        qsizetype i = 0;
        for (; i < stored.size(); ++i) {
            const auto b = static_cast<unsigned char>(stored[i]);
            const char16_t c = stockNumber[i].unicode();
            if (b >= 0x80 || c >= 0x80)
                break;
            // Every character before this one was ASCII on both sides, so they line up.
            if (folded(b) != folded(c))
                return false;
        }
        if (i == stored.size())
            return true;
    } else if (isAscii(stored)) {
        return false; // as many characters as bytes, and a different count
    }
    return sameKey(QString::fromUtf8(stored), stockNumber);
}

size_t hashOfStored(QByteArrayView stored) {
    if (!isAscii(stored))
        return hashOfKey(QString::fromUtf8(stored));
    quint64 hash = 14695981039346656037ULL;
    for (const char b : stored)
        hash = (hash ^ folded(char16_t(b))) * 1099511628211ULL;
    return size_t(hash ^ (hash >> 29));
}

} // namespace

QByteArrayView RepeatedStockNumbers::storedText(size_t index) const {
    const quint32 end =
        index + 1 < m_entries.size() ? m_entries[index + 1].offset : quint32(m_text.size());
    return QByteArrayView(m_text).sliced(m_entries[index].offset, end - m_entries[index].offset);
}

qsizetype RepeatedStockNumbers::find(QStringView stockNumber, size_t hash) const {
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const quint32 held = m_slots[slot];
        if (held == 0)
            return -1;
        if (sameKey(storedText(held - 1), stockNumber))
            return held - 1;
    }
}

void RepeatedStockNumbers::grow() {
    std::vector<quint32> table(m_slots.empty() ? 1024 : m_slots.size() * 2, 0);
    const size_t mask = table.size() - 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        size_t slot = hashOfStored(storedText(i)) & mask;
        while (table[slot] != 0)
            slot = (slot + 1) & mask;
        table[slot] = quint32(i + 1);
    }
    m_slots = std::move(table);
}

void RepeatedStockNumbers::add(const QString& stockNumber, qsizetype line) {
    const size_t hash = hashOfKey(stockNumber);
    const qsizetype found = find(stockNumber, hash);
    if (found < 0) {
        if ((m_entries.size() + 1) * 4 > m_slots.size() * 3)
            grow();
        const size_t mask = m_slots.size() - 1;
        size_t slot = hash & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_entries.push_back({quint32(m_text.size()), quint32(line), quint32(line)});
        m_slots[slot] = quint32(m_entries.size());
        m_text += stockNumber.toUtf8();
        return;
    }
    Entry& entry = m_entries[size_t(found)];
    QList<qsizetype>& lines = m_lines[found];
    if (lines.isEmpty()) {
        ++m_repeated;
        lines.append(entry.firstLine);
    }
    lines.append(line);
    entry.lastLine = quint32(line);
}

bool RepeatedStockNumbers::isRepeated(const QString& stockNumber) const {
    return !m_lines.isEmpty() && m_lines.contains(find(stockNumber, hashOfKey(stockNumber)));
}

bool RepeatedStockNumbers::hasLaterItem(const QString& stockNumber, qsizetype line) const {
    const qsizetype found = find(stockNumber, hashOfKey(stockNumber));
    return found >= 0 && qsizetype(m_entries[size_t(found)].lastLine) > line;
}

QStringList RepeatedStockNumbers::messages(qsizetype limit) const {
    QStringList out;
    for (size_t i = 0; i < m_entries.size() && out.size() < limit; ++i) {
        const auto repeated = m_lines.constFind(qsizetype(i));
        if (repeated == m_lines.constEnd())
            continue;
        QList<qsizetype> lines;
        for (qsizetype line : *repeated)
            lines.append(line + 1);
        out.append(ImportMessages::repeatedStockNumber(QString::fromUtf8(storedText(i)), lines,
                                                       m_place == Place::Rows));
    }
    return out;
}

} // namespace tovin
