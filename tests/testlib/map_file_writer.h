// Calibration files for tests, written from a description so that every test
// states the map it needs instead of shipping files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mwtest {

// One calibration point. Degrees are decimal (written as degrees, minutes
// and hemisphere); 777 leaves the degree fields empty, -1 the grid fields.
struct TestPoint {
    int x = 0, y = 0;
    double lat = 777, lon = 777;
    std::string zone;
    double easting = -1, northing = -1;
    bool southern = false;
};

// A point calibrated in degrees.
inline TestPoint PointAt(int x, int y, double lat, double lon) {
    TestPoint p;
    p.x = x;
    p.y = y;
    p.lat = lat;
    p.lon = lon;
    return p;
}

struct TestCorner {
    double lat = 0, lon = 0;
};

struct CalibrationFileText {
    std::string header = "Mapwanderer Map File,Version 1.0";
    std::string title = "Test Map";
    std::string image = "test.bmp";
    std::string datum = "WGS 84";
    std::optional<double> msf;  // line 6 "MSF,<value>"
    std::string projection = "Latitude/Longitude";
    std::vector<TestPoint> points;                  // written as lines 10.., at most 30 used
    std::vector<std::optional<double>> params;      // line 40 fields 2..8; missing ones empty
    std::optional<std::string> movingMap = "Yes";   // "MM0" field 2; nullopt: no line
    std::optional<double> scale;                    // "MM1B"; nullopt: no line
    std::optional<int> borderCount;                 // "MMPNUM"
    std::vector<TestCorner> borderLatLon;           // "MMPLL" 1..n
    std::vector<std::pair<int, int>> borderPixels;  // "MMPXY" 1..n
    std::vector<std::string> extraLines;            // appended after the keyword lines

    // The file's bytes, lines ended with CR LF.
    std::string Text() const;
};

// A rectangular border (corners clockwise from the north-west).
std::vector<TestCorner> RectangleBorder(double south, double west, double north, double east);

// A covering-test map: header, moving-map flag, scale and a rectangular
// border, no calibration points.
CalibrationFileText CoverageMap(double south, double west, double north, double east,
                                std::optional<double> scale);

// Writes a small tiled image (`width` × `height`) that a map with this
// calibration file in `folder` finds: "<image name up to its dot>.mwf2".
// A map without its image does not load.
void WriteMapImage(const std::string& folder, const CalibrationFileText& calib, int width = 200,
                   int height = 200);

// A 1° × 0.5° sheet (south..south + 0.5 N, west..west + 1 E) of 1000 × 500
// pixels with a border, scale 100 and its image (levels 100, 50 and 25 %),
// written as folder/name.
void WriteSheetMap(const std::string& folder, const std::string& name, double south, double west);

}  // namespace mwtest
