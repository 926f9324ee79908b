// MW_TRACE_STARTUP=1 in the environment: each step of the program's start
// is written to standard error with the time since the process began and
// since the step before, to see where a slow start goes.
#pragma once

namespace mw {

// "mapwanderer: startup  123.4 ms (+  5.6) STEP" when tracing is on; nothing
// otherwise (one test of a cached flag).
void TraceStartup(const char* step);
// Whether start-up is traced (MW_TRACE_STARTUP set, and not to "0").
bool StartupTraceOn();

}  // namespace mw
