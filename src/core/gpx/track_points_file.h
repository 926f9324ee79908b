// A whole track read from a file for measuring it: a track file (".plt",
// the track log included) or the tracks of a GPX document, with each
// point's height and time where the file has them. Unlike the loaders of the
// track ring there is no 999-point limit, and the positions stay on the
// file's datum so that they are measured on its ellipsoid.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "support/text.h"
#include "track/track_file.h"
#include "track/track_stats.h"

namespace mw {

// At most this many points are kept (about 60 bytes each); a longer track
// is cut and says so.
inline constexpr std::size_t kMaxMeasuredPoints = 2'000'000;

struct TrackPointsRead {
    // Whether the file could be read and why not; `content` "not a track
    // file" for a track file without point lines, or a GPX document that is
    // not one.
    ReadOutcome outcome;
    std::string gpxError;  // a GPX document's refusal, with its line
    std::vector<TrackPoint> points;
    int datum = kDatumWgs84;  // what the positions are on (GPX: WGS 84)
    // The file held more than was read (the byte budget of a track file,
    // or kMaxMeasuredPoints).
    bool cut = false;
    std::int64_t skippedPoints = 0;  // positions missing, not numbers or off the globe
};

// Whether `path` names a GPX document (by its extension, any case).
bool IsGpxPath(const std::string& path);

// Reads the track of `path`: a GPX document when IsGpxPath says so (every
// trk and trkseg starts a segment; heights in metres), a track file
// otherwise (line 2 the datum; a point with flag 1, and the first point,
// starts a segment; heights from feet, -777 none; a track log line's date
// and time). Only the first `maxBytes` bytes of a track file are read.
TrackPointsRead ReadTrackPointsFile(const std::string& path, const DatumTable& datums,
                                    std::size_t maxBytes = kMaxTrackFileBytes);

}  // namespace mw
