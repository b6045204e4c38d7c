#pragma once

#include <QVector>
#include <cstdint>

namespace tovin {

// The tick boxes of a page of product pictures (the Products screen's thumbnail page, the page
// designer's select mode): entry i stands for the product at 0-based place i of the selection
// and is above 0 while that product is ticked. Each page keeps its own list.
struct ThumbTicks {
    QVector<std::int16_t> checked;
    // The entry the last click flipped.
    std::int16_t lastFlipped = 0;

    // Every one of `count` products unticked.
    void untickAll(qsizetype count) { checked = QVector<std::int16_t>(count, 0); }
    bool ticked(qsizetype entry) const {
        return entry >= 0 && entry < checked.size() && checked[entry] > 0;
    }
};

} // namespace tovin
