// The sixteen position formats, by index, with the names the configuration
// file stores and the settings dialogs list.
#pragma once

#include <array>
#include <string_view>

namespace mw {

inline constexpr int kPositionFormatCount = 16;
inline constexpr std::array<std::string_view, kPositionFormatCount> kPositionFormatNames = {
    "Deg.Min",   "Deg.Min.Sec", "UTM",     "BNG",      "Irish",     "Swedish",
    "User (TM)", "Swiss (SUI)", "NZG",     "French I", "French II", "French III",
    "French IV", "Italy 1",     "Italy 2", "VICMAP-TM"};

// Index of a format name by exact comparison; -1 when none matches.
inline int FindPositionFormat(std::string_view name) {
    for (int i = 0; i < kPositionFormatCount; ++i)
        if (kPositionFormatNames[i] == name) return i;
    return -1;
}

}  // namespace mw
