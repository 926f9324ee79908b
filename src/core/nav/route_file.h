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
#include <cstdint>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "nav/route_store.h"
#include "support/text.h"

namespace mw {

class Ui;

inline constexpr const char* kRouteFileOpenErrorText = "Route file could not be opened";
inline constexpr const char* kRoutePointDefaultName = "X";

// Red, blue, green, dark green, magenta, black, purple, as 0x00BBGGRR.
inline constexpr std::array<std::int32_t, 7> kDefaultRouteColours = {
    0x0000FF, 0xFF0000, 0x00FF00, 0x008000, 0xFF00FF, 0x000000, 0x800080};

// Reads the routes of an open route file, the positions moved from the
// file's datum to `mapDatum`. Points before the first route line are
// dropped, and so are routes beyond the 100th and points beyond the 100th
// of a route (they are read, so memory stays bounded for any file).
// Numbers that do not read are 0; a point whose latitude and longitude are
// both 0 has no position and is not moved to the map datum.
// `afterHeader`, when given, is set to whether any non-blank line followed
// the header.
std::vector<Route> ReadRoutes(TextFileReader& file, const DatumTable& datums, int mapDatum,
                              bool* afterHeader = nullptr);

// Replaces the routes in `store` by those of the file at `path`. When the
// file cannot be opened (or is a folder) the routes stay as they were and
// the outcome says why, for the command to tell (kRouteFileOpenErrorText).
// `ui` (may be null) shows the wait cursor.
ReadOutcome LoadRouteFile(RouteStore& store, const std::string& path, const DatumTable& datums,
                          int mapDatum, Ui* ui);

}  // namespace mw
