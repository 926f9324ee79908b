#include "app/app_data.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "support/durable_file.h"
#include "support/paths.h"
#include "support/text.h"

#ifndef MW_VERSION
#define MW_VERSION "unknown"
#endif
#ifndef MW_BUILD_DIR
#define MW_BUILD_DIR ""
#endif
#ifndef MW_SOURCE_DATA_DIR
#define MW_SOURCE_DATA_DIR ""
#endif

namespace mw {

namespace fs = std::filesystem;

namespace {

std::string& ExecutableFolderStore() {
    static std::string folder;
    return folder;
}

bool IsFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// Whether `inner` is `outer` or lies below it, after resolving links and
// dot segments, compared folder by folder (so /a/build2 is not in /a/build).
bool IsInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    fs::path a = fs::weakly_canonical(inner, ec);
    if (ec) return false;
    fs::path b = fs::weakly_canonical(outer, ec);
    if (ec) return false;
    // A trailing slash leaves an empty last element; drop it on both sides.
    if (!a.has_filename()) a = a.parent_path();
    if (!b.has_filename()) b = b.parent_path();
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (ai == a.end() || *ai != *bi) return false;
    }
    return true;
}

std::set<std::string> ReadOfferedList(const std::string& listPath) {
    std::set<std::string> offered;
    std::optional<std::string> bytes = ReadWholeFile(listPath);
    if (!bytes) return offered;
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find('\n', start);
        if (end == std::string::npos) end = bytes->size();
        std::string line = bytes->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) offered.insert(line);
        start = end + 1;
    }
    return offered;
}

enum class CopyResult { Copied, Kept, Failed };

// Copies `from` to `to` unless `to` exists. The bytes go to a temporary file
// first, which is then hard-linked to the final name: link() fails when the
// name is taken, so a file that appears meanwhile is never replaced.
CopyResult CopyIfAbsent(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return CopyResult::Kept;
    fs::create_directories(to.parent_path(), ec);
    if (ec) return CopyResult::Failed;
    fs::path temp = to;
    temp += ".partial-" + std::to_string(::getpid());
    fs::remove(temp, ec);
    // The copy reaches the disk before its name does.
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec) || ec ||
        !SyncFile(temp.string())) {
        fs::remove(temp, ec);
        return CopyResult::Failed;
    }
    int linked = ::link(temp.c_str(), to.c_str());
    int linkError = errno;
    fs::remove(temp, ec);
    if (linked == 0) {
        SyncFolderOf(to.string());
        return CopyResult::Copied;
    }
    return linkError == EEXIST ? CopyResult::Kept : CopyResult::Failed;
}

}  // namespace

const char* ProgramVersion() { return MW_VERSION; }

std::string FindSharedDataFolder(const std::string& executableFolder,
                                 const std::string& buildFolder,
                                 const std::string& sourceDataFolder) {
    if (executableFolder.empty()) return {};
    fs::path installed = fs::path(executableFolder) / ".." / kSharedDataSubfolder;
    if (IsFolder(installed)) return installed.lexically_normal().string();
    if (!buildFolder.empty() && !sourceDataFolder.empty() &&
        IsInside(executableFolder, buildFolder) && IsFolder(sourceDataFolder))
        return fs::path(sourceDataFolder).lexically_normal().string();
    return {};
}

void SetExecutableFolder(const std::string& folder) { ExecutableFolderStore() = folder; }

std::string SharedDataFolder() {
    return FindSharedDataFolder(ExecutableFolderStore(), MW_BUILD_DIR, MW_SOURCE_DATA_DIR);
}

SharedDataReport InstallSharedData(const std::string& sharedDir, const std::string& home) {
    SharedDataReport report;
    if (sharedDir.empty() || home.empty() || !IsFolder(sharedDir)) return report;

    std::vector<std::string> files;
    std::error_code ec;
    const fs::path root(sharedDir);
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string relative = it->path().lexically_relative(root).generic_string();
        // One name a line in the list: a name with a line break cannot be kept.
        if (relative.empty() || relative.find_first_of("\r\n") != std::string::npos) continue;
        files.push_back(relative);
    }
    if (files.empty()) return report;
    std::sort(files.begin(), files.end());

    if (!MakeFolders(home)) {
        report.failed = files;
        return report;
    }
    const std::string listPath = JoinPath(home, kSharedDataListName);
    std::set<std::string> offered = ReadOfferedList(listPath);

    bool listChanged = false;
    for (const std::string& relative : files) {
        if (offered.count(relative)) continue;
        switch (CopyIfAbsent(root / relative, fs::path(home) / relative)) {
        case CopyResult::Copied:
            report.copied.push_back(relative);
            break;
        case CopyResult::Kept:
            report.kept.push_back(relative);
            break;
        case CopyResult::Failed:
            report.failed.push_back(relative);
            continue;  // not offered yet: the next start tries again
        }
        offered.insert(relative);
        listChanged = true;
    }
    if (listChanged) {
        TextFileWriter list(listPath);
        for (const std::string& relative : offered) list.WriteLine(relative);
        list.Commit();
    }
    return report;
}

}  // namespace mw
