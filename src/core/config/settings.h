// The program's settings files: the main configuration "Mapwanderer1.ini"
// (AppSettings, 69 keys), the view configuration "mapwanderer2.ini"
// (ViewSettings, one key per row of kViewSettingKeys) and the one-key side files such as "LastMap.ini".
//
// All of them are read by position: the n-th line gives the n-th key's value,
// whatever key text it carries. The value is field 2 of the line; an absent or
// empty field falls back to the key's default text.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "geo/datums.h"
#include "support/paths.h"
#include "support/text.h"

namespace mw {

inline constexpr const char* kMainConfigFile = "Mapwanderer1.ini";
inline constexpr const char* kViewConfigFile = "mapwanderer2.ini";
// Either settings file is there but cannot be read (a folder, no access).
inline constexpr const char* kSettingsNotOpenedText = "Settings file could not be opened";
inline constexpr const char* kLastMapFile = "LastMap.ini";
inline constexpr const char* kLastNamesFile = "LastNamesFile.ini";
inline constexpr int kAppSettingsKeyCount = 69;
// Text settings are paths: they hold at most a path's length; a longer value
// is cut. A settings line holds a key, a comma and such a value; a longer
// line is read as two, which shifts every later key.
inline constexpr std::size_t kSettingTextMax = kPathMax;
inline constexpr std::size_t kSettingLineMax = kPathMax + 100;
// "Com Port" indexes this many ports ("COM1:" .. "COM8:", "GPS1:" twice).
inline constexpr int kComPortCount = 10;

// Baud rates by "Baud Rate" index.
inline constexpr std::array<int, 8> kBaudRates = {1200,  2400,  4800,  9600,
                                                  19200, 38400, 57600, 115200};

// The 18 colours every colour setting indexes.
inline constexpr int kColourCount = 18;
inline constexpr std::array<std::string_view, kColourCount> kColourNames = {
    "Black", "Maroon", "Green",  "Olive", "Navy",    "Purple", "Teal",   "Gray",   "Silver",
    "Red",   "Lime",   "Yellow", "Blue",  "Fuchsia", "Aqua",   "LtGray", "DkGray", "White"};

// Settings dialogs by the number SaveConfiguration takes.
enum SettingsDialog : int {
    kDialogSystem = 0,
    kDialogNmea = 1,
    kDialogUnits = 2,
    kDialogCompanion = 3,  // the companion transfer program's keys
    kDialogSpeedMonitor = 4,
    kDialogMapDataFiles = 5,
    kDialogImageFiles = 6,
    kDialogTrack = 7,
    kDialogMovingMap = 8,
    kDialogWaypoints = 9,
    kDialogRoutes = 10,
    kDialogNavigation = 11,
};

// The main configuration. Defaults are those of a missing file.
struct AppSettings {
    int positionFormat = 0;       // index into kPositionFormatNames
    int nmeaDatum = kDatumWgs84;  // datum index of the GPS's positions
    std::string filePath1 = "\\Mapwanderer\\Maps";
    std::string filePath2;
    std::array<std::string, 6> mapPath = {"\\Mapwanderer\\Maps", "", "", "", "", ""};
    int loadLastMap = 1;
    int nmeaLogDistance = 500;
    int showTrack = 1;
    int trackLength = 100;
    int nmeaUpdate = 2;
    int baudRate = 2;
    int check4DetailedMap = 1;
    int speedUnit = 0;
    int distanceUnit = 0;
    int altitudeUnit = 0;
    int trackLogDistance = 250;
    int udBaudRate = 3;
    int gpsType = 0;
    int udDatum = kDatumWgs84;
    double minSpeed = 0;
    double setSpeed = 0;
    double maxSpeed = 0;
    std::string dataPath = "\\Mapwanderer\\Data";
    std::array<int, 6> mapPathActive = {1, 1, 1, 1, 1, 1};
    int nmeaSentence = 0;
    int trackColor = 9;
    int trackWidth = 2;
    int minSpeedActive = 0;
    int setSpeedActive = 0;
    int maxSpeedActive = 0;
    bool useChecksum = true;
    bool showGpsFix = true;
    bool showDgpsSecs = false;
    int wpSymbolSize = 6;
    int wpFontSize = 11;
    bool wpCheckProximity = true;
    bool toolbarAutoHide = false;
    bool loadDefaultWps = false;
    bool loadDefaultTrack = false;
    bool noShutdown = true;
    int headingUnit = 0;
    int routeWpSymbolSize = 6;
    int routeFontSize = 11;
    int routeLineWidth = 2;
    int routeLineColor = 0;
    int routeWpColor = 17;
    int routeTextColor = 0;
    int pointerStyle = 1;
    int pointerSize = 5;
    int pointerColor = 9;
    int pointerSolid = 1;
    int mapPathLoadedActive = 1;
    int tripmateGps = 0;
    int comPort = 0;  // 0-based; the file holds comPort + 1
    int navDrawLine = 1;
    int navLineWidth = 5;
    int navLineColor1 = 11;
    int navLineColor2 = 9;
    int useCeOpenFile = 0;
};

// The view configuration. Member initialisers are the values of a missing
// file; a line missing from an existing file takes the key's own fallback.
struct ViewSettings {
    int viewSpeedInfo = 0;
    int viewSpeedNavInfo = 0;
    int viewWaypoints = 1;
    int viewWaypointHighlights = 0;
    int viewWaypointNames = 1;
    int viewScale = 0;
    int viewToolbar = 1;
    int scalePosX = 32;
    int scalePosY = 63;
    int viewTrack = 1;
    int viewWaypointBW = 0;
    int viewRoutes = 1;
    int viewRouteHighlights = 0;
    int viewRouteWpNames = 1;
    int viewRouteName = 1;
    int viewRouteBW = 0;
    int viewWaypointProximity = 1;
    int viewMapView = 0;
    int mapViewPosX = 10;
    int mapViewPosY = 70;
    int mapViewSize = 95;
    int viewSeamlessMaps = 1;
};

// One key of the view file: its text, the value a missing line takes, and the
// field it fills. The file holds these in this order.
struct ViewSettingKey {
    const char* key;
    int fallback;
    int ViewSettings::*field;
};
inline constexpr ViewSettingKey kViewSettingKeys[] = {
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
};
inline std::span<const ViewSettingKey> ViewSettingKeys() { return kViewSettingKeys; }

// A typed reference to one value of AppSettings: a member, or one element of
// a member array (the six map folders and their "Active" flags). Settings
// dialogs and the key table bind to values through these, never by position.
template <class T>
struct SettingRef {
    T AppSettings::*member = nullptr;
    std::array<T, 6> AppSettings::*array = nullptr;
    int element = 0;

