// Writing GPX 1.1 documents: the records in the order the format demands
// (waypoints, then routes, then tracks), through a temporary file renamed
// over the target once complete.
//
// Positions go out with 7 decimals, elevations in metres, times in UTC ISO
// 8601. Texts are escaped; bytes that are not UTF-8 are taken as Latin-1
// (the program's files are 8-bit) and characters XML cannot hold dropped.
// The waypoint and route fields GPX has no element for go into an
// extensions element in our namespace, so a document read back gives every
// field again.
#pragma once

#include <string>
#include <string_view>

#include "gpx/gpx_model.h"
#include "nav/route_store.h"
#include "support/text.h"
#include "waypoint/waypoint_store.h"

namespace mw {

class GpxWriter {
public:
    // Opens a temporary file beside `path`; check IsOpen().
    explicit GpxWriter(const std::string& path);
    bool IsOpen() const { return file_.IsOpen(); }

    // Positions are WGS 84, the waypoint's altitude in feet. A call out of
    // order (a waypoint after a route, a route after a track, a point outside
    // a track) fails the writer: Commit() then returns false.
    void AddWaypoint(const Waypoint& waypoint);
    void AddRoute(const Route& route);
    // Opens a trk (closing any open one); points then follow. A point with
    // newSegment set, or the first point of a trk, opens a trkseg.
    void BeginTrack(std::string_view name = {});
    void AddTrackPoint(const GpxTrackPoint& point);

    // Closes the document and renames it over the target. False when any
    // write failed or a call came out of order; the target is then unchanged.
    bool Commit();
    // The target and why the document could not be written (the system's
    // errno; EINVAL for a call out of order).
    WriteOutcome Outcome() const;

private:
    enum class Stage { Waypoints, Routes, Tracks };
    bool Enter(Stage stage);
    void CloseTrack();
    void Flush(bool always);

    TextFileWriter file_;
    Stage stage_ = Stage::Waypoints;
    bool inTrack_ = false, inSegment_ = false;
    bool failed_ = false;
    std::string buffer_;
};

// `text` escaped for XML content or a quoted attribute, as UTF-8.
std::string GpxEscape(std::string_view text);

}  // namespace mw
