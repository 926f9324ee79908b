// Calibrating a picture by hand: the points a person places on it (a pixel
// and a position typed in any position format, with its datum), the
// projection chosen for the map, the fit through the program's own
// calibration transform with what each point's residual comes to, the
// checks that keep a calibration nobody can use from being written, and the
// calibration file itself (new, or an opened one saved again with its other
// lines kept as they were).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/datums.h"
#include "geo/geo_point.h"
#include "map/map_record.h"
#include "proj/position_parse.h"
#include "support/durable_file.h"

namespace mw {

struct EditPoint {
    int x = 0, y = 0;  // full-resolution image pixel (the file holds whole pixels)
    std::string text;     // the position as typed
    int format = kAnyPositionFormat;  // the format the text is expected in
    int datum = kDatumWgs84;          // the datum the text is on
    bool on = true;                   // takes part in the fit
    // From ParsePoint: the position on `datum`, the format it was read as,
    // or why the text is no position.
    std::optional<GeoPoint> position;
    int readFormat = 0;
    std::string error;
    // A point read from a file keeps its line while it is not changed, so
    // saving again rewrites only what was edited.
    std::string fileLine;
    bool changed = true;
};

struct CalibrationEdit {
    int imageWidth = 0, imageHeight = 0;  // 0: not known, no outside-picture check
    std::string title;                    // line 2 of a new file
    std::string imageName;                // line 3 of a new file ("NAME.mwf2")
    int mapDatum = kDatumWgs84;
    // Empty: the projection the first grid-typed point implies, else
    // latitude/longitude (EffectiveProjection).
    std::string projectionName;
    ProjectionParams params;
    std::vector<EditPoint> points;  // at most kCalibrationPointCount
    // An opened file: its text, written back line for line except the
    // lines the calibration owns; its "MSF" factor multiplies every pixel
    // written.
    std::optional<std::string> fileText;
    double mapScaleFactor = 1.0;
};

// Reads p.text as a position (p.format, p.datum; tmParams for the user's
// Transverse Mercator format) into p.position, or sets p.error.
void ParsePoint(EditPoint& p, const DatumTable& datums, const ProjectionParams& tmParams = {});

// The projection the map gets: edit.projectionName, or the one the first
// point typed as a grid implies, or "Latitude/Longitude".
std::string EffectiveProjection(const CalibrationEdit& edit);

struct PointResidual {
    bool known = false;    // the point has a position and the fit exists
    double metres = 0;     // ground distance from the point's position to where the fit puts its pixel
    double pixels = 0;     // distance from the point's pixel to where the fit puts its position
    double fitX = 0, fitY = 0;  // where the fit puts the position
};

struct CalibrationFit {
    // Why the calibration cannot be saved, one sentence each; empty when it can.
    std::vector<std::string> problems;
    MapRecord map;  // the calibrated map (points, projection, fit, border, scale)
    std::vector<PointResidual> residuals;  // one per edit point, off points included
    int usedPoints = 0;                    // points that are on and have a position
    // The on point with the largest residual; -1 below 3 points or when
    // every residual is rounding (three points fit exactly).
    int worst = -1;
    double rmsMetres = 0, rmsPixels = 0;   // over the on points
    bool CanSave() const { return problems.empty() && HasFit(); }
    bool HasFit() const { return map.calibration.calibrationMode != 0; }
};

inline constexpr const char* kTooFewPointsText = "At least 2 points are needed to calibrate a map";

// Fits the points that are on through the calibration transform (two points:
// separate scales on the axes; three: exact affine; four or more: least
// squares), measures every point against it, and lists what stands in the
// way of saving: too few points, a text that is no position, a point without
// one, two at the same pixel or place, points on one line, a point outside
// the picture or outside the area the projection covers, a projection
// without its parameters.
CalibrationFit FitCalibration(const CalibrationEdit& edit, const DatumTable& datums);

// The calibration file of a fit that can be saved. A new file gets the
// program's header lines; an opened one keeps every line but the datum
// (when changed), the projection and its parameters (when changed), the
// point lines that were edited and the border and scale lines, which the fit
// replaces.
std::string CalibrationFileText(const CalibrationEdit& edit, const CalibrationFit& fit,
                                const DatumTable& datums);

// An existing calibration file as an edit: its points (those switched off
// with their pixel and position kept as off points), datum, projection and
// parameters, and its text for saving again. Positions are shown as decimal
// degrees on the map datum, or as the grid reference the line holds.
CalibrationEdit ReadCalibrationEdit(std::string_view fileText, const DatumTable& datums);

// Checks and writes: the fit's problems first (nothing is written while there
// are any), then the file through a temporary renamed over `path`. The
// first problem, or the write's failure text, goes to `error`.
bool SaveCalibration(const std::string& path, const CalibrationEdit& edit,
                     const CalibrationFit& fit, const DatumTable& datums, std::string& error);

// A map name ("alps", "/maps/alps", "alps.map") as the calibration file and
// image paths it gives: NAME.map and NAME.mwf2. False (with `error`) for a
// name whose file part holds a dot of its own, since the image is found by
// the name up to the first dot.
bool MapPairPaths(std::string_view name, std::string& mapPath, std::string& imagePath,
                  std::string& error);

}  // namespace mw
