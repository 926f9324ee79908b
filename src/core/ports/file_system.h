// The core's window onto folders and file stamps, for the map catalogue.
// The standard-library version (map/std_file_system.h) works everywhere; the
// platform layer has a faster one that stats each file once.
#pragma once

#include <cstdint>
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
};

}  // namespace mw
