#include "config/dialog_tables.h"

#include <algorithm>

#include "geo/format_names.h"
#include "support/text.h"

namespace mw {

namespace {

// Keys by their 1-based line in the main file, as the key table lists them.
constexpr int Line(int n) { return n - 1; }

using K = ControlKind;
using L = ListId;

// clang-format off
constexpr DialogControl kSystem[] = {
    {1002, K::List, "Position Format", Line(1), L::PositionFormats},
    {1009, K::Check, "Load Last Map", Line(6)},
    {1011, K::Check, "Load Default Wp's", Line(42)},
    {1012, K::Check, "Load Default Track", Line(43)},
    {1013, K::Check, "No ShutDown", Line(44)},
    {1010, K::Check, "Toolbar Auto Hide", Line(41), L::None, 0, 0, 0, 0, " Palm && Pocket PC Only "},
    {1122, K::Check, "Use CE Open File Dialog", Line(69), L::None, 0, 0, 0, 0, " Palm && Pocket PC Only "},
};

constexpr DialogControl kNmea[] = {
    {1007, K::List, "Baud", Line(11), L::BaudRates},
    {1009, K::List, "Port", Line(64), L::Ports},
    {1008, K::List, "Sentence", Line(29), L::Sentences},
    {1005, K::List, "GPS NMEA Output Datum", Line(2), L::Datums},
    {1017, K::Check, "Use Chk Sum", Line(35)},
    {1016, K::Check, "Show GPS Fix Data", Line(36)},
    {1018, K::Check, "Show DGPS secs", Line(37)},
    {1095, K::Check, "Tripmate GPS", Line(63)},
};

constexpr DialogControl kUnits[] = {
    {1017, K::List, "Speed Unit", Line(13), L::SpeedUnits},
    {1018, K::List, "Distance Unit", Line(14), L::DistanceUnits},
    {1019, K::List, "Altitude Unit", Line(15), L::AltitudeUnits},
    {1020, K::List, "Degrees", Line(45), L::HeadingReference},
};

constexpr DialogControl kSpeedMonitor[] = {
    {1025, K::Speed, "Min Speed", Line(20), L::None, 0, 1000},
    {1026, K::Speed, "Set Speed", Line(21), L::None, 0, 1000},
    {1027, K::Speed, "Max Speed", Line(22), L::None, 0, 1000},
    {1047, K::Check, "Min Speed", Line(32), L::None, 0, 0, 0, 0, "Active"},
    {1048, K::Check, "Set Speed", Line(33), L::None, 0, 0, 0, 0, "Active"},
    {1049, K::Check, "Max Speed", Line(34), L::None, 0, 0, 0, 0, "Active"},
};

constexpr DialogControl kMapDataFiles[] = {
    {1030, K::PathLines, "Map File Paths (6 Max)", -1},
    {1033, K::PathActive, "1", Line(26), L::None, 0, 0, 0, 0, "Active"},
    {1034, K::PathActive, "2", Line(27), L::None, 0, 0, 0, 1, "Active"},
    {1035, K::PathActive, "3", Line(28), L::None, 0, 0, 0, 2, "Active"},
    {1037, K::PathActive, "4", Line(49), L::None, 0, 0, 0, 3, "Active"},
    {1038, K::PathActive, "5", Line(50), L::None, 0, 0, 0, 4, "Active"},
    {1039, K::PathActive, "6", Line(51), L::None, 0, 0, 0, 5, "Active"},
    {1118, K::PathButton, "...", -1, L::None, 0, 0, 0, 0, "Active"},
    {1120, K::PathButton, "...", -1, L::None, 0, 0, 0, 1, "Active"},
    {1121, K::PathButton, "...", -1, L::None, 0, 0, 0, 2, "Active"},
    {1122, K::PathButton, "...", -1, L::None, 0, 0, 0, 3, "Active"},
    {1123, K::PathButton, "...", -1, L::None, 0, 0, 0, 4, "Active"},
    {1124, K::PathButton, "...", -1, L::None, 0, 0, 0, 5, "Active"},
    {1036, K::Folder, "Data File Path", Line(25), L::None, 0, 0, 1119},
};

constexpr DialogControl kImageFiles[] = {
    {1008, K::Folder, "Map Image File Path 1", Line(3), L::None, 0, 0, 1116},
    {1010, K::Folder, "Map Image File Path 2", Line(4), L::None, 0, 0, 1117},
};

constexpr DialogControl kTrack[] = {
    {1010, K::Number, "Log Dist", Line(7), L::None, 0, 10000},
    {1014, K::Number, "Track Dist", Line(16), L::None, 0, 10000},
    {1012, K::Number, "Track Tail", Line(9), L::None, 0, 1000},
    {1034, K::List, "Track Color", Line(30), L::Colours},
    {1013, K::Number, "Track Width", Line(31), L::None, 1, 10},
};

constexpr DialogControl kMovingMap[] = {
    {1013, K::Number, "Screen Update", Line(10), L::None, 1, 1000},
    {1019, K::Check, "Load Detailed Map", Line(12)},
    {1093, K::List, "Pointer Style", Line(58), L::PointerStyles},
    {1094, K::List, "Pointer Color", Line(60), L::Colours},
    {1014, K::Number, "Pointer Size", Line(59), L::None, 1, 20},
    {1020, K::Check, "Solid Pointer", Line(61)},
};

constexpr DialogControl kWaypoints[] = {
    {1055, K::Number, "Symbol Size", Line(38), L::None, 1, 15},
    {1056, K::Number, "Font Size", Line(39), L::None, 1, 25},
    {1052, K::Check, "Check Proximity", Line(40)},
};

constexpr DialogControl kRoutes[] = {
    {1055, K::Number, "Symbol Size", Line(52), L::None, 1, 15},
    {1056, K::Number, "Font Size", Line(53), L::None, 1, 25},
    {1092, K::Number, "Line Width", Line(54), L::None, 1, 10},
    {1091, K::List, "Route Line Color", Line(55), L::RouteLineColours},
    {1093, K::List, "Route Wp Color", Line(56), L::Colours},
    {1095, K::List, "Route Text Color", Line(57), L::Colours},
};

constexpr DialogControl kNavigation[] = {
    {1102, K::Check, "Draw Nav Line", Line(65)},
    {1101, K::Number, "Line Width", Line(66), L::None, 1, 10},
    {1104, K::List, "Line Color 1", Line(67), L::Colours},
    {1106, K::List, "Line Color 2", Line(68), L::Colours},
};

const DialogTable kDialogs[] = {
    {kDialogSystem, 102, "System", kSystem},
    {kDialogMapDataFiles, 119, "Map & Data Files", kMapDataFiles},
    {kDialogImageFiles, 120, "Image Files", kImageFiles},
    {kDialogNmea, 112, "NMEA (GPS)", kNmea},
    {kDialogMovingMap, 125, "Moving Map", kMovingMap},
    {kDialogTrack, 122, "Track", kTrack},
    {kDialogUnits, 114, "Units", kUnits},
    {kDialogWaypoints, 126, "Waypoints", kWaypoints},
    {kDialogRoutes, 141, "Maw Routes", kRoutes},
    {kDialogNavigation, 142, "Navigation", kNavigation},
    {kDialogSpeedMonitor, 118, "Speed Monitor", kSpeedMonitor},
};
// clang-format on

constexpr const char* kPorts[] = {"COM1", "COM2", "COM3", "COM4", "COM5",
                                  "COM6", "COM7", "COM8", "GPS1:"};
constexpr const char* kSentences[] = {"GPRMC", "GPGGA", "GPGLL", "PVT Garmin"};
constexpr const char* kSpeedUnits[] = {"kph", "mph", "knots"};
constexpr const char* kDistanceUnits[] = {"Kilometres", "Miles", "Naut.Miles"};
constexpr const char* kAltitudeUnits[] = {"metres", "feet"};
constexpr const char* kHeadingReference[] = {"True", "Magnetic"};
constexpr const char* kPointerStyles[] = {"Circle", "Arrow", "User"};

template <typename Range>
std::vector<std::string> Strings(const Range& items) {
    return std::vector<std::string>(std::begin(items), std::end(items));
}

AppSettingField FieldOf(AppSettings& settings, const DialogControl& control) {
    if (control.key < 0 || control.key >= kAppSettingsKeyCount) return {};
    return AppSettingFieldOf(settings, control.key);
}

}  // namespace

std::span<const DialogTable> SettingsDialogs() { return kDialogs; }

const DialogTable* FindSettingsDialog(int number) {
    for (const DialogTable& d : kDialogs)
        if (d.number == number) return &d;
    return nullptr;
}

std::vector<std::string> ListEntries(ListId list, const DatumTable& datums) {
    switch (list) {
        case ListId::None:
            return {};
        case ListId::PositionFormats:
            return Strings(kPositionFormatNames);
        case ListId::Datums: {
            std::vector<std::string> names;
            for (int i = 0; i < datums.datumCount; ++i) names.push_back(datums.Row(i).name);
            return names;
        }
        case ListId::Ports:
            return Strings(kPorts);
        case ListId::BaudRates: {
            std::vector<std::string> rates;
            for (int baud : kBaudRates) rates.push_back(Format("%d", baud));
            return rates;
        }
        case ListId::Sentences:
            return Strings(kSentences);
        case ListId::SpeedUnits:
            return Strings(kSpeedUnits);
        case ListId::DistanceUnits:
            return Strings(kDistanceUnits);
        case ListId::AltitudeUnits:
            return Strings(kAltitudeUnits);
        case ListId::HeadingReference:
            return Strings(kHeadingReference);
        case ListId::PointerStyles:
            return Strings(kPointerStyles);
        case ListId::Colours:
            return Strings(kColourNames);
        case ListId::RouteLineColours: {
            std::vector<std::string> colours{"Default"};
            for (std::string_view c : kColourNames) colours.emplace_back(c);
            return colours;
        }
    }
    return {};
}

ControlValue ReadControl(const AppSettings& settings, const DialogControl& control) {
    ControlValue value;
    if (control.kind == ControlKind::PathLines) {
        value.text = JoinPathLines(settings.mapPath);
        return value;
    }
    // Reading only: the accessor hands out pointers into a record it may not change.
    AppSettingField f = FieldOf(const_cast<AppSettings&>(settings), control);
    if (f.number) value.number = *f.number;
    if (f.flag) value.number = *f.flag ? 1 : 0;
    if (f.real) value.real = *f.real;
    if (f.text) value.text = *f.text;
    return value;
}

void WriteControl(AppSettings& settings, const DialogControl& control, const ControlValue& value) {
    if (control.kind == ControlKind::PathLines) {
        settings.mapPath = SplitPathLines(value.text);
        return;
    }
    AppSettingField f = FieldOf(settings, control);
    if (f.number) *f.number = value.number;
    if (f.flag) *f.flag = value.number != 0;
    if (f.real) *f.real = value.real;
    if (f.text) *f.text = value.text.substr(0, kSettingTextMax);
}

int ListSelection(int storedIndex, int count) {
    return storedIndex >= 0 && storedIndex < count ? storedIndex : -1;
}

std::string FormatNumberField(ControlKind kind, const ControlValue& value) {
    if (kind == ControlKind::Speed) return Format("%.0f", value.real);
    return Format("%d", value.number);
}

ControlValue ParseNumberField(ControlKind kind, std::string_view text) {
    ControlValue value;
    if (kind == ControlKind::Speed)
        value.real = ParseReal(text);
    else
        value.number = ParseInt(text);
    return value;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// `text` without the spaces and tabs around it.
std::string_view Stripped(std::string_view text) {
    auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// A whole number: an optional sign and digits, nothing else.
std::optional<long long> WholeNumber(std::string_view text) {
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    // No digits, or more than any key's range could hold.
    if (i == text.size() || text.size() - i > 18) return std::nullopt;
    long long value = 0;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (!IsDigit(text[k])) return std::nullopt;
        value = value * 10 + (text[k] - '0');
    }
    return text[0] == '-' ? -value : value;
}

// A decimal: an optional sign, digits with at most one separator, at least
// one digit. No exponents, no "inf" or "nan": nobody types a speed that way.
std::optional<double> Decimal(std::string_view text, char decimalSeparator) {
    std::string plain(text);
    std::size_t i = plain.empty() || (plain[0] != '+' && plain[0] != '-') ? 0 : 1;
    bool separator = false, digits = false;
    for (std::size_t k = i; k < plain.size(); ++k) {
        char& c = plain[k];
        if (IsDigit(c)) {
            digits = true;
        } else if (!separator && (c == '.' || (c == ',' && decimalSeparator == ','))) {
            separator = true;
            c = '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return ParseRealField(plain);
}

}  // namespace

std::optional<ControlValue> CheckNumberField(const DialogControl& control, std::string_view text,
                                             char decimalSeparator) {
    text = Stripped(text);
    ControlValue value;
    if (control.kind == ControlKind::Speed) {
        std::optional<double> v = Decimal(text, decimalSeparator);
        // Written "%.1f" to the file: refuse what would not come back in range.
        if (!v || !(*v >= control.spinMin && *v <= control.spinMax)) return std::nullopt;
        value.real = *v;
        return value;
    }
    if (control.kind != ControlKind::Number) return std::nullopt;
    std::optional<long long> v = WholeNumber(text);
    if (!v || *v < control.spinMin || *v > control.spinMax) return std::nullopt;
    value.number = static_cast<int>(*v);
    return value;
}

std::string NumberFieldUnit(const DialogControl& control, const AppSettings& settings) {
    if (control.kind != ControlKind::Number && control.kind != ControlKind::Speed) return {};
    switch (control.key) {
        case Line(7):   // "NMEA Log Distance"
        case Line(16):  // "Track Log Distance"
            return settings.distanceUnit == 0 ? "m" : "ft";
        case Line(9):  // "Track Length"
            return "points";
        case Line(10):  // "NMEA Update"
            return "fixes";
        case Line(20):
        case Line(21):
        case Line(22): {
            static constexpr const char* kSpeeds[] = {"km/h", "mph", "knots"};
            int unit = settings.speedUnit;
            return unit >= 0 && unit < 3 ? kSpeeds[unit] : "";
        }
        default:
            // Sizes and widths of what is drawn on the screen.
            return "px";
    }
}

std::string RefusedFieldText(const DialogControl& control, const AppSettings& settings) {
    std::string text = Format("%s takes %s from %d to %d", control.label,
                              control.kind == ControlKind::Speed ? "a number" : "a whole number",
                              control.spinMin, control.spinMax);
    std::string unit = NumberFieldUnit(control, settings);
    if (!unit.empty()) text += " " + unit;
    return text;
}

std::string StepNumberField(const DialogControl& control, std::string_view text, int step,
                            char decimalSeparator) {
    ControlValue value;
    if (control.kind == ControlKind::Speed) {
        value.real = Decimal(Stripped(text), decimalSeparator).value_or(0.0);
        value.real = std::clamp(value.real + step, static_cast<double>(control.spinMin),
                                static_cast<double>(control.spinMax));
    } else {
        long long v = WholeNumber(Stripped(text)).value_or(0) + step;
        value.number = static_cast<int>(std::clamp<long long>(v, control.spinMin, control.spinMax));
    }
    return FormatNumberField(control.kind, value);
}

std::string JoinPathLines(const std::array<std::string, 6>& paths) {
    std::string text;
    for (const std::string& p : paths) text += p + "\n";
    return text;
}

namespace {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::array<std::string, 6> SplitPathLines(std::string_view text) {
    std::array<std::string, 6> paths;
    std::vector<std::string> lines = SplitLines(text);
    for (std::size_t i = 0; i < paths.size() && i < lines.size(); ++i)
        paths[i] = lines[i].substr(0, kSettingTextMax);
    return paths;
}

std::string ReplacePathLine(std::string_view text, int line, const std::string& path) {
    std::vector<std::string> lines = SplitLines(text);
    // The text always ends in a line end; the empty piece after it is no line.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (line < 0) return std::string(text);
    if (static_cast<std::size_t>(line) >= lines.size()) lines.resize(line + 1);
    lines[line] = path;
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::string* FolderSettingOf(AppSettings& settings, const DialogControl& control) {
    if (control.kind == ControlKind::PathButton) {
        if (control.line < 0 || control.line >= 6) return nullptr;
        return &settings.mapPath[control.line];
    }
    if (control.kind == ControlKind::Folder) return FieldOf(settings, control).text;
    return nullptr;
}

}  // namespace mw
