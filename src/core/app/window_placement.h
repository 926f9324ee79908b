// How big the main window opens: filling a handheld's screen, or at the size
// the user left it on a larger one.
#pragma once

#include <optional>
#include <string>

#include "view/map_view.h"

namespace mw {

// The side file in the application home that keeps the window's size
// between runs ("Window Size,W,H").
inline constexpr const char* kWindowSizeFile = "Window.ini";

// The default client size: the handheld's portrait screen.
inline constexpr int kDefaultWindowWidth = 480;
inline constexpr int kDefaultWindowHeight = 640;
// Below this the window is of no use: the menus and the map do not fit.
inline constexpr int kMinWindowWidth = 240;
inline constexpr int kMinWindowHeight = 240;

struct WindowPlacement {
    bool maximised = false;
    int width = 0, height = 0;  // logical pixels; ignored when maximised
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

struct WindowSize {
    int width = 0, height = 0;
};

// The screen's size and its free area (without panels and docks), in
// logical pixels, and the size remembered from the last run. A screen no
// larger than 800 × 600 either way round is a handheld's: the window fills
// it, as it fills a free area too small for the default when no size is
// remembered. Elsewhere the remembered size, else the default, cut to the
// free area and never below the minimum.
WindowPlacement StartWindowPlacement(WindowSize screen, WindowSize available,
                                     std::optional<WindowSize> remembered);

// "W,H" as the side file keeps it; nullopt for anything else (or a size
// below the minimum, or beyond 16384).
std::optional<WindowSize> ParseWindowSize(const std::string& text);
std::string FormatWindowSize(WindowSize size);

}  // namespace mw

namespace mw {

// A rectangle in screen pixels.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Which corner of the map area a floating window opens in: the scale bar at
// the bottom left, the overview at the top right, both clear of the tool
// buttons, the read-outs and the status line around the map.
enum class MapCorner { BottomLeft, TopRight };

// The gap between a floating window and the map area's edges.
inline constexpr int kFloatingMargin = 4;

// Where a floating window of the given size opens: in the corner of the map
// area, kFloatingMargin inside its edges. A window wider or taller than the
// area starts at the area's left or top edge instead, and the result is
// always kept on the screen (at its left/top edge when the window is larger
// than the screen).
ScreenPoint PlaceFloatingWindow(ScreenRect mapArea, WindowSize window, ScreenRect screen,
                                MapCorner corner);

// A position the user left the window at, kept where it is but pulled back
// onto the screen when the screen has shrunk since.
ScreenPoint ClampToScreen(ScreenPoint at, WindowSize window, ScreenRect screen);

// True while the stored position is still one of the shipped defaults, that
// is the user has never moved the window: it then opens in its corner.
bool FloatingPositionUnmoved(int x, int y);

// A tap this near the top left corner of the main window's own area (not on
// the map) opens the "System" settings.
inline constexpr int kSystemCornerSize = 150;
bool IsSystemCornerTap(int x, int y);

}  // namespace mw
