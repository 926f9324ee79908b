#include "gpx/gpx_transfer.h"

#include <cmath>
#include <filesystem>

#include "geo/datum_convert.h"
#include "gpx/gpx_writer.h"
#include "map/position_store.h"
#include "nav/route_file.h"
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
    if (r.waypointsLeftOut > 0)
        lines.push_back(Count(r.waypointsLeftOut) + " waypoints left out (at most " +
                        Count(kWaypointSlots) + " are kept)");
    if (r.routesLeftOut > 0)
        lines.push_back(Count(r.routesLeftOut) + " routes left out (at most " + Count(kMaxRoutes) +
                        " are kept)");
    if (r.routePointsLeftOut > 0)
        lines.push_back(Count(r.routePointsLeftOut) + " route points left out (at most " +
                        Count(kMaxRoutePoints) + " a route are kept)");
    if (r.trackPointsLeftOut > 0)
        lines.push_back(Count(r.trackPointsLeftOut) + " track points left out (the last " +
                        Count(kTrackMaxPoints) + " are kept)");
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

bool ForEachWaypointInFile(const std::string& path, const DatumTable& datums,
                           const std::function<void(Waypoint&&)>& fn) {
    TextFileReader file(path);
    if (!file.IsOpen()) return false;
    int lineNumber = 0;
    int fileDatum = kDatumWgs84;
    ForEachLine(
        file,
        [&](const std::string& line) {
            ++lineNumber;
            if (lineNumber == 2) fileDatum = FindDatumByName(datums, Trim(line));
            if (lineNumber <= kWaypointHeaderLines) return true;
            Waypoint w = ParseWaypointLine(line);
            if (w.AtNoPosition()) return true;
            ConvertDatum(datums, fileDatum, kDatumWgs84, w.lat, w.lon);
            fn(std::move(w));
            return true;
        },
        kLongLineMax);
    return true;
}

bool ForEachTrackPointInFile(const std::string& path, const DatumTable& datums,
                             const std::function<void(const GpxTrackPoint&)>& fn) {
    TextFileReader file(path);
    if (!file.IsOpen()) return false;
    int lineNumber = 0;
    int fileDatum = kDatumWgs84;
    bool first = true;
    ForEachLine(file, [&](const std::string& line) {
        ++lineNumber;
        if (lineNumber == 2) fileDatum = FindDatumByName(datums, Trim(line));
        if (lineNumber <= kTrackHeaderLines || IsBlank(line)) return true;
        const SplitFieldTable f = SplitFields(line);
        GpxTrackPoint p;
        p.lat = ParseReal(f.Get(1, "0"));
        p.lon = ParseReal(f.Get(2, "0"));
        if (!std::isfinite(p.lat) || !std::isfinite(p.lon) || p.lat == kTrackBreakLat) return true;
        ConvertDatum(datums, fileDatum, kDatumWgs84, p.lat, p.lon);
        p.newSegment = first || ParseInt(f.Get(3, "0")) == kTrackNewSegment;
        first = false;
        const double feet = ParseReal(f.Get(4, "-777"));
        if (std::isfinite(feet) && feet != kNoAltitudeFeet) p.eleMetres = feet * kMetresPerFoot;
        p.time = PltTime(f.Get(6, ""), f.Get(7, ""));
        fn(p);
        return true;
    });
    return true;
}

std::optional<std::vector<Route>> ReadRoutesForGpx(const std::string& path,
                                                   const DatumTable& datums) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return std::nullopt;
    TextFileReader file(path);
    if (!file.IsOpen()) return std::nullopt;
    return ReadRoutes(file, datums, kDatumWgs84);
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
