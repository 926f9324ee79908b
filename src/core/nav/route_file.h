// Route files (".rte"): 8-bit text, CR LF line ends, comma-separated fields.
//
//   line 1     free
//   line 2     datum name of the coordinates (unknown names: WGS 84)
//   lines 3, 4 free
//   R,<any>,<name>,<description>,<colour>       starts a route
//   W,<any>,<any>,<any>,<name>,<lat>,<lon>      adds a point to the last route
//
// The colour is a decimal 0x00BBGGRR value; without one a route takes the
// next colour of kDefaultRouteColours, a turn that starts afresh with every
// file. Any other line or field is ignored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "nav/route_store.h"
#include "support/text.h"

namespace mw {

inline constexpr const char* kRouteFileOpenErrorText = "Route file could not be opened";
// Why a file that opened was refused as a route file.
inline constexpr const char* kNotRouteFileText = "not a route file";
inline constexpr const char* kRoutePointDefaultName = "X";

// Red, blue, green, dark green, magenta, black, purple, as 0x00BBGGRR.
inline constexpr std::array<std::int32_t, 7> kDefaultRouteColours = {
    0x0000FF, 0xFF0000, 0x00FF00, 0x008000, 0xFF00FF, 0x000000, 0x800080};

// A route file is read this far at most: far more than 100 routes of 100
// points take, and an endless source (or an endless run of route lines)
// stops here.
inline constexpr std::size_t kMaxRouteFileBytes = std::size_t{16} << 20;

// What the route reader found in a file.
struct RouteFileRead {
    std::vector<Route> routes;
    // Some non-blank line followed the header.
    bool afterHeader = false;
    // The file has its four header lines, and they are text.
    bool wholeHeader = false;
    // Stopped at the byte budget with more to come.
    bool cut = false;
    // Routes past the 100th, and points past a route's 100th (those of the
    // routes left out included): read, counted and not stored.
    std::int64_t routesLeftOut = 0, pointsLeftOut = 0;
};

// Reads the routes of an open route file, the positions moved from the
// file's datum to `mapDatum`. Points before the first route line are
// dropped; routes beyond the 100th and points beyond the 100th of a route
// are counted and dropped, so memory stays bounded for any file. Only the
// first `maxBytes` bytes are read. Numbers that do not read are 0; a point
// whose latitude and longitude are both 0 has no position and is not moved
// to the map datum.
RouteFileRead ReadRoutes(TextFileReader& file, const DatumTable& datums, int mapDatum,
                         std::size_t maxBytes = kMaxRouteFileBytes);

// The notes of a read: the byte budget and what the limits left out.
std::vector<std::string> RouteReadNotes(const RouteFileRead& read, const std::string& path,
                                        std::size_t maxBytes = kMaxRouteFileBytes);
// "<count> routes left out (at most 100 are kept)".
std::string RoutesLeftOutText(std::int64_t count);
// "<count> route points left out (at most 100 a route are kept)".
std::string RoutePointsLeftOutText(std::int64_t count);

// Replaces the routes in `store` by those of the file at `path`; what the
// limits or the budget left out is in the outcome's notes. The routes stay
// as they were, and the outcome says why (for the command to tell with
// kRouteFileOpenErrorText), when the file cannot be opened, is a folder, a
// device or a FIFO, or is no route file: shorter than the four header
// lines, a header of binary bytes, or lines after it without a route line.
// The header alone empties the routes.
ReadOutcome LoadRouteFile(RouteStore& store, const std::string& path, const DatumTable& datums,
                          int mapDatum, std::size_t maxBytes = kMaxRouteFileBytes);

}  // namespace mw
