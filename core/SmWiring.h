#pragma once
// A wiring fault: code asked for a part of the program that was never loaded (for example a
// module's parameters with no module). Debug builds stop at once; the tests turn it into a
// failed test; the clerk's program logs a warning and goes on with its fallback value.
#include <string>

using SmWiringFaultHandler = void (*)(const std::string& what);

// Reports the fault to the handler set, or by default aborts in a debug build and logs a
// warning otherwise.
void SmWiringFault(const std::string& what);

// Sets the handler of wiring faults (nullptr: the default); returns the one set before.
SmWiringFaultHandler SmSetWiringFaultHandler(SmWiringFaultHandler handler);
