#pragma once

namespace tovin {

class Prompts;

// Where questions and notices go, for the whole run (shared()); it starts empty. The program
// folder is ProgramFolder::path(); the open catalogue and what one screen hands another are kept
// by the window's shell instead (ShellState) and given to the screens that use them.
struct SharedState {
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
