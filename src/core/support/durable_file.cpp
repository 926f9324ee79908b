#include "support/durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The length of the file up to and including its last line end; 0 when it
// has none, -1 when it cannot be read.
off_t LengthThroughLastNewline(int fd, off_t size) {
    // Every append asks, and a whole log almost always ends in its line end:
    // one byte answers that before any block is read.
    char last = 0;
    if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last == '\n') return size;
    char block[4096];
    for (off_t end = size; end > 0;) {
        const off_t start = end > off_t(sizeof block) ? end - off_t(sizeof block) : 0;
        const ssize_t n = ::pread(fd, block, std::size_t(end - start), start);
        if (n != end - start) return -1;
        for (ssize_t i = n; i > 0; --i)
            if (block[i - 1] == '\n') return start + i;
        end = start;
    }
    return 0;
}

// When this process started, taken as the program's static objects are made:
// a temporary last changed before it belongs to a save that can no longer be
// running in this process, and no save of another process that is still
// writing keeps a time that old.
// The coarse clock is the one the kernel stamps files with: a file made
// after this moment never carries an earlier time, as it could against the
// precise clock.
timespec NowRealtime() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return t;
}
const timespec kProcessStart = NowRealtime();

bool Before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Whether `name` is `base` + ".tmp-" + the six letters and digits mkstemp puts there.
bool IsTemporaryOf(std::string_view name, std::string_view base) {
    const std::string_view suffix = kTemporarySuffix;
    if (name.size() != base.size() + suffix.size() + kTemporaryRandomChars) return false;
    if (name.substr(0, base.size()) != base || name.substr(base.size(), suffix.size()) != suffix)
        return false;
    for (char c : name.substr(base.size() + suffix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

int RemoveStaleTemporaries(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return 0;
    const std::string folder = FolderOf(path);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryOf(entry->d_name, base)) continue;
        const std::string temp = folder + "/" + entry->d_name;
        struct stat st {};
        // A link or a folder of that name is not ours to remove.
        if (::lstat(temp.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!Before(st.st_mtim, kProcessStart)) continue;
        if (::unlink(temp.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

bool SyncFolderOf(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    // Some file systems cannot sync a folder at all; nothing more can be done.
    const bool ok = r == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
}

bool SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TextFileWriter file(path);
    if (!file.IsOpen()) return false;
    file.WriteText(bytes);
    return file.Commit();
}

AppendOutcome AppendLogRecord(const std::string& path, std::string_view header,
                              const std::function<std::string(bool created)>& record) {
    bool created = false;
    int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = true;
    }
    if (fd < 0) return AppendOutcome::Failed;

    std::string out;
    if (!created) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            return AppendOutcome::Failed;
        }
        if (st.st_size == 0) {
            created = true;  // created, then cut off before its header
        } else {
            // A kill inside write() can leave the record in flight cut short:
            // the kernel copies page by page and stops between pages. Read on,
            // such a tail is a wrong point ("54.458,-3.1" for "-3.15"), and
            // it was never reported written, so it goes.
            const off_t keep = LengthThroughLastNewline(fd, st.st_size);
            if (keep < 0) {
                ::close(fd);
                return AppendOutcome::Failed;
            }
            if (keep != st.st_size && ::ftruncate(fd, keep) != 0) {
                ::close(fd);
                return AppendOutcome::Failed;
            }
            if (keep == 0) created = true;  // not even the header was whole
        }
    }
    if (created) out += header;
    out += record(created);

    // One write: a kill between two records never leaves half of one behind.
    bool ok = WriteAllBytes(fd, out) && ::fdatasync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) return AppendOutcome::Failed;
    if (created) SyncFolderOf(path);  // the record is in the file either way
    return created ? AppendOutcome::Created : AppendOutcome::Appended;
}

}  // namespace mw
