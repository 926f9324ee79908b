#include "config/settings.h"

#include <algorithm>
#include <climits>

#include "geo/format_names.h"
#include "support/overloaded.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {


// How each kind of value is read from its file text and written back: the
// one place where the kinds differ. A number may carry a coding.
int ReadValue(const SettingRef<int>&, const std::string& text, const NumberCoding* coding,
              const DatumTable& datums);
bool ReadValue(const SettingRef<bool>&, const std::string& text, const NumberCoding*,
               const DatumTable&) {
    return ParseInt(text) != 0;
}
double ReadValue(const SettingRef<double>&, const std::string& text, const NumberCoding*,
                 const DatumTable&) {
    return ParseReal(text);
}
std::string ReadValue(const SettingRef<std::string>&, const std::string& text, const NumberCoding*,
                      const DatumTable&) {
    return text.substr(0, kSettingTextMax);
}
std::string WriteValue(int value, const NumberCoding* coding, const DatumTable& datums);
std::string WriteValue(bool value, const NumberCoding*, const DatumTable&) {
    return value ? "1" : "0";
}
std::string WriteValue(double value, const NumberCoding*, const DatumTable&) {
    return Format("%.1f", value);
}
std::string WriteValue(const std::string& value, const NumberCoding*, const DatumTable&) {
    return value;
}

}  // namespace

struct NumberCoding {
    int (*read)(const std::string& text, const DatumTable& datums);
    std::string (*write)(int value, const DatumTable& datums);
};

const NumberCoding kFormatNameCoding = {
    [](const std::string& text, const DatumTable&) {
        const int i = FindPositionFormat(text);
        return i < 0 ? 0 : i;
    },
    [](int i, const DatumTable&) {
        // A stray index (settings built in code, never from the file) is
        // written as the first format rather than out of the table.
        if (i < 0 || i >= kPositionFormatCount) i = 0;
        return std::string(kPositionFormatNames[i]);
    }};
const NumberCoding kDatumNameCoding = {
    [](const std::string& text, const DatumTable& datums) { return FindDatumByName(datums, text); },
    [](int i, const DatumTable& datums) { return datums.Row(i).name; }};
const NumberCoding kPortNumberCoding = {
    [](const std::string& text, const DatumTable&) {
        // Checked here, once, so that no port table is ever indexed with a
        // value from the file; outside the table is the default port, as a
        // missing line is.
        const int port = ParseInt(text);
        return port >= 1 && port <= kComPortCount ? port - 1 : 0;
    },
    [](int i, const DatumTable&) { return Format("%d", i + 1); }};

