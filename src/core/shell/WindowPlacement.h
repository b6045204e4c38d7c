#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace tovin::WindowPlacement {

// The size the main window needs for the Products screen to show whole.
inline constexpr QSize RoomySize{1100, 800};
// The designed position of a first start: 1000 twips from the left and top, 15 twips a pixel.
inline constexpr int DesignedOffset = 67;

// Where the main window opens when no placement is stored: at the designed position, at the
// roomy size or the whole available area when the screen is smaller, moved as little as
// needed to stay on the available area.
QRect firstStart(const QRect& available);

// The band along the top of a window that must lie on a screen for the window to be dragged
// back: as high as a title bar, and this wide unless the window is narrower.
inline constexpr int TitleBand = 24;
inline constexpr int GripWidth = 80;

// Where a stored placement reopens, given the available areas of the screens (without their
// panels): unchanged while its title band lies on one of them; otherwise (a screen that is gone,
// a resolution that shrank) moved onto the area it overlaps most, or the first, no larger than
// that area. With no areas known the placement stays.
QRect keepVisible(const QRect& stored, const QList<QRect>& available);

} // namespace tovin::WindowPlacement
