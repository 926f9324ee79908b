// The 18 named colours every colour setting indexes (names in
// config/settings.h, kColourNames).
#pragma once

#include <array>

#include "config/settings.h"
#include "ports/canvas.h"

namespace mw {

inline constexpr std::array<Rgb, kColourCount> kColourTable = {{
    {0, 0, 0},        // Black
    {128, 0, 0},      // Maroon
    {0, 128, 0},      // Green
    {128, 128, 0},    // Olive
    {0, 0, 128},      // Navy
    {128, 0, 128},    // Purple
    {0, 128, 128},    // Teal
    {128, 128, 128},  // Gray
    {192, 192, 192},  // Silver
    {255, 0, 0},      // Red
    {0, 255, 0},      // Lime
    {255, 255, 0},    // Yellow
    {0, 0, 255},      // Blue
    {255, 0, 255},    // Fuchsia
    {0, 255, 255},    // Aqua
    {192, 192, 192},  // LtGray
    {128, 128, 128},  // DkGray
    {255, 255, 255},  // White
}};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kYellow{255, 255, 0};

// The colour of a setting's index; an index outside the table (a hand-edited
// configuration file) gives black rather than reading past it.
constexpr Rgb ColourByIndex(int index) {
    return index >= 0 && index < kColourCount ? kColourTable[static_cast<std::size_t>(index)]
                                              : kBlack;
}

}  // namespace mw
