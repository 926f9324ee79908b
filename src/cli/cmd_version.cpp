#include <iostream>

#include "cli/mwtool.h"

namespace {

int Version(mwtool::Args& args) {
    if (!args.words.empty()) return mwtool::UsageError("version takes no arguments");
    std::cout << "mwtool " << MW_VERSION << "\n";
    return 0;
}

}  // namespace

MW_COMMAND("version", "version", Version);
