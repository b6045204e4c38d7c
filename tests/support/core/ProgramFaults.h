#pragma once

namespace tovin::test {

// Makes a program fault (a C++ exception other than a RunTimeError, contained by a StepGuard)
// fail the running test, instead of being passed over as it is for the user. The test support
// installs this for every test that uses it.
void failOnProgramFaults();

} // namespace tovin::test
