#include "testlib/map_file_writer.h"

#include <gtest/gtest.h>

#include "image/mwf2_writer.h"
#include "testlib/image_fixtures.h"

#include <cmath>
#include <fstream>

#include "support/text.h"

namespace mwtest {

namespace {

void Line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

// Degrees and minutes fields and the hemisphere letter of one value.
std::string DegreeFields(double value, char positive, char negative) {
    if (std::fabs(value) == 777) return ",," + std::string(1, positive);
    double a = std::fabs(value);
    double deg = std::floor(a);
    double min = (a - deg) * 60;
    return mw::Format("%.0f,%.10f,%c", deg, min, value < 0 ? negative : positive);
}

std::string GridField(double v) { return v == -1 ? std::string() : mw::Format("%.6f", v); }

}  // namespace

std::string CalibrationFileText::Text() const {
    std::string out;
    Line(out, header);
    Line(out, title);
    Line(out, image);
    Line(out, "1 ,Map Code,");
    Line(out, datum + ",WGS 84,0.0000,0.0000,WGS 84");
    Line(out, msf ? mw::Format("MSF,%.10g", *msf) : std::string("Reserved 1"));
    Line(out, "Reserved 2");
    Line(out, "Magnetic Variation,,,E");
    Line(out, "Map Projection," + projection + ",PolyCal,No");
    for (int i = 0; i < 30; ++i) {
        if (i < static_cast<int>(points.size())) {
            const TestPoint& p = points[i];
            Line(out, mw::Format("Point%02d,xy,%d,%d,in, deg,", i + 1, p.x, p.y) +
                          DegreeFields(p.lat, 'N', 'S') + "," + DegreeFields(p.lon, 'E', 'W') +
                          ", grid," + p.zone + "," + GridField(p.easting) + "," +
                          GridField(p.northing) + "," + (p.southern ? "S" : "N"));
        } else {
            Line(out, mw::Format("Point%02d,xy,,,ex, deg,,,N,,,W, grid,,,,N", i + 1));
        }
    }
    std::string paramLine = "Projection Setup";
    for (int i = 0; i < 7; ++i) {
        paramLine += ",";
        if (i < static_cast<int>(params.size()) && params[i])
            paramLine += mw::Format("%.10g", *params[i]);
    }
    Line(out, paramLine + ",,,");
    Line(out, "Map Feature = MF ; Map Comment = MC");
    if (movingMap) Line(out, "MM0," + *movingMap);
    if (borderCount) Line(out, mw::Format("MMPNUM,%d", *borderCount));
    for (std::size_t i = 0; i < borderPixels.size(); ++i)
        Line(out,
             mw::Format("MMPXY,%zu,%d,%d", i + 1, borderPixels[i].first, borderPixels[i].second));
    for (std::size_t i = 0; i < borderLatLon.size(); ++i)
        Line(out,
             mw::Format("MMPLL,%zu,%.10f,%.10f", i + 1, borderLatLon[i].lon, borderLatLon[i].lat));
    if (scale) Line(out, mw::Format("MM1B,%.10g", *scale));
    for (const std::string& l : extraLines) Line(out, l);
    return out;
}

std::vector<TestCorner> RectangleBorder(double south, double west, double north, double east) {
    return {{north, west}, {north, east}, {south, east}, {south, west}};
}

CalibrationFileText CoverageMap(double south, double west, double north, double east,
                                std::optional<double> scale) {
    CalibrationFileText calib;
    calib.borderCount = 4;
    calib.borderLatLon = RectangleBorder(south, west, north, east);
    calib.scale = scale;
    return calib;
}

void WriteMapImage(const std::string& folder, const CalibrationFileText& calib, int width,
                   int height) {
    std::string name = calib.image;
    if (auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
    name = name.substr(0, name.find('.'));
    std::string error;
    if (!mw::WriteMwf2File(folder + "/" + name + ".mwf2", MakeTiledImage(width, height, {100}),
                           &error))
        ADD_FAILURE() << "cannot write the map image: " << error;
}

void WriteSheetMap(const std::string& folder, const std::string& name, double south,
                   double west) {
    CalibrationFileText calib;
    const std::string base = name.substr(0, name.find('.'));
    calib.image = base + ".bmp";
    calib.points = {PointAt(0, 0, south + 0.5, west), PointAt(1000, 500, south, west + 1)};
    calib.borderLatLon = RectangleBorder(south, west, south + 0.5, west + 1);
    calib.borderPixels = {{0, 0}, {1000, 0}, {1000, 500}, {0, 500}};
    calib.scale = 100;
    std::ofstream(folder + "/" + name, std::ios::binary) << calib.Text();
    std::string error;
    if (!mw::WriteMwf2File(folder + "/" + base + ".mwf2", MakeTiledImage(1000, 500, {100, 50, 25}),
                           &error))
        ADD_FAILURE() << "cannot write the map image: " << error;
}

}  // namespace mwtest
