#include "support/text.h"

#include "support/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <locale.h>

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

namespace {

std::string_view TrimLeftView(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::string_view TrimRightView(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view TrimView(std::string_view text) { return TrimLeftView(TrimRightView(text)); }

std::string_view SeparatedFieldView(std::string_view line, int n, std::string_view fallback,
                                    char sep) {
    bool restOfLine = false;
    if (n > 100) {
        restOfLine = true;
        n -= 100;
    }
    if (n <= 0) return fallback;
    for (int i = 1; i < n; ++i) {
        const auto pos = line.find(sep);
        if (pos == std::string_view::npos) return fallback;  // fewer than n fields
        line.remove_prefix(pos + 1);
    }
    std::size_t p = restOfLine ? line.size() : line.find(sep);
    if (p == std::string_view::npos) p = line.size();
    if (p == 0) return fallback;
    return TrimView(line.substr(0, p));
}

}  // namespace

std::string GetField(std::string_view line, int n, std::string_view fallback) {
    return std::string(SeparatedFieldView(line, n, fallback, ','));
}

std::string_view GetFieldView(std::string_view line, int n, std::string_view fallback) {
    return SeparatedFieldView(line, n, fallback, ',');
}

std::string GetTabField(std::string_view line, int n, std::string_view fallback) {
    return std::string(SeparatedFieldView(line, n, fallback, '\t'));
}

std::string SplitFieldTable::Get(int i, std::string_view fallback) const {
    if (!Has(i)) return std::string(fallback);
    return *slots_[i];
}

SplitFieldTable SplitFields(std::string_view line) {
    SplitFieldTable table;
    int slot = 1;
    std::size_t start = 0;
    auto store = [&](std::size_t end) {
        std::string field = Trim(line.substr(start, end - start));
        if (!field.empty()) table.slots_[slot] = std::move(field);
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ',') continue;
        store(i);
        start = i + 1;
        if (++slot > SplitFieldTable::kSlots) return table;
    }
    store(line.size());
    return table;
}

std::string TrimLeft(std::string_view text) { return std::string(TrimLeftView(text)); }

std::string TrimRight(std::string_view text) { return std::string(TrimRightView(text)); }

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string DeleteFront(std::string_view text, int count) {
    if (count <= 0) return std::string(text);
    if (static_cast<std::size_t>(count) >= text.size()) return {};
    return std::string(text.substr(count));
}

std::string Left(std::string_view text, int count) {
    if (count <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

int FindText(std::string_view needle, std::string_view haystack) {
    auto pos = haystack.find(needle);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

bool IsBlank(std::string_view text) { return Trim(text).empty(); }

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

namespace {
std::size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }
}  // namespace

std::string StripTrailingBackslash(std::string_view text) {
    if (text.empty()) return {};
    std::string s(text);
    if (IsPathSeparator(s.back())) s.back() = ' ';
    return Trim(s);
}

std::string FolderOf(std::string_view path) {
    auto pos = LastSeparator(path);
    if (pos == std::string_view::npos) return {};
    std::string folder(path.substr(0, pos));
    if (folder.size() == 1 && IsPathSeparator(folder[0])) return {};
    return folder;
}

std::string FileNameOf(std::string_view path) {
    auto pos = LastSeparator(path);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string BaseNameOf(std::string_view path) {
    std::string name = FileNameOf(path);
    auto dot = name.find('.');
    if (dot != std::string::npos && dot != 0) name.resize(dot);
    return name;
}

namespace {
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The C locale as a handle, for the few C library calls that take one: the
// desktop program runs under the user's locale, whose decimal comma must
// never reach a file.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}
}  // namespace

namespace {

// Plain decimals ("-4807.0381"), the numbers of receiver sentences and most
// files, without from_chars' general machinery. An integer below 2^53 and a
// power of ten up to 1e22 are both exact doubles, so their quotient is the
// correctly rounded value, the very double from_chars gives. Anything else
// (an exponent, more digits, no digits) is left to the general reader.
std::optional<double> PlainDecimal(const char* p, const char* end) {
    static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t m = 0;
    int digits = 0, decimals = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + unsigned(*p - '0');
    if (p < end && *p == '.')
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, ++digits, ++decimals)
            m = m * 10 + unsigned(*p - '0');
    if (digits == 0 || digits > 15 || (p < end && (*p == 'e' || *p == 'E'))) return std::nullopt;
    const double v = static_cast<double>(m) / kTens[decimals];
    return negative ? -v : v;
}

}  // namespace

double ParseReal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    if (auto v = PlainDecimal(text.data() + i, text.data() + text.size())) return *v;
    // from_chars takes no leading '+', strtod does.
    bool plus = i < text.size() && text[i] == '+';
    if (plus) ++i;
    if (plus && i < text.size() && text[i] == '-') return 0.0;
    double value = 0.0;
    auto res = std::from_chars(text.data() + i, text.data() + text.size(), value,
                               std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Keep strtod's answer for overflow and underflow, read in the C
        // locale like the rest.
        std::string copy(text.substr(i));
        return CLocale() ? strtod_l(copy.c_str(), nullptr, CLocale())
                         : std::strtod(copy.c_str(), nullptr);
    }
    if (res.ec != std::errc()) return 0.0;
    return value;
}

std::optional<double> ParseRealField(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsCSpace(text[end - 1])) --end;
    std::size_t i = 0;
    while (i < end && IsCSpace(text[i])) ++i;
    // from_chars takes no leading '+'; "+-1" is no number for ParseReal either.
    if (i < end && text[i] == '+' && ++i < end && (text[i] == '-' || text[i] == '+')) return std::nullopt;
    double value = 0.0;
    const auto res = std::from_chars(text.data() + i, text.data() + end, value, std::chars_format::general);
    if (i == end || res.ptr != text.data() + end) return std::nullopt;
    if (res.ec == std::errc()) return value;
    // Out of range is a number still, with strtod's answer as ParseReal gives
    // it; the callers' range checks refuse it.
    if (res.ec == std::errc::result_out_of_range) return ParseReal(text.substr(0, end));
    return std::nullopt;
}

int ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double RoundToStep(double value, double step) {
    if (step == 0) return 0;
    return step * std::trunc(value / step + 0.5);
}

int IntQuotient(int a, int b) {
    if (b == 0) return 0;
    if (b == -1) return a == INT_MIN ? INT_MAX : -a;
    return a / b;
}

int IntRemainder(int a, int b) {
    if (b == 0 || b == -1) return 0;
    return a % b;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

std::string Format(const char* fmt, ...) {
    // uselocale changes this thread's locale only, so the reader thread and
    // the GUI thread can both format at once.
    const locale_t c = CLocale();
    const locale_t previous = c ? uselocale(c) : locale_t{};
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, ap2);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(ap2);
    if (c) uselocale(previous);
    return out;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else
            return false;
        if (i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
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
