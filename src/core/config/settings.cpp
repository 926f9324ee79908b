#include "config/settings.h"

#include "geo/format_names.h"
#include "ports/ui.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

enum class Kind { Int, Bool, Real, Text, FormatName, DatumName, ComPort };

struct FieldRef {
    Kind kind;
    void* field;
};

// Key texts, fallbacks and dialogs in file order.
const std::array<AppSettingKey, kAppSettingsKeyCount> kAppKeys = {{
    {"Position Format", "0", kDialogSystem},
    {"NMEA Datum", "WGS 84", kDialogNmea},
    {"File Path 1", "\\Mapwanderer\\Maps", kDialogImageFiles},
    {"File Path 2", "", kDialogImageFiles},
    {"Map Path 1", "\\Mapwanderer\\Maps", kDialogMapDataFiles},
    {"Load Last Map", "1", kDialogSystem},
    {"NMEA Log Distance", "500", kDialogTrack},
    {"Show Track", "1", -1},
    {"Track Length", "100", kDialogTrack},
    {"NMEA Update", "2", kDialogMovingMap},
    {"Baud Rate", "2", kDialogNmea},
    {"Check 4 Detailed Map", "1", kDialogMovingMap},
    {"Speed Unit", "0", kDialogUnits},
    {"Distance Unit", "0", kDialogUnits},
    {"Altitude Unit", "0", kDialogUnits},
    {"Track Log Distance", "250", kDialogTrack},
    {"Baud Rate", "3", kDialogCompanion},
    {"GPS Type", "0", kDialogCompanion},
    {"UD Datum", "WGS 84", kDialogCompanion},
    {"Min Speed", "0", kDialogSpeedMonitor},
    {"Set Speed", "0", kDialogSpeedMonitor},
    {"Max Speed", "0", kDialogSpeedMonitor},
    {"Map Path 2", "", kDialogMapDataFiles},
    {"Map Path 3", "", kDialogMapDataFiles},
    {"Data Path", "\\Mapwanderer\\Data", kDialogMapDataFiles},
    {"Map Path 1 Active", "1", kDialogMapDataFiles},
    {"Map Path 2 Active", "1", kDialogMapDataFiles},
    {"Map Path 3 Active", "1", kDialogMapDataFiles},
    {"NMEA Sentence", "0", kDialogNmea},
    {"Track Color", "9", kDialogTrack},
    {"Track Width", "2", kDialogTrack},
    {"Min Speed Active", "0", kDialogSpeedMonitor},
    {"Set Speed Active", "0", kDialogSpeedMonitor},
    {"Max Speed Active", "0", kDialogSpeedMonitor},
    {"Use Checksum", "1", kDialogNmea},
    {"Show GPS fix", "1", kDialogNmea},
    {"Show DGPS secs", "0", kDialogNmea},
    {"WP Symbol Size", "6", kDialogWaypoints},
    {"WP Font Size", "11", kDialogWaypoints},
    {"WP Check Proximity", "1", kDialogWaypoints},
    {"Toolbar Auto Hide", "0", kDialogSystem},
    {"Load Default Wps", "0", kDialogSystem},
    {"Load Default Track", "0", kDialogSystem},
    {"No Shutdown", "1", kDialogSystem},
    {"Heading Unit", "0", kDialogUnits},
    {"Map Path 4", "", kDialogMapDataFiles},
    {"Map Path 5", "", kDialogMapDataFiles},
    {"Map Path 6", "", kDialogMapDataFiles},
    {"Map Path 4 Active", "1", kDialogMapDataFiles},
    {"Map Path 5 Active", "1", kDialogMapDataFiles},
    {"Map Path 6 Active", "1", kDialogMapDataFiles},
    {"Route WP Symbol Size", "6", kDialogRoutes},
    {"Route Font Size", "11", kDialogRoutes},
    {"Route Line Width", "2", kDialogRoutes},
    {"Route Line Color", "0", kDialogRoutes},
    {"Route Wp Color", "17", kDialogRoutes},
    {"Route Text Color", "0", kDialogRoutes},
    {"Pointer Style", "1", kDialogMovingMap},
    {"Pointer Size", "5", kDialogMovingMap},
    {"Pointer Color", "9", kDialogMovingMap},
    {"Pointer Solid", "1", kDialogMovingMap},
    {"Map Path Loaded Active", "1", -1},
    {"Tripmate GPS", "0", kDialogNmea},
    {"Com Port", "1", kDialogNmea},
    {"Nav Draw Line", "1", kDialogNavigation},
    {"Nav Line Width", "5", kDialogNavigation},
    {"Nav Line Color 1", "11", kDialogNavigation},
    {"Nav Line Color 2", "9", kDialogNavigation},
    {"Use CE Open File", "0", kDialogSystem},
}};

