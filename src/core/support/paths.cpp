#include "support/paths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mw {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || (out.back() != '/' && out.back() != '\\')) out += '/';
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
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            std::string part = path.substr(0, pos);
            if (::stat(part.c_str(), &st) != 0 && ::mkdir(part.c_str(), 0777) != 0) return false;
        }
    }
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace mw
