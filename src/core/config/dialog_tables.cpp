#include "config/dialog_tables.h"

#include <algorithm>

#include "geo/format_names.h"
#include "support/overloaded.h"
#include "support/text.h"

namespace mw {

namespace {

using K = ControlKind;
using L = ListId;

// clang-format off
constexpr DialogControl kSystem[] = {
    {1002, K::List, "Position Format", Field(&AppSettings::positionFormat), L::PositionFormats},
    {1009, K::Check, "Load Last Map", Field(&AppSettings::loadLastMap)},
    {1011, K::Check, "Load Default Wp's", Field(&AppSettings::loadDefaultWps)},
    {1012, K::Check, "Load Default Track", Field(&AppSettings::loadDefaultTrack)},
    {1013, K::Check, "No ShutDown", Field(&AppSettings::noShutdown)},
    {1010, K::Check, "Toolbar Auto Hide", Field(&AppSettings::toolbarAutoHide), L::None, 0, 0, 0, 0, " Palm && Pocket PC Only "},
    {1122, K::Check, "Use CE Open File Dialog", Field(&AppSettings::useCeOpenFile), L::None, 0, 0, 0, 0, " Palm && Pocket PC Only "},
};

constexpr DialogControl kNmea[] = {
    {1007, K::List, "Baud", Field(&AppSettings::baudRate), L::BaudRates},
    {1009, K::List, "Port", Field(&AppSettings::comPort), L::Ports},
    {1008, K::List, "Sentence", Field(&AppSettings::nmeaSentence), L::Sentences},
    {1005, K::List, "GPS NMEA Output Datum", Field(&AppSettings::nmeaDatum), L::Datums},
    {1017, K::Check, "Use Chk Sum", Field(&AppSettings::useChecksum)},
    {1016, K::Check, "Show GPS Fix Data", Field(&AppSettings::showGpsFix)},
    {1018, K::Check, "Show DGPS secs", Field(&AppSettings::showDgpsSecs)},
    {1095, K::Check, "Tripmate GPS", Field(&AppSettings::tripmateGps)},
};

constexpr DialogControl kUnits[] = {
    {1017, K::List, "Speed Unit", Field(&AppSettings::speedUnit), L::SpeedUnits},
    {1018, K::List, "Distance Unit", Field(&AppSettings::distanceUnit), L::DistanceUnits},
    {1019, K::List, "Altitude Unit", Field(&AppSettings::altitudeUnit), L::AltitudeUnits},
    {1020, K::List, "Degrees", Field(&AppSettings::headingUnit), L::HeadingReference},
};

constexpr DialogControl kSpeedMonitor[] = {
    {1025, K::Speed, "Min Speed", Field(&AppSettings::minSpeed), L::None, 0, 1000},
    {1026, K::Speed, "Set Speed", Field(&AppSettings::setSpeed), L::None, 0, 1000},
    {1027, K::Speed, "Max Speed", Field(&AppSettings::maxSpeed), L::None, 0, 1000},
    {1047, K::Check, "Min Speed", Field(&AppSettings::minSpeedActive), L::None, 0, 0, 0, 0, "Active"},
    {1048, K::Check, "Set Speed", Field(&AppSettings::setSpeedActive), L::None, 0, 0, 0, 0, "Active"},
    {1049, K::Check, "Max Speed", Field(&AppSettings::maxSpeedActive), L::None, 0, 0, 0, 0, "Active"},
};

constexpr DialogControl kMapDataFiles[] = {
    {1030, K::PathLines, "Map File Paths (6 Max)", {}},
    {1033, K::PathActive, "1", Field(&AppSettings::mapPathActive, 0), L::None, 0, 0, 0, 0, "Active"},
    {1034, K::PathActive, "2", Field(&AppSettings::mapPathActive, 1), L::None, 0, 0, 0, 1, "Active"},
    {1035, K::PathActive, "3", Field(&AppSettings::mapPathActive, 2), L::None, 0, 0, 0, 2, "Active"},
    {1037, K::PathActive, "4", Field(&AppSettings::mapPathActive, 3), L::None, 0, 0, 0, 3, "Active"},
    {1038, K::PathActive, "5", Field(&AppSettings::mapPathActive, 4), L::None, 0, 0, 0, 4, "Active"},
    {1039, K::PathActive, "6", Field(&AppSettings::mapPathActive, 5), L::None, 0, 0, 0, 5, "Active"},
    {1118, K::PathButton, "...", {}, L::None, 0, 0, 0, 0, "Active"},
    {1120, K::PathButton, "...", {}, L::None, 0, 0, 0, 1, "Active"},
    {1121, K::PathButton, "...", {}, L::None, 0, 0, 0, 2, "Active"},
    {1122, K::PathButton, "...", {}, L::None, 0, 0, 0, 3, "Active"},
    {1123, K::PathButton, "...", {}, L::None, 0, 0, 0, 4, "Active"},
    {1124, K::PathButton, "...", {}, L::None, 0, 0, 0, 5, "Active"},
    {1036, K::Folder, "Data File Path", Field(&AppSettings::dataPath), L::None, 0, 0, 1119},
};

constexpr DialogControl kImageFiles[] = {
    {1008, K::Folder, "Map Image File Path 1", Field(&AppSettings::filePath1), L::None, 0, 0, 1116},
    {1010, K::Folder, "Map Image File Path 2", Field(&AppSettings::filePath2), L::None, 0, 0, 1117},
};

constexpr DialogControl kTrack[] = {
    {1010, K::Number, "Log Dist", Field(&AppSettings::nmeaLogDistance), L::None, 0, 10000},
    {1014, K::Number, "Track Dist", Field(&AppSettings::trackLogDistance), L::None, 0, 10000},
    {1012, K::Number, "Track Tail", Field(&AppSettings::trackLength), L::None, 0, 1000},
    {1034, K::List, "Track Color", Field(&AppSettings::trackColor), L::Colours},
    {1013, K::Number, "Track Width", Field(&AppSettings::trackWidth), L::None, 1, 10},
};

constexpr DialogControl kMovingMap[] = {
    {1013, K::Number, "Screen Update", Field(&AppSettings::nmeaUpdate), L::None, 1, 1000},
    {1019, K::Check, "Load Detailed Map", Field(&AppSettings::check4DetailedMap)},
    {1093, K::List, "Pointer Style", Field(&AppSettings::pointerStyle), L::PointerStyles},
    {1094, K::List, "Pointer Color", Field(&AppSettings::pointerColor), L::Colours},
    {1014, K::Number, "Pointer Size", Field(&AppSettings::pointerSize), L::None, 1, 20},
    {1020, K::Check, "Solid Pointer", Field(&AppSettings::pointerSolid)},
};

constexpr DialogControl kWaypoints[] = {
    {1055, K::Number, "Symbol Size", Field(&AppSettings::wpSymbolSize), L::None, 1, 15},
    {1056, K::Number, "Font Size", Field(&AppSettings::wpFontSize), L::None, 1, 25},
    {1052, K::Check, "Check Proximity", Field(&AppSettings::wpCheckProximity)},
};

constexpr DialogControl kRoutes[] = {
    {1055, K::Number, "Symbol Size", Field(&AppSettings::routeWpSymbolSize), L::None, 1, 15},
    {1056, K::Number, "Font Size", Field(&AppSettings::routeFontSize), L::None, 1, 25},
    {1092, K::Number, "Line Width", Field(&AppSettings::routeLineWidth), L::None, 1, 10},
    {1091, K::List, "Route Line Color", Field(&AppSettings::routeLineColor), L::RouteLineColours},
    {1093, K::List, "Route Wp Color", Field(&AppSettings::routeWpColor), L::Colours},
    {1095, K::List, "Route Text Color", Field(&AppSettings::routeTextColor), L::Colours},
};

constexpr DialogControl kNavigation[] = {
    {1102, K::Check, "Draw Nav Line", Field(&AppSettings::navDrawLine)},
    {1101, K::Number, "Line Width", Field(&AppSettings::navLineWidth), L::None, 1, 10},
    {1104, K::List, "Line Color 1", Field(&AppSettings::navLineColor1), L::Colours},
    {1106, K::List, "Line Color 2", Field(&AppSettings::navLineColor2), L::Colours},
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


// What a control shows of each kind of value, and how it stores it back.
void Show(ControlValue& v, int value) { v.number = value; }
void Show(ControlValue& v, bool value) { v.number = value ? 1 : 0; }
void Show(ControlValue& v, double value) { v.real = value; }
void Show(ControlValue& v, const std::string& value) { v.text = value; }
void Take(int& value, const ControlValue& v) { value = v.number; }
void Take(bool& value, const ControlValue& v) { value = v.number != 0; }
void Take(double& value, const ControlValue& v) { value = v.real; }
void Take(std::string& value, const ControlValue& v) { value = v.text.substr(0, kSettingTextMax); }

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
    std::visit(Overloaded{[](std::monostate) {}, [&](const auto& ref) { Show(value, ref.In(settings)); }},
               control.setting);
    return value;
}

void WriteControl(AppSettings& settings, const DialogControl& control, const ControlValue& value) {
    if (control.kind == ControlKind::PathLines) {
        settings.mapPath = SplitPathLines(value.text);
        return;
    }
    std::visit(Overloaded{[](std::monostate) {}, [&](const auto& ref) { Take(ref.In(settings), value); }},
               control.setting);
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
    const SettingField& f = control.setting;
    if (f == Field(&AppSettings::nmeaLogDistance) || f == Field(&AppSettings::trackLogDistance))
        return settings.distanceUnit == 0 ? "m" : "ft";
    if (f == Field(&AppSettings::trackLength)) return "points";
    if (f == Field(&AppSettings::nmeaUpdate)) return "fixes";
    if (control.kind == ControlKind::Speed) {
        static constexpr const char* kSpeeds[] = {"km/h", "mph", "knots"};
        int unit = settings.speedUnit;
        return unit >= 0 && unit < 3 ? kSpeeds[unit] : "";
    }
    // Sizes and widths of what is drawn on the screen.
    return "px";
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
    if (control.kind != ControlKind::Folder) return nullptr;
    const auto* ref = std::get_if<SettingRef<std::string>>(&control.setting);
    return ref ? &ref->In(settings) : nullptr;
    return nullptr;
}

}  // namespace mw
