// The core's window onto folders and file stamps, for the map catalogue.
// The standard-library version (ports/std_file_system.h) works everywhere; the
// platform layer has a faster one that stats each file once and can watch
// folders, so that a repeated search need not stamp every file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw {

// What tells one version of a file (or folder) from the next. Two stamps
// compare equal only when every field does; a field a file system cannot
// report stays 0. Times are nanoseconds since the Unix epoch.
struct FileStamp {
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;  // inode change time: catches a rename over the file
    std::uint64_t size = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

struct FolderFile {
    std::string name;  // file name without the folder
    FileStamp stamp;
    // A symbolic link: its target may change in another folder, where a
    // watch on this folder does not see it.
    bool link = false;
};

// What a watch saw happen in one folder since the changes were last taken.
struct FolderChange {
    std::string folder;  // as given to Watch
    std::vector<std::string>
        names;  // entries created, written, removed, renamed or re-permissioned
    // The watch lost track (its queue overflowed, or the folder itself was
    // moved, removed or unmounted): list the folder again. The watch on it
    // is gone; Watch it again.
    bool rescan = false;
};

// Change notification for folders. Events may come late but are never lost
// while the watch holds; when it cannot hold (an overflowing queue, a folder
// moved away) the change says rescan.
class FolderWatcher {
public:
    virtual ~FolderWatcher() = default;
    // Starts watching `folder`. False when it cannot be watched reliably:
    // network and user-space file systems change behind any local watch, and
    // the system's watch limit may be reached. The caller then stamps files.
    virtual bool Watch(const std::string& folder) = 0;
    virtual void Unwatch(const std::string& folder) = 0;
    // Everything seen since the last call, without waiting; one change per
    // folder at most.
    virtual std::vector<FolderChange> TakeChanges() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Stamp of the folder itself; its modification time changes whenever a
    // file is added to, removed from or renamed in it. nullopt when the
    // folder does not exist or is no folder.
    virtual std::optional<FileStamp> StampFolder(const std::string& folder) = 0;
    // The regular files of `folder` (symbolic links followed) whose names end
    // in `suffix`, compared without regard to ASCII case, with their stamps,
    // in no particular order. nullopt when the folder cannot be listed.
    virtual std::optional<std::vector<FolderFile>> ListFolder(const std::string& folder,
                                                              std::string_view suffix) = 0;
    // Fresh stamps of files of one folder, one per name, in the same order;
    // nullopt for a name that is gone or is no longer a regular file.
    virtual std::vector<std::optional<FileStamp>> StampFiles(
        const std::string& folder, const std::vector<std::string>& names) = 0;
    // At most `maxBytes` bytes from the start of the file; nullopt when it
    // cannot be opened or read.
    virtual std::optional<std::string> ReadFile(const std::string& path, std::size_t maxBytes) = 0;
    // The wall clock in nanoseconds since the Unix epoch, the scale the
    // stamps' times are on.
    virtual std::int64_t NowNs() = 0;
    // Whether `path` is a symbolic link; true when that cannot be told (the
    // caller then keeps checking the file as it would a link).
    virtual bool IsLink(const std::string& path) {
        (void)path;
        return true;
    }
    // A new watcher of this file system's folders, owned by the caller;
    // nullptr where there is no way to watch (the caller stamps files).
    virtual std::unique_ptr<FolderWatcher> NewWatcher() { return nullptr; }
};

}  // namespace mw
