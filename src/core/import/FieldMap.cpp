#include "core/import/FieldMap.h"

#include "core/import/MappingCodes.h"

namespace tovin {

FieldMap::FieldMap(std::initializer_list<std::pair<int, int>> pairs) : FieldMap() {
    for (const auto& [position, code] : pairs)
        setCode(position, code);
}

int FieldMap::code(int position) const {
    return position >= 0 && position < Positions ? m_codes[position] : 0;
}

void FieldMap::setCode(int position, int code) {
    if (position >= 0 && position < Positions)
        m_codes[position] = code;
}

int FieldMap::stockFieldIndex() const {
    for (int i = Positions - 1; i >= 0; --i)
        if (m_codes[i] == MappingCodes::StockNumber)
            return i;
    return -1;
}

int FieldMap::lastMappedPosition() const {
    for (int i = Positions - 1; i >= 0; --i)
        if (m_codes[i] != MappingCodes::NotUsed)
            return i;
    return -1;
}

QList<int> FieldMap::positionsOf(int code) const {
    QList<int> positions;
    for (int i = 0; i < Positions; ++i)
        if (m_codes[i] == code)
            positions.append(i);
    return positions;
}

} // namespace tovin
