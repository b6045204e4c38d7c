#include "ui/shell/MdiArrange.h"

#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>
#include <QStyle>
#include <algorithm>
#include <cmath>

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

// Below these sizes a band is too thin to read a screen in (every screen scrolls, but a strip
// of a few lines shows nothing whole); the windows then share the area as a grid.
constexpr int ReadableHeight = 240;
constexpr int ReadableWidth = 360;

// Rows (or, for columns, the area seen turned on its side) of windows: one window to a line while
// the lines stay readable, otherwise about as many lines as windows in a line; each line is
// shared evenly by its windows and the lines together fill the area exactly.
void tile(QMdiArea* area, bool rows) {
    const QList<QMdiSubWindow*> windows = openWindows(area);
    if (windows.isEmpty())
        return;
    const QRect space = area->viewport()->rect();
    const int count = int(windows.size());
    const int length = rows ? space.height() : space.width();  // the lines stack along this
    const int breadth = rows ? space.width() : space.height(); // each line spans this
    int perLine = 1;
    if (count > 1 && length / count < (rows ? ReadableHeight : ReadableWidth)) {
        const int lines = int(std::ceil(std::sqrt(double(count))));
        perLine = (count + lines - 1) / lines;
    }
    const int lines = (count + perLine - 1) / perLine;
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        const int line = i / perLine;
        const int inLine = std::min(perLine, count - line * perLine);
        const int slot = i % perLine;
        const int top = bandStart(length, lines, line);
        const int bottom = bandStart(length, lines, line + 1);
        const int left = bandStart(breadth, inLine, slot);
        const int right = bandStart(breadth, inLine, slot + 1);
        const QRect band =
            rows ? QRect(space.left() + left, space.top() + top, right - left, bottom - top)
                 : QRect(space.left() + top, space.top() + left, bottom - top, right - left);
        sub->setGeometry(band);
    }
}

} // namespace

void cascade(QMdiArea* area) {
    if (!area)
        return;
    QList<QMdiSubWindow*> windows = openWindows(area);
    if (windows.isEmpty())
        return;
    // The window in front stays in front, on top of the pile.
    QMdiSubWindow* active = area->activeSubWindow();
    if (windows.removeOne(active))
        windows.append(active);
    const QRect space = area->viewport()->rect();
    // Each window sits one title bar lower and to the right of the one before, so every
    // title stays in reach.
    const int step = std::max(16, windows.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight,
                                                                        nullptr, windows.first()));
    // As many steps as leave the windows readable; further windows start again at the top.
    const int room = std::min(space.width() - ReadableWidth, space.height() - ReadableHeight);
    const int places = std::clamp(room / step + 1, 1, int(windows.size()));
    // All windows share one size, so the last of a round ends at the area's far corner.
    const QSize size(std::max(1, space.width() - step * (places - 1)),
                     std::max(1, space.height() - step * (places - 1)));
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        const int offset = step * (i % places);
        sub->setGeometry(QRect(space.topLeft() + QPoint(offset, offset), size));
        sub->raise();
    }
    if (active)
        area->setActiveSubWindow(active);
}

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
        cascade(area);
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
