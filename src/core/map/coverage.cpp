#include "map/coverage.h"

#include <array>
#include <cmath>
#include <cstring>

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

// Where the next line holding "MM" may start its search: the first "MM" at
// or after `from`, or an "M" before a carriage return (a CR inside a line is
// dropped when lines are read, and could join it to a next "M"); npos when
// there is neither.
std::size_t NextKeywordMark(std::string_view d, std::size_t from) {
    const char* const end = d.data() + d.size();
    for (const char* p = d.data() + from;
         p + 1 < end && (p = static_cast<const char*>(std::memchr(p, 'M', end - 1 - p))); ++p) {
        if (p[1] == 'M' || p[1] == '\r') return p - d.data();
    }
    return std::string_view::npos;
}

}  // namespace

CoverageInfo ReadCoverageInfo(std::string_view data, const DatumTable& datums) {
    CoverageInfo info;
    // Every map file is read at the first search: lines are looked at in
    // place, and only the keyword lines are taken apart.
    std::size_t cursor = 0;
    std::string scratch;
    std::string_view line;
    auto next = [&]() -> std::string_view {
        line = NextMemoryLine(data, cursor, scratch);
        return line;
    };
    info.header = Contains(next(), "Mapwanderer");
    if (!info.header) return info;
    next();
    next();
    next();
    info.datum = FindDatumByName(datums, GetFieldView(next(), 1, "WGS 84"));
    double factor = 1.0;
    if (Contains(next(), "MSF")) {
        double f = ParseReal(GetFieldView(line, 2, "1"));
        // The same guard as the loader: a factor that is not a positive
        // number would give the map scale 0 and let it win every search.
        if (std::isfinite(f) && f > 0) factor = f;
    }

    std::array<double, kMaxBorderCorners + 1> lat{}, lon{};
    while (cursor < data.size()) {
        // Most lines (the points) hold no "MM": on to the start of the line
        // of the next one. A line longer than the reading limit is read in
        // pieces from its start, as line by line would.
        const std::size_t at = NextKeywordMark(data, cursor);
        if (at == std::string_view::npos) break;
        if (const void* lf = memrchr(data.data() + cursor, '\n', at - cursor))
            cursor = static_cast<const char*>(lf) - data.data() + 1;
        // Every keyword holds "MM"; most lines (the points) hold none.
        if (next().find("MM") == std::string::npos) continue;
        // The key is field 1; its spaces do not matter to what it holds.
        // One look at every "MM" in it tells which keywords it holds.
        const std::string_view key = line.substr(0, line.find(','));
        bool mm0 = false, mmpnum = false, mmpll = false, mm1b = false;
        for (std::size_t at = key.find("MM"); at != std::string_view::npos;
             at = key.find("MM", at + 1)) {
            const std::string_view rest = key.substr(at + 2);
            mm0 |= rest.starts_with('0');
            mmpnum |= rest.starts_with("PNUM");
            mmpll |= rest.starts_with("PLL");
            mm1b |= rest.starts_with("1B");
        }
        if (mm0) info.movingMap = Contains(GetFieldView(line, 2, "No"), "Yes");
        if (mmpnum) {
            int n = ParseInt(GetFieldView(line, 2, "4"));
            if (n >= 1 && n <= kMaxBorderCorners) info.borderCount = n;
        }
        if (mmpll) {
            int index = ParseInt(GetFieldView(line, 2, "1"));
            if (index >= 1 && index <= kMaxBorderCorners) {
                lon[index] = ParseReal(GetFieldView(line, 3, "0"));
                lat[index] = ParseReal(GetFieldView(line, 4, "0"));
            }
        }
        if (mm1b) info.scale = MapScaleFrom(ParseReal(GetFieldView(line, 2, "99999")), factor);
    }
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
