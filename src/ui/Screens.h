#pragma once

namespace tovin {

// Registers every child screen of the program with ChildWindows (called once at start-up).
void registerScreens();

} // namespace tovin
