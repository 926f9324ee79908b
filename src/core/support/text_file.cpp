#include "support/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/durable_file.h"
#include "support/fields.h"
#include "support/number_text.h"

namespace mw {

namespace {

constexpr std::size_t kReadBuffer = 64 * 1024;

enum class LineScan { LineEnd, Limit, NeedMore };

// Appends the characters of data[pos, size) to `text` until a LF (consumed),
// the limit of `maxChars` stored characters (checked before each byte, so
// nothing after the last stored character is consumed) or the end of the
// data. CR is dropped. Works a run at a time: memchr finds the line end and
// each CR, and the bytes between are appended in one piece.
LineScan ScanLine(const char* data, std::size_t size, std::size_t& pos, std::string& text,
                  std::size_t maxChars) {
    const char* p = data + pos;
    const char* const end = data + size;
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* const stop = lf ? lf : end;
    for (;;) {
        if (text.size() >= maxChars) {
            pos = p - data;
            return LineScan::Limit;
        }
        if (p == stop) break;
        if (*p == '\r') {
            ++p;
            continue;
        }
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
        const char* runEnd = cr ? cr : stop;
        std::size_t take = std::min<std::size_t>(runEnd - p, maxChars - text.size());
        text.append(p, take);
        p += take;
    }
    if (lf) {
        pos = lf - data + 1;
        return LineScan::LineEnd;
    }
    pos = size;
    return LineScan::NeedMore;
}

}  // namespace

TextFileReader::TextFileReader(const std::string& path, OpenAs as) {
    errno = 0;
    file_ = as == OpenAs::DataFile ? OpenDataFile(path, &notRegular_) : OpenForReading(path);
    if (!file_ && !notRegular_) openError_ = errno != 0 ? errno : EIO;
    if (file_) buffer_ = std::make_unique<char[]>(kReadBuffer);
}

TextFileReader::~TextFileReader() { Close(); }

void TextFileReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    pos_ = end_ = 0;
}

bool TextFileReader::Fill() {
    if (!file_) return false;
    if (pos_ < end_) return true;
    pos_ = 0;
    end_ = std::fread(buffer_.get(), 1, kReadBuffer, file_);
    return end_ > 0;
}

int TextFileReader::ReadByte() {
    if (!Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

int ReadLineMax(TextFileReader& file, std::string& text, std::size_t maxChars) {
    text.clear();
    if (!file.IsOpen()) return 0;
    for (;;) {
        if (text.size() >= maxChars) return 1;
        if (!file.Fill()) return 0;
        if (ScanLine(file.buffer_.get(), file.end_, file.pos_, text, maxChars) !=
            LineScan::NeedMore)
            return 1;
    }
}

int ReadMemoryLine(std::string_view data, std::size_t& cursor, std::string& text,
                   std::size_t maxChars) {
    text.clear();
    if (cursor >= data.size()) return 0;
    return ScanLine(data.data(), data.size(), cursor, text, maxChars) == LineScan::NeedMore ? 0 : 1;
}

std::string_view NextMemoryLine(std::string_view data, std::size_t& cursor, std::string& scratch,
                                std::size_t maxChars) {
    if (cursor >= data.size()) return {};
    const char* const p = data.data() + cursor;
    const char* const end = data.data() + data.size();
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* e = lf ? lf : end;
    while (e > p && e[-1] == '\r') --e;
    const std::size_t length = e - p;
    if (length < maxChars && !std::memchr(p, '\r', length)) {
        cursor = lf ? lf - data.data() + 1 : data.size();
        return {p, length};
    }
    ReadMemoryLine(data, cursor, scratch, maxChars);
    return scratch;
}

std::FILE* OpenForReading(const std::string& path) {
    // Non-blocking so that opening a FIFO without a writer returns at once;
    // reads block again afterwards.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
}

std::FILE* OpenDataFile(const std::string& path, bool* notRegular) {
    if (notRegular) *notRegular = false;
    // Looked at before the open: opening some devices has effects of its
    // own (a serial line raises its modem lines, a tape rewinds).
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return nullptr;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return nullptr;
    }
    const auto refuse = [notRegular] {
        if (notRegular) *notRegular = true;
        errno = EINVAL;
        return nullptr;
    };
    if (!S_ISREG(st.st_mode)) return refuse();
    // And again on the descriptor: the name may have been replaced between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        if (folder) {
            errno = EISDIR;
            return nullptr;
        }
        return refuse();
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* f = fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
}

std::string ReadReportText(std::string_view text, const std::string& path,
                           const ReadOutcome& outcome) {
    std::string report = outcome.Ok() ? std::string() : ReadFailureText(text, path, outcome);
    for (const std::string& note : outcome.notes) report += (report.empty() ? "" : "\n") + note;
    return report;
}

std::string ReadFailureText(std::string_view text, const std::string& path,
                            const ReadOutcome& outcome) {
    if (outcome.content && std::string_view(outcome.content) == kNotRegularFileText)
        return std::string(text) + ": " + path + ": " + kNotRegularFileText;
    const char* reason = outcome.content        ? outcome.content
                         : outcome.error == EISDIR ? "is a folder"
                                                   : std::strerror(outcome.error);
    return std::string(text) + ": " + path + " (" + reason + ")";
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::FILE* f = OpenForReading(path);
    if (!f) return std::nullopt;
    std::string data;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) return std::nullopt;
    return data;
}

TextFileWriter::TextFileWriter(const std::string& path) : path_(path) {
    // What an earlier save of this file left when it was killed goes first:
    // nothing else ever removes it.
    RemoveStaleTemporaries(path);
    // mkstemp in the target's folder keeps the rename on one file system.
    std::string pattern = path + kTemporarySuffix + std::string(kTemporaryRandomChars, 'X');
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        Fail(errno);
        return;
    }
    // mkstemp creates 0600; a saved file should get the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        Fail(errno);
        close(fd);
        unlink(pattern.c_str());
        return;
    }
    tempPath_ = pattern;
    place_ = RegisterTemporary(tempPath_);
}

TextFileWriter::~TextFileWriter() {
    if (file_) {
        std::fclose(file_);
        unlink(tempPath_.c_str());
    }
    UnregisterTemporary(place_);
}

void TextFileWriter::Fail(int error) {
    failed_ = true;
    if (error_ == 0) error_ = error != 0 ? error : EIO;
}

void TextFileWriter::WriteText(std::string_view text) {
    if (!file_ || text.empty() || failed_) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) Fail(errno);
}

void TextFileWriter::WriteLine(std::string_view text) {
    WriteText(text);
    WriteText("\r\n");
}

bool TextFileWriter::Commit() {
    if (!file_) {
        if (error_ == 0) error_ = EBADF;  // committed twice
        return false;
    }
    if (!failed_) {
        errno = 0;
        if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0) Fail(errno);
    }
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno);
    file_ = nullptr;
    if (!failed_ && std::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail(errno);
    if (!failed_) {
        UnregisterTemporary(place_);
        place_ = -1;
        // The folder is synced too: without it a power loss may undo the
        // rename. The new file is in place either way, so that is success.
        SyncFolderOf(path_);
        return true;
    }
    unlink(tempPath_.c_str());
    UnregisterTemporary(place_);
    place_ = -1;
    return false;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

bool WriteAllBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace mw
