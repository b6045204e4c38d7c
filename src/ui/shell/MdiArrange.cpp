#include "ui/shell/MdiArrange.h"

#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>

namespace tovin::MdiArrange {

namespace {

QList<QMdiSubWindow*> openWindows(QMdiArea* area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    return windows;
}

// Splits `length` pixels into `parts` bands that together fill it exactly.
int bandStart(int length, int parts, int index) {
    return int(qint64(length) * index / parts);
}

void tile(QMdiArea* area, bool rows) {
    const QList<QMdiSubWindow*> windows = openWindows(area);
    if (windows.isEmpty())
        return;
    const QRect space = area->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        QRect band;
        if (rows) {
            const int top = bandStart(space.height(), count, i);
            const int bottom = bandStart(space.height(), count, i + 1);
            band = QRect(space.left(), space.top() + top, space.width(), bottom - top);
        } else {
            const int left = bandStart(space.width(), count, i);
            const int right = bandStart(space.width(), count, i + 1);
            band = QRect(space.left() + left, space.top(), right - left, space.height());
        }
        sub->setGeometry(band);
    }
}

} // namespace

void tileHorizontal(QMdiArea* area) {
    if (area)
        tile(area, true);
}

void tileVertical(QMdiArea* area) {
    if (area)
        tile(area, false);
}

void arrangeIcons(QMdiArea* area) {
    if (!area)
        return;
    const QRect space = area->viewport()->rect();
    int x = space.left();
    int bottom = space.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > space.left() && x + size.width() > space.right() + 1) {
            x = space.left();
            bottom -= rowHeight;
            rowHeight = 0;
        }
        sub->move(x, bottom - size.height());
        x += size.width();
        rowHeight = qMax(rowHeight, size.height());
    }
}

void arrange(QMdiArea* area, int code) {
    if (!area)
        return;
    switch (code) {
    case Cascade:
        area->cascadeSubWindows();
        break;
    case TileHorizontal:
        tileHorizontal(area);
        break;
    case TileVertical:
        tileVertical(area);
        break;
    case ArrangeIcons:
        arrangeIcons(area);
        break;
    default:
        break;
    }
}

} // namespace tovin::MdiArrange
