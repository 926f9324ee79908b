#pragma once
// The line `mwtool nmea` and `mwtool listen` print for every position: 14
// columns, numbers in the C locale whatever the program's locale is.
#include <string>

#include "gps/gps_fix.h"
#include "gps/nmea_parser.h"

namespace mw {

inline constexpr const char* kPositionCsvHeader =
    "lat,lon,date,time,speed,trueCourse,magneticCourse,magneticVariation,altitudeFeet,"
    "fixQuality,satellitesInUse,hdop,dgpsAge,status";

// Appends one line (with its '\n') to `out`: degrees to 9 decimals, the
// other reals to 6, as printf's "%.9f" and "%.6f" would write them.
void AppendPositionCsv(std::string& out, const PositionReport& p, const GpsFix& f);

}  // namespace mw
