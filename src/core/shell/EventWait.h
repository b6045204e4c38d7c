#pragma once

#include <functional>

namespace tovin {

// Lets pending window events run once (the platform's "let pending events run").
void letEventsRun();

// Runs the event loop until the condition holds: the way one screen waits for another
// (EditProdOpen, SupplierScreenClosed, OrderEntryState, the import screen's flags). It sleeps
// on events instead of spinning, checking the condition after each batch of events and at
// least every 50 ms.
void waitUntil(const std::function<bool()>& done);

} // namespace tovin