FieldRef FieldOf(AppSettings& s, int index) {
    switch (index) {
        case 0:
            return {Kind::FormatName, &s.positionFormat};
        case 1:
            return {Kind::DatumName, &s.nmeaDatum};
        case 2:
            return {Kind::Text, &s.filePath1};
        case 3:
            return {Kind::Text, &s.filePath2};
        case 4:
            return {Kind::Text, &s.mapPath[0]};
        case 5:
            return {Kind::Int, &s.loadLastMap};
        case 6:
            return {Kind::Int, &s.nmeaLogDistance};
        case 7:
            return {Kind::Int, &s.showTrack};
        case 8:
            return {Kind::Int, &s.trackLength};
        case 9:
            return {Kind::Int, &s.nmeaUpdate};
        case 10:
            return {Kind::Int, &s.baudRate};
        case 11:
            return {Kind::Int, &s.check4DetailedMap};
        case 12:
            return {Kind::Int, &s.speedUnit};
        case 13:
            return {Kind::Int, &s.distanceUnit};
        case 14:
            return {Kind::Int, &s.altitudeUnit};
        case 15:
            return {Kind::Int, &s.trackLogDistance};
        case 16:
            return {Kind::Int, &s.udBaudRate};
        case 17:
            return {Kind::Int, &s.gpsType};
        case 18:
            return {Kind::DatumName, &s.udDatum};
        case 19:
            return {Kind::Real, &s.minSpeed};
        case 20:
            return {Kind::Real, &s.setSpeed};
        case 21:
            return {Kind::Real, &s.maxSpeed};
        case 22:
            return {Kind::Text, &s.mapPath[1]};
        case 23:
            return {Kind::Text, &s.mapPath[2]};
        case 24:
            return {Kind::Text, &s.dataPath};
        case 25:
            return {Kind::Int, &s.mapPathActive[0]};
        case 26:
            return {Kind::Int, &s.mapPathActive[1]};
        case 27:
            return {Kind::Int, &s.mapPathActive[2]};
        case 28:
            return {Kind::Int, &s.nmeaSentence};
        case 29:
            return {Kind::Int, &s.trackColor};
        case 30:
            return {Kind::Int, &s.trackWidth};
        case 31:
            return {Kind::Int, &s.minSpeedActive};
        case 32:
            return {Kind::Int, &s.setSpeedActive};
        case 33:
            return {Kind::Int, &s.maxSpeedActive};
        case 34:
            return {Kind::Bool, &s.useChecksum};
        case 35:
            return {Kind::Bool, &s.showGpsFix};
        case 36:
            return {Kind::Bool, &s.showDgpsSecs};
        case 37:
            return {Kind::Int, &s.wpSymbolSize};
        case 38:
            return {Kind::Int, &s.wpFontSize};
        case 39:
            return {Kind::Bool, &s.wpCheckProximity};
        case 40:
            return {Kind::Bool, &s.toolbarAutoHide};
        case 41:
            return {Kind::Bool, &s.loadDefaultWps};
        case 42:
            return {Kind::Bool, &s.loadDefaultTrack};
        case 43:
            return {Kind::Bool, &s.noShutdown};
        case 44:
            return {Kind::Int, &s.headingUnit};
        case 45:
            return {Kind::Text, &s.mapPath[3]};
        case 46:
            return {Kind::Text, &s.mapPath[4]};
        case 47:
            return {Kind::Text, &s.mapPath[5]};
        case 48:
            return {Kind::Int, &s.mapPathActive[3]};
        case 49:
            return {Kind::Int, &s.mapPathActive[4]};
        case 50:
            return {Kind::Int, &s.mapPathActive[5]};
        case 51:
            return {Kind::Int, &s.routeWpSymbolSize};
        case 52:
            return {Kind::Int, &s.routeFontSize};
        case 53:
            return {Kind::Int, &s.routeLineWidth};
        case 54:
            return {Kind::Int, &s.routeLineColor};
        case 55:
            return {Kind::Int, &s.routeWpColor};
        case 56:
            return {Kind::Int, &s.routeTextColor};
        case 57:
            return {Kind::Int, &s.pointerStyle};
        case 58:
            return {Kind::Int, &s.pointerSize};
        case 59:
            return {Kind::Int, &s.pointerColor};
        case 60:
            return {Kind::Int, &s.pointerSolid};
        case 61:
            return {Kind::Int, &s.mapPathLoadedActive};
        case 62:
            return {Kind::Int, &s.tripmateGps};
        case 63:
            return {Kind::ComPort, &s.comPort};
        case 64:
            return {Kind::Int, &s.navDrawLine};
        case 65:
            return {Kind::Int, &s.navLineWidth};
        case 66:
            return {Kind::Int, &s.navLineColor1};
        case 67:
            return {Kind::Int, &s.navLineColor2};
        case 68:
            return {Kind::Int, &s.useCeOpenFile};
    }
    return {Kind::Int, nullptr};
}

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
        case Kind::ComPort:
            *static_cast<int*>(ref.field) = ParseInt(value) - 1;
            break;
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
}};

}  // namespace

