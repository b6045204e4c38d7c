#pragma once

namespace tovin {

struct ShellState;

// How the screens open, as the command line asks.
struct ScreenOptions {
    bool largeProductsPreview = true; // the Products screen opens with its large preview
};

// Registers every child screen of the program with ChildWindows (called once at start-up). The
// screens are made with the parts of `shell` they work with; it must outlive them.
void registerScreens(ShellState& shell, const ScreenOptions& options = {});

} // namespace tovin
