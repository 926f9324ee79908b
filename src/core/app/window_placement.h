// How big the main window opens: filling a handheld's screen, or at the size
// the user left it on a larger one.
#pragma once

#include <optional>
#include <string>

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
