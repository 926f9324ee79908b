// The file-system port on POSIX: one fstatat per stamped file, relative to
// an open folder descriptor, which is what keeps a repeated map search over
// thousands of calibration files within a few milliseconds; and folder
// watches through inotify, which let a repeated search skip even that.
#pragma once

#include "ports/file_system.h"

namespace mw {

class PosixFileSystem : public FileSystem {
public:
    std::optional<FileStamp> StampFolder(const std::string& folder) override;
    std::optional<std::vector<FolderFile>> ListFolder(const std::string& folder,
                                                      std::string_view suffix) override;
    std::vector<std::optional<FileStamp>> StampFiles(
        const std::string& folder, const std::vector<std::string>& names) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t maxBytes) override;
    std::int64_t NowNs() override;
    bool IsLink(const std::string& path) override;
    // An inotify watcher (platform/inotify_watcher.h).
    std::unique_ptr<FolderWatcher> NewWatcher() override;
};

}  // namespace mw
