#include "gps/garmin_pvt.h"

#include <bit>
#include <cmath>

#include "gps/byte_assembly.h"

namespace mw {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// The double nearest to 1/0.3048 (computing 1 / 0.3048 lands one ulp below).
constexpr double kFeetPerMetre = 3.2808398950131235;
constexpr double kKnotsPerMetrePerSecond = 3.6 * 0.5399568035;
constexpr double kStandstill = 0.09;     // m/s on each axis
constexpr double kCourseMinSpeed = 0.7;  // m/s

// Assembled byte by byte so the host's byte order does not matter.
std::uint64_t LittleEndian(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
double Float32At(std::span<const std::uint8_t, kPvtRecordSize> r, std::size_t offset) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(LittleEndian(r.data() + offset, 4)));
}
double Float64At(std::span<const std::uint8_t, kPvtRecordSize> r, std::size_t offset) {
    return std::bit_cast<double>(LittleEndian(r.data() + offset, 8));
}

}  // namespace

std::span<const std::uint8_t> PvtRecordInFrame(std::span<const std::uint8_t> frame) {
    // DLE, type, size, the record, then at least DLE ETX.
    if (frame.size() < 3 + kPvtRecordSize + 2) return {};
    if (frame[0] != kGarminDle || frame[1] != kGarminPvtPacket) return {};
    return frame.subspan(3, kPvtRecordSize);
}

bool DecodePvtRecord(std::span<const std::uint8_t, kPvtRecordSize> record, PvtValues& pvt) {
    const double altitude = Float32At(record, 0);
    const double lat = Float64At(record, 26) * kDegreesPerRadian;
    const double lon = Float64At(record, 34) * kDegreesPerRadian;
    double east = Float32At(record, 42);
    double north = Float32At(record, 46);
    const double mslHeight = Float32At(record, 54);
    for (double v : {altitude, lat, lon, east, north, mslHeight}) {
        if (!std::isfinite(v)) return false;
    }
    if (std::fabs(lat) > 90 || std::fabs(lon) > 180) return false;

    if (std::fabs(east) < kStandstill && std::fabs(north) < kStandstill) east = north = 0;
    const double v = std::sqrt(east * east + north * north);
    double course = pvt.lastCourse;
    if (v > kCourseMinSpeed) {
        const double a = std::acos(std::fabs(north) / v) * kDegreesPerRadian;
        if (north >= 0)
            course = east >= 0 ? a : 360 - a;
        else
            course = east >= 0 ? 180 - a : 180 + a;
        pvt.lastCourse = course;
    }
    pvt.lat = lat;
    pvt.lon = lon;
    pvt.course = course;
    pvt.altitude = (altitude + mslHeight) * kFeetPerMetre;
    pvt.speed = v * kKnotsPerMetrePerSecond;
    return true;
}

}  // namespace mw
