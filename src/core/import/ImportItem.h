#pragma once

#include <QString>
#include <array>

namespace tovin {

// The fields of one item read from a supplier file, by position 0 to 100. Fields past position
// 100 are left out (truncated() tells); they never overwrite anything.
//
// While the fields are being mapped, the first item may get extra "added slots" after its last
// field for items that have more fields than the first one.
class ImportItem {
public:
    static constexpr int Positions = 101;
    static constexpr int LastPosition = Positions - 1;

    // Number of positions filled, added slots included (at most 101).
    int fieldCount() const { return m_count; }
    // True when the item had more fields than there are positions.
    bool truncated() const { return m_truncated; }
    // Number of slots added after the item's own fields.
    int addedSlots() const { return m_addedSlots; }

    // The text at `position`; empty for a position outside 0 to fieldCount() - 1.
    const QString& field(int position) const;
    // Replaces the text of a filled position; nothing happens for other positions.
    void setField(int position, QString value);
    // Fills the next position; past position 100 the value is dropped and truncated() is set.
    void append(QString value);
    // Empties the item.
    void clear();

    // Adds up to `count` slots after the last field, each holding its label (see
    // addedSlotLabel); returns how many were added (fewer when the positions run out).
    int addSlots(int count);
    // Empties the added slots' labels; the slots stay part of the item.
    void clearAddedSlotLabels();
    // "Additional Item <position + 1> You Added".
    static QString addedSlotLabel(int position);

private:
    std::array<QString, Positions> m_fields;
    int m_count = 0;
    int m_addedSlots = 0;
    bool m_truncated = false;
};

} // namespace tovin
