// Where the program keeps its files, and how folder texts from settings and
// data files become paths on this system.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace mw {

// The longest path the program stores or reads back (settings, "LastMap.ini",
// the recent maps): the longest path this system accepts.
inline constexpr std::size_t kPathMax = 4096;

// `folder` + "/" + `name`; an empty folder gives "/" + name, the way the
// handheld looked files up in the root folder.
std::string JoinPath(std::string_view folder, std::string_view name);

// The application home: $XDG_CONFIG_HOME/mapwanderer, or
// ~/.config/mapwanderer when XDG_CONFIG_HOME is unset or empty.
// `env` supplies the environment (tests pass their own).
std::string ApplicationHome(const std::map<std::string, std::string>& env);
// The same from the process environment.
std::string ApplicationHomeFromEnvironment();
// The program's cache folder: $XDG_CACHE_HOME/mapwanderer, or
// ~/.cache/mapwanderer. What is kept there can be made again.
std::string CacheHome(const std::map<std::string, std::string>& env);
// The user's home folder ($HOME, or the password database).
std::string UserHomeFromEnvironment();

// Turns a folder or file text as settings and data files hold it into a path
// here. Texts written on the handheld start at its root ("\Mapwanderer\Maps");
// such a root-relative text lives under the user's home. Backslashes become
// slashes. A text that is already an absolute path here ("/media/maps") or a
// relative one is kept, apart from the separators.
std::string ToLocalPath(std::string_view text, std::string_view userHome);

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

// Path routines. Both '/' and '\' separate folders: paths written on the
// handheld or on Windows keep their backslashes inside files.
bool IsPathSeparator(char c);
// A last separator becomes a space and the result is trimmed.
std::string StripTrailingBackslash(std::string_view text);
// The characters before the last separator; empty when there is none; a
// result that is a single separator becomes empty.
std::string FolderOf(std::string_view path);
// The characters after the last separator; the whole text when there is none.
std::string FileNameOf(std::string_view path);
// FileNameOf cut before its first dot, unless that dot is the first character.
std::string BaseNameOf(std::string_view path);

}  // namespace mw
