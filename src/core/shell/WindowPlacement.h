#pragma once

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

} // namespace tovin::WindowPlacement
