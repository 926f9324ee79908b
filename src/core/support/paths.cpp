#include "support/paths.h"

#include "support/fields.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>

namespace mw {

std::string JoinPath(std::string_view folder, std::string_view name) {
    // One allocation: every map file's path is made this way at a search.
    const bool slash = folder.empty() || (folder.back() != '/' && folder.back() != '\\');
    std::string out;
    out.reserve(folder.size() + slash + name.size());
    out += folder;
    if (slash) out += '/';
    out += name;
    return out;
}

namespace {

// The program's folder under an XDG base folder: $VARIABLE/mapwanderer, or
// ~/FALLBACK/mapwanderer when the variable is unset or empty.
std::string XdgFolder(const std::map<std::string, std::string>& env, const char* variable,
                      const char* fallback) {
    auto xdg = env.find(variable);
    if (xdg != env.end() && !xdg->second.empty()) return JoinPath(xdg->second, "mapwanderer");
    auto home = env.find("HOME");
    std::string h = home != env.end() ? home->second : std::string();
    return JoinPath(JoinPath(h, fallback), "mapwanderer");
}

}  // namespace

std::string ApplicationHome(const std::map<std::string, std::string>& env) {
    return XdgFolder(env, "XDG_CONFIG_HOME", ".config");
}

std::string CacheHome(const std::map<std::string, std::string>& env) {
    return XdgFolder(env, "XDG_CACHE_HOME", ".cache");
}

std::string UserHomeFromEnvironment() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string ApplicationHomeFromEnvironment() {
    std::map<std::string, std::string> env;
    if (const char* x = std::getenv("XDG_CONFIG_HOME")) env["XDG_CONFIG_HOME"] = x;
    env["HOME"] = UserHomeFromEnvironment();
    return ApplicationHome(env);
}

std::string ToLocalPath(std::string_view text, std::string_view userHome) {
    std::string out;
    if (!text.empty() && text[0] == '\\') {
        out = std::string(userHome);
        while (!out.empty() && out.back() == '/') out.pop_back();
    }
    for (char c : text) out += (c == '\\') ? '/' : c;
    return out;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

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

}  // namespace mw
