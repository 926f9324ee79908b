#include "config/settings.h"

#include <algorithm>
#include <climits>

#include "geo/format_names.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

enum class Kind { Int, Bool, Real, Text, FormatName, DatumName, ComPort };

struct FieldRef {
    Kind kind;
    void* field;
};

// One row per key of the main file, in file order: key text, fallback text,
// the dialog that changes it, how the value is stored, and where.
struct KeyRow {
    const char* key;
    const char* fallback;
    int dialog;
    Kind kind;
    void* (*field)(AppSettings&);
};

#define MW_FIELD(f) [](AppSettings& s) -> void* { return &s.f; }
// clang-format off
const KeyRow kRows[kAppSettingsKeyCount] = {
    {"Position Format", "0", kDialogSystem, Kind::FormatName, MW_FIELD(positionFormat)},
    {"NMEA Datum", "WGS 84", kDialogNmea, Kind::DatumName, MW_FIELD(nmeaDatum)},
    {"File Path 1", "\\Mapwanderer\\Maps", kDialogImageFiles, Kind::Text, MW_FIELD(filePath1)},
    {"File Path 2", "", kDialogImageFiles, Kind::Text, MW_FIELD(filePath2)},
    {"Map Path 1", "\\Mapwanderer\\Maps", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[0])},
    {"Load Last Map", "1", kDialogSystem, Kind::Int, MW_FIELD(loadLastMap)},
    {"NMEA Log Distance", "500", kDialogTrack, Kind::Int, MW_FIELD(nmeaLogDistance)},
    {"Show Track", "1", -1, Kind::Int, MW_FIELD(showTrack)},
    {"Track Length", "100", kDialogTrack, Kind::Int, MW_FIELD(trackLength)},
    {"NMEA Update", "2", kDialogMovingMap, Kind::Int, MW_FIELD(nmeaUpdate)},
    {"Baud Rate", "2", kDialogNmea, Kind::Int, MW_FIELD(baudRate)},
    {"Check 4 Detailed Map", "1", kDialogMovingMap, Kind::Int, MW_FIELD(check4DetailedMap)},
    {"Speed Unit", "0", kDialogUnits, Kind::Int, MW_FIELD(speedUnit)},
    {"Distance Unit", "0", kDialogUnits, Kind::Int, MW_FIELD(distanceUnit)},
    {"Altitude Unit", "0", kDialogUnits, Kind::Int, MW_FIELD(altitudeUnit)},
    {"Track Log Distance", "250", kDialogTrack, Kind::Int, MW_FIELD(trackLogDistance)},
    {"Baud Rate", "3", kDialogCompanion, Kind::Int, MW_FIELD(udBaudRate)},
    {"GPS Type", "0", kDialogCompanion, Kind::Int, MW_FIELD(gpsType)},
    {"UD Datum", "WGS 84", kDialogCompanion, Kind::DatumName, MW_FIELD(udDatum)},
    {"Min Speed", "0", kDialogSpeedMonitor, Kind::Real, MW_FIELD(minSpeed)},
    {"Set Speed", "0", kDialogSpeedMonitor, Kind::Real, MW_FIELD(setSpeed)},
    {"Max Speed", "0", kDialogSpeedMonitor, Kind::Real, MW_FIELD(maxSpeed)},
    {"Map Path 2", "", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[1])},
    {"Map Path 3", "", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[2])},
    {"Data Path", "\\Mapwanderer\\Data", kDialogMapDataFiles, Kind::Text, MW_FIELD(dataPath)},
    {"Map Path 1 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[0])},
    {"Map Path 2 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[1])},
    {"Map Path 3 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[2])},
    {"NMEA Sentence", "0", kDialogNmea, Kind::Int, MW_FIELD(nmeaSentence)},
    {"Track Color", "9", kDialogTrack, Kind::Int, MW_FIELD(trackColor)},
    {"Track Width", "2", kDialogTrack, Kind::Int, MW_FIELD(trackWidth)},
    {"Min Speed Active", "0", kDialogSpeedMonitor, Kind::Int, MW_FIELD(minSpeedActive)},
    {"Set Speed Active", "0", kDialogSpeedMonitor, Kind::Int, MW_FIELD(setSpeedActive)},
    {"Max Speed Active", "0", kDialogSpeedMonitor, Kind::Int, MW_FIELD(maxSpeedActive)},
    {"Use Checksum", "1", kDialogNmea, Kind::Bool, MW_FIELD(useChecksum)},
    {"Show GPS fix", "1", kDialogNmea, Kind::Bool, MW_FIELD(showGpsFix)},
    {"Show DGPS secs", "0", kDialogNmea, Kind::Bool, MW_FIELD(showDgpsSecs)},
    {"WP Symbol Size", "6", kDialogWaypoints, Kind::Int, MW_FIELD(wpSymbolSize)},
    {"WP Font Size", "11", kDialogWaypoints, Kind::Int, MW_FIELD(wpFontSize)},
    {"WP Check Proximity", "1", kDialogWaypoints, Kind::Bool, MW_FIELD(wpCheckProximity)},
    {"Toolbar Auto Hide", "0", kDialogSystem, Kind::Bool, MW_FIELD(toolbarAutoHide)},
    {"Load Default Wps", "0", kDialogSystem, Kind::Bool, MW_FIELD(loadDefaultWps)},
    {"Load Default Track", "0", kDialogSystem, Kind::Bool, MW_FIELD(loadDefaultTrack)},
    {"No Shutdown", "1", kDialogSystem, Kind::Bool, MW_FIELD(noShutdown)},
    {"Heading Unit", "0", kDialogUnits, Kind::Int, MW_FIELD(headingUnit)},
    {"Map Path 4", "", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[3])},
    {"Map Path 5", "", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[4])},
    {"Map Path 6", "", kDialogMapDataFiles, Kind::Text, MW_FIELD(mapPath[5])},
    {"Map Path 4 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[3])},
    {"Map Path 5 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[4])},
    {"Map Path 6 Active", "1", kDialogMapDataFiles, Kind::Int, MW_FIELD(mapPathActive[5])},
    {"Route WP Symbol Size", "6", kDialogRoutes, Kind::Int, MW_FIELD(routeWpSymbolSize)},
    {"Route Font Size", "11", kDialogRoutes, Kind::Int, MW_FIELD(routeFontSize)},
    {"Route Line Width", "2", kDialogRoutes, Kind::Int, MW_FIELD(routeLineWidth)},
    {"Route Line Color", "0", kDialogRoutes, Kind::Int, MW_FIELD(routeLineColor)},
    {"Route Wp Color", "17", kDialogRoutes, Kind::Int, MW_FIELD(routeWpColor)},
    {"Route Text Color", "0", kDialogRoutes, Kind::Int, MW_FIELD(routeTextColor)},
    {"Pointer Style", "1", kDialogMovingMap, Kind::Int, MW_FIELD(pointerStyle)},
    {"Pointer Size", "5", kDialogMovingMap, Kind::Int, MW_FIELD(pointerSize)},
    {"Pointer Color", "9", kDialogMovingMap, Kind::Int, MW_FIELD(pointerColor)},
    {"Pointer Solid", "1", kDialogMovingMap, Kind::Int, MW_FIELD(pointerSolid)},
    {"Map Path Loaded Active", "1", -1, Kind::Int, MW_FIELD(mapPathLoadedActive)},
    {"Tripmate GPS", "0", kDialogNmea, Kind::Int, MW_FIELD(tripmateGps)},
    {"Com Port", "1", kDialogNmea, Kind::ComPort, MW_FIELD(comPort)},
    {"Nav Draw Line", "1", kDialogNavigation, Kind::Int, MW_FIELD(navDrawLine)},
    {"Nav Line Width", "5", kDialogNavigation, Kind::Int, MW_FIELD(navLineWidth)},
    {"Nav Line Color 1", "11", kDialogNavigation, Kind::Int, MW_FIELD(navLineColor1)},
    {"Nav Line Color 2", "9", kDialogNavigation, Kind::Int, MW_FIELD(navLineColor2)},
    {"Use CE Open File", "0", kDialogSystem, Kind::Int, MW_FIELD(useCeOpenFile)},
};
// clang-format on
#undef MW_FIELD

FieldRef FieldOf(AppSettings& s, int index) { return {kRows[index].kind, kRows[index].field(s)}; }

std::array<AppSettingKey, kAppSettingsKeyCount> MakeKeyList() {
    std::array<AppSettingKey, kAppSettingsKeyCount> keys{};
    for (int i = 0; i < kAppSettingsKeyCount; ++i)
        keys[i] = {kRows[i].key, kRows[i].fallback, kRows[i].dialog};
    return keys;
}

const std::array<AppSettingKey, kAppSettingsKeyCount> kAppKeys = MakeKeyList();

void ParseInto(FieldRef ref, const std::string& value, const DatumTable& datums) {
    switch (ref.kind) {
        case Kind::Int:
            *static_cast<int*>(ref.field) = ParseInt(value);
            break;
        case Kind::Bool:
            *static_cast<bool*>(ref.field) = ParseInt(value) != 0;
            break;
        case Kind::Real:
            *static_cast<double*>(ref.field) = ParseReal(value);
            break;
        case Kind::Text:
            *static_cast<std::string*>(ref.field) = value.substr(0, kSettingTextMax);
            break;
        case Kind::FormatName: {
            int i = FindPositionFormat(value);
            *static_cast<int*>(ref.field) = i < 0 ? 0 : i;
            break;
        }
        case Kind::DatumName:
            *static_cast<int*>(ref.field) = FindDatumByName(datums, value);
            break;
        case Kind::ComPort: {
            // Checked here, once, so that no port table is ever indexed
            // with a value from the file; outside the table is the default
            // port, as a missing line is.
            const int port = ParseInt(value);
            *static_cast<int*>(ref.field) = port >= 1 && port <= kComPortCount ? port - 1 : 0;
            break;
        }
    }
}

std::string FormatField(FieldRef ref, const DatumTable& datums) {
    switch (ref.kind) {
        case Kind::Int:
            return Format("%d", *static_cast<int*>(ref.field));
        case Kind::Bool:
            return Format("%d", *static_cast<bool*>(ref.field) ? 1 : 0);
        case Kind::Real:
            return Format("%.1f", *static_cast<double*>(ref.field));
        case Kind::Text:
            return *static_cast<std::string*>(ref.field);
        case Kind::FormatName: {
            int i = *static_cast<int*>(ref.field);
            // A stray index (settings built in code, never from the file)
            // is written as the first format rather than out of the table.
            if (i < 0 || i >= kPositionFormatCount) i = 0;
            return std::string(kPositionFormatNames[i]);
        }
        case Kind::DatumName:
            return datums.Row(*static_cast<int*>(ref.field)).name;
        case Kind::ComPort:
            return Format("%d", *static_cast<int*>(ref.field) + 1);
    }
    return {};
}

void CopyField(FieldRef to, FieldRef from) {
    switch (to.kind) {
        case Kind::Int:
        case Kind::FormatName:
        case Kind::DatumName:
        case Kind::ComPort:
            *static_cast<int*>(to.field) = *static_cast<int*>(from.field);
            break;
        case Kind::Bool:
            *static_cast<bool*>(to.field) = *static_cast<bool*>(from.field);
            break;
        case Kind::Real:
            *static_cast<double*>(to.field) = *static_cast<double*>(from.field);
            break;
        case Kind::Text:
            *static_cast<std::string*>(to.field) = *static_cast<std::string*>(from.field);
            break;
    }
}

const std::array<ViewSettingKey, kViewSettingsKeyCount> kViewKeys = {{
    {"View Speed Info", 0, &ViewSettings::viewSpeedInfo},
    {"View Speed & Nav Info", 0, &ViewSettings::viewSpeedNavInfo},
    {"View Waypoints", 1, &ViewSettings::viewWaypoints},
    {"View Waypoint HighLights", 0, &ViewSettings::viewWaypointHighlights},
    {"View Waypoint Names", 1, &ViewSettings::viewWaypointNames},
    {"View Scale", 1, &ViewSettings::viewScale},
    {"View Toolbar", 1, &ViewSettings::viewToolbar},
    {"Scale Pos X", 32, &ViewSettings::scalePosX},
    {"Scale Pos Y", 63, &ViewSettings::scalePosY},
    {"View Track", 1, &ViewSettings::viewTrack},
    {"View Waypoint Black & White", 0, &ViewSettings::viewWaypointBW},
    {"View Routes", 1, &ViewSettings::viewRoutes},
    {"View Route Highlights", 1, &ViewSettings::viewRouteHighlights},
    {"View Route Wp Names", 1, &ViewSettings::viewRouteWpNames},
    {"View Route Name", 1, &ViewSettings::viewRouteName},
    {"View Route Black & White", 1, &ViewSettings::viewRouteBW},
    {"View Waypoint Proximity", 0, &ViewSettings::viewWaypointProximity},
    {"View MapView", 0, &ViewSettings::viewMapView},
    {"MapView Pos X", 32, &ViewSettings::mapViewPosX},
    {"MapView Pos Y", 63, &ViewSettings::mapViewPosY},
    {"MapView Size", 95, &ViewSettings::mapViewSize},
    {"View Seamless Maps", 1, &ViewSettings::viewSeamlessMaps},
}};

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

AppSettingField AppSettingFieldOf(AppSettings& settings, int index) {
    FieldRef ref = FieldOf(settings, index);
    switch (ref.kind) {
        case Kind::Bool: return {.flag = static_cast<bool*>(ref.field)};
        case Kind::Real: return {.real = static_cast<double*>(ref.field)};
        case Kind::Text: return {.text = static_cast<std::string*>(ref.field)};
        default: return {.number = static_cast<int*>(ref.field)};
    }
}
const std::array<ViewSettingKey, kViewSettingsKeyCount>& ViewSettingKeys() { return kViewKeys; }

ReadOutcome ReadConfiguration(const std::string& home, const DatumTable& datums,
                              AppSettings& settings) {
    // With no file every read yields an empty line, so every key takes its
    // fallback; this is how a first start gets its defaults.
    TextFileReader file(JoinPath(home, kMainConfigFile));
    std::string line;
    for (int i = 0; i < kAppSettingsKeyCount; ++i) {
        ReadLineMax(file, line, kSettingLineMax);
        ParseInto(FieldOf(settings, i), GetField(line, 2, kAppKeys[i].fallback), datums);
    }
    return OutcomeOf(file);
}

std::string FormatAppSetting(const AppSettings& settings, const DatumTable& datums, int index) {
    return FormatField(FieldOf(const_cast<AppSettings&>(settings), index), datums);
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
        CopyField(FieldOf(settings, i), FieldOf(const_cast<AppSettings&>(dialogValues), i));
    }
    return WriteConfiguration(home, datums, settings);
}

ReadOutcome ReadViewSettings(const std::string& home, ViewSettings& view) {
    TextFileReader file(JoinPath(home, kViewConfigFile));
    if (!file.IsOpen()) return OutcomeOf(file);
    std::string line;
    for (const ViewSettingKey& k : kViewKeys) {
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
        for (const ViewSettingKey& k : kViewKeys)
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
