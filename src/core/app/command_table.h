// One row per command: what the menus, the command bar, the tool panel, the
// check marks and the enabled states are all derived from. A command is its
// row and its handler; nothing else needs to know it exists.
//
// Rows are grouped by the part of the program that owns them (each area lists
// its rows in its own source file); the menu layout in commands.cpp places
// them by identifier only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mw {

struct App;
struct ViewSettings;

enum class CommandKind {
    Action,  // runs its handler
    Toggle,  // runs its handler and carries a check mark from `checked`
};

struct CommandRow {
    int id = -1;
    // The menu text ("&&" shows one "&"); for a command that no fixed menu
    // item carries (a zoom step), its tool tip.
    std::string text;
    CommandKind kind = CommandKind::Action;
    // Empty: the command's work is not in this build; its menu item and
    // button are shown disabled rather than offering something that does
    // nothing.
    std::function<void(App&)> run;
    // The check mark of a toggle.
    std::function<bool(const App&)> checked;
    // Whether the command can be chosen now; empty: whenever it is built.
    std::function<bool(const App&)> available;
};
using CommandRows = std::vector<CommandRow>;

// A toggle of one view setting (0/1): flips it, sets its check mark, repaints
// the map (and the tool panel when `toolPanel`, whose buttons show it).
CommandRow ViewToggleRow(int id, std::string text, int ViewSettings::*field, bool toolPanel);

// The areas' rows. Each is defined in the source file of its area.
CommandRows GeneralCommandRows();   // app.cpp: quit, about, toolbar, modes
CommandRows MapCommandRows();       // map_commands.cpp: open, recent, info, find
CommandRows ViewCommandRows();      // view_commands.cpp: zoom and goto
CommandRows TrackCommandRows();     // track_rows.cpp: track, replay, moving map
CommandRows WaypointCommandRows();  // waypoint_commands.cpp
CommandRows RouteCommandRows();     // route_commands.cpp: routes and navigation
CommandRows NameCommandRows();      // name_commands.cpp: name search
CommandRows PanelCommandRows();     // panel_commands.cpp: panels, windows, help
CommandRows SettingsCommandRows();  // settings_commands.cpp: the Settings menu
CommandRows GpxCommandRows();       // gpx_commands.cpp: GPX import and export

// Every row of every area, built once.
const CommandRows& AllCommandRows();
// The row of a command (tool button aliases resolved); null for none.
const CommandRow* FindCommandRow(int id);

}  // namespace mw
