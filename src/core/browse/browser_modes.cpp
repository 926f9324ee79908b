#include "browse/browser_modes.h"

#include <algorithm>
#include <cctype>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

// clang-format off
constexpr BrowserMode kModes[] = {
    {"Open Map File",      "*.map",   ".map", "map",      StartFolder::MapPath1, false},
    {"Load Waypoint File", "*.wpt",   ".wpt", "waypoint", StartFolder::DataPath, false},
    {"Load Track File",    "*.plt",   ".plt", "track",    StartFolder::DataPath, false},
    {"Load Route File",    "*.rte",   ".rte", "route",    StartFolder::DataPath, false},
    {"Load Names File",    "*.names", "",     "names",    StartFolder::Request,  false},
    {"Save Waypoint File", "*.wpt",   ".wpt", "waypoint", StartFolder::DataPath, true},
    {"Save Track File",    "*.plt",   ".plt", "track",    StartFolder::DataPath, true},
    {"Save Route File",    "*.rte",   ".rte", "route",    StartFolder::DataPath, true},
};
// clang-format on

}  // namespace

const BrowserMode* FindBrowserMode(std::string_view title, bool save) {
    for (const BrowserMode& m : kModes)
        if (m.save == save && title == m.title) return &m;
    return nullptr;
}

bool UseOwnBrowser(bool portrait, int useCeOpenFile, std::string_view title, bool save) {
    return portrait && useCeOpenFile == 0 && FindBrowserMode(title, save) != nullptr;
}

std::string BrowserStartFolder(const BrowserMode& mode, const AppSettings& settings,
                               std::string_view requestFolder, std::string_view userHome) {
    switch (mode.start) {
        case StartFolder::MapPath1:
            return NormaliseFolder(ToLocalPath(settings.mapPath[0], userHome));
        case StartFolder::DataPath:
            return NormaliseFolder(LocalDataFolder(settings, userHome));
        case StartFolder::Request:
            break;
    }
    return NormaliseFolder(ToLocalPath(requestFolder, userHome));
}

std::string BrowserTypeLabel(const BrowserMode& mode) {
    return std::string(mode.kind) + " files (" + mode.pattern + ")";
}

std::string NameWithExtension(std::string_view name, std::string_view dottedExtension) {
    if (dottedExtension.empty()) return std::string(name);
    std::string_view bare = dottedExtension.front() == '.' ? dottedExtension.substr(1) : dottedExtension;
    return WithExtension(std::string(name), bare);
}

std::optional<std::string> SaveNameProblem(std::string_view name) {
    if (name.find('/') != std::string_view::npos) return std::string(kSlashInNameText);
    return std::nullopt;
}

std::string ResolveTypedName(const std::vector<FileRow>& rows, const std::string& typed) {
    for (const FileRow& row : rows)
        if (!row.type.empty() && row.type != "Folder" && EscapedName(row.name) == typed)
            return row.name;
    return typed;
}

std::string ProposeSaveName(std::string_view baseName, std::string_view extension,
                            const DateTime& t) {
    return std::string(baseName) +
           Format(" %04d-%02d-%02d %02d-%02d-%02d.", t.year, t.month, t.day, t.hour, t.minute,
                  t.second) +
           std::string(extension);
}

std::string WithExtension(const std::string& path, std::string_view extension) {
    std::string name = FileNameOf(path);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string dotted = "." + std::string(extension);
    if (name.find(dotted) != std::string::npos) return path;
    return path + dotted;
}

}  // namespace mw
