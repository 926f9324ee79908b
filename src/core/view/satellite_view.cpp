#include "view/satellite_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/text.h"
#include "view/colours.h"

namespace mw {

namespace {

constexpr Rgb kSkyBackground{20, 20, 120};
constexpr Rgb kTextBackground{250, 250, 170};
constexpr Rgb kSkyDisc{180, 190, 240};
constexpr Rgb kTrackedLabel{60, 60, 150};
constexpr Rgb kUntrackedLabel{255, 0, 0};
constexpr Rgb kBarTrough{224, 224, 224};
constexpr Rgb kBarFill{0, 0, 160};
constexpr int kFont = 13;
constexpr int kLabelFont = 11;
constexpr int kNormal = 400;
constexpr int kStars = 70;

int Star(const StarRandom& random, int extent) {
    int r = std::clamp(random ? random() : 0, 0, 32767);
    return static_cast<int>(std::trunc(r / 32767.0 * extent));
}

void DrawSky(Canvas& c, const StarRandom& random) {
    c.SetPen(kWhite, 1);
    for (int i = 0; i < kStars; ++i) {
        int x = Star(random, kSkyWidth), y = Star(random, kSkyHeight - 1);
        c.Line({x, y}, {x + 1, y + 1});
        x = Star(random, kSkyWidth);
        y = Star(random, kSkyHeight - 1);
        c.Line({x - 1, y}, {x + 2, y});
        c.Line({x, y - 1}, {x, y + 2});
    }
    c.SetBrush(kSkyDisc);
    c.Ellipse({14, 19, 116, 121});
    c.SetBrush(kWhite, true);
    c.Ellipse({48, 53, 82, 87});
    c.Ellipse({31, 36, 99, 104});
    c.Line({11, 70}, {119, 70});
    c.Line({65, 16}, {65, 124});
    const int w = c.TextWidth("N", kFont, kNormal), h = c.TextHeight("N", kFont, kNormal);
    c.Text({kSkyCentre.x - w / 2, 9 - h}, "N", kFont, kNormal, kWhite, kSkyBackground, false);
}

void DrawBar(Canvas& c, const SkySatellite& s, int y, int width) {
    c.Text({kBarLabelLeft, y}, s.label, kFont, kNormal, kBlack, kWhite, true);
    const int right = std::max(kBarLeft + 10, width - 4);
    c.FillRect({kBarLeft, y + 1, right, y + kBarRowHeight - 2}, kBarTrough);
    const int snr = std::clamp(s.snr, 0, kBarFullSnr);
    const int fill = (right - kBarLeft) * snr / kBarFullSnr;
    if (fill > 0) c.FillRect({kBarLeft, y + 1, kBarLeft + fill, y + kBarRowHeight - 2}, kBarFill);
}

}  // namespace

Point SkyPosition(int elevation, int azimuth) {
    const double a = (azimuth + 90) * std::numbers::pi / 180;
    const double r = (elevation - 90) * 0.5;
    return {kSkyCentre.x + static_cast<int>(std::trunc(r * std::cos(a))),
            kSkyCentre.y + static_cast<int>(std::trunc(r * std::sin(a)))};
}

int SatelliteBarsHeight(int count) { return 1 + kBarRowHeight * std::max(0, count) + 1; }

void DrawSatellitesView(Canvas& c, const SatelliteViewInputs& in, int width, int height,
                        int barScroll, const StarRandom& random) {
    if (in.pvtMode || !in.dataReceived) {
        c.FillRect({0, 0, width, height}, kWhite);
        c.Text({5, 7}, in.pvtMode ? kNotAvailableWithPvt : kWaitingForSentence, kFont, kNormal,
               kBlack, kWhite, false);
        return;
    }
    c.FillRect({kSkyWidth, 0, std::max(width, kSkyWidth), height}, kWhite);
    c.FillRect({0, 0, kSkyWidth, kSkyHeight}, kSkyBackground);
    c.FillRect({0, kSkyHeight, kSkyWidth, std::max(height, kSkyHeight)}, kTextBackground);
    DrawSky(c, random);

    c.Text({6, 134}, "Sats in Use", kFont, kNormal, kBlack, kTextBackground, false);
    c.Text({78, 134}, Format(": %02d", in.satellitesInUse), kFont, kNormal, kBlack,
           kTextBackground, false);
    c.Text({6, 148}, "HDOP", kFont, kNormal, kBlack, kTextBackground, false);
    c.Text({78, 148}, Format(": %04.1f", in.hdop), kFont, kNormal, kBlack, kTextBackground,
           false);

    for (std::size_t i = 0; i < in.satellites.size(); ++i) {
        const SkySatellite& s = in.satellites[i];
        const int y = 1 + kBarRowHeight * static_cast<int>(i) - barScroll;
        if (y + kBarRowHeight > 0 && y < height) DrawBar(c, s, y, width);
        if (!s.positionKnown) continue;
        const Point p = SkyPosition(s.elevation, s.azimuth);
        const int w = c.TextWidth(s.label, kLabelFont, kNormal);
        const int h = c.TextHeight(s.label, kLabelFont, kNormal);
        c.Text({p.x - w / 2, p.y - h / 2}, s.label, kLabelFont, kNormal, kWhite,
               s.snr != 0 ? kTrackedLabel : kUntrackedLabel, true);
    }
}

}  // namespace mw
