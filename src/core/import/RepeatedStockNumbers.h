#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

namespace tovin {

// The stock numbers that stand on more than one item of a file. The import takes such items as
// one, the later ones winning: taking each in turn would count one product as added and edited,
// and leave in its notes two change blocks that undo each other on every later import of the
// same file.
//
// Stock numbers are compared as the catalogue finds them, ignoring the case of the letters A to Z.
class RepeatedStockNumbers {
public:
    // Where the items stand: on lines of a text file or rows of a table.
    enum class Place { Lines, Rows };
    explicit RepeatedStockNumbers(Place place = Place::Lines) : m_place(place) {}

    // Notes that the item starting on line `line` (counted from 0) has `stockNumber`.
    void add(const QString& stockNumber, qsizetype line);
    // True when the stock number stands on more than one item.
    bool isRepeated(const QString& stockNumber) const;
    // True when a later item has the same stock number as the item on `line`.
    bool hasLaterItem(const QString& stockNumber, qsizetype line) const;
    // The stock number as compared: the letters A to Z in lower case.
    static QString key(const QString& stockNumber);
    // How many stock numbers are on more than one item.
    qsizetype count() const { return m_repeated; }
    // One message per repeated stock number, in the order they first appear, at most `limit`:
    // "AB12 is on lines 12 and 20; the later line was used" (lines counted from 1; "rows" for a
    // table).
    QStringList messages(qsizetype limit) const;

private:
    // One stock number. A file of a million lines has nearly a million of them, so each is four
    // 32-bit numbers (a file would need billions of lines to outgrow them).
    struct Entry {
        quint32 text = 0; // where its text is stored: see storedText()
        quint32 firstLine = 0;
        quint32 lastLine = 0;
        quint32 next = 0; // the next entry of its bucket + 1, 0 at the end of the chain
    };
    // Every array here grows in blocks of one fixed size, never by moving what it holds into a
    // bigger one: a big array copied as it grows takes twice its memory at that moment, and
    // leaves the heap with holes no later array fits in.
    static constexpr qsizetype TextBlockBytes = 64 * 1024;
    static constexpr size_t BucketBlockSize = 16 * 1024;

    // The entry of a stock number, -1 when it has none.
    qsizetype find(QStringView stockNumber, size_t hash) const;
    quint32& bucket(size_t hash);
    quint32 bucket(size_t hash) const;
    // Twice the buckets, the entries chained into them anew.
    void grow();
    quint32 storeText(QByteArrayView text);
    // The stock number of entry `index` as stored, UTF-8.
    QByteArrayView storedText(size_t index) const;

    // The stock numbers' texts, each after its length (one to five bytes, seven bits a byte),
    // never across the end of a block. Entry::text is the position in the blocks put end to
    // end, or, with the top bit set, the index of a text too long for a block, kept on its own.
    std::vector<std::unique_ptr<char[]>> m_textBlocks;
    qsizetype m_textUsed = TextBlockBytes; // in the last block
    std::deque<QByteArray> m_longTexts;
    // In the order the stock numbers first appear; a deque grows in blocks of its own.
    std::deque<Entry> m_entries;
    // A chained hash table: the first entry + 1 of each bucket, at most one entry per bucket on
    // average.
    std::vector<std::unique_ptr<quint32[]>> m_buckets;
    size_t m_bucketCount = 0;
    QHash<qsizetype, QList<qsizetype>> m_lines; // every line of a repeated stock number
    qsizetype m_repeated = 0;
    Place m_place = Place::Lines;
};

} // namespace tovin
