#include <algorithm>
#include <charconv>
#include <cstring>
#include <iostream>

#include "cli/mwtool.h"
#include "support/paths.h"

namespace mwtool {

std::map<std::string, CommandInfo>& Registry() {
    static std::map<std::string, CommandInfo> registry;
    return registry;
}

std::optional<std::string> Args::Option(const std::string& name) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == name && i + 1 < words.size()) {
            std::string v = words[i + 1];
            words.erase(words.begin() + i, words.begin() + i + 2);
            return v;
        }
        if (words[i].rfind(name + "=", 0) == 0) {
            std::string v = words[i].substr(name.size() + 1);
            words.erase(words.begin() + i);
            return v;
        }
    }
    return std::nullopt;
}

bool Args::Flag(const std::string& name) {
    auto it = std::find(words.begin(), words.end(), name);
    if (it == words.end()) return false;
    words.erase(it);
    return true;
}

std::optional<std::string> Args::UnknownOption() const {
    for (const auto& w : words) {
        // A negative number ("-33.5") is a value, not an option.
        if (w.size() > 2 && w.rfind("--", 0) == 0) return w;
    }
    return std::nullopt;
}

int UsageError(const std::string& message) {
    std::cerr << "mwtool: " << message << "\n";
    return 2;
}

std::optional<double> ParseNumber(const std::string& text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || b == e) return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(const std::string& text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    int v = 0;
    auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || b == e) return std::nullopt;
    return v;
}

bool IntOption(Args& args, const std::string& name, int lo, int hi, int& value, int& exitCode) {
    auto text = args.Option(name);
    if (!text) return true;
    auto v = ParseInteger(*text);
    if (!v || *v < lo || *v > hi) {
        exitCode = UsageError(name + " must be a number from " + std::to_string(lo) + " to " +
                              std::to_string(hi));
        return false;
    }
    value = *v;
    return true;
}

}  // namespace mwtool

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: mwtool COMMAND [ARGS] [--home DIR]\n\ncommands:\n";
    for (const auto& [word, info] : mwtool::Registry()) out << "  mwtool " << info.usage << "\n";
    out << "\n--home DIR uses DIR as the application home; nothing outside it is read or "
           "written.\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintUsage(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 2 : 0;
    }
    std::string command = words[0];
    mwtool::Args args;
    args.words.assign(words.begin() + 1, words.end());
    if (auto home = args.Option("--home"))
        args.home = *home;
    else
        args.home = mw::ApplicationHomeFromEnvironment();

    auto it = mwtool::Registry().find(command);
    if (it == mwtool::Registry().end()) {
        std::cerr << "mwtool: unknown command '" << command << "'\n";
        PrintUsage(std::cerr);
        return 2;
    }
    return it->second.run(args);
}
