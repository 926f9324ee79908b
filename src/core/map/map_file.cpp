#include "map/map_file.h"

#include <cmath>

#include "config/settings.h"
#include "map/calibration.h"
#include "map/recent_maps.h"
#include "ports/std_file_system.h"
#include "support/text.h"

namespace mw {

namespace {

constexpr double kOneSixtieth = 0.016666666666666666;
constexpr std::size_t kProjectionNameMax = 50;
constexpr std::size_t kZoneMax = 3;

// Positional lines: past the end of the data every line is empty, so a short
// file leaves its missing lines at their defaults.
class LineCursor {
public:
    explicit LineCursor(std::string_view data) : data_(data) {}
    std::string Next() {
        std::string line;
        if (cursor_ < data_.size()) ReadMemoryLine(data_, cursor_, line);
        return line;
    }
    bool AtEnd() const { return cursor_ >= data_.size(); }

private:
    std::string_view data_;
    std::size_t cursor_ = 0;
};

bool StartsWith(const std::string& text, char c) { return !text.empty() && text[0] == c; }

bool Contains(std::string_view haystack, std::string_view needle) {
    return FindText(needle, haystack) != 0;
}

// Pixel field: integer ÷ scale factor + 0.5, truncated; -1 when empty.
int PixelField(std::string_view line, int n, double mapScaleFactor) {
    std::string f = GetField(line, n, "");
    if (f.empty()) return kNoPixel;
    return TruncToInt(ParseInt(f) / mapScaleFactor + 0.5);
}

double DegreeField(std::string_view line, int degrees, int minutes) {
    std::string d = GetField(line, degrees, "");
    double value = d.empty() ? kUnsetParameter : ParseReal(d);
    return value + kOneSixtieth * ParseReal(GetField(line, minutes, "0"));
}

double GridField(std::string_view line, int n) {
    std::string f = GetField(line, n, "");
    return f.empty() ? kNoGrid : ParseReal(f);
}

}  // namespace

bool ParseCalibrationPoint(std::string_view line, double mapScaleFactor, CalibrationPoint& point) {
    point = CalibrationPoint{};
    point.used = true;
    if (!Contains(GetField(line, 5, "0"), "in")) {
        point.used = false;
        return false;
    }
    point.x = PixelField(line, 3, mapScaleFactor);
    point.y = PixelField(line, 4, mapScaleFactor);
    if (point.x == kNoPixel && point.y == kNoPixel) {
        point.used = false;
        return false;
    }
    point.lat = DegreeField(line, 7, 8);
    if (StartsWith(GetField(line, 9, "N"), 'S')) point.lat = -point.lat;
    point.lon = DegreeField(line, 10, 11);
    if (StartsWith(GetField(line, 12, "W"), 'W')) point.lon = -point.lon;
    point.zone = Left(GetField(line, 14, ""), static_cast<int>(kZoneMax));
    point.easting = GridField(line, 15);
    point.northing = GridField(line, 16);
    point.southern = StartsWith(GetField(line, 17, "N"), 'S');
    return true;
}

std::string ImageBaseName(std::string_view line3) {
    std::string name = FileNameOf(line3);
    auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot + 1);
    return name;
}

MapRecord ParseMapFile(std::string_view data, const DatumTable& datums) {
    MapRecord m;
    LineCursor lines(data);
    lines.Next();  // header: the catalogue checks it, loading does not
    m.title = lines.Next();
    m.imageBaseName = ImageBaseName(lines.Next());
    lines.Next();  // map code
    std::string datumLine = lines.Next();
    m.datumName = GetField(datumLine, 1, "WGS 84");
    m.datumIndex = FindDatumByName(datums, m.datumName);

    std::string msfLine = lines.Next();
    if (Contains(GetField(msfLine, 1, ""), "MSF")) {
        double msf = ParseReal(GetField(msfLine, 2, "1"));
        // A zero, negative or unreadable factor would turn every pixel into
        // a division fault; such a file is read at full scale instead.
        m.mapScaleFactor = (std::isfinite(msf) && msf > 0) ? msf : 1.0;
    }
    const double msf = m.mapScaleFactor;
    lines.Next();  // reserved
    lines.Next();  // magnetic variation
    m.projection.projectionName = Left(GetField(lines.Next(), 2, "Latit"), kProjectionNameMax);
    for (CalibrationPoint& p : m.points) ParseCalibrationPoint(lines.Next(), msf, p);

    std::string paramLine = lines.Next();
    double params[7];
    for (int i = 0; i < 7; ++i) params[i] = ParseReal(GetField(paramLine, i + 2, "777"));
    m.projection.params = ProjectionParamsFromList(params);
    m.projection.mapDatum = m.datumIndex;

    // The border corners are given as pixels and need the transform.
    SetUpCalibration(m, datums);

    while (!lines.AtEnd()) {
        std::string line = lines.Next();
        std::string key = GetField(line, 1, "");
        if (Contains(key, "MM1B"))
            m.scale = MapScaleFrom(ParseReal(GetField(line, 2, "99999")), msf);
        if (Contains(key, "MMPNUM")) {
            int n = ParseInt(GetField(line, 2, "4"));
            if (n >= 1 && n <= kMaxBorderCorners) m.borderCount = n;
        }
        if (Contains(key, "MMPXY")) {
            int index = ParseInt(GetField(line, 2, "1"));
            if (index < 1 || index > kMaxBorderCorners) continue;
            int x = TruncToInt(ParseInt(GetField(line, 3, "0")) / msf + 0.5);
            int y = TruncToInt(ParseInt(GetField(line, 4, "0")) / msf + 0.5);
            GeoPoint corner = MapPixelToLatLon(m, datums, x, y);
            m.borderLat[index] = corner.lat;
            m.borderLon[index] = corner.lon;
        }
    }
    return m;
}

std::optional<MapRecord> ReadMapFile(const std::string& path, const DatumTable& datums) {
    auto data = ReadFilePrefix(path, kMaxCalibrationFileBytes);
    if (!data) return std::nullopt;
    MapRecord m = ParseMapFile(*data, datums);
    m.mapFilePath = path;
    return m;
}

}  // namespace mw