namespace {

int ReadValue(const SettingRef<int>&, const std::string& text, const NumberCoding* coding,
              const DatumTable& datums) {
    return coding ? coding->read(text, datums) : ParseInt(text);
}
std::string WriteValue(int value, const NumberCoding* coding, const DatumTable& datums) {
    return coding ? coding->write(value, datums) : Format("%d", value);
}

// One row per key of the main file, in file order.
// clang-format off
const std::array<AppSettingKey, kAppSettingsKeyCount> kAppKeys = {{
    {"Position Format", "0", kDialogSystem, Field(&AppSettings::positionFormat), &kFormatNameCoding},
    {"NMEA Datum", "WGS 84", kDialogNmea, Field(&AppSettings::nmeaDatum), &kDatumNameCoding},
    {"File Path 1", "\\Mapwanderer\\Maps", kDialogImageFiles, Field(&AppSettings::filePath1)},
    {"File Path 2", "", kDialogImageFiles, Field(&AppSettings::filePath2)},
    {"Map Path 1", "\\Mapwanderer\\Maps", kDialogMapDataFiles, Field(&AppSettings::mapPath, 0)},
    {"Load Last Map", "1", kDialogSystem, Field(&AppSettings::loadLastMap)},
    {"NMEA Log Distance", "500", kDialogTrack, Field(&AppSettings::nmeaLogDistance)},
    {"Show Track", "1", -1, Field(&AppSettings::showTrack)},
    {"Track Length", "100", kDialogTrack, Field(&AppSettings::trackLength)},
    {"NMEA Update", "2", kDialogMovingMap, Field(&AppSettings::nmeaUpdate)},
    {"Baud Rate", "2", kDialogNmea, Field(&AppSettings::baudRate)},
    {"Check 4 Detailed Map", "1", kDialogMovingMap, Field(&AppSettings::check4DetailedMap)},
    {"Speed Unit", "0", kDialogUnits, Field(&AppSettings::speedUnit)},
    {"Distance Unit", "0", kDialogUnits, Field(&AppSettings::distanceUnit)},
    {"Altitude Unit", "0", kDialogUnits, Field(&AppSettings::altitudeUnit)},
    {"Track Log Distance", "250", kDialogTrack, Field(&AppSettings::trackLogDistance)},
    {"Baud Rate", "3", kDialogCompanion, Field(&AppSettings::udBaudRate)},
    {"GPS Type", "0", kDialogCompanion, Field(&AppSettings::gpsType)},
    {"UD Datum", "WGS 84", kDialogCompanion, Field(&AppSettings::udDatum), &kDatumNameCoding},
    {"Min Speed", "0", kDialogSpeedMonitor, Field(&AppSettings::minSpeed)},
    {"Set Speed", "0", kDialogSpeedMonitor, Field(&AppSettings::setSpeed)},
    {"Max Speed", "0", kDialogSpeedMonitor, Field(&AppSettings::maxSpeed)},
    {"Map Path 2", "", kDialogMapDataFiles, Field(&AppSettings::mapPath, 1)},
    {"Map Path 3", "", kDialogMapDataFiles, Field(&AppSettings::mapPath, 2)},
    {"Data Path", "\\Mapwanderer\\Data", kDialogMapDataFiles, Field(&AppSettings::dataPath)},
    {"Map Path 1 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 0)},
    {"Map Path 2 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 1)},
    {"Map Path 3 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 2)},
    {"NMEA Sentence", "0", kDialogNmea, Field(&AppSettings::nmeaSentence)},
    {"Track Color", "9", kDialogTrack, Field(&AppSettings::trackColor)},
    {"Track Width", "2", kDialogTrack, Field(&AppSettings::trackWidth)},
    {"Min Speed Active", "0", kDialogSpeedMonitor, Field(&AppSettings::minSpeedActive)},
    {"Set Speed Active", "0", kDialogSpeedMonitor, Field(&AppSettings::setSpeedActive)},
    {"Max Speed Active", "0", kDialogSpeedMonitor, Field(&AppSettings::maxSpeedActive)},
    {"Use Checksum", "1", kDialogNmea, Field(&AppSettings::useChecksum)},
    {"Show GPS fix", "1", kDialogNmea, Field(&AppSettings::showGpsFix)},
    {"Show DGPS secs", "0", kDialogNmea, Field(&AppSettings::showDgpsSecs)},
    {"WP Symbol Size", "6", kDialogWaypoints, Field(&AppSettings::wpSymbolSize)},
    {"WP Font Size", "11", kDialogWaypoints, Field(&AppSettings::wpFontSize)},
    {"WP Check Proximity", "1", kDialogWaypoints, Field(&AppSettings::wpCheckProximity)},
    {"Toolbar Auto Hide", "0", kDialogSystem, Field(&AppSettings::toolbarAutoHide)},
    {"Load Default Wps", "0", kDialogSystem, Field(&AppSettings::loadDefaultWps)},
    {"Load Default Track", "0", kDialogSystem, Field(&AppSettings::loadDefaultTrack)},
    {"No Shutdown", "1", kDialogSystem, Field(&AppSettings::noShutdown)},
    {"Heading Unit", "0", kDialogUnits, Field(&AppSettings::headingUnit)},
    {"Map Path 4", "", kDialogMapDataFiles, Field(&AppSettings::mapPath, 3)},
    {"Map Path 5", "", kDialogMapDataFiles, Field(&AppSettings::mapPath, 4)},
    {"Map Path 6", "", kDialogMapDataFiles, Field(&AppSettings::mapPath, 5)},
    {"Map Path 4 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 3)},
    {"Map Path 5 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 4)},
    {"Map Path 6 Active", "1", kDialogMapDataFiles, Field(&AppSettings::mapPathActive, 5)},
    {"Route WP Symbol Size", "6", kDialogRoutes, Field(&AppSettings::routeWpSymbolSize)},
    {"Route Font Size", "11", kDialogRoutes, Field(&AppSettings::routeFontSize)},
    {"Route Line Width", "2", kDialogRoutes, Field(&AppSettings::routeLineWidth)},
    {"Route Line Color", "0", kDialogRoutes, Field(&AppSettings::routeLineColor)},
    {"Route Wp Color", "17", kDialogRoutes, Field(&AppSettings::routeWpColor)},
    {"Route Text Color", "0", kDialogRoutes, Field(&AppSettings::routeTextColor)},
    {"Pointer Style", "1", kDialogMovingMap, Field(&AppSettings::pointerStyle)},
    {"Pointer Size", "5", kDialogMovingMap, Field(&AppSettings::pointerSize)},
    {"Pointer Color", "9", kDialogMovingMap, Field(&AppSettings::pointerColor)},
    {"Pointer Solid", "1", kDialogMovingMap, Field(&AppSettings::pointerSolid)},
    {"Map Path Loaded Active", "1", -1, Field(&AppSettings::mapPathLoadedActive)},
    {"Tripmate GPS", "0", kDialogNmea, Field(&AppSettings::tripmateGps)},
    {"Com Port", "1", kDialogNmea, Field(&AppSettings::comPort), &kPortNumberCoding},
    {"Nav Draw Line", "1", kDialogNavigation, Field(&AppSettings::navDrawLine)},
    {"Nav Line Width", "5", kDialogNavigation, Field(&AppSettings::navLineWidth)},
    {"Nav Line Color 1", "11", kDialogNavigation, Field(&AppSettings::navLineColor1)},
    {"Nav Line Color 2", "9", kDialogNavigation, Field(&AppSettings::navLineColor2)},
    {"Use CE Open File", "0", kDialogSystem, Field(&AppSettings::useCeOpenFile)},
}};
// clang-format on

void ParseInto(const AppSettingKey& k, AppSettings& s, const std::string& text,
               const DatumTable& datums) {
    std::visit(Overloaded{[](std::monostate) {},
                          [&](const auto& ref) { ref.In(s) = ReadValue(ref, text, k.coding, datums); }},
               k.field);
}

std::string FormatField(const AppSettingKey& k, const AppSettings& s, const DatumTable& datums) {
    return std::visit(Overloaded{[](std::monostate) { return std::string(); },
                                 [&](const auto& ref) { return WriteValue(ref.In(s), k.coding, datums); }},
                      k.field);
}

void CopyField(const SettingField& field, AppSettings& to, const AppSettings& from) {
    std::visit(Overloaded{[](std::monostate) {}, [&](const auto& ref) { ref.In(to) = ref.In(from); }},
               field);
}

// The view keys whose values the program can only use within a range (the
// overview's sizes); a number outside it in the file is taken as the nearest.
struct ViewKeyRange {
    int ViewSettings::*field;
    int min, max;
};
constexpr ViewKeyRange kViewKeyRanges[] = {
    {&ViewSettings::mapViewSize, 60, 220},
};

int HeldToRange(int ViewSettings::*field, int value) {
    for (const ViewKeyRange& r : kViewKeyRanges)
        if (r.field == field) return std::clamp(value, r.min, r.max);
    return value;
}

}  // namespace

const std::array<AppSettingKey, kAppSettingsKeyCount>& AppSettingKeys() { return kAppKeys; }

int SettingKeyIndex(const SettingField& field) {
    if (std::holds_alternative<std::monostate>(field)) return -1;
    for (int i = 0; i < kAppSettingsKeyCount; ++i)
        if (kAppKeys[i].field == field) return i;
    return -1;
}

ReadOutcome ReadConfiguration(const std::string& home, const DatumTable& datums,
                              AppSettings& settings) {
    // With no file every read yields an empty line, so every key takes its
    // fallback; this is how a first start gets its defaults.
    TextFileReader file(JoinPath(home, kMainConfigFile));
    std::string line;
    for (int i = 0; i < kAppSettingsKeyCount; ++i) {
        ReadLineMax(file, line, kSettingLineMax);
        ParseInto(kAppKeys[i], settings, GetField(line, 2, kAppKeys[i].fallback), datums);
    }
    return OutcomeOf(file);
}

std::string FormatAppSetting(const AppSettings& settings, const DatumTable& datums, int index) {
    return FormatField(kAppKeys[index], settings, datums);
}

std::array<std::string, kAppSettingsKeyCount> FormatConfigurationLines(const AppSettings& settings,
                                                                       const DatumTable& datums) {
    std::array<std::string, kAppSettingsKeyCount> lines;
    for (int i = 0; i < kAppSettingsKeyCount; ++i)
        lines[i] = std::string(kAppKeys[i].key) + "," + FormatAppSetting(settings, datums, i);
    return lines;
}

WriteOutcome WriteConfiguration(const std::string& home, const DatumTable& datums,
                                AppSettings& settings) {
    TextFileWriter file(JoinPath(home, kMainConfigFile));
    if (!file.IsOpen()) return file.Outcome();
    if (settings.trackLength > 1000) settings.trackLength = 1000;
    for (const std::string& line : FormatConfigurationLines(settings, datums)) file.WriteLine(line);
    file.WriteLine("End End End");
    file.Commit();
    return file.Outcome();
}

WriteOutcome SaveConfiguration(const std::string& home, const DatumTable& datums,
                               AppSettings& settings, int dialogNumber,
                               const AppSettings& dialogValues) {
    for (int i = 0; i < kAppSettingsKeyCount; ++i) {
        if (kAppKeys[i].dialog != dialogNumber) continue;
        CopyField(kAppKeys[i].field, settings, dialogValues);
    }
    return WriteConfiguration(home, datums, settings);
}

ReadOutcome ReadViewSettings(const std::string& home, ViewSettings& view) {
    TextFileReader file(JoinPath(home, kViewConfigFile));
    if (!file.IsOpen()) return OutcomeOf(file);
    std::string line;
    for (const ViewSettingKey& k : kViewSettingKeys) {
        ReadLineMax(file, line, kSettingLineMax);
        // An overview 20000 pixels wide would take its window and hundreds
        // of megabytes with it.
        view.*k.field = HeldToRange(k.field, ParseInt(GetField(line, 2, Format("%d", k.fallback))));
    }
    return {};
}

WriteOutcome SaveViewSettings(const std::string& home, const ViewSettings& view) {
    TextFileWriter file(JoinPath(home, kViewConfigFile));
    if (file.IsOpen()) {
        for (const ViewSettingKey& k : kViewSettingKeys)
            file.WriteLine(std::string(k.key) + "," + Format("%d", view.*k.field));
        file.WriteLine("End End End");
        file.Commit();
    }
    return file.Outcome();
}

std::string LocalDataFolder(const AppSettings& settings, std::string_view userHome) {
    const std::string& text =
        IsBlank(settings.dataPath) ? AppSettings{}.dataPath : settings.dataPath;
    std::string folder = ToLocalPath(Trim(text), userHome);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string ReadLastIni(const std::string& home, const std::string& fileName) {
    TextFileReader file(JoinPath(home, fileName));
    if (!file.IsOpen()) return {};
    std::string line;
    ReadLineMax(file, line, kSettingLineMax);
    return GetField(line, 102, "");
}

WriteOutcome SaveLastIni(const std::string& home, const std::string& fileName,
                         const std::string& key, const std::string& value) {
    const std::string path = JoinPath(home, fileName);
    const std::string first = key + "," + value;
    // Every start loads the last map and saves its name again: a file that
    // already says so is left alone, which spares the start two syncs.
    if (ReadWholeFile(path) == first + "\r\nEnd End End\r\n") return {path, 0};
    TextFileWriter file(path);
    if (file.IsOpen()) {
        file.WriteLine(first);
        file.WriteLine("End End End");
        file.Commit();
    }
    return file.Outcome();
}

}  // namespace mw
