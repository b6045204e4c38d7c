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

QRect keepVisible(const QRect& stored, const QList<QRect>& available) {
    const QRect band(stored.topLeft(), QSize(stored.width(), TitleBand));
    const int grip = std::min(GripWidth, stored.width());
    const QRect* target = nullptr;
    qint64 bestOverlap = -1;
    for (const QRect& area : available) {
        if (!area.isValid())
            continue;
        const QRect onArea = band & area;
        if (onArea.width() >= grip && onArea.height() == TitleBand)
            return stored;
        const QRect overlap = stored & area;
        const qint64 size = overlap.isValid() ? qint64(overlap.width()) * overlap.height() : 0;
        if (size > bestOverlap) {
            bestOverlap = size;
            target = &area;
        }
    }
    if (!target)
        return stored;
    const QSize size = stored.size().boundedTo(target->size());
    return QRect(keepWithin(stored.x(), size.width(), target->left(), target->width()),
                 keepWithin(stored.y(), size.height(), target->top(), target->height()),
                 size.width(), size.height());
}

} // namespace tovin::WindowPlacement
