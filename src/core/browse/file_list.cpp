#include "browse/file_list.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "support/paths.h"
#include "support/text.h"

namespace mw {

namespace fs = std::filesystem;

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string LowerCopy(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

// Sorted as the handheld's list sorted its rows: letter case ignored; names
// equal but for case keep a fixed order by their bytes.
bool NameBefore(const FileRow& a, const FileRow& b) {
    std::string la = LowerCopy(a.name), lb = LowerCopy(b.name);
    if (la != lb) return la < lb;
    return a.name < b.name;
}

bool Glob(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one backtrack point for the last "*".
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<FolderEntry> ListFolderEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(NormaliseFolder(folder), fs::directory_options::skip_permission_denied,
                              ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        FolderEntry e;
        e.name = name;
        std::error_code statError;
        fs::file_status st = it->status(statError);  // links followed
        if (statError) continue;                     // a dangling link: nothing to open
        e.folder = fs::is_directory(st);
        if (!e.folder) {
            std::uintmax_t size = it->file_size(statError);
            if (!statError) e.size = size;
        }
        auto written = it->last_write_time(statError);
        if (!statError) {
            auto sys = std::chrono::file_clock::to_sys(written);
            e.modified = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) { return Glob(name, pattern); }

FileIcon IconForKind(std::string_view kind) {
    if (kind == "map") return FileIcon::Map;
    if (kind == "waypoint") return FileIcon::Waypoint;
    if (kind == "track") return FileIcon::Track;
    if (kind == "route") return FileIcon::Route;
    return FileIcon::OtherFile;
}

FileIcon IconForFileName(std::string_view name) {
    struct Extension {
        const char* dotted;
        FileIcon icon;
    };
    static constexpr Extension kExtensions[] = {
        {".exe", FileIcon::Program}, {".map", FileIcon::Map},   {".wpt", FileIcon::Waypoint},
        {".plt", FileIcon::Track},   {".rte", FileIcon::Route}, {".wav", FileIcon::Sound},
        {".bmp", FileIcon::Bitmap},
    };
    if (name.size() < 4) return FileIcon::OtherFile;
    std::string last4 = LowerCopy(name.substr(name.size() - 4));
    for (const Extension& e : kExtensions)
        if (last4 == e.dotted) return e.icon;
    return FileIcon::OtherFile;
}

std::vector<FileRow> FillFileList(const std::vector<FolderEntry>& entries, std::string_view folder,
                                  std::string_view pattern, std::string_view kind) {
    std::vector<FileRow> folders, files;
    for (const FolderEntry& e : entries) {
        if (e.folder) {
            folders.push_back({e.name, "Folder", FileIcon::Folder, "", ""});
        } else if (MatchesPattern(e.name, pattern)) {
            files.push_back({e.name, std::string(kind), IconForKind(kind), FormatFileTime(e.modified),
                             FormatFileSize(e.size)});
        }
    }
    std::sort(folders.begin(), folders.end(), NameBefore);
    std::sort(files.begin(), files.end(), NameBefore);
    std::vector<FileRow> rows;
    rows.reserve(folders.size() + files.size() + 1);
    if (!IsRootFolder(folder)) rows.push_back({"Up One Level", "", FileIcon::UpOneLevel, "", ""});
    rows.insert(rows.end(), folders.begin(), folders.end());
    rows.insert(rows.end(), files.begin(), files.end());
    return rows;
}

bool IsRootFolder(std::string_view folder) { return NormaliseFolder(folder) == kRootFolder; }

std::string NormaliseFolder(std::string_view folder) {
    while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
    if (folder.empty()) return kRootFolder;
    return std::string(folder);
}

std::string ParentFolder(std::string_view folder) {
    std::string f = NormaliseFolder(folder);
    std::size_t slash = f.rfind('/');
    if (slash == std::string::npos) return kRootFolder;  // a relative name: up to the root
    return NormaliseFolder(std::string_view(f).substr(0, slash));
}

std::string ChildPath(std::string_view folder, std::string_view name) {
    std::string f = NormaliseFolder(folder);
    if (f == kRootFolder) return f + std::string(name);
    return f + "/" + std::string(name);
}

std::optional<std::string> TypedFolder(std::string_view typed, std::string_view userHome) {
    std::string path = ToLocalPath(Trim(typed), userHome);
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) return std::nullopt;
    return NormaliseFolder(path);
}

std::optional<std::vector<std::string>> FolderStepsBelow(std::string_view from,
                                                         std::string_view to) {
    std::string base = NormaliseFolder(from), target = NormaliseFolder(to);
    if (target == base) return std::vector<std::string>{};
    std::string prefix = base == kRootFolder ? base : base + "/";
    if (target.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    std::vector<std::string> steps;
    std::string_view rest = std::string_view(target).substr(prefix.size());
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        std::string_view name = rest.substr(0, slash);
        if (!name.empty()) steps.emplace_back(name);  // "//" inside a path is one separator
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return steps;
}

std::string FormatFileTime(std::int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    char date[64];
    if (std::strftime(date, sizeof date, "%x", &local) == 0) return {};
    return Format("%s %02d:%02d", date, local.tm_hour, local.tm_min);
}

std::string FormatFileSize(std::uint64_t bytes) {
    return Format("%llu", static_cast<unsigned long long>(bytes));
}

std::string EscapedName(std::string_view name) {
    std::string out;
    std::size_t i = 0;
    while (i < name.size()) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len > 1 && i + len <= name.size() && IsValidUtf8(name.substr(i, len))) {
            out.append(name.substr(i, len));
            i += len;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c >= 0x80)
            out += Format("\\x%02X", c);
        else
            out += static_cast<char>(c);
        ++i;
    }
    return out;
}

}  // namespace mw
