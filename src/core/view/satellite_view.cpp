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
    c.Text({78, 134}, Format(": %02d", in.satellitesInUse), kFont, kNormal, kBlack, kTextBackground,
           false);
    c.Text({6, 148}, "HDOP", kFont, kNormal, kBlack, kTextBackground, false);
    c.Text({78, 148}, Format(": %04.1f", in.hdop), kFont, kNormal, kBlack, kTextBackground, false);

    // The bars first, then the labels: a label's place depends on those
    // placed before it.
    for (std::size_t i = 0; i < in.satellites.size(); ++i) {
        const int y = 1 + kBarRowHeight * static_cast<int>(i) - barScroll;
        if (y + kBarRowHeight > 0 && y < height) DrawBar(c, in.satellites[i], y, width);
    }
    const int nw = c.TextWidth("N", kFont, kNormal), nh = c.TextHeight("N", kFont, kNormal);
    std::vector<Rect> taken{{kSkyCentre.x - nw / 2, 9 - nh, kSkyCentre.x - nw / 2 + nw, 9}};
    for (const SkySatellite& s : in.satellites) {
        if (!s.positionKnown) continue;
        const Point p = SkyPosition(s.elevation, s.azimuth);
        const int w = c.TextWidth(s.label, kLabelFont, kNormal);
        const int h = c.TextHeight(s.label, kLabelFont, kNormal);
        const Rect box = PlaceSkyLabel(p, w, h, taken);
        taken.push_back(box);
        const Rgb background = s.snr != 0 ? kTrackedLabel : kUntrackedLabel;
        if (box.left != p.x - w / 2 || box.top != p.y - h / 2) {
            // Moved off its place: a dot keeps the place visible.
            c.FillRect({p.x - 1, p.y - 1, p.x + 2, p.y + 2}, background);
        }
        c.Text({box.left, box.top}, s.label, kLabelFont, kNormal, kWhite, background, true);
    }
}

Rect PlaceSkyLabel(Point at, int width, int height, const std::vector<Rect>& taken) {
    auto boxAt = [&](int cx, int cy) {
        return Rect{cx - width / 2, cy - height / 2, cx - width / 2 + width,
                    cy - height / 2 + height};
    };
    auto free = [&](const Rect& r) {
        if (r.left < 0 || r.top < 0 || r.right > kSkyWidth || r.bottom > kSkyHeight) return false;
        return std::none_of(taken.begin(), taken.end(), [&](const Rect& t) {
            return r.left < t.right && t.left < r.right && r.top < t.bottom && t.top < r.bottom;
        });
    };
    const Rect centred = boxAt(at.x, at.y);
    if (free(centred)) return centred;
    // Nearer places first; at each distance the direction away from the
    // plot centre first, so a crowded zenith spreads outwards, then the
    // others turning both ways from it.
    const double outward = (at.x == kSkyCentre.x && at.y == kSkyCentre.y)
                               ? 0
                               : std::atan2(at.y - kSkyCentre.y, at.x - kSkyCentre.x);
    constexpr int kDirections = 16;
    for (int distance = 3; distance <= kSkyWidth / 2; distance += 3) {
        for (int k = 0; k < kDirections; ++k) {
            const int turn = (k + 1) / 2 * (k % 2 == 0 ? 1 : -1);
            const double a = outward + turn * 2 * std::numbers::pi / kDirections;
            const Rect r = boxAt(at.x + static_cast<int>(std::lround(distance * std::cos(a))),
                                 at.y + static_cast<int>(std::lround(distance * std::sin(a))));
            if (free(r)) return r;
        }
    }
    return centred;  // no free place: overlap rather than lose the label
}

}  // namespace mw
