#include "gpx/gpx_transfer.h"

#include <cmath>
#include <filesystem>

#include "geo/datum_convert.h"
#include "gpx/gpx_writer.h"
#include "map/position_store.h"
#include "nav/route_file.h"
#include "support/line_budget.h"
#include "support/text.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"

namespace mw {

namespace {

constexpr int kRouteHeaderLines = 4;
constexpr std::array<const char*, kRouteHeaderLines> kRouteFileHeader = {
    "Mapwanderer CE Route File Version 1.0", "WGS 84", "Reserved 2", "Reserved 3"};

// Collects a document's records within the stores' limits, so that a file
// that fails half-way changes nothing.
class StoreSink final : public GpxSink {
public:
    StoreSink(GpxImportReport& report, const DatumTable& datums, int mapDatum)
        : report_(report), datums_(datums), mapDatum_(mapDatum) {
        ClearTrack(track);
    }

    void OnWaypoint(Waypoint&& w) override {
        ++report_.waypoints;
        if (waypoints.size() >= static_cast<std::size_t>(kWaypointSlots)) {
            ++report_.waypointsLeftOut;
            return;
        }
        if (!w.AtNoPosition()) ConvertDatum(datums_, kDatumWgs84, mapDatum_, w.lat, w.lon);
        waypoints.push_back(std::move(w));
    }

    void OnRoute(Route&& route) override {
        ++report_.routes;
        report_.routePoints += static_cast<std::int64_t>(route.points.size());
        if (routes.size() >= static_cast<std::size_t>(kMaxRoutes)) {
            ++report_.routesLeftOut;
            report_.routePointsLeftOut += static_cast<std::int64_t>(route.points.size());
            return;
        }
        if (route.points.size() > static_cast<std::size_t>(kMaxRoutePoints)) {
            report_.routePointsLeftOut +=
                static_cast<std::int64_t>(route.points.size()) - kMaxRoutePoints;
            route.points.resize(kMaxRoutePoints);
        }
        for (RoutePoint& p : route.points)
            if (p.lat != 0 || p.lon != 0) ConvertDatum(datums_, kDatumWgs84, mapDatum_, p.lat, p.lon);
        routes.push_back(std::move(route));
    }

    // The ring keeps the newest points, as a track file load does. They
    // stay WGS 84 here and only the ones kept are moved to the map datum
    // (MoveTrackToMapDatum): a long track would otherwise pay the datum
    // shift for every point it drops.
    void OnTrackPoint(const GpxTrackPoint& p) override {
        ++report_.trackPoints;
        AddTrackPoint(track, p.lat, p.lon, p.newSegment ? kTrackNewSegment : kTrackContinue);
    }

    void MoveTrackToMapDatum(TrackStore& to) const {
        ClearTrack(to);
        track.ForEachPoint([&](int, const TrackSlot& s) {
            double lat = s.lat, lon = s.lon;
            ConvertDatum(datums_, kDatumWgs84, mapDatum_, lat, lon);
            AddTrackPoint(to, lat, lon, s.flag);
        });
    }

    std::vector<Waypoint> waypoints;
    std::vector<Route> routes;
    TrackStore track;

private:
    GpxImportReport& report_;
    const DatumTable& datums_;
    int mapDatum_;
};

std::string Count(std::int64_t n) { return Format("%lld", static_cast<long long>(n)); }

}  // namespace

GpxImportReport ImportGpxFile(const std::string& path, WaypointStore& waypoints,
                              RouteStore& routes, TrackStore& track, const DatumTable& datums,
                              int mapDatum) {
    GpxImportReport report;
    StoreSink sink(report, datums, mapDatum);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        report.read.error = "file could not be opened";
        return report;
    }
    report.read = ReadGpxFile(path, sink);
    if (!report.read.ok) return report;

    if (report.waypoints > 0) {
        waypoints.ClearWaypoints();
        int slot = 0;
        for (Waypoint& w : sink.waypoints) waypoints.Put(slot++, std::move(w));
        waypoints.waypointCount = slot;
    }
    if (report.routes > 0) routes.Assign(std::move(sink.routes));
    if (report.trackPoints > 0) {
        report.trackPointsLeftOut = std::max<std::int64_t>(0, report.trackPoints - kTrackMaxPoints);
        sink.MoveTrackToMapDatum(track);
    }
    return report;
}

