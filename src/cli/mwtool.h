// mwtool: the core, headless. Each command is a function registered by its
// own source file with MW_COMMAND, so adding a command touches no other file.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/datums.h"

namespace mwtool {

// The arguments after the command word, with the options every command
// shares already taken out.
struct Args {
    std::vector<std::string> words;  // what remains, in order
    std::string home;                // --home DIR, or the application home
    // Where the default folders ("\Mapwanderer\Data", "\Mapwanderer\Maps") lie: the
    // user's home, or DIR itself under --home DIR, so that nothing outside
    // DIR is read or written.
    std::string userHome;

    // Removes "--name VALUE" (or "--name=VALUE") and returns VALUE.
    std::optional<std::string> Option(const std::string& name);
    // Removes "--name" and returns whether it was there.
    bool Flag(const std::string& name);
    // The first remaining word starting with "--", if any (an unknown option).
    std::optional<std::string> UnknownOption() const;
};

using CommandFn = std::function<int(Args&)>;

struct CommandInfo {
    std::string usage;  // one line: "datum find NAME"
    CommandFn run;
};

// Commands by their first word; a command with subcommands dispatches itself.
std::map<std::string, CommandInfo>& Registry();

struct Registrar {
    Registrar(const std::string& word, const std::string& usage, CommandFn fn) {
        Registry()[word] = CommandInfo{usage, std::move(fn)};
    }
};

#define MW_COMMAND_CONCAT2(a, b) a##b
#define MW_COMMAND_CONCAT(a, b) MW_COMMAND_CONCAT2(a, b)
#define MW_COMMAND(word, usage, fn) \
    static ::mwtool::Registrar MW_COMMAND_CONCAT(mw_registrar_, __LINE__)(word, usage, fn)

// Prints "mwtool: MESSAGE" to stderr and returns exit code 2.
int UsageError(const std::string& message);
// Parses a number in the C locale; nullopt unless the whole text is a number.
std::optional<double> ParseNumber(std::string_view text);
// A comma-separated list of zoom-level percentages ("100,50,25,10"), as the
// encoders take them; nullopt when an item is not a number or the list is empty.
std::optional<std::vector<double>> ParseLevels(const std::string& text);
std::optional<int> ParseInteger(std::string_view text);
// Takes "--name N" with N an integer in [lo, hi] into `value` (untouched when
// the option is absent). False after reporting a usage error, with
// `exitCode` set.
bool IntOption(Args& args, const std::string& name, int lo, int hi, int& value, int& exitCode);
// The datum table with the user's own datums of `home` added.
mw::DatumTable LoadDatums(const std::string& home);

}  // namespace mwtool
