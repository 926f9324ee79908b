// mwtool rte show FILE.rte [--map FILE.map]
//
// The routes of a route file as "Load Maw Route File" stores them: one line
// per route, "route,ROUTE,name,description,colour,points" (the colour as the
// decimal 0x00BBGGRR value), each followed by its points,
// "point,ROUTE,INDEX,name,lat,lon". Routes and points count from 1.
// Positions are on the map's datum with --map, else on WGS 84, with 7
// decimals.
#include <iostream>

#include "cli/console.h"
#include "cli/mwtool.h"
#include "geo/datums.h"
#include "map/map_file.h"
#include "nav/route_file.h"
#include "support/text.h"

namespace {

int RouteShow(mwtool::Args& args) {
    auto mapFile = args.Option("--map");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("rte show needs one FILE.rte");

    mwtool::ConsoleUi ui;
    mw::DatumTable datums;
    mw::LoadUserDatums(datums, args.home);
    int mapDatum = mw::kDatumWgs84;
    if (mapFile) {
        auto map = mw::ReadMapFile(*mapFile, datums);
        if (!map) {
            std::cerr << "mwtool: cannot read " << *mapFile << "\n";
            return 1;
        }
        mapDatum = map->datumIndex;
    }
    mw::RouteStore store;
    const mw::ReadOutcome read = mw::LoadRouteFile(store, args.words[0], datums, mapDatum);
    // The refusal, or what the budget and the limits left out.
    if (const std::string report =
            mw::ReadReportText(mw::kRouteFileOpenErrorText, args.words[0], read);
        !report.empty())
        ui.ShowMessage(report);
    if (!read) return 1;

    int routeNumber = 0;
    for (const mw::Route& route : store.Routes()) {
        ++routeNumber;
        std::cout << mw::Format("route,%d,", routeNumber) << route.name << ","
                  << route.description << ","
                  << mw::Format("%d,%zu\n", static_cast<int>(route.colour), route.points.size());
        int pointNumber = 0;
        for (const mw::RoutePoint& p : route.points)
            std::cout << mw::Format("point,%d,%d,", routeNumber, ++pointNumber) << p.name
                      << mw::Format(",%.7f,%.7f\n", p.lat, p.lon);
    }
    std::cout.flush();
    return 0;
}

int Rte(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("rte needs show");
    std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    if (sub == "show") return RouteShow(args);
    return mwtool::UsageError("unknown rte command '" + sub + "'");
}

}  // namespace

MW_COMMAND("rte", "rte show FILE.rte [--map FILE.map]  (routes and points, from 1)", Rte);
