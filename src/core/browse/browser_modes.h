// The modes of the program's own file browser: which open and save requests
// it serves, how it is set up for each, and the names it proposes and accepts
// when saving (the window layer's ui/file_requests hands it the requests).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/file_list.h"
#include "config/settings.h"
#include "ports/system.h"

namespace mw {

// Where the own browser starts for a request.
enum class StartFolder { MapPath1, DataPath, Request };

// One mode of the own browser, chosen by the request's title.
struct BrowserMode {
    const char* title;
    const char* pattern;    // "*.map"
    const char* extension;  // ".map"; empty: none (names)
    const char* kind;       // "map": the type column of its files
    StartFolder start;
    bool save;
};

// The mode for a request title in open or save mode; null when the own
// browser does not serve that title (the platform dialog takes it).
const BrowserMode* FindBrowserMode(std::string_view title, bool save);

// The own browser is used only in portrait, with "Use CE Open File" 0, for
// the titles it has a mode for.
bool UseOwnBrowser(bool portrait, int useCeOpenFile, std::string_view title, bool save);

// The browser's first folder: "Map Path 1" or "Data Path" as local folders
// (texts from the handheld start at the user's home), or the request's own.
// A blank "Data Path" gives the data folder the rest of the program uses
// (LocalDataFolder), never the root, where a save would fail.
std::string BrowserStartFolder(const BrowserMode& mode, const AppSettings& settings,
                               std::string_view requestFolder, std::string_view userHome);

// The browser's type label: kind + " files (" + pattern + ")".
std::string BrowserTypeLabel(const BrowserMode& mode);

// Save mode's name rule: the extension is appended unless a lower-case copy
// of the name contains it anywhere ("a.wpt.bak" stays as typed).
std::string NameWithExtension(std::string_view name, std::string_view dottedExtension);

// Why a typed save name cannot be used, or nullopt when it can. A name is a
// name inside the current folder: a "/" in it is refused.
std::optional<std::string> SaveNameProblem(std::string_view name);
inline constexpr const char* kSlashInNameText = "A File Name cannot contain \"/\"";

// The name of a row the user may have typed over: when `typed` is what a row
// of `rows` shows (its escaped name), that row's real bytes; otherwise the
// typed text itself.
std::string ResolveTypedName(const std::vector<FileRow>& rows, const std::string& typed);

// "<baseName> yyyy-MM-dd hh-mm-ss.<extension>", 24-hour local time: the name
// every save request proposes.
std::string ProposeSaveName(std::string_view baseName, std::string_view extension,
                            const DateTime& localNow);

// Appends "." + extension to the file name of `path` unless a lower-case
// copy of that name already contains it somewhere.
std::string WithExtension(const std::string& path, std::string_view extension);

}  // namespace mw