std::string GpxImportMessage(const GpxImportReport& r) {
    if (!r.read.ok) return std::string(kGpxNotReadText) + ": " + r.read.error;
    std::vector<std::string> lines;
    if (r.read.skippedPoints > 0)
        lines.push_back(Count(r.read.skippedPoints) +
                        " points skipped: position missing, not a number or out of range");
    if (r.waypointsLeftOut > 0) lines.push_back(WaypointsLeftOutText(r.waypointsLeftOut));
    if (r.routesLeftOut > 0) lines.push_back(RoutesLeftOutText(r.routesLeftOut));
    if (r.routePointsLeftOut > 0) lines.push_back(RoutePointsLeftOutText(r.routePointsLeftOut));
    if (r.trackPointsLeftOut > 0) lines.push_back(TrackPointsLeftOutText(r.trackPointsLeftOut));
    if (r.read.textsBlanked) lines.push_back(kGpxTextsBlankedText);
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

WriteOutcome ExportGpxFile(const std::string& path, const WaypointStore& waypoints,
                   const RouteStore& routes, const TrackStore& track, const DatumTable& datums,
                   int mapDatum) {
    GpxWriter out(path);
    if (!out.IsOpen()) return out.Outcome();
    waypoints.ForEach([&](int, const Waypoint& w) {
        if (w.AtNoPosition()) return;
        Waypoint copy = w;
        ConvertDatum(datums, mapDatum, kDatumWgs84, copy.lat, copy.lon);
        out.AddWaypoint(copy);
    });
    for (const Route& r : routes.Routes()) {
        Route copy = r;
        for (RoutePoint& p : copy.points)
            if (p.lat != 0 || p.lon != 0) ConvertDatum(datums, mapDatum, kDatumWgs84, p.lat, p.lon);
        out.AddRoute(copy);
    }
    bool begun = false;
    track.ForEachPoint([&](int, const TrackSlot& s) {
        if (s.lat == kTrackBreakLat) return;
        if (!begun) out.BeginTrack();
        GpxTrackPoint p;
        p.lat = s.lat;
        p.lon = s.lon;
        ConvertDatum(datums, mapDatum, kDatumWgs84, p.lat, p.lon);
        p.newSegment = !begun || s.flag == kTrackNewSegment;
        begun = true;
        out.AddTrackPoint(p);
    });
    out.Commit();
    return out.Outcome();
}

ReadOutcome ForEachWaypointInFile(const std::string& path, const DatumTable& datums,
                                  const std::function<void(Waypoint&&)>& fn, std::size_t maxBytes) {
    bool anyWaypoint = false;
    WaypointFileWalk walk =
        WalkWaypointFile(path, datums, maxBytes, [&](const std::string& line, int fileDatum) {
            if (IsBlank(line)) return true;
            Waypoint w = ParseWaypointLine(line);
            if (w.AtNoPosition() || !(std::fabs(w.lat) <= 90) || !(std::fabs(w.lon) <= 180))
                return false;
            anyWaypoint = true;
            ConvertDatum(datums, fileDatum, kDatumWgs84, w.lat, w.lon);
            fn(std::move(w));
            return true;
        });
    ReadOutcome outcome = std::move(walk.outcome);
    if (walk.opened && !anyWaypoint && walk.doubtful) outcome.content = kNotWaypointFileText;
    return outcome;
}

ReadOutcome ForEachTrackPointInFile(const std::string& path, const DatumTable& datums,
                                    const std::function<void(const GpxTrackPoint&)>& fn,
                                    std::size_t maxBytes) {
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) return OutcomeOf(file);
    int lineNumber = 0;
    int fileDatum = kDatumWgs84;
    bool first = true, headerIsText = true, sawOther = false;
    const bool cut = ForEachLineWithin(file, maxBytes, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber <= kTrackHeaderLines) {
            headerIsText = headerIsText && IsTextLine(line);
            if (lineNumber == 2) fileDatum = FindDatumByName(datums, Trim(line));
            return true;
        }
        if (IsBlank(line)) return true;
        const SplitFieldTable f = SplitFields(line);
        // As the track load reads them: a line whose position is not a pair
        // of numbers on the globe (NUL bytes, text, damage) is no point.
        const std::optional<double> lat = ParseRealField(f.Get(1, "")),
                                    lon = ParseRealField(f.Get(2, ""));
        if (!lat || !lon || !(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180)) {
            sawOther = true;
            return true;
        }
        GpxTrackPoint p;
        p.lat = *lat;
        p.lon = *lon;
        ConvertDatum(datums, fileDatum, kDatumWgs84, p.lat, p.lon);
        p.newSegment = first || ParseInt(f.Get(3, "0")) == kTrackNewSegment;
        first = false;
        const double feet = ParseReal(f.Get(4, "-777"));
        if (std::isfinite(feet) && feet != kNoAltitudeFeet) p.eleMetres = feet * kMetresPerFoot;
        p.time = PltTime(f.Get(6, ""), f.Get(7, ""));
        fn(p);
        return true;
    });
    ReadOutcome outcome;
    if (cut) outcome.notes.push_back(FileCutText("The track file " + path, maxBytes));
    if (first && (sawOther || lineNumber < kTrackHeaderLines || !headerIsText))
        outcome.content = kNotTrackFileText;
    return outcome;
}

