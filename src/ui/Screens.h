#pragma once

namespace tovin {

// How the screens open, as the command line asks.
struct ScreenOptions {
    bool largeProductsPreview = true; // the Products screen opens with its large preview
};

// Registers every child screen of the program with ChildWindows (called once at start-up).
void registerScreens(const ScreenOptions& options = {});

} // namespace tovin
