// The file-system port on the C++ standard library alone. Correct on every
// platform; it pays two file-system calls per stamped file (time and size),
// where the platform layer's version pays one, and it cannot see inode
// numbers or change times.
#pragma once

#include "ports/file_system.h"

namespace mw {

class StdFileSystem : public FileSystem {
public:
    std::optional<FileStamp> StampFolder(const std::string& folder) override;
    std::optional<std::vector<FolderFile>> ListFolder(const std::string& folder,
                                                      std::string_view suffix) override;
    std::vector<std::optional<FileStamp>> StampFiles(
        const std::string& folder, const std::vector<std::string>& names) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t maxBytes) override;
    std::int64_t NowNs() override;
    bool IsLink(const std::string& path) override;
};

// A process-wide instance for callers that were given no file system.
FileSystem& DefaultFileSystem();

// Whether `name` ends in `suffix`, ignoring ASCII case ("X.MAP" ends in ".map").
bool EndsWithNoCase(std::string_view name, std::string_view suffix);

// At most `maxBytes` bytes from the start of a file; nullopt when it cannot
// be opened or read (a folder cannot be read).
std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

}  // namespace mw
