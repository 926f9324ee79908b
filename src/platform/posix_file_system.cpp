#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "ports/std_file_system.h"
#include "platform/inotify_watcher.h"

namespace mw {

namespace {

std::int64_t Ns(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp StampOf(const struct stat& st) {
    FileStamp s;
    s.modifiedNs = Ns(st.st_mtim);
    s.changedNs = Ns(st.st_ctim);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    return s;
}

// Stamp of a regular file (links followed) named relative to `dirFd`.
std::optional<FileStamp> StampAt(int dirFd, const char* name) {
    struct stat st;
    if (fstatat(dirFd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return StampOf(st);
}

class DirFd {
public:
    explicit DirFd(const std::string& folder)
        : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~DirFd() {
        if (fd_ >= 0) close(fd_);
    }
    DirFd(const DirFd&) = delete;
    DirFd& operator=(const DirFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::optional<FileStamp> PosixFileSystem::StampFolder(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return StampOf(st);
}

std::optional<std::vector<FolderFile>> PosixFileSystem::ListFolder(const std::string& folder,
                                                                   std::string_view suffix) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return std::nullopt;
    }
    std::vector<FolderFile> out;
    while (dirent* e = readdir(dir)) {
        std::string_view name(e->d_name);
        if (!EndsWithNoCase(name, suffix)) continue;
        if (e->d_type != DT_REG && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
        if (auto stamp = StampAt(fd, e->d_name)) {
            bool link = e->d_type == DT_LNK;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st;
                link = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode);
            }
            out.push_back({std::string(name), *stamp, link});
        }
    }
    closedir(dir);  // closes fd as well
    return out;
}

std::vector<std::optional<FileStamp>> PosixFileSystem::StampFiles(
    const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::optional<FileStamp>> out(names.size());
    DirFd dir(folder);
    if (dir.get() < 0) return out;
    for (std::size_t i = 0; i < names.size(); ++i) out[i] = StampAt(dir.get(), names[i].c_str());
    return out;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path,
                                                     std::size_t maxBytes) {
    return ReadFilePrefix(path, maxBytes);
}

bool PosixFileSystem::IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode);
}

std::unique_ptr<FolderWatcher> PosixFileSystem::NewWatcher() { return NewInotifyWatcher(); }

std::int64_t PosixFileSystem::NowNs() {
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return Ns(t);
}

}  // namespace mw
