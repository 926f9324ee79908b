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

}  // namespace mw
