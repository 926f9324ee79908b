// Which device or service stands behind each GPS port name.
//
// By default "COM1:".."COM8:" are /dev/ttyUSB0, /dev/ttyUSB1, /dev/ttyACM0,
// /dev/ttyACM1, /dev/ttyS0, /dev/ttyS1, /dev/rfcomm0 and /dev/gnss0, and
// "GPS1:" is the local gpsd. The file "comports.ini" in the application home
// can name others, one a line in the same order (line 9 is "GPS1:"):
//
//   /dev/ttyUSB3         a device path (anything starting with '/')
//   192.168.1.20:2947    a gpsd host with an optional port (2947)
//   (empty line)         keeps the default of that line
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mw {

inline constexpr const char* kComPortsFile = "comports.ini";
inline constexpr const char* kGpsdDefaultHost = "127.0.0.1";
inline constexpr int kGpsdDefaultPort = 2947;

struct GpsPortEntry {
    std::string device;  // device path; empty for a gpsd entry
    std::string gpsdHost;
    int gpsdPort = kGpsdDefaultPort;

    bool IsGpsd() const { return device.empty(); }
    bool operator==(const GpsPortEntry&) const = default;
};

// By "Com Port" index 0..9 (8 and 9 are both "GPS1:").
using GpsPortTable = std::array<GpsPortEntry, 10>;

GpsPortTable DefaultGpsPortTable();

// One line of "comports.ini"; nullopt for an empty line or an entry that is
// neither a path nor a host with a valid port.
std::optional<GpsPortEntry> ParseGpsPortEntry(std::string_view text);

// The defaults with the lines of home/"comports.ini" over them; a missing
// file leaves the defaults.
GpsPortTable LoadGpsPortTable(const std::string& home);

}  // namespace mw
