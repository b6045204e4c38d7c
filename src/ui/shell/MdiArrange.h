#pragma once

class QMdiArea;

namespace tovin::MdiArrange {

// The arrangement codes of the Window menu.
enum Code { Cascade = 0, TileHorizontal = 1, TileVertical = 2, ArrangeIcons = 3 };

// Arranges the child windows of the area by code; an unknown code does nothing.
void arrange(QMdiArea* area, int code);

// Overlaps the open (not minimised) child windows from the top left corner, each one title bar
// further down and right, all of one size that keeps them inside the area; when the area has
// no room for that many steps, the further windows start again at the top.
void cascade(QMdiArea* area);
// Stacks the open (not minimised) child windows one above the other, each as wide as the area;
// when that would make them too low to read, they share the area in rows of several windows.
void tileHorizontal(QMdiArea* area);
// Sets the open child windows side by side, each as high as the area; when that would make them
// too narrow to read, they share the area in columns of several windows.
void tileVertical(QMdiArea* area);
// Lines the minimised child windows up along the bottom edge of the area, left to right,
// starting a new row above when a row is full.
void arrangeIcons(QMdiArea* area);

} // namespace tovin::MdiArrange
