#include "map/coverage.h"

#include <array>
#include <cmath>

#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "map/map_file.h"
#include "map/map_record.h"
#include "support/text.h"

namespace mw {

namespace {

bool Contains(std::string_view haystack, std::string_view needle) {
    return FindText(needle, haystack) != 0;
}

}  // namespace

CoverageInfo ReadCoverageInfo(std::string_view data, const DatumTable& datums) {
    CoverageInfo info;
    std::size_t cursor = 0;
    std::string line;
    auto next = [&]() -> std::string& {
        line.clear();
        if (cursor < data.size()) ReadMemoryLine(data, cursor, line);
        return line;
    };
    info.header = Contains(next(), "Mapwanderer");
    if (!info.header) return info;
    next();
    next();
    next();
    info.datum = FindDatumByName(datums, GetField(next(), 1, "WGS 84"));
    double factor = 1.0;
    if (Contains(next(), "MSF")) {
        double f = ParseReal(GetField(line, 2, "1"));
        // The same guard as the loader: a factor that is not a positive
        // number would give the map scale 0 and let it win every search.
        if (std::isfinite(f) && f > 0) factor = f;
    }

    std::array<double, kMaxBorderCorners + 1> lat{}, lon{};
    std::string flag = "No";
    while (cursor < data.size()) {
        // Every keyword holds "MM"; most lines (the points) hold none.
        if (next().find("MM") == std::string::npos) continue;
        std::string key = GetField(line, 1, "");
        if (Contains(key, "MM0")) flag = GetField(line, 2, "No");
        if (Contains(key, "MMPNUM")) {
            int n = ParseInt(GetField(line, 2, "4"));
            if (n >= 1 && n <= kMaxBorderCorners) info.borderCount = n;
        }
        if (Contains(key, "MMPLL")) {
            int index = ParseInt(GetField(line, 2, "1"));
            if (index >= 1 && index <= kMaxBorderCorners) {
                lon[index] = ParseReal(GetField(line, 3, "0"));
                lat[index] = ParseReal(GetField(line, 4, "0"));
            }
        }
        if (Contains(key, "MM1B"))
            info.scale = MapScaleFrom(ParseReal(GetField(line, 2, "99999")), factor);
    }
    info.movingMap = Contains(flag, "Yes");
    if (info.CanCover()) {
        info.borderLat.assign(lat.begin() + 1, lat.begin() + 1 + info.borderCount);
        info.borderLon.assign(lon.begin() + 1, lon.begin() + 1 + info.borderCount);
    }
    return info;
}

bool CoverageContainsOnMapDatum(const CoverageInfo& info, double lat, double lon) {
    if (!info.CanCover()) return false;
    return PointInBorder(static_cast<int>(info.borderLat.size()), lon, lat, info.borderLat.data(),
                         info.borderLon.data());
}

bool CoverageContains(const CoverageInfo& info, double lat, double lon, int datum,
                      const DatumTable& datums) {
    if (!info.CanCover()) return false;
    ConvertDatum(datums, datum, info.datum, lat, lon);
    return CoverageContainsOnMapDatum(info, lat, lon);
}

bool MapCoversPosition(FileSystem& files, const std::string& path, double lat, double lon,
                       int datum, const DatumTable& datums, double* scale) {
    auto data = files.ReadFile(path, kMaxCalibrationFileBytes);
    if (!data) return false;
    CoverageInfo info = ReadCoverageInfo(*data, datums);
    if (!CoverageContains(info, lat, lon, datum, datums)) return false;
    if (scale) *scale = info.scale;
    return true;
}

}  // namespace mw
