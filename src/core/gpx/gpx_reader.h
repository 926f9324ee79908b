// Reading GPX 1.0 and 1.1 documents as a stream: the records go to a sink as
// they end, so a track file of any size is read in bounded memory (one
// waypoint or route at a time, a read buffer, the parser's own stack).
//
// Elements of other namespaces, and extensions other than ours, are passed
// over. A waypoint, route point or track point whose lat or lon is missing,
// not a number or out of range is skipped and counted. Documents that
// declare entities expanding beyond the parser's amplification limits are
// refused, and so are nestings deeper than any GPX document needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gpx/gpx_model.h"
#include "nav/route_store.h"
#include "waypoint/waypoint_store.h"

namespace mw {

// Receives the records of a document in document order. Positions are WGS 84,
// waypoint altitudes in feet. Names have commas and line ends already
// replaced by blanks (the program's files could not hold them) and waypoint
// names are cut to their width.
class GpxSink {
public:
    virtual ~GpxSink() = default;
    virtual void OnWaypoint(Waypoint&& waypoint) {}
    // A route without a colour extension takes the next default route colour,
    // as a route file line without one does.
    virtual void OnRoute(Route&& route) {}
    // A trk begins; then each trkseg begins.
    virtual void OnTrack() {}
    virtual void OnSegment() {}
    // The first point of each trkseg has newSegment set.
    virtual void OnTrackPoint(const GpxTrackPoint& point) {}
};

struct GpxReadResult {
    bool ok = false;
    std::string error;  // why the document was refused, with its line
    int version = 0;    // 10 or 11 by the namespace; 0 for a gpx root without one
    std::int64_t skippedPoints = 0;
    // Some name or description had a comma or line end turned into a blank.
    bool textsBlanked = false;
};

// Reads the file at `path`. On a refusal (not XML, truncated, not GPX, too
// deep, entity amplification) the sink has seen what came before the fault:
// callers that must change nothing on failure collect first.
GpxReadResult ReadGpxFile(const std::string& path, GpxSink& sink);
// The same over a document in memory.
GpxReadResult ReadGpxText(std::string_view text, GpxSink& sink);

// A coordinate attribute as GPX allows it: a decimal number, optional sign,
// surrounding blanks; false for anything else.
bool ParseGpxDecimal(std::string_view text, double& value);

}  // namespace mw
