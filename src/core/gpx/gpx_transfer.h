// GPX to and from the program: the stores (import and export commands) and
// the program's own files (the command-line conversions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "gpx/gpx_reader.h"
#include "nav/route_store.h"
#include "support/durable_file.h"
#include "support/text.h"
#include "track/track_store.h"
#include "waypoint/waypoint_store.h"

namespace mw {

inline constexpr const char* kGpxNotReadText = "GPX file could not be read";
inline constexpr const char* kGpxNotWrittenText = "Cannot Create GPX File";
inline constexpr const char* kGpxTextsBlankedText =
    "Commas and line breaks in names were replaced by blanks";

struct GpxImportReport {
    GpxReadResult read;
    // What the file held of each kind (records with a usable position).
    std::int64_t waypoints = 0, routes = 0, routePoints = 0, trackPoints = 0;
    // What the stores' limits left out.
    std::int64_t waypointsLeftOut = 0, routesLeftOut = 0, routePointsLeftOut = 0,
                 trackPointsLeftOut = 0;
};

// Reads the GPX file at `path` and, only when the whole file reads, replaces
// each store whose kind the file holds (waypoints, routes, track) as the
// program's own loads do, positions moved from WGS 84 to `mapDatum`. Stores
// of kinds the file does not hold are left alone. The store limits apply:
// 1,000 waypoints, 100 routes of 100 points, the track ring's last 999 points.
GpxImportReport ImportGpxFile(const std::string& path, WaypointStore& waypoints,
                              RouteStore& routes, TrackStore& track, const DatumTable& datums,
                              int mapDatum);

// The one message an import shows: the refusal, or how many records were
// skipped or left out and whether names were changed; empty when there is
// nothing to say.
std::string GpxImportMessage(const GpxImportReport& report);

// Writes every waypoint (not at 0, 0), route and the track (one trk, a
// trkseg for each piece) to `path`, positions moved from `mapDatum` to WGS
// 84. The stores are not changed. The outcome says whether the file was
// written and, if not, why (any earlier file then stays).
WriteOutcome ExportGpxFile(const std::string& path, const WaypointStore& waypoints,
                   const RouteStore& routes, const TrackStore& track, const DatumTable& datums,
                   int mapDatum);

// --- The program's files, without the stores' limits ---

// The conversions read the program's files this far at most: far beyond any
// file the program writes, and an endless source stops here.
inline constexpr std::size_t kMaxConvertedFileBytes = std::size_t{1} << 30;

// Calls `fn` for every waypoint of a waypoint file not at 0, 0, the position
// moved to WGS 84. Refused as the waypoint load refuses (cannot be opened, a
// folder, a device or a FIFO, no waypoint file); only the first `maxBytes`
// bytes are read, and the notes say so.
ReadOutcome ForEachWaypointInFile(const std::string& path, const DatumTable& datums,
                                  const std::function<void(Waypoint&&)>& fn,
                                  std::size_t maxBytes = kMaxConvertedFileBytes);
// Calls `fn` for every point of a track file, moved to WGS 84, with its
// altitude (feet, -777 none) as metres and a track log line's date and time.
// A point with flag 1, and the file's first point, start a new segment.
// Lines whose position is not a pair of numbers on the globe are no points.
// Refused as the track load refuses; only the first `maxBytes` bytes are
// read, and the notes say so.
ReadOutcome ForEachTrackPointInFile(const std::string& path, const DatumTable& datums,
                                    const std::function<void(const GpxTrackPoint&)>& fn,
                                    std::size_t maxBytes = kMaxConvertedFileBytes);
// The routes of a route file into `routes` (the route reader's limits and
// budget apply, and the notes say what they left out), WGS 84. Refused as
// the route load refuses.
ReadOutcome ReadRoutesForGpx(const std::string& path, const DatumTable& datums,
                             std::vector<Route>& routes);

// Writes what a GPX document holds into the program's files as it is read:
// any of a waypoint file, a track file (every trk and trkseg a new segment;
// points with a time become track log lines) and a route file, all in WGS
// 84. Nothing replaces its target unless Commit() is called and succeeds.
class NativeFilesSink final : public GpxSink {
public:
    // Empty paths are not written.
    NativeFilesSink(const std::string& waypointPath, const std::string& trackPath,
                    const std::string& routePath);
    ~NativeFilesSink() override;
    // False when an output cannot be created.
    bool IsOpen() const;
    // Renames every output over its target; false when any write failed.
    bool Commit();
    // The first output that could not be made or written, and why; a
    // success when every one was.
    WriteOutcome Outcome() const;

    void OnWaypoint(Waypoint&& waypoint) override;
    void OnRoute(Route&& route) override;
    void OnTrackPoint(const GpxTrackPoint& point) override;

private:
    struct Files;
    std::unique_ptr<Files> files_;
    int routeNumber_ = 0;
};

// A track point line as the program writes it: a log line when the point
// has a time, a saved-track line otherwise.
std::string TrackLineForPoint(const GpxTrackPoint& point);

}  // namespace mw
