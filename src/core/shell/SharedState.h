#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <cstdint>

namespace tovin {

class Prompts;

// The values every screen reads: where the catalogue is, and where questions go. One instance
// exists for the whole run (shared()); every value starts empty. The program folder is
// ProgramFolder::path(); what one screen hands another is kept by the window's shell instead
// (ShellState) and given to the screens that use it.
struct SharedState {
    QString DBPath; // full path of the catalogue file every data screen opens

    // Where questions and notices go (real dialogs in the program, a script in tests).
    Prompts* prompts = nullptr;
};

// The one shared state of the program.
SharedState& shared();

// The prompts of the shared state; with none set (no screen and no test script to answer),
// raises error 424 rather than asking nobody.
Prompts& requiredPrompts();

// Puts every value back to its start value, keeping the prompts, and lets waits run again
// (tests use this between cases).
void resetSharedState();

} // namespace tovin
