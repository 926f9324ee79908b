#include "app/window_placement.h"

#include <algorithm>

#include "support/text.h"

namespace mw {

namespace {

constexpr int kHandheldLong = 800, kHandheldShort = 600;
constexpr int kLargestSide = 16384;

bool IsHandheldScreen(WindowSize s) {
    return std::max(s.width, s.height) <= kHandheldLong &&
           std::min(s.width, s.height) <= kHandheldShort;
}

}  // namespace

WindowPlacement StartWindowPlacement(WindowSize screen, WindowSize available,
                                     std::optional<WindowSize> remembered) {
    if (IsHandheldScreen(screen)) return {true, 0, 0};
    // A netbook's free area too low for the handheld's portrait window: fill
    // it rather than open a strip.
    if (!remembered &&
        (available.width < kDefaultWindowWidth || available.height < kDefaultWindowHeight))
        return {true, 0, 0};
    WindowSize want = remembered.value_or(WindowSize{kDefaultWindowWidth, kDefaultWindowHeight});
    // A free area smaller than the minimum still gets a usable window.
    const int w = std::max(std::min(want.width, available.width), kMinWindowWidth);
    const int h = std::max(std::min(want.height, available.height), kMinWindowHeight);
    return {false, w, h};
}

std::optional<WindowSize> ParseWindowSize(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    // Nothing readable parses as 0, which the minimum refuses.
    const int w = ParseInt(std::string_view(text).substr(0, comma));
    const int h = ParseInt(std::string_view(text).substr(comma + 1));
    if (w < kMinWindowWidth || h < kMinWindowHeight || w > kLargestSide || h > kLargestSide)
        return std::nullopt;
    return WindowSize{w, h};
}

std::string FormatWindowSize(WindowSize size) { return Format("%d,%d", size.width, size.height); }

namespace {

// One axis: `start` is the wanted origin; the window is kept on the screen.
int ClampAxis(int start, int size, int screenStart, int screenSize) {
    const int last = screenStart + screenSize - size;
    if (last < screenStart) return screenStart;
    return std::clamp(start, screenStart, last);
}

}  // namespace

ScreenPoint PlaceFloatingWindow(ScreenRect area, WindowSize window, ScreenRect screen,
                                MapCorner corner) {
    int x = 0, y = 0;
    if (corner == MapCorner::BottomLeft) {
        x = area.x + kFloatingMargin;
        y = area.y + area.height - kFloatingMargin - window.height;
    } else {
        x = area.x + area.width - kFloatingMargin - window.width;
        y = area.y + kFloatingMargin;
    }
    // Too big for the area with its margins: start at its left or top edge
    // so the window's own top left (its caption, its first buttons) shows.
    if (window.width + 2 * kFloatingMargin > area.width) x = area.x;
    if (window.height + 2 * kFloatingMargin > area.height) y = area.y;
    return ClampToScreen({x, y}, window, screen);
}

ScreenPoint ClampToScreen(ScreenPoint at, WindowSize window, ScreenRect screen) {
    return {ClampAxis(at.x, window.width, screen.x, screen.width),
            ClampAxis(at.y, window.height, screen.y, screen.height)};
}

bool FloatingPositionUnmoved(int x, int y) {
    // The settings file's default and the one a fresh state starts with.
    return (x == 32 && y == 63) || (x == 10 && y == 70);
}

bool IsSystemCornerTap(int x, int y) {
    return x >= 0 && y >= 0 && x < kSystemCornerSize && y < kSystemCornerSize;
}

}  // namespace mw
