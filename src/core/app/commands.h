// Command identifiers and the menu and tool bar tables the window layer builds
// its menus and buttons from, gathered from the places the command rows give
// (command_table.h). Identifiers are the program's long-standing command
// numbers; the texts are the menu texts exactly ("&&" shows one "&").
#pragma once

#include <string>
#include <vector>

#include "app/command_ids.h"

namespace mw {

// One node of the menu bar: an item, a check item, a separator or a submenu.
struct MenuNode {
    enum class Kind { Item, Check, Separator, Submenu };
    Kind kind = Kind::Item;
    int id = -1;           // command; -1 for separators and submenus
    std::string text;      // menu text; submenu title
    std::vector<MenuNode> children;
    // A submenu whose items are rebuilt at run time ("Open Recent Maps",
    // "Zoom") carries a name the window layer finds it by.
    std::string dynamicName;
};

// The three top-level menus "File", "View" and "Map".
const std::vector<MenuNode>& MenuBar();
// The menu text of a command, or empty when no menu item carries it.
std::string CommandText(int id);

// The command bar: entries 0..15; in portrait only the first five are shown.
struct ToolButton {
    bool separator = false;
    int command = -1;
    bool checkable = false;
    std::string label;  // short caption drawn on the button image
    std::string tip;    // tool tip
};
const std::vector<ToolButton>& CommandBarButtons();
inline constexpr int kPortraitCommandBarButtons = 5;

// The portrait tool panel: control number, caption and the command it runs.
struct ToolPanelButton {
    int control;
    std::string caption;
    int command;
    bool toggle;
};
const std::vector<ToolPanelButton>& ToolPanelButtons();

// Commands whose work exists in this build. The window layer disables every
// other item rather than offering something that does nothing.
bool CommandAvailable(int id);

// Whether the command carries a check mark (its action is checkable).
bool CommandIsToggle(int id);
// Whether the window must lay itself out again after the command.
bool CommandChangesLayout(int id);

struct App;
// Whether the command's menu item and button are enabled now: built, and
// choosable in the program's present state.
bool CommandEnabled(const App& app, int id);

}  // namespace mw
