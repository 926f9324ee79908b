// The texts around the map: the status line above it (position, fix, GPS
// state) and the speed and navigation panels, either in a strip under the
// map (portrait) or in a 128-pixel column right of it (landscape). Drawn
// through the Canvas port; the caller hands over what to show, already read
// from the fix, the settings and the navigation target.
#pragma once

#include <string>

#include "ports/canvas.h"

namespace mw {

enum class PanelLayout { Bottom, Right };

// Height of the status line strip; its text stands 15 pixels above the
// strip's bottom and a line runs along the strip's last row.
inline constexpr int kStatusLineHeight = 16;
// Each panel of the bottom layout is a 25-pixel row; the right layout is a
// column of this width whose speed panel holds the fix's values in its first
// 82 pixels and the trip under them.
inline constexpr int kBottomPanelHeight = 25;
inline constexpr int kRightPanelWidth = 128;
inline constexpr int kRightSpeedPanelHeight = 82;

// Default text height of labels (the platform's default face).
inline constexpr int kPanelLabelFont = 13;

struct StatusLineInputs {
    // The view centre, or the GPS position while the moving map follows the
    // GPS, in the user's position format ("---" for no position).
    std::string positionText;
    // The position is the last one known, not a current one: drawn grey.
    bool positionStale = false;
    bool followingGps = false;  // the moving map follows the GPS
    bool pvtMode = false;       // position source is Garmin PVT
    bool showGpsFix = true;     // "Show GPS fix"
    bool showDgpsSecs = false;  // "Show DGPS secs"
    int fixQuality = 0;         // 0 none, 1 GPS, 2 differential
    int satellitesInUse = 0;
    int dgpsAge = 0;              // seconds
    std::string gpsState = "OFF";  // "ON ", "OFF", "ERR", ...
    // A note the program has for the user (a track log that cannot be
    // written); shown in place of the position text while it is set.
    std::string note;
};

// The fix text of the status line: "PVT" in PVT mode; else the fix letter
// ("0", "G", "D"; other qualities their number) and "-%d" satellites when
// the fix is shown, then "-%d" of the DGPS age when that is shown (alone,
// without the "-", when the fix is not). Empty while the GPS is not
// followed.
std::string StatusFixText(const StatusLineInputs& in);

// Draws the status line into `strip` (its right edge is the window's).
void DrawStatusLine(Canvas& canvas, const StatusLineInputs& in, Rect strip);

// How the speed value stands against the speed monitor's active limits.
enum class SpeedShade { Normal, AboveMax, BelowMin };
// The speed's colour above "Max Speed" and below "Min Speed": the alarm is
// seen even where no sound can be heard.
inline constexpr Rgb kSpeedAboveMaxColour{220, 0, 0};
inline constexpr Rgb kSpeedBelowMinColour{0, 0, 220};
Rgb SpeedColour(SpeedShade shade);

// Speed, heading and altitude as the GPS fix holds them, and the trip so far.
struct SpeedPanelInputs {
    double speed = 0;             // in the "Speed Unit"
    SpeedShade speedShade = SpeedShade::Normal;
    double heading = -777;        // degrees, -777 not known
    bool headingMagnetic = false;  // "Heading Unit" 1
    double altitudeFeet = -777;   // -777 not known
    int altitudeUnit = 0;         // "Altitude Unit": 0 metres, 1 feet
    // The trip distance as a number and its unit ("km", "m", "mi", "ft"),
    // and the moving time ("h:mm:ss").
    std::string tripDistance = "0";
    std::string tripUnit = "m";
    std::string movingTime = "0:00:00";
};

// The navigation panel's texts, formatted by the navigation code: the
// shortened target name, the distance number and its unit ("km", "m",
// "mi", "ft") and the bearing ("%.1f").
struct NavigationPanelInputs {
    bool navigating = false;
    std::string name;
    // Empty when there is no position to measure from.
    std::string distance;
    std::string unit;
    std::string bearing;
    // Measured from the last known position, not a current one: the
    // distance and bearing are drawn grey.
    bool stale = false;
};

// The colour of a value measured from a position that is no longer current,
// as the GPS pointer greys.
inline constexpr Rgb kStaleTextColour{160, 160, 160};

struct InfoPanelInputs {
    bool showSpeed = false;       // "View Speed Info"
    bool showNavigation = false;  // "View Speed & Nav Info"
    SpeedPanelInputs speed;
    NavigationPanelInputs navigation;
};

// The value texts of the speed panel; a value not known is empty.
std::string SpeedText(double speed, PanelLayout layout);
std::string HeadingText(double heading);
// Converts feet to metres for unit 0; "%.0f" at the bottom, "%.1f" right.
std::string AltitudeText(double altitudeFeet, int altitudeUnit, PanelLayout layout);

// Room the shown panels take: bottom, the strip height under the map; right,
// the column width (0 with no panel shown).
int InfoPanelExtent(const InfoPanelInputs& in, PanelLayout layout);

// Draws the panels into `area`: for the bottom layout the strip under the
// map (rows measured up from area.bottom), for the right layout the column
// right of the map (rows measured down from area.top). The area is filled
// white first.
void DrawInfoPanels(Canvas& canvas, const InfoPanelInputs& in, Rect area, PanelLayout layout);

}  // namespace mw
