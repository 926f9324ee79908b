// The latest data from the GPS receiver, apart from the position itself
// (positions travel with their results to the position pipeline).
#pragma once

#include <string>

#include "gps/satellites.h"

namespace mw {

// Marks an altitude, course or variation that is not known. Compared exactly.
inline constexpr double kGpsNotKnown = -777;

// The three-character GPS state the info panels show; the position pipeline
// may append "L" and "T" to it.
inline constexpr const char* kStatusOff = "OFF";
inline constexpr const char* kStatusOn = "ON ";
inline constexpr const char* kStatusOnStar = "ON*";
inline constexpr const char* kStatusError = "ERR";
inline constexpr const char* kStatusChecksum = "CSM";

struct GpsFix {
    int fixQuality = 0;  // GGA fix quality, 0 = no fix
    int satellitesInUse = 0;
    double hdop = 0;
    double altitude = kGpsNotKnown;           // feet
    int dgpsAge = 0;                          // seconds since the last DGPS update
    double speed = 0;                         // in the "Speed Unit": 0 km/h, 1 mph, other knots
    double trueCourse = kGpsNotKnown;         // degrees, [0, 360)
    double magneticCourse = kGpsNotKnown;     // degrees
    double magneticVariation = kGpsNotKnown;  // degrees, east positive
    std::string statusText = kStatusOff;
    SatelliteTables satellites;  // satellites in view, per constellation

    bool operator==(const GpsFix&) const = default;
};

// What opening the port with a reset does to the fix: altitude not known,
// satellite table cleared. The other fields keep their values.
void ResetGpsFix(GpsFix& fix);

// Copies every field the parsers write from `from` into `to`; statusText is
// left alone because its owner (the GUI thread) changes it too.
void AdoptParserFields(GpsFix& to, const GpsFix& from);

}  // namespace mw
