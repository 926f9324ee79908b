// One row per command: what the menus, the command bar, the tool panel, the
// check marks and the enabled states are all derived from. A command is its
// row and its handler; nothing else needs to know it exists.
//
// Rows are grouped by the part of the program that owns them (each area lists
// its rows in its own source file); each row says where its command sits, and
// commands.cpp only gathers the menus, the command bar and the tool panel from
// those places.
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

// Where a command is offered. Built as Menu("File", 1200).Bar(6, "mf", "tip").Panel(1037, "mf").
struct Placement {
    // The menu the item sits in, submenus after a slash ("View/Waypoints");
    // null: no fixed menu item. Items (and submenus, at their first item)
    // are ordered by `order` across the whole menu bar; two neighbours whose
    // orders differ in the hundreds are parted by a separator.
    const char* menu = nullptr;
    int order = 0;
    // The command bar's slot 0..15 (-1: none); the slots no command takes
    // are separators. `barButton` is the button's own number where it has
    // one apart from the command's (kCmdOpenMapButton).
    int barSlot = -1;
    const char* barLabel = "";
    const char* barTip = "";
    int barButton = -1;
    // The portrait tool panel's control number (0: none), in whose order the
    // panel lists its buttons, and the button's caption.
    int panelControl = 0;
    const char* panelCaption = "";

    constexpr Placement Bar(int slot, const char* label, const char* tip, int button = -1) const {
        Placement p = *this;
        p.barSlot = slot;
        p.barLabel = label;
        p.barTip = tip;
        p.barButton = button;
        return p;
    }
    constexpr Placement Panel(int control, const char* caption) const {
        Placement p = *this;
        p.panelControl = control;
        p.panelCaption = caption;
        return p;
    }
};
constexpr Placement Menu(const char* menu, int order) { return Placement{menu, order}; }
// A command with no fixed menu item (a zoom step on the command bar).
constexpr Placement NoMenu() { return Placement{}; }

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
    Placement place;
    // The command changes the room the map window has (an info panel shown
    // or hidden): the window lays itself out again after it.
    bool relayout = false;
};
using CommandRows = std::vector<CommandRow>;

// A toggle of one view setting (0/1): flips it, sets its check mark, repaints
// the map (and the tool panel when `toolPanel`, whose buttons show it).
CommandRow ViewToggleRow(int id, std::string text, int ViewSettings::*field, bool toolPanel,
                         Placement place);

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
