#include "core/shell/WindowPlacement.h"

#include <algorithm>

namespace tovin::WindowPlacement {

namespace {
// The start of a span of `length` placed at `wanted` and kept within [low, low + room).
int keepWithin(int wanted, int length, int low, int room) {
    return std::max(low, std::min(wanted, low + room - length));
}
} // namespace

QRect firstStart(const QRect& available) {
    if (!available.isValid())
        return QRect(QPoint(DesignedOffset, DesignedOffset), RoomySize);
    const QSize size = RoomySize.boundedTo(available.size());
    return QRect(keepWithin(DesignedOffset, size.width(), available.left(), available.width()),
                 keepWithin(DesignedOffset, size.height(), available.top(), available.height()),
                 size.width(), size.height());
}

} // namespace tovin::WindowPlacement
