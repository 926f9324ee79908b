// The map's projection: its name and parameters as the map file gives them,
// the projection id they select, and the two conversions every position of
// the map goes through (geographic on the map datum <-> projected).
//
// The projection routines themselves live one family per source file
// (families.h); the table of ids, keys and routines is registry.cpp.
#pragma once

#include <string>
#include <string_view>

#include "geo/datums.h"
#include "geo/geo_point.h"

namespace mw {

// Projection ids. The key of each is the first five characters of the map
// file's projection text (see ProjectionIdFromName).
enum ProjectionId : int {
    kProjLatLon = 1,       // "Latit": no projection, easting = longitude, northing = latitude
    kProjUtm = 2,          // "(UTM)"
    kProjAlbers = 3,       // "Alber"
    kProjPolyconic = 4,    // "Polyc"
    kProjBritishGrid = 5,  // "(BNG)"
    kProjIrishGrid = 6,    // "(IG) "
    kProjSwedishGrid = 7,  // "(SG) "
    kProjMercator = 8,     // "Merca"
    kProjSwissGrid = 9,    // "(SUI)"
    kProjTransverseMercator = 10,  // "Trans"
    kProjLambert = 11,             // "Lambe"
    kProjNewZealandGrid = 12,      // "(NZG)"
    kProjFrenchI = 13,             // "(I) F"
    kProjFrenchII = 14,            // "(II) "
    kProjFrenchIII = 15,           // "(III)"
    kProjFrenchIV = 16,            // "(IV) "
    kProjVanDerGrinten = 17,       // "Van D"
    kProjBonne = 18,               // "Bonne"
    kProjItaly1 = 19,              // "(ITA1"
    kProjItaly2 = 20,              // "(ITA2"
    kProjVicmap = 21,              // "(VICM"
    kProjUnsupported = 99,         // anything else: behaves as kProjLatLon
};

// A degree value or projection parameter that the map file did not give.
inline constexpr double kUnsetParameter = 777.0;
// utmCentralMeridian before the calibration set-up has found it.
inline constexpr double kUnknownUtmMeridian = 7777.0;

// The seven parameters of a map's projection, as a calibration file gives
// them: degrees, a plain scale factor and metres; kUnsetParameter when absent.
// Which of them a projection reads is listed at its routine in families.h.
struct ProjectionParams {
    double originLatitude = kUnsetParameter;   // degrees
    double centralMeridian = kUnsetParameter;  // degrees
    double scaleFactor = kUnsetParameter;
    double falseEasting = kUnsetParameter;       // metres
    double falseNorthing = kUnsetParameter;      // metres
    double standardParallel1 = kUnsetParameter;  // degrees
    double standardParallel2 = kUnsetParameter;  // degrees
};

// The seven parameters in the order a map file's parameter line lists them
// (the order of the fields above).
inline ProjectionParams ProjectionParamsFromList(const double (&v)[7]) {
    return ProjectionParams{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
}

// The projection state of one loaded map. The map loader fills it from the
// map file before the calibration set-up runs.
struct ProjectionState {
    std::string projectionName;  // only its first five characters matter
    ProjectionParams params;
    // Central meridian of the map's UTM zone in degrees; set by the
    // calibration set-up while it is kUnknownUtmMeridian.
    double utmCentralMeridian = kUnknownUtmMeridian;
    int mapDatum = kDatumWgs84;
};

// The id for a projection text: its first five characters compared exactly
// (case-sensitive) with the keys above; 99 when none matches or the text is
// shorter than five characters. Shows nothing.
int ProjectionIdFromName(std::string_view projectionName);

// What the program says when a map's projection has no id (99): the map
// loader leaves the message to its caller, once per load.
inline constexpr const char* kProjectionNotSupportedText = "Map Projection not Supported";

// Error codes of the projection routines (0 = none).
enum ProjectionErrorCode : int {
    kProjOk = 0,
    kProjErrDomain = -19,          // an asin/acos argument beyond 1; result clamped, still usable
    kProjErrAlbersParallels = 31,  // standard parallels symmetric about the equator
    kProjErrLambertParallels = 41,
    kProjErrLambertPole = 44,  // a pole on the far side of the cone
    kProjErrPolyconicNoConvergence = 74,
    // Iterations that did not converge, and points a routine cannot project.
    kProjErrNoConvergence = 75,
    kProjErrOutOfRange = 76,
};

// Result of a forward conversion: easting and northing in metres (degrees for
// latitude/longitude maps). `error` is the code of this conversion; with a
// code other than 0 or -19 the coordinates are what the routine leaves for
// that failure (zeros, or the input latitude/longitude when the routine
// declines to write), as the map display expects.
struct ProjectedPoint {
    double easting = 0;
    double northing = 0;
    int error = kProjOk;
};

// Result of an inverse conversion: degrees on the map datum.
struct GeoResult {
    double lat = 0;
    double lon = 0;
    int error = kProjOk;
};

// Geographic (degrees on state.mapDatum) to projected, by projection `id`.
// The result starts as (lon, lat), so a routine that declines to write
// (id 1, 99, a Lambert or other map with parameters it refuses) leaves the
// position as a latitude/longitude map would. Never shows a message.
ProjectedPoint ProjectForward(int id, const ProjectionState& state, const DatumTable& datums,
                              double lat, double lon);
// Projected to geographic by the inverse routine of the same id; ids 1 and 99
// copy northing to latitude and easting to longitude.
GeoResult ProjectInverse(int id, const ProjectionState& state, const DatumTable& datums,
                         double easting, double northing);

}  // namespace mw
