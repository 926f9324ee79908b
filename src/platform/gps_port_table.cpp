#include "platform/gps_port_table.h"

#include <charconv>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {
constexpr std::array<const char*, 8> kDefaultDevices = {
    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyACM1",
    "/dev/ttyS0",   "/dev/ttyS1",   "/dev/rfcomm0", "/dev/gnss0"};
constexpr int kGpsLine = 8;  // 0-based line of "GPS1:", which serves indices 8 and 9
}  // namespace

GpsPortTable DefaultGpsPortTable() {
    GpsPortTable table;
    for (std::size_t i = 0; i < kDefaultDevices.size(); ++i) table[i].device = kDefaultDevices[i];
    for (std::size_t i = kDefaultDevices.size(); i < table.size(); ++i) {
        table[i].gpsdHost = kGpsdDefaultHost;
        table[i].gpsdPort = kGpsdDefaultPort;
    }
    return table;
}

std::optional<GpsPortEntry> ParseGpsPortEntry(std::string_view text) {
    std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    GpsPortEntry entry;
    if (t[0] == '/') {
        entry.device = t;
        return entry;
    }
    std::string_view host = t;
    int port = kGpsdDefaultPort;
    if (auto colon = host.rfind(':'); colon != std::string_view::npos) {
        std::string_view digits = host.substr(colon + 1);
        auto r = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || port < 1 ||
            port > 65535)
            return std::nullopt;
        host = host.substr(0, colon);
    }
    if (host.empty() || host.find_first_of(" \t/") != std::string_view::npos) return std::nullopt;
    entry.gpsdHost = std::string(host);
    entry.gpsdPort = port;
    return entry;
}

GpsPortTable LoadGpsPortTable(const std::string& home) {
    GpsPortTable table = DefaultGpsPortTable();
    TextFileReader file(JoinPath(home, kComPortsFile));
    int line = 0;
    ForEachLine(
        file,
        [&](const std::string& text) {
            if (auto entry = ParseGpsPortEntry(text)) {
                if (line < kGpsLine) {
                    table[static_cast<std::size_t>(line)] = *entry;
                } else {
                    table[kGpsLine] = *entry;
                    table[kGpsLine + 1] = *entry;
                }
            }
            return ++line <= kGpsLine;
        },
        kPathMax);
    return table;
}

}  // namespace mw
