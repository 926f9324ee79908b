// The "map" command word: each subcommand ("map import", ...) registers
// itself from its own source file, and "map" dispatches to it by its second
// word. The usage line of "map" lists every subcommand registered.
#pragma once

#include <iostream>
#include <map>
#include <string>

#include "cli/mwtool.h"

namespace mwtool {

inline std::map<std::string, CommandFn>& MapSubcommands() {
    static std::map<std::string, CommandFn> subcommands;
    return subcommands;
}

inline int RunMapSubcommand(Args& args) {
    if (args.words.empty()) return UsageError("map needs a subcommand (see mwtool map --help)");
    const std::string sub = args.words[0];
    auto it = MapSubcommands().find(sub);
    if (it == MapSubcommands().end()) return UsageError("unknown map command '" + sub + "'");
    args.words.erase(args.words.begin());
    return it->second(args);
}

struct MapSubcommandRegistrar {
    // `usage` starts with "map SUB".
    MapSubcommandRegistrar(const std::string& sub, const std::string& usage, CommandFn fn) {
        MapSubcommands()[sub] = std::move(fn);
        CommandInfo& info = Registry()["map"];
        info.usage = info.usage.empty() ? usage : info.usage + " | " + usage;
        info.run = RunMapSubcommand;
    }
};

#define MW_MAP_SUBCOMMAND(sub, usage, fn)                                          \
    static ::mwtool::MapSubcommandRegistrar MW_COMMAND_CONCAT(mw_map_registrar_, \
                                                              __LINE__)(sub, usage, fn)

}  // namespace mwtool
