// GPX 1.1 interchange: what travels between the program's stores and files
// and a GPX document, and the time conversions the formats need.
//
// Positions in GPX are WGS 84; every record here carries WGS 84 degrees.
// Altitudes are metres in GPX and feet in the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "nav/record_rule.h"  // kMetresPerFoot

namespace mw {

// The namespaces a GPX document may use, and ours for the waypoint and route
// fields GPX has no element for.
inline constexpr const char* kGpx11Namespace = "http://www.topografix.com/GPX/1/1";
inline constexpr const char* kGpx10Namespace = "http://www.topografix.com/GPX/1/0";
inline constexpr const char* kMwGpxNamespace = "urn:mapwanderer:gpx:1";

// The program's "not known" altitude.
inline constexpr double kNoAltitudeFeet = -777;

// One track point, WGS 84.
struct GpxTrackPoint {
    double lat = 0, lon = 0;
    // Starts a new piece of track (the first point of a trkseg).
    bool newSegment = false;
    std::optional<double> eleMetres;
    std::optional<std::int64_t> time;  // UTC, seconds since 1970-01-01
};

// Seconds since 1970-01-01 of a proleptic Gregorian UTC date and time; no
// range checks.
std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);

// "yyyy-mm-ddThh:mm:ssZ".
std::string FormatIsoTime(std::int64_t utc);
// An ISO 8601 date and time as GPX writes it: "yyyy-mm-ddThh:mm:ss", an
// optional fraction (dropped), then "Z", "+hh:mm" or "-hh:mm" (no zone is
// taken as UTC). Nullopt for anything else or an impossible field.
std::optional<std::int64_t> ParseIsoTime(std::string_view text);

// A track log's UTC date "ddMMyy" and time "hhmmss" (two-digit years 80..99
// are 1980..1999, the others 2000..2079). Nullopt unless both read.
std::optional<std::int64_t> PltTime(std::string_view date, std::string_view time);
// The reverse: ("ddMMyy", "hhmmss").
std::pair<std::string, std::string> PltDateAndTime(std::int64_t utc);

// A text made fit for one comma-separated field of the program's files:
// commas and line ends become blanks. `changed` is set when any did.
std::string BlankSeparators(std::string_view text, bool& changed);

}  // namespace mw
