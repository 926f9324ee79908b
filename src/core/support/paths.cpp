#include "support/paths.h"

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

std::string ApplicationHome(const std::map<std::string, std::string>& env) {
    auto xdg = env.find("XDG_CONFIG_HOME");
    if (xdg != env.end() && !xdg->second.empty()) return JoinPath(xdg->second, "mapwanderer");
    auto home = env.find("HOME");
    std::string h = home != env.end() ? home->second : std::string();
    return JoinPath(JoinPath(h, ".config"), "mapwanderer");
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

}  // namespace mw
