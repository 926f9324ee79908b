#include "ports/std_file_system.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace fs = std::filesystem;

namespace {

std::int64_t ToNs(fs::file_time_type t) {
    auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
}

std::optional<FileStamp> StampRegularFile(const fs::path& p) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec) || ec) return std::nullopt;
    FileStamp s;
    auto t = fs::last_write_time(p, ec);
    if (ec) return std::nullopt;
    s.modifiedNs = ToNs(t);
    auto size = fs::file_size(p, ec);
    if (ec) return std::nullopt;
    s.size = size;
    return s;
}

}  // namespace

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char a = tail[i], b = suffix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    std::FILE* f = OpenForReading(path);
    if (!f) return std::nullopt;
    std::string data;
    char buf[16384];
    while (data.size() < maxBytes) {
        std::size_t want = std::min(sizeof buf, maxBytes - data.size());
        std::size_t n = std::fread(buf, 1, want, f);
        data.append(buf, n);
        if (n < want) break;
    }
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) return std::nullopt;
    return data;
}

std::optional<FileStamp> StdFileSystem::StampFolder(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec) || ec) return std::nullopt;
    auto t = fs::last_write_time(folder, ec);
    if (ec) return std::nullopt;
    FileStamp s;
    s.modifiedNs = ToNs(t);
    return s;
}

std::optional<std::vector<FolderFile>> StdFileSystem::ListFolder(const std::string& folder,
                                                                 std::string_view suffix) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    std::vector<FolderFile> out;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return std::nullopt;
        std::string name = it->path().filename().string();
        if (!EndsWithNoCase(name, suffix)) continue;
        if (auto stamp = StampRegularFile(it->path())) {
            bool link = it->is_symlink(ec);
            out.push_back({std::move(name), *stamp, link || ec});
        }
    }
    if (ec) return std::nullopt;
    return out;
}

std::vector<std::optional<FileStamp>> StdFileSystem::StampFiles(
    const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::optional<FileStamp>> out;
    out.reserve(names.size());
    for (const std::string& n : names) out.push_back(StampRegularFile(JoinPath(folder, n)));
    return out;
}

std::optional<std::string> StdFileSystem::ReadFile(const std::string& path, std::size_t maxBytes) {
    return ReadFilePrefix(path, maxBytes);
}

std::int64_t StdFileSystem::NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool StdFileSystem::IsLink(const std::string& path) {
    std::error_code ec;
    const bool link = fs::is_symlink(path, ec);
    return link || ec;
}

FileSystem& DefaultFileSystem() {
    static StdFileSystem files;
    return files;
}

}  // namespace mw
