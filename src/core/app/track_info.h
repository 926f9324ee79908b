// The "Track Info" window's core: which track it measures (the track on the
// map, the track log being recorded, or a file the user picks), the figures
// as the window lists them in the user's units, and showing a point of the
// track on the map.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "geo/datums.h"
#include "support/text.h"
#include "track/track_stats.h"

namespace mw {

inline constexpr const char* kTrackInfoTitle = "Track Info";
inline constexpr const char* kTrackInfoOpenTitle = "Open Track for Track Info";

enum class TrackInfoSource {
    Map,   // the track ring: positions only
    Log,   // "ceTrack.plt" in the data folder: every recorded fix with time and height
    File,  // a track file or GPX the user chose
};

struct TrackInfoTrack {
    TrackInfoSource source = TrackInfoSource::Map;
    std::string path;  // the log or the file (empty for the map's track)
    std::vector<TrackPoint> points;
    int datum = kDatumWgs84;  // what the points are on
    Ellipsoid ellipsoid;
    // Why the track could not be read, as the window says it; empty when read.
    std::string problem;
};

// The log while the moving map runs and the log has points, the map's track
// otherwise.
TrackInfoSource DefaultTrackInfoSource(const App& app);

// Reads the track of `source` (`filePath` for File).
TrackInfoTrack LoadTrackInfo(const App& app, TrackInfoSource source,
                             const std::string& filePath = {});

struct TrackInfoLine {
    std::string label, value;
};
// The figures as the window lists them, in the "Speed Unit", "Distance
// Unit" and "Altitude Unit" of `settings`; times in UTC. A track without
// times says so in place of the time figures.
std::vector<TrackInfoLine> TrackInfoLines(const TrackStats& stats, const AppSettings& settings);

// One sample of a profile as the window's read-out line shows it: its place
// along the track and its value ("2.35 km: 312 m").
std::string ProfileSampleText(const TrackProfile& profile, const ProfileSample& sample,
                              const AppSettings& settings);

// Centres the map on point `point` of the track (moved to the map's datum),
// where the cursor cross then marks it; see CentreOnPosition for when this
// does nothing. False when there is no such point or no map.
bool ShowTrackPointOnMap(App& app, const TrackInfoTrack& track, int point);

}  // namespace mw
