#include "core/import/RepeatedStockNumbers.h"

#include "core/base/RunTimeError.h"
#include "core/import/ImportMessages.h"

#include <cstring>

using namespace Qt::Literals::StringLiterals;

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

namespace {

// Entry::text with this bit set is the index of a text kept on its own.
constexpr quint32 LongText = 0x80000000u;

} // namespace

quint32 RepeatedStockNumbers::storeText(QByteArrayView text) {
    char length[5];
    int lengthBytes = 0;
    for (quint32 rest = quint32(text.size());; rest >>= 7) {
        const bool more = rest >= 0x80;
        length[lengthBytes++] = char((rest & 0x7F) | (more ? 0x80 : 0));
        if (!more)
            break;
    }
    const qsizetype needed = lengthBytes + text.size();
    if (needed > TextBlockBytes) {
        m_longTexts.emplace_back(text.data(), text.size());
        return LongText | quint32(m_longTexts.size() - 1);
    }
    if (m_textUsed + needed > TextBlockBytes) {
        if (qsizetype(m_textBlocks.size() + 1) * TextBlockBytes > qsizetype(LongText))
            throw RunTimeError(ErrorNumber::Overflow, u"Too many stock numbers in one file"_s);
        m_textBlocks.push_back(std::make_unique_for_overwrite<char[]>(TextBlockBytes));
        m_textUsed = 0;
    }
    char* at = m_textBlocks.back().get() + m_textUsed;
    std::memcpy(at, length, size_t(lengthBytes));
    if (!text.isEmpty())
        std::memcpy(at + lengthBytes, text.data(), size_t(text.size()));
    const auto position = quint32(qsizetype(m_textBlocks.size() - 1) * TextBlockBytes + m_textUsed);
    m_textUsed += needed;
    return position;
}

QByteArrayView RepeatedStockNumbers::storedText(size_t index) const {
    const quint32 text = m_entries[index].text;
    if (text & LongText)
        return m_longTexts[text & ~LongText];
    const auto* at = reinterpret_cast<const unsigned char*>(
        m_textBlocks[text / TextBlockBytes].get() + text % TextBlockBytes);
    qsizetype length = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned char b = *at++;
        length |= qsizetype(b & 0x7F) << shift;
        if (!(b & 0x80))
            break;
    }
    return QByteArrayView(reinterpret_cast<const char*>(at), length);
}

quint32& RepeatedStockNumbers::bucket(size_t hash) {
    const size_t index = hash & (m_bucketCount - 1);
    return m_buckets[index / BucketBlockSize][index % BucketBlockSize];
}

quint32 RepeatedStockNumbers::bucket(size_t hash) const {
    const size_t index = hash & (m_bucketCount - 1);
    return m_buckets[index / BucketBlockSize][index % BucketBlockSize];
}

qsizetype RepeatedStockNumbers::find(QStringView stockNumber, size_t hash) const {
    if (m_bucketCount == 0)
        return -1;
    for (quint32 held = bucket(hash); held != 0; held = m_entries[held - 1].next)
        if (sameKey(storedText(held - 1), stockNumber))
            return held - 1;
    return -1;
}

void RepeatedStockNumbers::grow() {
    // The old buckets go before the new ones come: the chains are made anew from the entries.
    m_bucketCount = m_bucketCount == 0 ? BucketBlockSize : m_bucketCount * 2;
    m_buckets.clear();
    for (size_t i = 0; i < m_bucketCount / BucketBlockSize; ++i)
        m_buckets.push_back(std::make_unique<quint32[]>(BucketBlockSize));
    for (size_t i = 0; i < m_entries.size(); ++i) {
        quint32& first = bucket(hashOfStored(storedText(i)));
        m_entries[i].next = first;
        first = quint32(i + 1);
    }
}

void RepeatedStockNumbers::add(const QString& stockNumber, qsizetype line) {
    const size_t hash = hashOfKey(stockNumber);
    const qsizetype found = find(stockNumber, hash);
    if (found < 0) {
        const quint32 text = storeText(stockNumber.toUtf8());
        if (m_entries.size() + 1 > m_bucketCount)
            grow();
        quint32& first = bucket(hash);
        m_entries.push_back({text, quint32(line), quint32(line), first});
        first = quint32(m_entries.size());
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