const std::array<AppSettingKey, kAppSettingsKeyCount>& AppSettingKeys() { return kAppKeys; }
const std::array<ViewSettingKey, kViewSettingsKeyCount>& ViewSettingKeys() { return kViewKeys; }

void ReadConfiguration(const std::string& home, const DatumTable& datums, AppSettings& settings) {
    // With no file every read yields an empty line, so every key takes its
    // fallback; this is how a first start gets its defaults.
    TextFileReader file(JoinPath(home, kMainConfigFile));
    std::string line;
    for (int i = 0; i < kAppSettingsKeyCount; ++i) {
        ReadLine(file, line);
        ParseInto(FieldOf(settings, i), GetField(line, 2, kAppKeys[i].fallback), datums);
    }
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

bool WriteConfiguration(const std::string& home, const DatumTable& datums, AppSettings& settings) {
    TextFileWriter file(JoinPath(home, kMainConfigFile));
    if (!file.IsOpen()) return false;
    if (settings.trackLength > 1000) settings.trackLength = 1000;
    for (const std::string& line : FormatConfigurationLines(settings, datums)) file.WriteLine(line);
    file.WriteLine("End End End");
    return file.Commit();
}

bool SaveConfiguration(const std::string& home, const DatumTable& datums, AppSettings& settings,
                       int dialogNumber, const AppSettings& dialogValues, Ui& ui) {
    for (int i = 0; i < kAppSettingsKeyCount; ++i) {
        if (kAppKeys[i].dialog != dialogNumber) continue;
        CopyField(FieldOf(settings, i), FieldOf(const_cast<AppSettings&>(dialogValues), i));
    }
    if (!WriteConfiguration(home, datums, settings)) {
        ShowMessage(ui, "Cannot Save ini File");
        return false;
    }
    return true;
}

void ReadViewSettings(const std::string& home, ViewSettings& view) {
    TextFileReader file(JoinPath(home, kViewConfigFile));
    if (!file.IsOpen()) return;
    std::string line;
    for (const ViewSettingKey& k : kViewKeys) {
        ReadLine(file, line);
        view.*k.field = ParseInt(GetField(line, 2, Format("%d", k.fallback)));
    }
}

bool SaveViewSettings(const std::string& home, const ViewSettings& view, Ui* ui) {
    TextFileWriter file(JoinPath(home, kViewConfigFile));
    bool ok = file.IsOpen();
    if (ok) {
        for (const ViewSettingKey& k : kViewKeys)
            file.WriteLine(std::string(k.key) + "," + Format("%d", view.*k.field));
        file.WriteLine("End End End");
        ok = file.Commit();
    }
    if (!ok && ui) ShowMessage(*ui, "Cannot Save MapwandererCE Ini File");
    return ok;
}

std::string ReadLastIni(const std::string& home, const std::string& fileName) {
    TextFileReader file(JoinPath(home, fileName));
    if (!file.IsOpen()) return {};
    std::string line;
    ReadLine(file, line);
    return GetField(line, 102, "");
}

bool SaveLastIni(const std::string& home, const std::string& fileName, const std::string& key,
                 const std::string& value, Ui* ui) {
    TextFileWriter file(JoinPath(home, fileName));
    bool ok = file.IsOpen();
    if (ok) {
        file.WriteLine(key + "," + value);
        file.WriteLine("End End End");
        ok = file.Commit();
    }
    if (!ok && ui) ShowMessage(*ui, "Cannot Save Last Ini File");
    return ok;
}

}  // namespace mw
