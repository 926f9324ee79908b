// The profile graph of a track: height or speed against distance or time,
// one line with its axes, drawn through the Canvas so that the Track Info
// window and `mwtool track profile` draw the same picture.
#pragma once

#include <optional>
#include <string>

#include "ports/canvas.h"
#include "track/track_stats.h"

namespace mw {

// Where the graph went: the plot area inside the axes and the value ranges
// it shows, for turning a tap back into a place along the track.
struct ProfileLayout {
    Rect plot;  // empty when there is nothing to plot
    double xMin = 0, xMax = 1;
    double yMin = 0, yMax = 1;
};

// "No heights in this track" or "No times in this track" when the profile
// has no samples for its axes.
std::string EmptyProfileText(const TrackProfile& profile);

// The unit text of an axis ("km", "m", "h", "min", "km/h"), chosen by the
// range the axis shows: distance in km from 2 km on, time in hours from two
// hours on.
std::string ProfileXUnit(const TrackProfile& profile);
std::string ProfileYUnit(const TrackProfile& profile);

// Draws the graph into `area` (white, axes and grid in grey and black, tick
// labels in a `fontHeight` pixel font, the line in blue and broken where
// the track is), or the empty text in its middle. `marked`, an index into
// the samples, is drawn as a red upright line with a dot: the point the
// user tapped.
ProfileLayout DrawTrackProfile(Canvas& canvas, Rect area, const TrackProfile& profile,
                               std::optional<std::size_t> marked = std::nullopt,
                               int fontHeight = 11);

// The axis value under window x `x` (clamped to the plot); nullopt for an
// empty layout.
std::optional<double> ProfileValueAt(const ProfileLayout& layout, int x);

}  // namespace mw
