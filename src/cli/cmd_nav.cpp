// mwtool nav LAT LON TARGET_LAT TARGET_LON [--name NAME] [--unit 0|1|2]
//
// What the navigation panel shows while navigating from (LAT, LON) to the
// target: "name,distance,unit,bearing" with the shortened name, the distance
// in the "Distance Unit" (0 kilometres, 1 miles, 2 nautical miles) and the
// bearing in degrees true. Positions in degrees, both on one datum.
#include <cmath>
#include <iostream>

#include "cli/mwtool.h"
#include "nav/nav_text.h"

namespace {

int Nav(mwtool::Args& args) {
    std::string name = args.Option("--name").value_or("");
    int unit = mw::kUnitKilometres;
    int exitCode = 0;
    if (!mwtool::IntOption(args, "--unit", 0, 2, unit, exitCode)) return exitCode;
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 4)
        return mwtool::UsageError("nav needs LAT LON TARGET_LAT TARGET_LON");
    double v[4];
    for (int i = 0; i < 4; ++i) {
        auto n = mwtool::ParseNumber(args.words[static_cast<std::size_t>(i)]);
        if (!n || !std::isfinite(*n))
            return mwtool::UsageError("not a number: '" + args.words[static_cast<std::size_t>(i)] + "'");
        v[i] = *n;
    }
    mw::NavigationState nav;
    mw::SetNavigationTarget(nav, v[2], v[3], -1, name);
    auto readout = mw::NavigationPanelReadout(nav, v[0], v[1], unit);
    if (!readout) {
        std::cout << mw::kNotNavigatingText << "\n";
        return 0;
    }
    std::cout << readout->name << "," << readout->distance.value << "," << readout->distance.unit
              << "," << readout->bearing << "\n";
    return 0;
}

}  // namespace

MW_COMMAND("nav", "nav LAT LON TARGET_LAT TARGET_LON [--name NAME] [--unit 0|1|2]", Nav);
