#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
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
    // One stock number. A file of a million lines has nearly a million of them, so each is
    // three 32-bit numbers, its text kept as UTF-8 in one array with all the others, up to where
    // the next one's starts (a file would need billions of lines to outgrow them).
    struct Entry {
        quint32 offset = 0; // of the stock number as the first item writes it, in m_text
        quint32 firstLine = 0;
        quint32 lastLine = 0;
    };
    // The entry of a stock number, -1 when it has none.
    qsizetype find(QStringView stockNumber, size_t hash) const;
    void grow();
    // The stock number of entry `index` as stored.
    QByteArrayView storedText(size_t index) const;

    QByteArray m_text;
    // In the order the stock numbers first appear. A deque grows without copying what it holds,
    // which would double the memory the entries take at the moment it grows.
    std::deque<Entry> m_entries;
    // An open-addressing table of entry indexes + 1 (0 for a free slot), at most three quarters
    // full (a table kept half full would take twice the memory at a million stock numbers).
    std::vector<quint32> m_slots;
    QHash<qsizetype, QList<qsizetype>> m_lines; // every line of a repeated stock number
    qsizetype m_repeated = 0;
    Place m_place = Place::Lines;
};

} // namespace tovin
