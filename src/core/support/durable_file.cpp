#include "support/durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::string WriteFailureText(std::string_view text, const WriteOutcome& outcome) {
    std::string out(text);
    if (outcome.Ok()) return out;
    // A text that is a sentence ("... could not be saved.") takes the file
    // after a space.
    if (!outcome.path.empty()) out += (out.ends_with('.') ? " " : ": ") + outcome.path;
    return out + ": " + std::strerror(outcome.error);
}

namespace {

// One place of the temporaries table: 0 free, 1 being filled, 2 holds a path
// a signal handler may unlink.
struct TemporaryPlace {
    std::atomic<int> state{0};
    char path[4096 + 64];
};
TemporaryPlace g_temporaries[kTemporarySlots];
static_assert(std::atomic<int>::is_always_lock_free, "used from signal handlers");

}  // namespace

int RegisterTemporary(const std::string& tempPath) {
    if (tempPath.size() >= sizeof g_temporaries[0].path) return -1;
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = 0;
        if (!g_temporaries[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_temporaries[i].path, tempPath.c_str(), tempPath.size() + 1);
        g_temporaries[i].state.store(2, std::memory_order_release);
        return i;
    }
    return -1;
}

void UnregisterTemporary(int place) {
    if (place >= 0 && place < kTemporarySlots) g_temporaries[place].state.store(0);
}

int RemoveTemporariesNow() {
    int removed = 0;
    for (TemporaryPlace& t : g_temporaries)
        if (t.state.load(std::memory_order_acquire) == 2 && ::unlink(t.path) == 0) ++removed;
    return removed;
}

WriteOutcome WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TextFileWriter file(path);
    if (file.IsOpen()) {
        file.WriteText(bytes);
        file.Commit();
    }
    return file.Outcome();
}

std::optional<WriteOutcome> CopyFileAtomically(const std::string& from, const std::string& to) {
    const std::optional<std::string> bytes = ReadWholeFile(from);
    if (!bytes) return std::nullopt;
    return WriteFileAtomically(to, *bytes);
}

Removal RemoveFile(const std::string& path) {
    if (!FileExists(path)) return Removal::Missing;
    return std::remove(path.c_str()) == 0 ? Removal::Removed : Removal::Failed;
}

namespace {

// errno after a call that failed, EIO when the call did not set one (a
// write that wrote nothing).
int ErrorOr(int error) { return error != 0 ? error : EIO; }

// Writes all of `bytes`; 0 or the errno that stopped it.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        errno = 0;
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return ErrorOr(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

AppendResult AppendLogRecord(const std::string& path, std::string_view header,
                             const std::function<std::string(bool created)>& record) {
    AppendResult result;
    result.write.path = path;
    bool created = false;  // the header goes first
    bool madeHere = false;  // this call made the file, and removes it on failure
    int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = madeHere = fd >= 0;
    }
    if (fd < 0) {
        result.write.error = ErrorOr(errno);
        return result;
    }

    std::string out;
    if (!created) {
        struct stat st {};
        char last = 0;
        if (::fstat(fd, &st) != 0) {
            result.write.error = ErrorOr(errno);
            ::close(fd);
            return result;
        }
        if (st.st_size == 0) {
            created = true;  // created, then cut off before its header
        } else if (::pread(fd, &last, 1, st.st_size - 1) != 1) {
            result.write.error = ErrorOr(errno);
            ::close(fd);
            return result;
        } else if (last != '\n') {
            // The user's last line (or a record a crash cut short) stays a
            // line of its own: the reader takes it as it is, or skips it.
            // Lines end at LF for the reader, so a final CR gets only that.
            out = last == '\r' ? "\n" : "\r\n";
        }
    }
    if (created) out += header;
    out += record(created);

    // One write: a kill between two records never leaves half of one behind.
    int error = WriteAll(fd, out);
    if (error == 0 && ::fdatasync(fd) != 0) error = ErrorOr(errno);
    if (::close(fd) != 0 && error == 0) error = ErrorOr(errno);
    if (error != 0) {
        // A log this call made holds nothing worth keeping; left behind, an
        // empty file would stand where the next append starts afresh anyway.
        if (madeHere) ::unlink(path.c_str());
        result.write.error = error;
        return result;
    }
    if (created) SyncFolderOf(path);  // the record is in the file either way
    result.outcome = created ? AppendOutcome::Created : AppendOutcome::Appended;
    return result;
}

}  // namespace mw
