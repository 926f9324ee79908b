// mwtool wpt show FILE.wpt [--map FILE.map]
// mwtool wpt save IN.wpt OUT.wpt [--map FILE.map]
// mwtool wpt create [--name NAME] LAT LON [--home DIR]
//
// Waypoint files as the program reads and writes them. "show" lists every
// stored record in slot order (records at 0, 0 included: they take a slot),
// positions on the map's datum (WGS 84 without --map). "save" reads and
// writes as "Load Wp File" and "Save Wp's from Map" do. "create" adds a
// waypoint (degrees on WGS 84) as "Create Wp at Position" does, appending to
// the log in the data folder of the application home, after reading that log
// first when "Load Default Wps" is set, as start-up does.
#include <cmath>
#include <iostream>

#include "app/waypoint_commands.h"
#include "cli/console.h"
#include "cli/mwtool.h"
#include "config/settings.h"
#include "map/map_file.h"
#include "platform/system_clock.h"
#include "support/paths.h"
#include "support/text.h"
#include "waypoint/waypoint_file.h"

namespace {

constexpr const char* kShowHeader =
    "slot,name,lat,lon,date,symbol,field7,field8,textColour,backColour,description,field12,"
    "field13,proximityDistance,altitude,field16,field17,field18,popupPosition,popupSeconds,"
    "field21,attachment,proximityImage,proximitySound";

// The datum of --map's calibration file, WGS 84 without it; nullopt (after
// the report) when the file cannot be read.
std::optional<int> MapDatum(mwtool::Args& args, const mw::DatumTable& datums) {
    std::optional<std::string> mapPath = args.Option("--map");
    if (!mapPath) return mw::kDatumWgs84;
    std::optional<mw::MapRecord> map = mw::ReadMapFile(*mapPath, datums);
    if (!map) {
        std::cerr << "mwtool: cannot read map file " << *mapPath << "\n";
        return std::nullopt;
    }
    return map->datumIndex;
}

// Reads as "Load Wp File" does, telling the refusal or what was left out on
// standard error; false when refused.
bool ReadWaypoints(mw::WaypointStore& store, const std::string& path, const mw::DatumTable& datums,
                   int datum, mwtool::ConsoleUi& ui) {
    const mw::ReadOutcome read = mw::ReadWaypointFile(store, path, datums, datum);
    if (const std::string report = mw::ReadReportText(mw::kWaypointFileNotOpenedText, path, read);
        !report.empty())
        ui.ShowMessage(report);
    return read.Ok();
}

std::string ShowLine(int slot, const mw::Waypoint& w) {
    return mw::Format("%d,", slot) + w.name +
           mw::Format(",%.7f,%.7f,%.5f,%d,%d,%d,%d,%d,", w.lat, w.lon, w.date, w.symbol, w.field7,
                      w.field8, w.textColour, w.backColour) +
           w.description +
           mw::Format(",%d,%d,%d,%.0f,%d,%d,%d,%d,%.1f,%d,", w.field12, w.field13,
                      w.proximityDistance, static_cast<double>(w.altitude), w.field16, w.field17,
                      w.field18, w.popupPosition, static_cast<double>(w.popupSeconds), w.field21) +
           w.attachment + "," + w.proximityImage + "," + w.proximitySound;
}

int Show(mwtool::Args& args) {
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    std::optional<int> datum = MapDatum(args, datums);
    if (!datum) return 1;
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 1) return mwtool::UsageError("usage: wpt show FILE.wpt [--map FILE.map]");
    mwtool::ConsoleUi ui;
    mw::WaypointStore store;
    if (!ReadWaypoints(store, args.words[0], datums, *datum, ui)) return 1;
    std::cout << kShowHeader << "\n";
    store.ForEach([](int slot, const mw::Waypoint& w) { std::cout << ShowLine(slot, w) << "\n"; });
    return 0;
}

int Save(mwtool::Args& args) {
    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    std::optional<int> datum = MapDatum(args, datums);
    if (!datum) return 1;
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (args.words.size() != 2)
        return mwtool::UsageError("usage: wpt save IN.wpt OUT.wpt [--map FILE.map]");
    mwtool::ConsoleUi ui;
    mw::WaypointStore store;
    if (!ReadWaypoints(store, args.words[0], datums, *datum, ui)) return 1;
    const mw::WaypointSave saved = mw::SaveWaypointFile(store, args.words[1], datums, *datum);
    if (!saved) {
        ui.ShowMessage(mw::WriteFailureText(mw::kCannotCreateWaypointFileText, saved.write));
        return 1;
    }
    std::cout << saved.written << " waypoints written to " << args.words[1] << "\n";
    return 0;
}

int Create(mwtool::Args& args) {
    std::optional<std::string> name = args.Option("--name");
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    std::optional<double> lat, lon;
    if (args.words.size() == 2) {
        lat = mwtool::ParseNumber(args.words[0]);
        lon = mwtool::ParseNumber(args.words[1]);
    }
    if (!lat || !lon || !std::isfinite(*lat) || !std::isfinite(*lon) || std::fabs(*lat) > 90 ||
        std::fabs(*lon) > 180)
        return mwtool::UsageError("usage: wpt create [--name NAME] LAT LON (degrees)");
    // 0, 0 is the program's "no position": a waypoint there would never show.
    if (*lat == 0 && *lon == 0) return mwtool::UsageError("0, 0 is no position");

    const mw::DatumTable datums = mwtool::LoadDatums(args.home);
    mw::AppSettings settings;
    mw::ReadConfiguration(args.home, datums, settings);
    const std::string dataFolder = mw::ToLocalPath(mw::StripTrailingBackslash(settings.dataPath),
                                                   args.userHome);
    const std::string log = mw::WaypointLogPath(dataFolder);
    mwtool::ConsoleUi ui;
    mw::WaypointStore store;
    if (settings.loadDefaultWps && mw::FileExists(log)) {
        ReadWaypoints(store, log, datums, mw::kDatumWgs84, ui);
    }
    mw::MakeFolders(dataFolder);
    mw::SystemClock clock;
    mw::WriteOutcome logged;
    const int slot = mw::CreateWaypoint(store, name, *lat, *lon, clock.LocalNow(), log, datums,
                                        mw::kDatumWgs84, &logged);
    if (slot < 0) {
        ui.ShowMessage(mw::kTooManyWaypointsText);
        return 1;
    }
    // The log is where the waypoint lives once this command ends: without
    // it nothing was created.
    if (!logged) {
        ui.ShowMessage(mw::WriteFailureText(mw::kCannotCreateWaypointFileText, logged));
        return 1;
    }
    std::cout << slot << "," << store.At(slot)->name << "\n";
    return 0;
}

int Wpt(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("usage: wpt show|save|create ...");
    const std::string sub = args.words.front();
    args.words.erase(args.words.begin());
    if (sub == "show") return Show(args);
    if (sub == "save") return Save(args);
    if (sub == "create") return Create(args);
    return mwtool::UsageError("unknown wpt command '" + sub + "'");
}

}  // namespace

MW_COMMAND("wpt",
           "wpt show FILE.wpt [--map FILE.map] | wpt save IN.wpt OUT.wpt [--map FILE.map] | "
           "wpt create [--name NAME] LAT LON [--home DIR]",
           Wpt);
