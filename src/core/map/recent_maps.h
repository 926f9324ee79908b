// The recent-maps list: full calibration-file paths, most recent first, one
// a line in "mrumaps.ini" in the application home.
#pragma once

#include <string>
#include <vector>

#include "support/paths.h"

namespace mw {

inline constexpr const char* kRecentMapsFile = "mrumaps.ini";
inline constexpr int kRecentMapsMax = 10;
// Paths on this system can be far longer than the handheld's 250-character
// lines; the list is read with this limit so that a long path stays whole.
inline constexpr std::size_t kRecentMapLineMax = kPathMax;

// The first 10 lines of the list in file order (empty when the file is
// missing); the list never holds more, so a longer file is read no further.
std::vector<std::string> ReadRecentMaps(const std::string& home);

// Line `index` (0-based) of the list, or empty when the file or the line is
// missing.
std::string RecentMapPath(const std::string& home, int index);

// Puts `path` first, drops an earlier line equal to it (exact, case-
// sensitive comparison) and keeps at most 10 lines. The file is replaced
// through a temporary file, so a failure leaves the old list whole. Returns
// whether the new list was written; `list` receives the list as the file
// holds it afterwards.
bool AddRecentMap(const std::string& home, const std::string& path, std::vector<std::string>& list);

}  // namespace mw
