#include "waypoint/media_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether `upper` holds `ext` somewhere after its first character.
bool HasExtensionAfterFirst(const std::string& upper, std::string_view ext) {
    return FindText(ext, upper) > 1;
}

}  // namespace

std::string FindMediaFile(const std::string& name, const std::string& programFolder,
                          const std::string& dataFolder) {
    if (name.empty()) return {};
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string home = StripTrailingBackslash(programFolder);
    std::string candidates[4];
    int count = 0;
    if (HasExtensionAfterFirst(upper, ".WAV"))
        candidates[count++] = JoinPath(JoinPath(home, "Sound Files"), name);
    if (HasExtensionAfterFirst(upper, ".BMP"))
        candidates[count++] = JoinPath(JoinPath(home, "PSymbols"), name);
    candidates[count++] = JoinPath(StripTrailingBackslash(dataFolder), name);
    candidates[count++] = JoinPath(home, name);
    for (int i = 0; i < count; ++i)
        if (IsRegularFile(candidates[i])) return candidates[i];
    return {};
}

}  // namespace mw
