// mwtool gpx export [--waypoints F.wpt] [--track F.plt] [--routes F.rte] -o OUT.gpx
// mwtool gpx import IN.gpx [--waypoints OUT.wpt] [--track OUT.plt] [--routes OUT.rte]
// mwtool gpx info IN.gpx
//
// GPX 1.1 to and from the program's own files, without the limits the
// program's stores have (the route reader's 100 routes of 100 points still
// apply to a route file read for export). Outputs are written in WGS 84 and
// replace their targets only when everything was read and written.
#include <iostream>

#include "cli/mwtool.h"
#include "gpx/gpx_reader.h"
#include "gpx/gpx_transfer.h"
#include "gpx/gpx_writer.h"
#include "support/text.h"

namespace {

constexpr const char* kUsage =
    "gpx export [--waypoints F.wpt] [--track F.plt] [--routes F.rte] -o OUT.gpx | "
    "gpx import IN.gpx [--waypoints OUT.wpt] [--track OUT.plt] [--routes OUT.rte] | "
    "gpx info IN.gpx";

// Tells the refusal or what the reader left out; false when refused.
bool Told(const std::string& path, const mw::ReadOutcome& read) {
    if (const std::string report = mw::ReadReportText("cannot read", path, read); !report.empty())
        std::cerr << "mwtool: " << report << "\n";
    return read.Ok();
}

// The notes a read leaves for the user, on stderr.
void ReportSkips(const mw::GpxReadResult& r) {
    if (r.skippedPoints > 0)
        std::cerr << "mwtool: " << r.skippedPoints
                  << " points skipped: position missing, not a number or out of range\n";
    if (r.textsBlanked) std::cerr << "mwtool: " << mw::kGpxTextsBlankedText << "\n";
}

int Export(mwtool::Args& args) {
    const auto wpt = args.Option("--waypoints");
    const auto plt = args.Option("--track");
    const auto rte = args.Option("--routes");
    const auto out = args.Option("-o");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (!out || !args.words.empty()) return mwtool::UsageError("usage: " + std::string(kUsage));
    if (!wpt && !plt && !rte)
        return mwtool::UsageError("gpx export needs --waypoints, --track or --routes");
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);

    mw::GpxWriter writer(*out);
    if (!writer.IsOpen()) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kGpxNotWrittenText, writer.Outcome())
                  << "\n";
        return 1;
    }
    // A refused input ends the export before the output replaces anything
    // (the writer's temporary file goes with it).
    if (wpt && !Told(*wpt, mw::ForEachWaypointInFile(
                               *wpt, datums, [&](mw::Waypoint&& w) { writer.AddWaypoint(w); })))
        return 1;
    if (rte) {
        std::vector<mw::Route> routes;
        if (!Told(*rte, mw::ReadRoutesForGpx(*rte, datums, routes))) return 1;
        for (const mw::Route& r : routes) writer.AddRoute(r);
    }
    if (plt) {
        bool begun = false;
        const mw::ReadOutcome read =
            mw::ForEachTrackPointInFile(*plt, datums, [&](const mw::GpxTrackPoint& p) {
                if (!begun) writer.BeginTrack(mw::BaseNameOf(*plt));
                begun = true;
                writer.AddTrackPoint(p);
            });
        if (!Told(*plt, read)) return 1;
    }
    if (!writer.Commit()) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kGpxNotWrittenText, writer.Outcome())
                  << "\n";
        return 1;
    }
    return 0;
}

int Import(mwtool::Args& args) {
    const auto wpt = args.Option("--waypoints");
    const auto plt = args.Option("--track");
    const auto rte = args.Option("--routes");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("usage: " + std::string(kUsage));
    if (!wpt && !plt && !rte)
        return mwtool::UsageError("gpx import needs --waypoints, --track or --routes");

    mw::NativeFilesSink sink(wpt.value_or(""), plt.value_or(""), rte.value_or(""));
    if (!sink.IsOpen()) {
        std::cerr << "mwtool: "
                  << mw::WriteFailureText("cannot create an output file", sink.Outcome()) << "\n";
        return 1;
    }
    const mw::GpxReadResult r = mw::ReadGpxFile(args.words[0], sink);
    if (!r.ok) {
        std::cerr << "mwtool: " << mw::kGpxNotReadText << ": " << r.error << "\n";
        return 1;
    }
    ReportSkips(r);
    if (!sink.Commit()) {
        std::cerr << "mwtool: "
                  << mw::WriteFailureText("an output file could not be written", sink.Outcome())
                  << "\n";
        return 1;
    }
    return 0;
}

struct Counts : mw::GpxSink {
    long long waypoints = 0, routes = 0, routePoints = 0, tracks = 0, segments = 0, points = 0;
    void OnWaypoint(mw::Waypoint&&) override { ++waypoints; }
    void OnRoute(mw::Route&& r) override {
        ++routes;
        routePoints += static_cast<long long>(r.points.size());
    }
    void OnTrack() override { ++tracks; }
    void OnSegment() override { ++segments; }
    void OnTrackPoint(const mw::GpxTrackPoint&) override { ++points; }
};

int Info(mwtool::Args& args) {
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("usage: gpx info IN.gpx");
    Counts c;
    const mw::GpxReadResult r = mw::ReadGpxFile(args.words[0], c);
    if (!r.ok) {
        std::cerr << "mwtool: " << mw::kGpxNotReadText << ": " << r.error << "\n";
        return 1;
    }
    ReportSkips(r);
    std::cout << "waypoints," << c.waypoints << "\n"
              << "routes," << c.routes << ",points," << c.routePoints << "\n"
              << "tracks," << c.tracks << ",segments," << c.segments << ",points," << c.points
              << "\n";
    return 0;
}

int Gpx(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("usage: " + std::string(kUsage));
    const std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    if (sub == "export") return Export(args);
    if (sub == "import") return Import(args);
    if (sub == "info") return Info(args);
    return mwtool::UsageError("unknown gpx command " + sub);
}

}  // namespace

MW_COMMAND("gpx", kUsage, Gpx);
