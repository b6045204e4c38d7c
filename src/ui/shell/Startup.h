#pragma once

namespace tovin {

// The program's entry procedure: shows the main window and runs the event loop. Every step
// that fails is reported under "(Module) Module::Sub Main" and the next step runs.
int runProgram();

} // namespace tovin
