#include "browse/file_requests.h"

#include "ports/ui.h"
#include "support/paths.h"
#include "track/track_commands.h"

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

std::optional<SaveRequest> SaveRequestFor(std::string_view extension) {
    if (extension == "wpt") return SaveRequest{"Save Waypoint File", "Waypoint files", "*.wpt"};
    if (extension == "plt") return SaveRequest{"Save Track File", "Track files", "*.plt"};
    if (extension == "rte") return SaveRequest{"Save Route File", "Route files", "*.rte"};
    return std::nullopt;
}

std::optional<std::string> AskSaveFileName(Ui& ui, const std::string& dataFolder,
                                           std::string_view baseName, std::string_view extension,
                                           const DateTime& localNow) {
    std::optional<SaveRequest> request = SaveRequestFor(extension);
    if (!request) return std::nullopt;
    std::string proposal = JoinPath(dataFolder, ProposeSaveName(baseName, extension, localNow));
    std::optional<std::string> path = ui.AskSaveFileName(
        request->title, proposal, {FileFilter{request->filterDescription, request->filterPattern}});
    if (!path || path->empty()) return std::nullopt;
    return WithExtension(*path, extension);
}

}  // namespace mw
