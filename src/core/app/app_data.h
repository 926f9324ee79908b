// The program's shared, read-only data (default sounds, symbols, the help
// page, the user pointer example) and how it reaches the application home.
//
// An installed program keeps that data in <prefix>/share/mapwanderer, next to
// <prefix>/bin where its executable lies, so a relocated installation works
// as well as one in /usr. A program run from the build tree reads the
// source tree's data/ folder instead. The application home is where the
// program looks for these files at run time; the first start copies them
// there, and the user may then change or delete them as they like.
#pragma once

#include <string>
#include <vector>

namespace mw {

// The version of the program, as the build set it ("0.1.0").
const char* ProgramVersion();

// The shared data folder below an installation prefix.
inline constexpr const char* kSharedDataSubfolder = "share/mapwanderer";

// Where the shared data lies for an executable in `executableFolder`:
// `executableFolder`/../share/mapwanderer when that folder exists;
// otherwise `sourceDataFolder` when the executable lies inside `buildFolder`
// (a program run from the build tree) and that folder exists; otherwise
// empty. Empty `buildFolder` or `sourceDataFolder` skip the second choice.
std::string FindSharedDataFolder(const std::string& executableFolder,
                                 const std::string& buildFolder,
                                 const std::string& sourceDataFolder);

// Records the folder of the running executable; each program's main() calls
// this once, before the application home is set up.
void SetExecutableFolder(const std::string& folder);
// FindSharedDataFolder for the recorded executable folder with this build's
// own build and source folders; empty when none was recorded or nothing is
// found.
std::string SharedDataFolder();

// The file in the application home that lists, one relative path a line, the
// shared files already offered to it.
inline constexpr const char* kSharedDataListName = ".shared-data-installed";

struct SharedDataReport {
    std::vector<std::string> copied;  // relative paths now in the home
    std::vector<std::string> kept;    // the user already had a file there
    std::vector<std::string> failed;  // could not be copied (tried again next start)
};

// Copies every regular file below `sharedDir` to the same relative path in
// `home`, creating folders as needed, but only a file that was never offered
// before (it is not in the home's kSharedDataListName) and that the home does
// not already have. A user's file is never overwritten, and a shared file the
// user deleted is not brought back; a file added to the shared data later
// (a newer package) arrives on the next start. Each copy is written under a
// temporary name and linked into place, so a crash never leaves half a file
// that would later pass for the user's. An empty or missing `sharedDir`
// copies nothing.
SharedDataReport InstallSharedData(const std::string& sharedDir, const std::string& home);

}  // namespace mw
