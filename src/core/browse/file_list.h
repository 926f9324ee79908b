// The program's own file browser without its window: which rows a folder
// gives and in what order, folder paths going down and up, the icons by kind,
// and the texts of the Date and Size columns.
//
// Folders are POSIX paths: "/" is the root, other folders carry no trailing
// "/". An empty folder text means the root.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

// The image list's order: what each icon shows.
enum class FileIcon {
    Map = 0,
    Folder = 1,
    Program = 2,
    UpOneLevel = 3,
    OtherFile = 4,
    Waypoint = 5,
    Track = 6,
    Route = 7,
    OpenFolder = 8,
    Sound = 9,
    Bitmap = 10,
};
inline constexpr int kFileIconCount = 11;

// One entry of a folder as the file system lists it.
struct FolderEntry {
    std::string name;  // bytes as stored, not necessarily UTF-8
    bool folder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since the Unix epoch
};

// The entries of `folder` ("." and ".." and hidden names starting with a dot
// left out), symbolic links followed, in no particular order. A folder that
// cannot be listed (missing, no permission, not a folder) gives what could be
// read, possibly nothing; it never throws.
std::vector<FolderEntry> ListFolderEntries(const std::string& folder);

// One row of the browser's list.
struct FileRow {
    std::string name;  // the entry's bytes; "Up One Level" for that row
    std::string type;  // "" for "Up One Level", "Folder", or the kind word
    FileIcon icon = FileIcon::OtherFile;
    std::string date;  // FormatFileTime; files only
    std::string size;  // bytes as a plain integer; files only
};

// The rows for `folder`: "Up One Level" first (not at the root), then the
// folders, then the files matching `pattern` ("*.map", compared without
// regard to ASCII case), each group sorted by name without regard to case.
// Files get the kind word as their type and the kind's icon.
std::vector<FileRow> FillFileList(const std::vector<FolderEntry>& entries, std::string_view folder,
                                  std::string_view pattern, std::string_view kind);

// Whether `name` matches a pattern of "*" and "?" wildcards, ASCII case ignored.
bool MatchesPattern(std::string_view name, std::string_view pattern);
// The icon of a file row by the browser's kind word ("map", "waypoint",
// "track", "route"; others: OtherFile).
FileIcon IconForKind(std::string_view kind);
// The icon of a file in the folder picker by its extension ("exe", "map",
// "wpt", "plt", "rte", "wav", "bmp"; compared in lower case).
FileIcon IconForFileName(std::string_view name);

// The root folder and the rules to move between folders.
inline constexpr const char* kRootFolder = "/";
bool IsRootFolder(std::string_view folder);
// `folder` without trailing separators; "" and "/" give "/".
std::string NormaliseFolder(std::string_view folder);
// The folder one level up; "/home" gives "/", and "/" stays "/".
std::string ParentFolder(std::string_view folder);
// `name` inside `folder`, with no doubled separator after the root.
std::string ChildPath(std::string_view folder, std::string_view name);

// A folder the user typed, as a local folder: spaces around it dropped,
// handheld texts ("\Mapwanderer\Data") under `userHome`, no trailing "/".
// nullopt unless it is an absolute path naming an existing folder (links
// followed): a file, a missing or a relative path chooses nothing.
std::optional<std::string> TypedFolder(std::string_view typed, std::string_view userHome);

// The names leading from folder `from` down to folder `to` ("/a" and
// "/a/b/c" give "b", "c"; equal folders give none); nullopt when `to` does
// not lie in `from`.
std::optional<std::vector<std::string>> FolderStepsBelow(std::string_view from,
                                                         std::string_view to);

// The Date column: the local date in the user's short date format (the C
// library's "%x" under the process locale), a space and "hh:mm", 24-hour.
std::string FormatFileTime(std::int64_t unixSeconds);
// The Size column: the byte count as a plain integer.
std::string FormatFileSize(std::uint64_t bytes);

// A name as it can be shown on one line: valid UTF-8 kept, control
// characters and bytes that are not UTF-8 written as "\xNN".
std::string EscapedName(std::string_view name);

}  // namespace mw
