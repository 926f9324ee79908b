// MW_TRACE_STARTUP=1 in the environment: each step of the program's start
// is written to standard error with the time since the process began and
// since the step before, to see where a slow start goes.
// MW_TRACE_STARTUP=libraries also lists the shared objects loaded when a
// step asks for it (the first frame does), since what is loaded before the
// first frame is most of a slow start.
#pragma once

namespace mw {

// "mapwanderer: startup  123.4 ms (+  5.6) STEP" when tracing is on; nothing
// otherwise (one test of a cached flag).
void TraceStartup(const char* step);
// With MW_TRACE_STARTUP=libraries: "mapwanderer: loaded PATH", one line per
// shared object in the process now, then "mapwanderer: N shared objects
// loaded"; nothing otherwise.
void TraceLoadedLibraries();
// Whether start-up is traced (MW_TRACE_STARTUP set, and not to "0").
bool StartupTraceOn();

}  // namespace mw
