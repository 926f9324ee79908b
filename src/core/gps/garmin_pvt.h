// The Garmin binary protocol's position-velocity-time record (D800) and the
// commands that start and stop its stream.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace mw {

inline constexpr std::uint8_t kGarminPvtPacket = 0x33;  // packet type 51
inline constexpr std::size_t kPvtRecordSize = 64;

// Written byte for byte; neither command holds a DLE that needs escaping.
inline constexpr std::array<std::uint8_t, 8> kPvtStartCommand = {0x10, 0x0A, 0x02, 0x31,
                                                                 0x00, 0xC3, 0x10, 0x03};
inline constexpr std::array<std::uint8_t, 8> kPvtStopCommand = {0x10, 0x0A, 0x02, 0x32,
                                                                0x00, 0xC2, 0x10, 0x03};
// Pause after the start command before anything else is sent.
inline constexpr int kPvtStartPauseMs = 100;

// The values decoded from the latest PVT record.
struct PvtValues {
    double lat = 0;         // degrees, WGS 84, north positive
    double lon = 0;         // degrees, east positive
    double altitude = 0;    // feet above mean sea level
    double speed = 0;       // knots
    double course = 0;      // degrees [0, 360)
    double lastCourse = 0;  // kept while the receiver stands still
};

// The 64-byte record inside a frame as the assembler delivers it
//   DLE, 0x33, size, record[64], checksum, DLE, ETX
// or an empty span when the frame is of another packet type, does not start
// with DLE (the tail of a frame the port was opened in the middle of), or is
// too short to hold a whole record before its end marker.
std::span<const std::uint8_t> PvtRecordInFrame(std::span<const std::uint8_t> frame);

// Decodes a record (little-endian D800 layout):
//
//   offset  type     field                                   used
//    0      float32  altitude above the WGS 84 ellipsoid, m  yes
//    4..17           position errors, fix type               no
//   18      float64  time of week, s                         no
//   26      float64  latitude, radians                       yes
//   34      float64  longitude, radians                      yes
//   42      float32  velocity east, m/s                      yes
//   46      float32  velocity north, m/s                     yes
//   50      float32  velocity up, m/s                        no
//   54      float32  height of the ellipsoid above MSL, m    yes
//   58..63           leap seconds, week number days          no
//
// Velocities below 0.09 m/s on both axes count as standing still; the course
// is taken from the velocity only above 0.7 m/s and otherwise stays the last
// course. Returns false, changing nothing, when a used value is not a finite
// number or the position lies outside ±90°/±180° (a receiver without a fix).
bool DecodePvtRecord(std::span<const std::uint8_t, kPvtRecordSize> record, PvtValues& pvt);

}  // namespace mw
