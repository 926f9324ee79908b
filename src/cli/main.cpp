#include <signal.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iostream>
#include <sstream>

#include "cli/mwtool.h"
#include "support/durable_file.h"
#include "support/paths.h"
#include "support/text.h"

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

std::optional<std::vector<double>> ParseLevels(const std::string& text) {
    std::vector<double> out;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ',')) {
        std::optional<double> v = ParseNumber(mw::Trim(item));
        if (!v) return std::nullopt;
        out.push_back(*v);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<double> ParseNumber(std::string_view text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || b == e) return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(std::string_view text) {
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

mw::DatumTable LoadDatums(const std::string& home) {
    mw::DatumTable table;
    mw::LoadUserDatums(table, home);
    return table;
}

}  // namespace mwtool

namespace {

constexpr char kSharedOptions[] =
    "--home DIR uses DIR as the application home; nothing outside it is read or written.\n"
    "Exit status: 0 success, 1 the command failed, 2 usage error.\n";

void PrintUsage(std::ostream& out) {
    out << "usage: mwtool COMMAND [ARGS] [--home DIR]\n"
           "       mwtool COMMAND --help\n\ncommands:\n";
    for (const auto& [word, info] : mwtool::Registry()) out << "  mwtool " << info.usage << "\n";
    out << "\n" << kSharedOptions;
}

// One command's usage: a usage line whose alternatives each start with the
// command word ("datum list | datum find NAME") is shown one form a line.
void PrintCommandUsage(std::ostream& out, const std::string& word, const std::string& usage) {
    std::vector<std::string> forms;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = usage.find(" | ", start);
        while (bar != std::string::npos && usage.compare(bar + 3, word.size() + 1, word + " ") != 0)
            bar = usage.find(" | ", bar + 3);
        forms.push_back(usage.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 3;
    }
    for (std::size_t i = 0; i < forms.size(); ++i)
        out << (i == 0 ? "usage: " : "       ") << "mwtool " << forms[i] << "\n";
    out << "\n" << kSharedOptions << "See mwtool(1) for what each command does.\n";
}

// A signal that ends mwtool in the middle of a save takes the save's
// temporary file with it: the target keeps its old bytes and nothing named
// ".tmp-" is left beside it. The signal then does what it would have done
// (the handler is reset by SA_RESETHAND and the signal raised again, to act
// once this handler returns), so the exit status still says which one.
extern "C" void OnTerminatingSignal(int signalNumber) {
    mw::RemoveTemporariesNow();
    raise(signalNumber);
}

void RemoveTemporariesOnSignals() {
    struct sigaction action {};
    action.sa_handler = OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        // A signal ignored by whoever started us stays ignored.
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(s, &action, nullptr);
    }
}

bool AsksForHelp(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "-h") return true;
    return std::find(args.begin(), args.end(), "--help") != args.end();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        PrintUsage(std::cerr);
        return 2;
    }
    std::string command = words[0];
    std::vector<std::string> rest(words.begin() + 1, words.end());
    // "mwtool help COMMAND" is "mwtool COMMAND --help".
    if (command == "help" && !rest.empty()) {
        command = rest[0];
        rest = {"--help"};
    }
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    if (command == "--version") command = "version";

    auto it = mwtool::Registry().find(command);
    if (it == mwtool::Registry().end()) {
        std::cerr << "mwtool: unknown command '" << command << "'\n";
        PrintUsage(std::cerr);
        return 2;
    }
    if (AsksForHelp(rest)) {
        PrintCommandUsage(std::cout, it->first, it->second.usage);
        return 0;
    }
    mwtool::Args args;
    args.words = rest;
    if (auto home = args.Option("--home")) {
        args.home = *home;
        args.userHome = *home;
    } else {
        args.home = mw::ApplicationHomeFromEnvironment();
        args.userHome = mw::UserHomeFromEnvironment();
    }
    RemoveTemporariesOnSignals();
    return it->second.run(args);
}
