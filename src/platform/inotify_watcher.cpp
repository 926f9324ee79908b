#include "platform/inotify_watcher.h"

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <unordered_map>

namespace mw {

namespace {

// Every change that can alter what a calibration file says or whether it is
// there, and what happens to the folder itself.
constexpr std::uint32_t kMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                                IN_ONLYDIR;
constexpr std::uint32_t kLost = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

class InotifyWatcher : public FolderWatcher {
public:
    explicit InotifyWatcher(int fd) : fd_(fd) {}
    ~InotifyWatcher() override { close(fd_); }

    bool Watch(const std::string& folder) override {
        if (byFolder_.count(folder)) return true;
        if (!FolderIsWatchable(folder)) return false;
        int wd = inotify_add_watch(fd_, folder.c_str(), kMask);
        if (wd < 0) return false;
        // Two folder texts naming one folder share one watch.
        byWd_[wd].push_back(folder);
        byFolder_[folder] = wd;
        return true;
    }

    void Unwatch(const std::string& folder) override {
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return;
        const int wd = it->second;
        byFolder_.erase(it);
        auto& names = byWd_[wd];
        names.erase(std::remove(names.begin(), names.end(), folder), names.end());
        if (names.empty()) {
            byWd_.erase(wd);
            inotify_rm_watch(fd_, wd);
        }
    }

    std::vector<FolderChange> TakeChanges() override {
        std::map<std::string, FolderChange> changes;
        auto change = [&](const std::string& folder) -> FolderChange& {
            FolderChange& c = changes[folder];
            c.folder = folder;
            return c;
        };
        alignas(inotify_event) char buf[16384];
        for (;;) {
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            for (char* p = buf; p < buf + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                p += sizeof(inotify_event) + e->len;
                if (e->mask & IN_Q_OVERFLOW) {
                    for (const auto& [folder, wd] : byFolder_) change(folder).rescan = true;
                    continue;
                }
                auto it = byWd_.find(e->wd);
                if (it == byWd_.end()) continue;
                if (e->mask & kLost) {
                    // The watch follows the folder's inode, not its path: once
                    // the folder is moved or gone it watches the wrong thing.
                    const std::vector<std::string> folders = it->second;
                    for (const std::string& folder : folders) {
                        change(folder).rescan = true;
                        Unwatch(folder);
                    }
                    continue;
                }
                if (e->len == 0) continue;
                std::string name(e->name);  // NUL-padded
                for (const std::string& folder : it->second) change(folder).names.push_back(name);
            }
        }
        std::vector<FolderChange> out;
        out.reserve(changes.size());
        for (auto& [folder, c] : changes) {
            std::sort(c.names.begin(), c.names.end());
            c.names.erase(std::unique(c.names.begin(), c.names.end()), c.names.end());
            out.push_back(std::move(c));
        }
        return out;
    }

private:
    int fd_;
    std::unordered_map<int, std::vector<std::string>> byWd_;
    std::unordered_map<std::string, int> byFolder_;
};

}  // namespace

bool FolderIsWatchable(const std::string& folder) {
    struct statfs st;
    if (statfs(folder.c_str(), &st) != 0) return false;
    const auto type = static_cast<unsigned long>(st.f_type) & 0xffffffffUL;
    static const unsigned long kRemote[] = {
        0x6969UL,      // NFS
        0x517BUL,      // SMB
        0xFF534D42UL,  // CIFS
        0xFE534D42UL,  // SMB2
        0x65735546UL,  // FUSE
        0x01021997UL,  // 9P
        0x5346414FUL,  // AFS
        0x73757245UL,  // Coda
        0x00C36400UL,  // Ceph
        0x01161970UL,  // GFS2
        0x7461636FUL,  // OCFS2
        0x564CUL,      // NCP
    };
    return std::find(std::begin(kRemote), std::end(kRemote), type) == std::end(kRemote);
}

std::unique_ptr<FolderWatcher> NewInotifyWatcher() {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<InotifyWatcher>(fd);
}

}  // namespace mw
