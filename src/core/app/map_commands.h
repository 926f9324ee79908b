// The map commands ("Open Map File", the recent maps, "Map Information",
// "Find Maps at Cursor") and the map operations the rest of the program
// calls with the application's state: loading a map, automatic selection,
// the "Maps Found" list.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"

namespace mw {

inline constexpr const char* kCursorNotSelectedText = "Cursor Position not Selected";
inline constexpr const char* kMapInformationTitle = "Map Information";

// False, with "A Map must be loaded for this Operation", when no map is loaded.
bool RequireMap(App& app);

// LoadMapFile with the application's map, hooks, home and user interface;
// also records whether the map's image is on screen. `remember`: the map
// becomes the last map and heads the recent maps (files in the home);
// without it the load writes nothing.
bool LoadMapFile(App& app, const std::string& path, bool remember = true);

// "Open Map File": the file dialog in the first map folder, then LoadMapFile.
void OpenMapCommand(App& app);

// Recent maps: menu item k (0-based) carries command 40123 for k = 0 and
// 40113 + k - 1 for k = 1..9.
int RecentMapCommand(int index);
// The index of a recent-map command, or -1 for any other command.
int RecentMapIndex(int commandId);
// The submenu for a list: one item per path (its file name), at most ten;
// a single "None" item for an empty list.
std::vector<MenuEntry> RecentMapsMenu(const std::vector<std::string>& paths);
// Rebuilds the submenu from the recent-maps file (start-up).
void BuildRecentMapsMenu(App& app);
// Loads line `index` of the recent-maps file; a missing line loads nothing.
bool OpenRecentMap(App& app, int index);

// Automatic map selection from the configured folders through the catalogue
// (see ChooseMap). `lat`, `lon` are degrees on `datum`; `currentScale` is the
// loaded map's scale, or -777 to take any covering map.
bool SelectMapForPosition(App& app, const std::string& currentMapPath, double currentScale,
                          double lat, double lon, int datum);
// Every map of the configured folders that covers the position, in search
// order, the loaded map included.
std::vector<CoveringMap> FindMapsAtPosition(App& app, double lat, double lon, int datum);
// The "Maps Found" dialog for a position on the loaded map's datum: lists the
// covering maps by file name and loads the one chosen.
void ShowMapsFoundDialog(App& app, double lat, double lon);


}  // namespace mw
