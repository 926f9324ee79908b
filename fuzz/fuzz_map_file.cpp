// Calibration files (.map): the parser over the whole text, the coverage
// reader of the map search against a reading of every line, then the
// helpers that read single lines.
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "fuzz_support.h"
#include "geo/datums.h"
#include "map/coverage.h"
#include "map/map_file.h"
#include "map/map_record.h"
#include "support/text.h"

namespace {

bool Has(std::string_view text, std::string_view what) { return text.find(what) != text.npos; }

// What the coverage reader must find, read one line after another: the
// keywords of every line whose first field names them.
mw::CoverageInfo EveryLine(std::string_view data, const mw::DatumTable& datums) {
    mw::CoverageInfo info;
    std::size_t cursor = 0;
    std::string line;
    auto next = [&]() -> const std::string& {
        line.clear();
        if (cursor < data.size()) mw::ReadMemoryLine(data, cursor, line);
        return line;
    };
    info.header = Has(next(), "Mapwanderer");
    if (!info.header) return info;
    for (int i = 0; i < 3; ++i) next();
    info.datum = mw::FindDatumByName(datums, mw::GetField(next(), 1, "WGS 84"));
    double factor = 1.0;
    if (Has(next(), "MSF")) {
        const double f = mw::ParseReal(mw::GetField(line, 2, "1"));
        if (std::isfinite(f) && f > 0) factor = f;
    }
    std::array<double, mw::kMaxBorderCorners + 1> lat{}, lon{};
    std::string flag = "No";
    while (cursor < data.size()) {
        next();
        const std::string key = mw::GetField(line, 1, "");
        if (Has(key, "MM0")) flag = mw::GetField(line, 2, "No");
        if (Has(key, "MMPNUM")) {
            const int n = mw::ParseInt(mw::GetField(line, 2, "4"));
            if (n >= 1 && n <= mw::kMaxBorderCorners) info.borderCount = n;
        }
        if (Has(key, "MMPLL")) {
            const int index = mw::ParseInt(mw::GetField(line, 2, "1"));
            if (index >= 1 && index <= mw::kMaxBorderCorners) {
                lon[index] = mw::ParseReal(mw::GetField(line, 3, "0"));
                lat[index] = mw::ParseReal(mw::GetField(line, 4, "0"));
            }
        }
        if (Has(key, "MM1B"))
            info.scale = mw::MapScaleFrom(mw::ParseReal(mw::GetField(line, 2, "99999")), factor);
    }
    info.movingMap = Has(flag, "Yes");
    if (info.CanCover()) {
        info.borderLat.assign(lat.begin() + 1, lat.begin() + 1 + info.borderCount);
        info.borderLon.assign(lon.begin() + 1, lon.begin() + 1 + info.borderCount);
    }
    return info;
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const mw::DatumTable datums;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    mw::MapRecord record = mw::ParseMapFile(text, datums);
    (void)record;

    const mw::CoverageInfo got = mw::ReadCoverageInfo(text, datums);
    const mw::CoverageInfo want = EveryLine(text, datums);
    bool same = got.header == want.header && got.movingMap == want.movingMap &&
                got.datum == want.datum && Same(got.scale, want.scale) &&
                got.borderCount == want.borderCount &&
                got.borderLat.size() == want.borderLat.size() &&
                got.borderLon.size() == want.borderLon.size();
    for (std::size_t i = 0; same && i < got.borderLat.size(); ++i)
        same =
            Same(got.borderLat[i], want.borderLat[i]) && Same(got.borderLon[i], want.borderLon[i]);
    if (!same) std::abort();

    std::size_t end = text.find('\n');
    std::string_view first = text.substr(0, end);
    (void)mw::ImageBaseName(first);
    mw::CalibrationPoint point;
    (void)mw::ParseCalibrationPoint(first, 1.0, point);
    return 0;
}
