#pragma once

class QMdiArea;
class QMenu;

namespace tovin::WindowList {

// Puts the open child windows of the area at the end of the menu, below a separator, in the
// order they were opened: numbered for the keyboard, named by their captions, the active one
// checked. Choosing one brings it to the front, restored when it was minimised. The list made
// by an earlier call is replaced, so the menu calls this each time it opens.
void fill(QMenu* menu, QMdiArea* area);

} // namespace tovin::WindowList
