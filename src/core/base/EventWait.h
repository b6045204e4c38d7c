#pragma once

#include <functional>

namespace tovin {

// Lets pending window events run once (the platform's "let pending events run").
void letEventsRun();

// Runs the event loop until the condition holds: the way one screen waits for another
// (TaskScreenHandoff, OrderEntryState, the import screen's flags). It sleeps
// on events instead of spinning, checking the condition after each batch of events and at
// least every 50 ms.
//
// Returns true when the condition came true. Returns false when the wait was abandoned because
// the program is closing (Exit, the main window closing, the application leaving its event
// loop): the caller then drops its procedure and writes nothing, since nobody made the choice
// it was waiting for.
[[nodiscard]] bool waitUntil(const std::function<bool()>& done);

// The program is closing: every wait running now, and every wait started later, is abandoned.
void abandonWaits();
// A close that was refused (a screen kept the program open): waits go on as before.
void resumeWaits();
bool waitsAbandoned();

} // namespace tovin
