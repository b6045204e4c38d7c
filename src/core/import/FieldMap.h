#pragma once

#include <QList>
#include <array>
#include <initializer_list>
#include <utility>

namespace tovin {

// The mapping code of every field position 0 to 100: which Products column (by its position in
// the table, see MappingCodes) a field of an item goes to. Code 0 leaves the field unused.
class FieldMap {
public:
    static constexpr int Positions = 101;

    FieldMap() { m_codes.fill(0); }
    // A map from (position, code) pairs; every other position is unused.
    FieldMap(std::initializer_list<std::pair<int, int>> pairs);

    // The code at `position`; 0 outside 0 to 100.
    int code(int position) const;
    // Sets the code at `position`; ignored outside 0 to 100.
    void setCode(int position, int code);
    void clear() { m_codes.fill(0); }

    // The position mapped to the stock number (code 2), or -1 when none is. When several are,
    // the last one counts, as when the user maps a second field to it.
    int stockFieldIndex() const;
    // The highest position with a non-zero code, or -1.
    int lastMappedPosition() const;
    // Every position mapped to `code`, in order.
    QList<int> positionsOf(int code) const;

    bool operator==(const FieldMap&) const = default;

private:
    std::array<int, Positions> m_codes;
};

} // namespace tovin
