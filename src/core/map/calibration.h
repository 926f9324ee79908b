// The calibration transform: fitting image pixels to projected coordinates
// from a map's calibration points, and the two conversions every position on
// the map goes through (position -> image pixel and back).
//
// Pixels are full-resolution image pixels; callers convert screen positions
// with the zoom divisor first. The display zoom never enters here.
#pragma once

#include "geo/datums.h"
#include "geo/geo_point.h"
#include "map/map_record.h"

namespace mw {


struct MapPixel {
    int x = 0;
    int y = 0;
    bool operator==(const MapPixel&) const = default;
};

// Projected coordinates: metres, or degrees (easting = longitude) on a
// latitude/longitude map.
struct GridPoint {
    double easting = 0;
    double northing = 0;
};

// Fits map.calibration from map.points with the map's projection: finds the
// projection id (kProjUnsupported for a projection without one; the caller
// says so), sets the UTM central meridian while it is unknown, and chooses the transform by the number of usable points: two
// give independent scales on the two axes, three an exact affine transform,
// four or more a least-squares affine fit in both directions.
//
// Points that fix no transform (two points sharing a row or column, three on
// one line, a singular least-squares system) leave calibrationMode 0: such a
// map must not be drawn on, and the conversions below return zeros for it.
void SetUpCalibration(MapRecord& map, const DatumTable& datums);

inline bool HasCalibration(const MapRecord& map) { return map.calibration.calibrationMode != 0; }

// Projected coordinates to an image pixel. Mode 2 truncates towards zero,
// modes 3 and 5 round to the nearest pixel (+0.5, then truncate). A result
// beyond the int range is clamped to it; mode 0 gives (0, 0).
MapPixel GridToPixel(const CalibrationState& cal, double easting, double northing);
// The same without the rounding: where the fit puts a position, in
// fractions of a pixel, for measuring how far a calibration point lies from
// it. Mode 0 gives (0, 0).
struct PixelPoint {
    double x = 0;
    double y = 0;
};
PixelPoint GridToPixelExact(const CalibrationState& cal, double easting, double northing);
// Image pixel to projected coordinates. In mode 5 the result is refined twice
// against the grid-to-pixel fit so that the two directions agree.
GridPoint PixelToGrid(const CalibrationState& cal, double x, double y);

// A position in degrees on the map datum to its image pixel, and back.
MapPixel LatLonToMapPixel(const MapRecord& map, const DatumTable& datums, double lat, double lon);
GeoPoint MapPixelToLatLon(const MapRecord& map, const DatumTable& datums, double x, double y);

// Whether a position (degrees on the map datum) lies inside the loaded map's
// border polygon (corners 1..borderCount).
bool InsideMapBorder(const MapRecord& map, double lat, double lon);

// trunc(value) as an int: NaN gives 0 and values beyond the int range are
// clamped, so no pixel arithmetic on a file's numbers can be undefined.
int TruncToInt(double value);

}  // namespace mw
