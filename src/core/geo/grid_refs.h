// Position texts and grid references: degrees and minutes, degrees, minutes
// and seconds, UTM with the polar UPS areas, and the British and Irish
// letter-square grids, in both directions.
//
// Latitudes and longitudes are decimal degrees on the datum given; the
// ellipsoid comes from that datum. Nothing here converts between datums.
#pragma once

#include <string>
#include <string_view>

#include "geo/datums.h"
#include "geo/geo_point.h"

namespace mw {

// UTM constants.
inline constexpr double kUtmScale = 0.9996;
inline constexpr double kUtmFalseEasting = 500000.0;
inline constexpr double kUtmSouthernFalseNorthing = 10000000.0;
// British National Grid and Irish Grid origins (the grids' own false origins
// are added by the letter-square routines, not by the projections).
inline constexpr double kBngLat0 = 49.0, kBngLon0 = -2.0, kBngScale = 0.9996012717;
inline constexpr double kIrishLat0 = 53.5, kIrishLon0 = -8.0, kIrishScale = 1.000035;

// "%.0f %06.3f'" of degrees and minutes, e.g. 51.5 -> "51 30.500'". Minutes
// that would print as 60.000 carry into the degrees. No hemisphere letter:
// negative values carry the sign on the degrees ("-0" between -1 and 0).
std::string FormatDegMin(double value);
// "%.0f %02.0f' %04.1f\"", e.g. 51.5 -> "51 30' 00.0\"", with the same carry.
std::string FormatDegMinSec(double value);
// The same texts appended to `out`.
void AppendDegMin(std::string& out, double value);
void AppendDegMinSec(std::string& out, double value);

// A grid reference: the zone or letter-square text and the easting and
// northing in metres.
struct GridReference {
    std::string zone;
    double easting = 0;
    double northing = 0;
};

// UTM between 80° S and 84° N (zone text "%02d%c", e.g. "32U"; regular 6°
// zones everywhere, no special zones), UPS elsewhere (zone text '0', '0', TAB
// and one of 'Y', 'Z' (north), 'A', 'B' (south)). Eastings carry the false
// easting 500000 (UPS 2000000) and southern northings 10000000.
GridReference LatLonToUtm(double lat, double lon, const DatumTable& datums, int datum);
// Zone 1..60 is UTM with central meridian zone·6 − 183; zone 0 is UPS.
// `southern` selects the hemisphere.
GeoPoint UtmToLatLon(int zone, bool southern, double easting, double northing,
                     const DatumTable& datums, int datum);

// Two letters and metres within the 100 km square. A position off the grid
// (full coordinates, rounded to the metre, outside 0..1000000 E or
// 0..2500000 N, or exactly on its northern edge N = 2500000, where the letter
// table ends) gives letters "--" and 0, 0.
GridReference LatLonToBritishGrid(double lat, double lon, const DatumTable& datums, int datum);
// The first two characters of `letters` are the square. Lat = lon = 0 for
// "--", a letter not in its table, a shorter text, or an easting or northing
// outside 0..100000.
GeoPoint BritishGridToLatLon(std::string_view letters, double easting, double northing,
                             const DatumTable& datums, int datum);

// One letter and metres within the 100 km square; off the grid (full
// coordinates outside 0..400000 E or 0..500000 N, or exactly on its eastern
// or northern edge, where the letter table ends) the letter is " " and the
// metres 0, 0.
GridReference LatLonToIrishGrid(double lat, double lon, const DatumTable& datums, int datum);
// The first character of `letter` is the square. Lat = lon = 0 for "--", an
// empty text, a blank, a letter not in the table, or an easting or northing
// outside 0..100000.
GeoPoint IrishGridToLatLon(std::string_view letter, double easting, double northing,
                           const DatumTable& datums, int datum);

}  // namespace mw
