#include "raster/world_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mw {

namespace {

std::string_view TrimBlank(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<double> Number(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "." + ext;
    return path.substr(0, dot + 1) + ext;
}

std::string Extension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot + 1);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool GeoTransform::Invertible() const {
    for (double v : c)
        if (!std::isfinite(v)) return false;
    const double det = c[1] * c[5] - c[2] * c[4];
    const double size = std::fabs(c[1] * c[5]) + std::fabs(c[2] * c[4]);
    return det != 0 && std::fabs(det) > 1e-12 * size;
}

std::optional<GeoTransform> ParseWorldFile(std::string_view text, std::string* reason) {
    auto fail = [&](std::string why) -> std::optional<GeoTransform> {
        if (reason) *reason = std::move(why);
        return std::nullopt;
    };
    double v[6];
    int n = 0;
    int lineNumber = 0;
    while (n < 6 && !text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        line = TrimBlank(line);
        if (line.empty()) continue;
        const auto value = Number(line);
        if (!value) return fail("line " + std::to_string(lineNumber) + " is not a number");
        if (!std::isfinite(*value))
            return fail("line " + std::to_string(lineNumber) + " is not a finite number");
        v[n++] = *value;
    }
    if (n < 6) return fail("it holds " + std::to_string(n) + " of the six numbers of a world file");
    // The world file names the centre of the top-left pixel; the transform
    // starts at its outer corner, half a pixel up and to the left.
    GeoTransform gt;
    gt.c = {v[4] - 0.5 * v[0] - 0.5 * v[2], v[0], v[2], v[5] - 0.5 * v[1] - 0.5 * v[3], v[1], v[3]};
    if (!gt.Invertible()) return fail("its pixel sizes give no usable transform");
    return gt;
}

std::vector<std::string> WorldFileCandidates(const std::string& rasterPath) {
    const std::string ext = Lower(Extension(rasterPath));
    std::vector<std::string> names;
    if (ext.size() >= 2) names.push_back(std::string{ext.front(), ext.back(), 'w'});
    if (!ext.empty()) names.push_back(ext + "w");
    names.push_back("wld");
    std::vector<std::string> out;
    for (const std::string& n : names) {
        out.push_back(ReplaceExtension(rasterPath, n));
        out.push_back(ReplaceExtension(rasterPath, Upper(n)));
    }
    return out;
}

std::vector<std::string> PrjFileCandidates(const std::string& rasterPath) {
    return {ReplaceExtension(rasterPath, "prj"), ReplaceExtension(rasterPath, "PRJ")};
}

std::optional<std::string> CleanPrjText(std::string_view raw, std::string* reason) {
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    std::string text;
    text.reserve(raw.size());
    for (char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0) continue;
        if (u < 0x20 && c != '\n' && c != '\r' && c != '\t') {
            if (reason) *reason = "it is not a text file";
            return std::nullopt;
        }
        text += c;
    }
    std::string_view trimmed = TrimBlank(text);
    if (trimmed.empty()) {
        if (reason) *reason = "it is empty";
        return std::nullopt;
    }
    return std::string(trimmed);
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes,
                                         std::string* reason, bool* missing) {
    if (missing) *missing = false;
    auto fail = [&](std::string why) -> std::optional<std::string> {
        if (reason) *reason = std::move(why);
        return std::nullopt;
    };
    // O_NONBLOCK: a FIFO put in a file's place must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (missing) *missing = errno == ENOENT;
        return fail(std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail("not a regular file");
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("too long for such a file");
    }
    std::string data;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            return fail(std::strerror(e));
        }
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
        if (data.size() > maxBytes) {
            ::close(fd);
            return fail("too long for such a file");
        }
    }
    ::close(fd);
    return data;
}

}  // namespace mw
