#include "map/recent_maps.h"

#include "support/paths.h"
#include "support/text.h"

namespace mw {

std::vector<std::string> ReadRecentMaps(const std::string& home) {
    std::vector<std::string> lines;
    TextFileReader file(JoinPath(home, kRecentMapsFile));
    if (!file.IsOpen()) return lines;
    ForEachLine(
        file,
        [&](const std::string& line) {
            lines.push_back(line);
            return static_cast<int>(lines.size()) < kRecentMapsMax;
        },
        kRecentMapLineMax);
    return lines;
}

std::string RecentMapPath(const std::string& home, int index) {
    if (index < 0) return {};
    std::vector<std::string> lines = ReadRecentMaps(home);
    return index < static_cast<int>(lines.size()) ? lines[index] : std::string();
}

bool AddRecentMap(const std::string& home, const std::string& path,
                  std::vector<std::string>& list) {
    std::vector<std::string> old = ReadRecentMaps(home);
    std::vector<std::string> next{path};
    for (const std::string& line : old) {
        if (line == path) continue;
        if (static_cast<int>(next.size()) >= kRecentMapsMax) break;
        next.push_back(line);
    }
    // Reopening the first map of the list (as every start does) changes
    // nothing: no rewrite, no syncs.
    if (next == old) {
        list = std::move(old);
        return true;
    }
    TextFileWriter file(JoinPath(home, kRecentMapsFile));
    bool ok = file.IsOpen();
    if (ok) {
        for (const std::string& line : next) file.WriteLine(line);
        ok = file.Commit();
    }
    list = ok ? std::move(next) : std::move(old);
    return ok;
}

}  // namespace mw
