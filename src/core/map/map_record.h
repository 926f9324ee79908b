// The one loaded map: what its calibration file says, the calibration fitted
// from it, and the view state the display keeps on it.
#pragma once

#include <array>
#include <cmath>
#include <string>

#include "geo/datums.h"
#include "proj/projection.h"

namespace mw {

inline constexpr int kCalibrationPointCount = 30;
// Border corners are numbered 1..kMaxBorderCorners; slot 0 is never used.
inline constexpr int kMaxBorderCorners = 99;
// The scale of a map whose file has no "MM1B" line.
inline constexpr double kNoMapScale = 99999.0;
// The scale an "MM1B" value × the map scale factor gives: kNoMapScale unless
// it is a positive finite number, since a scale of 0 or less would win every
// map search and NaN would never be chosen.
inline double MapScaleFrom(double mm1b, double mapScaleFactor) {
    const double scale = mm1b * mapScaleFactor;
    return scale > 0 && scale < HUGE_VAL ? scale : kNoMapScale;
}
// A pixel or grid field the file left empty.
inline constexpr int kNoPixel = -1;
inline constexpr double kNoGrid = -1.0;

// One calibration point line as read. The markers tell the calibration
// set-up which coordinates a point carries: kUnsetParameter (777) for a degree
// field that was empty, kNoGrid for an empty easting or northing.
struct CalibrationPoint {
    bool used = false;
    int x = 0, y = 0;  // image pixel, already divided by the map scale factor; -1 when empty
    double lat = kUnsetParameter, lon = kUnsetParameter;  // degrees, south and west negative
    std::string zone;                                     // grid zone, at most 3 characters
    double easting = kNoGrid, northing = kNoGrid;         // metres
    bool southern = false;                                // grid hemisphere is south
};

// The fitted transform between projected coordinates and image pixels.
// Projected units are metres, or degrees for latitude/longitude maps.
struct CalibrationState {
    // 0: no usable calibration (fewer than two usable points, or points that
    // fix no transform); 2: two points; 3: three points; 5: four or more.
    int calibrationMode = 0;
    int usablePoints = 0;
    // Mode 2: projected coordinates of pixel (0, 0) and units per pixel.
    double originEasting = 0, originNorthing = 0;
    double metresPerPixelX = 0, metresPerPixelY = 0;
    // Mode 2 on a latitude/longitude map whose two points lie either side of
    // the 180° meridian: longitudes west of it are taken 360° further east.
    bool straddles180 = false;
    // Mode 3: E = a1·x + b1·y + c1, N = a2·x + b2·y + c2 as {a1, b1, c1, a2, b2, c2},
    // and x = d1·E + e1·N + f1, y = d2·E + e2·N + f2 as {d1, e1, f1, d2, e2, f2}.
    std::array<double, 6> affinePixelToGrid{};
    std::array<double, 6> affineGridToPixel{};
    // Mode 5: value = c0 + c1·u + c2·v + c3·u·v; c3 stays 0.
    std::array<double, 4> polyPixelToE{}, polyPixelToN{}, polyGridToX{}, polyGridToY{};
};

struct MapRecord {
    std::string mapFilePath;  // the calibration file of the loaded map
    std::string title;        // line 2 as read
    std::string datumName = "WGS 84";
    int datumIndex = kDatumWgs84;
    // Every pixel coordinate of the file is divided by this ("MSF" line).
    double mapScaleFactor = 1.0;
    // The projection text (projectionName), the seven parameters of the
    // parameter line (params, in file order), the UTM central meridian and
    // the map datum (always equal to datumIndex).
    ProjectionState projection;
    // The id of projection.projectionName, found once when the map is read,
    // so the conversions never raise the unsupported-projection warning again.
    int projectionId = kProjLatLon;
    std::array<CalibrationPoint, kCalibrationPointCount> points{};
    CalibrationState calibration;
    // Ground distance of one image pixel ("MM1B" × mapScaleFactor).
    double scale = kNoMapScale;
    int borderCount = 4;
    // Border corners 1..99 in degrees of the map datum; index 0 unused.
    std::array<double, kMaxBorderCorners + 1> borderLat{}, borderLon{};
    // Line 3 reduced to the name the image loader completes with its
    // extensions (see ImageBaseName).
    std::string imageBaseName;
    // Set by the image loader.
    int imageWidth = 0, imageHeight = 0;
    bool mapLoaded = false;
};

}  // namespace mw