    T& In(AppSettings& s) const { return member ? s.*member : (s.*array)[element]; }
    const T& In(const AppSettings& s) const { return member ? s.*member : (s.*array)[element]; }
    constexpr bool operator==(const SettingRef&) const = default;
};
// Any one setting; monostate: none (a control that edits several).
using SettingField = std::variant<std::monostate, SettingRef<int>, SettingRef<bool>,
                                  SettingRef<double>, SettingRef<std::string>>;
template <class T>
constexpr SettingField Field(T AppSettings::*member) {
    return SettingRef<T>{member, nullptr, 0};
}
template <class T>
constexpr SettingField Field(std::array<T, 6> AppSettings::*array, int element) {
    return SettingRef<T>{nullptr, array, element};
}

// How a stored number is written when the file holds something else for it
// (a format or datum name, a port counted from 1); null: the number itself.
struct NumberCoding;
extern const NumberCoding kFormatNameCoding, kDatumNameCoding, kPortNumberCoding;

// One key of the main file: its text, its fallback text, the dialog that
// changes it (-1: none of this program's dialogs) and the value it holds.
struct AppSettingKey {
    const char* key;
    const char* fallback;
    int dialog;
    SettingField field;
    const NumberCoding* coding = nullptr;
};
const std::array<AppSettingKey, kAppSettingsKeyCount>& AppSettingKeys();
// The 0-based line of the main file that holds `field`; -1 for none.
int SettingKeyIndex(const SettingField& field);

// Reads home/"Mapwanderer1.ini" into `settings`. A file that cannot be read
// gives every key its fallback; the outcome says why (a missing file is the
// first start and worth no message; anything else is, kSettingsNotOpenedText).
ReadOutcome ReadConfiguration(const std::string& home, const DatumTable& datums,
                              AppSettings& settings);
// The 69 lines (without "End End End") as SaveConfiguration writes them.
std::array<std::string, kAppSettingsKeyCount> FormatConfigurationLines(const AppSettings& settings,
                                                                       const DatumTable& datums);
// The value text of key `index` (0-based) as it is written.
std::string FormatAppSetting(const AppSettings& settings, const DatumTable& datums, int index);

// The texts a failed save of each file starts with; the file and the
// system's reason follow (WriteFailureText).
inline constexpr const char* kCannotSaveIniText = "Cannot Save ini File";
inline constexpr const char* kCannotSaveViewIniText = "Cannot Save MapwandererCE Ini File";
inline constexpr const char* kCannotSaveLastIniText = "Cannot Save Last Ini File";

// Takes the keys of dialog `dialogNumber` from `dialogValues` into `settings`,
// then writes the whole main file. `settings` keeps the new values either
// way; the outcome says whether the file was written and, if not, why (the
// caller says "Cannot Save ini File" with it).
WriteOutcome SaveConfiguration(const std::string& home, const DatumTable& datums,
                               AppSettings& settings, int dialogNumber,
                               const AppSettings& dialogValues);
// Writes the main file from `settings` as it stands.
WriteOutcome WriteConfiguration(const std::string& home, const DatumTable& datums,
                                AppSettings& settings);

// Reads home/"mapwanderer2.ini"; a file that cannot be read leaves `view`
// unchanged, the outcome saying why.
ReadOutcome ReadViewSettings(const std::string& home, ViewSettings& view);
// Writes home/"mapwanderer2.ini" (the old file stays whole on failure).
WriteOutcome SaveViewSettings(const std::string& home, const ViewSettings& view);

// The data folder (track and waypoint logs, data files) as a local path:
// "Data Path" without a trailing separator; an empty or blank setting means
// the default data folder, never the root folder.
std::string LocalDataFolder(const AppSettings& settings, std::string_view userHome);

// Field 2 to the end of the first line of home/`fileName`, trimmed; empty
// when the file is missing.
std::string ReadLastIni(const std::string& home, const std::string& fileName);
// Writes `key`,`value` and "End End End" to home/`fileName` (the old file
// stays whole on failure).
WriteOutcome SaveLastIni(const std::string& home, const std::string& fileName,
                         const std::string& key, const std::string& value);

}  // namespace mw
