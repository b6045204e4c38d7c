#include "ui/Screens.h"

#include "ui/shell/ChildWindows.h"

namespace tovin {

void registerScreens() {
    // One line per child screen: ChildWindows::registerScreen(u"Catagory"_s, [] { ... });
}

} // namespace tovin