ReadOutcome ReadRoutesForGpx(const std::string& path, const DatumTable& datums,
                             std::vector<Route>& routes) {
    TextFileReader file(path, OpenAs::DataFile);
    if (!file.IsOpen()) return OutcomeOf(file);
    RouteFileRead read = ReadRoutes(file, datums, kDatumWgs84);
    ReadOutcome outcome;
    outcome.notes = RouteReadNotes(read, path);
    if (read.routes.empty() && read.routesLeftOut == 0 && (read.afterHeader || !read.wholeHeader)) {
        outcome.content = kNotRouteFileText;
        return outcome;
    }
    routes = std::move(read.routes);
    return outcome;
}

std::string TrackLineForPoint(const GpxTrackPoint& p) {
    const int flag = p.newSegment ? kTrackNewSegment : kTrackContinue;
    const double feet = p.eleMetres ? *p.eleMetres / kMetresPerFoot : kNoAltitudeFeet;
    if (!p.time) return FormatTrackPointLine(p.lat, p.lon, flag, feet);
    const auto [date, time] = PltDateAndTime(*p.time);
    return FormatTrackLogLine(p.lat, p.lon, flag, feet, date, time);
}

struct NativeFilesSink::Files {
    std::unique_ptr<TextFileWriter> waypoints, track, routes;
};

NativeFilesSink::NativeFilesSink(const std::string& waypointPath, const std::string& trackPath,
                                 const std::string& routePath)
    : files_(std::make_unique<Files>()) {
    if (!waypointPath.empty()) {
        files_->waypoints = std::make_unique<TextFileWriter>(waypointPath);
        for (const char* line : kWaypointFileHeader) files_->waypoints->WriteLine(line);
    }
    if (!trackPath.empty()) {
        files_->track = std::make_unique<TextFileWriter>(trackPath);
        for (const char* line : kTrackFileHeader) files_->track->WriteLine(line);
    }
    if (!routePath.empty()) {
        files_->routes = std::make_unique<TextFileWriter>(routePath);
        for (const char* line : kRouteFileHeader) files_->routes->WriteLine(line);
    }
}

NativeFilesSink::~NativeFilesSink() = default;

bool NativeFilesSink::IsOpen() const {
    for (const auto* f : {files_->waypoints.get(), files_->track.get(), files_->routes.get()})
        if (f && !f->IsOpen()) return false;
    return true;
}

WriteOutcome NativeFilesSink::Outcome() const {
    for (const auto* f : {files_->waypoints.get(), files_->track.get(), files_->routes.get()})
        if (f && !f->Outcome()) return f->Outcome();
    return {};
}

bool NativeFilesSink::Commit() {
    bool ok = true;
    for (auto* f : {files_->waypoints.get(), files_->track.get(), files_->routes.get()})
        if (f && !f->Commit()) ok = false;
    return ok;
}

void NativeFilesSink::OnWaypoint(Waypoint&& w) {
    if (files_->waypoints) files_->waypoints->WriteLine(FormatWaypointLine(w, w.lat, w.lon));
}

void NativeFilesSink::OnRoute(Route&& route) {
    ++routeNumber_;
    if (!files_->routes) return;
    TextFileWriter& f = *files_->routes;
    f.WriteLine(Format("R,%d,", routeNumber_) + route.name + "," + route.description +
                Format(",%d", route.colour));
    int n = 0;
    for (const RoutePoint& p : route.points)
        f.WriteLine(Format("W,%d,%d,0,", routeNumber_, ++n) + p.name +
                    Format(",%.7f,%.7f", p.lat, p.lon));
}

void NativeFilesSink::OnTrackPoint(const GpxTrackPoint& p) {
    if (files_->track) files_->track->WriteLine(TrackLineForPoint(p));
}

}  // namespace mw
