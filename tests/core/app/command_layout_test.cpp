// The menus, the command bar and the tool panel exactly as the window layer
// builds them: every item's place, kind, command and text. The lists are
// derived from the command rows, so a row that moves or loses its place shows
// here as a changed line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/commands.h"

using namespace mw;

namespace {

void Describe(const std::vector<MenuNode>& nodes, int depth, std::ostringstream& out) {
    for (const MenuNode& n : nodes) {
        out << std::string(2 * depth, ' ');
        switch (n.kind) {
            case MenuNode::Kind::Separator: out << "----\n"; break;
            case MenuNode::Kind::Submenu:
                out << "[" << n.text << "]" << (n.dynamicName.empty() ? "" : " ~" + n.dynamicName)
                    << "\n";
                Describe(n.children, depth + 1, out);
                break;
            case MenuNode::Kind::Item: out << n.id << " " << n.text << "\n"; break;
            case MenuNode::Kind::Check: out << n.id << " " << n.text << " (check)\n"; break;
        }
    }
}

std::string MenuText() {
    std::ostringstream out;
    Describe(MenuBar(), 0, out);
    return out.str();
}

std::string BarText() {
    std::ostringstream out;
    for (const ToolButton& b : CommandBarButtons()) {
        if (b.separator) {
            out << "----\n";
            continue;
        }
        out << b.command << " " << b.label << " \"" << b.tip << "\"" << (b.checkable ? " (check)" : "")
            << "\n";
    }
    return out.str();
}

std::string PanelText() {
    std::ostringstream out;
    for (const ToolPanelButton& b : ToolPanelButtons())
        out << b.control << " " << b.caption << " " << b.command << (b.toggle ? " (toggle)" : "") << "\n";
    return out.str();
}

}  // namespace

TEST(CommandLayout, MenusAreAsTheyWere) {
    EXPECT_EQ(MenuText(), R"x([File]
  102 Open Map File
  40132 Import Map…
  [Open Recent Maps] ~recent
    40123 None
  40133 Calibrate Map…
  ----
  40065 Create Wp at Position
  40020 Load Wp File
  40090 Save Wp's from Map
  40071 Clear Wp's from Map
  40101 Save Wp Log File
  40100 Delete Wp Log File
  40043 Waypoint List
  ----
  40092 Load Maw Route File
  40102 Clear Routes from Map
  ----
  40027 Load Track File
  40103 Save Track From Map
  40025 Clear Track from Map
  40033 Save Track Log File
  40023 Delete Track Log File
  40031 Replay Track (check)
  40130 Import GPX...
  40131 Export GPX...
  ----
  40094 Upload/Download
  [Configuration]
    40017 System
    40044 Map && Data Files
    40045 Map Image Files
    40018 NMEA (GPS)
    40069 Moving Map
    40059 Track Logging
    40030 Units
    40072 Waypoints
    40095 Maw Routes
    40105 Navigation
    40041 Speed Monitor
  ----
  40009 Help
  40001 About
  40074 Developer Info
  ----
  40007 Quit
[View]
  40109 Name Search
  ----
  40124 Map View (check)
  40060 Scale (check)
  40028 Speed (check)
  40029 Navigation Info (check)
  40155 Reset Trip
  ----
  [Waypoints]
    40019 Show (check)
    40032 Highlight Waypoints (check)
    40034 Show Names (check)
    40089 Black && White (check)
    40108 Show Proximity Zone (check)
  [Routes]
    40093 Show (check)
    40096 Highlight Route (check)
    40097 Show WP Names (check)
    40098 Show Route Name (check)
    40099 Black && White (check)
  40070 Track (check)
  40150 Track Info
  ----
  40061 Toolbar (check)
  40160 Seamless Maps (check)
[Map]
  40004 Moving Map (GPS)  (check)
  ----
  40110 Display NMEA Input
  40111 View Satellites
  ----
  40106 Cancel Navigation
  40058 Map Information
  40026 Find Maps at Cursor
  ----
  40062 Drag Map (check)
  40063 Screen Control (check)
  [Zoom] ~zoom
    40036 Full Map
  [Goto]
    40012 Top Left
    40013 Top Right
    40014 Bottom Left
    40015 Bottom Right
    40016 Center
)x");
}

TEST(CommandLayout, CommandBarIsAsItWas) {
    EXPECT_EQ(BarText(), R"x(----
0 Op "Open Map File"
1 GPS "Moving Map (GPS)" (check)
33 + "Zoom in"
34 - "Zoom out"
----
40026 mf "Find Maps at Cursor"
40036 Fm "Full Map"
40035 100 "100 %"
----
40062 Dr "Drag Map" (check)
40063 SC "Screen Control" (check)
----
40070 Tr "Track" (check)
40019 Wp "Show Waypoints" (check)
40093 Rt "Show Routes" (check)
)x");
}

TEST(CommandLayout, ToolPanelIsAsItWas) {
    EXPECT_EQ(PanelText(), R"x(1037 mf 40026
1038 Fm 40036
1039 100 40035
1040 Dr 40062 (toggle)
1041 SC 40063 (toggle)
1042 Tr 40070 (toggle)
1043 Wp 40019 (toggle)
1044 Rt 40093 (toggle)
1045 Ns 40109
1046 WL 40043
1047 MV 40124 (toggle)
)x");
}
