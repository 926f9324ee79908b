// The "View Satellites" picture: a sky plot of the satellites in view (north
// up, the horizon 45 pixels from the centre) with their labels, the number
// of satellites in use and the HDOP under it, and one signal bar per visible
// satellite right of it. The bar strip grows with the number of satellites;
// the window scrolls it when it is taller than the window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ports/canvas.h"

namespace mw {

inline constexpr const char* kNotAvailableWithPvt = "Not available with PVT";
inline constexpr const char* kWaitingForSentence = "Waiting for CSV sentence";

// Plot geometry in pixels of the view's client area.
inline constexpr int kSkyWidth = 130;
inline constexpr int kSkyHeight = 134;
inline constexpr Point kSkyCentre{65, 70};
inline constexpr int kBarRowHeight = 13;
inline constexpr int kBarLabelLeft = 136;
inline constexpr int kBarLeft = 170;
// Signal bars run from 0 to this SNR.
inline constexpr int kBarFullSnr = 60;
// The smallest client size that shows the plot, its texts and a few bars.
inline constexpr int kSatelliteViewWidth = 280;
inline constexpr int kSatelliteViewHeight = 165;

struct SkySatellite {
    std::string label;  // "G12": system letter and PRN
    int elevation = 0, azimuth = 0, snr = 0;
    bool positionKnown = true;  // plotted only when the receiver gave its place
};

struct SatelliteViewInputs {
    bool pvtMode = false;       // Garmin PVT input: no satellites to show
    bool dataReceived = false;  // a complete set has arrived since the view opened
    int satellitesInUse = 0;
    double hdop = 0;
    std::vector<SkySatellite> satellites;  // the visible ones, in bar order
};

// Centre of a satellite's label in the plot: the offset from the plot
// centre is trunc((elevation − 90) × cos(azimuth + 90°) × 0.5) across and
// trunc((elevation − 90) × sin(azimuth + 90°) × 0.5) down.
Point SkyPosition(int elevation, int azimuth);

// Where a satellite's label of `width` × `height` goes: centred on its
// plot position `at` when that box is free, else the nearest free place
// around it inside the plot, away from the centre first. `taken` are the
// boxes already placed (labels and the "N").
Rect PlaceSkyLabel(Point at, int width, int height, const std::vector<Rect>& taken);

// Height of the bar strip for `count` bars.
int SatelliteBarsHeight(int count);

// Random numbers 0..32767 for the stars of the sky.
using StarRandom = std::function<int()>;

// Draws the view into a client area `width` × `height`; the bar strip is
// drawn scrolled up by `barScroll` pixels.
void DrawSatellitesView(Canvas& canvas, const SatelliteViewInputs& in, int width, int height,
                        int barScroll, const StarRandom& random);

}  // namespace mw
