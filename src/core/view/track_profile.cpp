#include "view/track_profile.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "support/text.h"

namespace mw {

namespace {

constexpr Rgb kPaper{255, 255, 255};
constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kGrid{200, 200, 200};
constexpr Rgb kLine{0, 0, 200};
constexpr Rgb kMark{220, 0, 0};
constexpr int kFontWeight = 400;

bool DistanceInKm(double range) { return range >= 2000; }
bool TimeInHours(double range) { return range >= 7200; }

struct Range {
    double lo, hi;
};

Range SampleRange(const TrackProfile& p, bool xAxis) {
    Range r{HUGE_VAL, -HUGE_VAL};
    for (const ProfileSample& s : p.samples) {
        const double v = xAxis ? s.x : s.y;
        r.lo = std::min(r.lo, v);
        r.hi = std::max(r.hi, v);
    }
    return r;
}

// The axis value in the unit its labels use.
double Scale(const TrackProfile& p, bool xAxis, double range) {
    if (!xAxis) return 1;
    if (p.xAxis == ProfileX::Distance) return DistanceInKm(range) ? 1000 : 1;
    return TimeInHours(range) ? 3600 : 60;
}

// A tick step of 1, 2 or 5 times a power of ten giving at most `most` steps.
double NiceStep(double range, int most) {
    if (!(range > 0)) return 1;
    const double raw = range / std::max(most, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

std::string Label(double value, double step) {
    const int decimals = step >= 1 ? 0 : std::min(3, static_cast<int>(std::ceil(-std::log10(step))));
    std::string text = Format("%.*f", decimals, value);
    if (text == "-0") text = "0";
    return text;
}

}  // namespace

std::string EmptyProfileText(const TrackProfile& profile) {
    if (profile.yAxis == ProfileY::Elevation) {
        if (profile.xAxis == ProfileX::Time) return "No heights with times in this track";
        return "No heights in this track";
    }
    return "No times in this track";
}

std::string ProfileXUnit(const TrackProfile& profile) {
    const Range r = SampleRange(profile, true);
    const double range = profile.samples.empty() ? 0 : r.hi - r.lo;
    if (profile.xAxis == ProfileX::Distance) return DistanceInKm(range) ? "km" : "m";
    return TimeInHours(range) ? "h" : "min";
}

std::string ProfileYUnit(const TrackProfile& profile) {
    return profile.yAxis == ProfileY::Elevation ? "m" : "km/h";
}

ProfileLayout DrawTrackProfile(Canvas& canvas, Rect area, const TrackProfile& profile,
                               std::optional<std::size_t> marked, int fontHeight) {
    ProfileLayout layout;
    canvas.FillRect(area, kPaper);
    if (profile.samples.empty() || area.Width() < 40 || area.Height() < 30) {
        const std::string text = EmptyProfileText(profile);
        const int w = canvas.TextWidth(text, fontHeight, kFontWeight);
        canvas.Text({area.left + std::max(0, (area.Width() - w) / 2),
                     area.top + (area.Height() - fontHeight) / 2},
                    text, fontHeight, kFontWeight, kInk, kPaper, false);
        layout.plot = Rect{area.left, area.top, area.left, area.top};
        return layout;
    }

    // Ranges: x from the first to the last sample; y padded so the line
    // never runs along the frame, speed and a flat line starting from 0.
    const Range xr = SampleRange(profile, true);
    Range yr = SampleRange(profile, false);
    if (profile.yAxis == ProfileY::Speed) yr.lo = 0;
    if (yr.hi - yr.lo < 1) {
        yr.hi += 0.5;
        yr.lo -= 0.5;
        if (profile.yAxis == ProfileY::Speed) yr.lo = 0, yr.hi = std::max(yr.hi, 1.0);
    }
    const double xScale = Scale(profile, true, xr.hi - xr.lo);
    const double yStep = NiceStep(yr.hi - yr.lo, area.Height() > 150 ? 5 : 3);
    layout.yMin = std::floor(yr.lo / yStep) * yStep;
    layout.yMax = std::ceil(yr.hi / yStep) * yStep;
    if (layout.yMax <= layout.yMin) layout.yMax = layout.yMin + yStep;
    layout.xMin = xr.lo;
    layout.xMax = xr.hi > xr.lo ? xr.hi : xr.lo + 1;

    // Room for the y labels on the left, the x labels and unit below.
    const std::string xUnit = ProfileXUnit(profile), yUnit = ProfileYUnit(profile);
    int labelWidth = canvas.TextWidth(yUnit, fontHeight, kFontWeight);
    for (double v = layout.yMin; v <= layout.yMax + yStep / 2; v += yStep)
        labelWidth = std::max(labelWidth, canvas.TextWidth(Label(v, yStep), fontHeight, kFontWeight));
    const int pad = 4;
    Rect plot{area.left + labelWidth + 2 * pad, area.top + fontHeight + pad,
              area.right - pad - canvas.TextWidth(xUnit, fontHeight, kFontWeight) / 2,
              area.bottom - fontHeight - 2 * pad};
    if (plot.Width() < 10 || plot.Height() < 10) plot = Rect{area.left, area.top, area.right, area.bottom};
    layout.plot = plot;

    auto px = [&](double x) {
        return plot.left + static_cast<int>(std::lround((x - layout.xMin) / (layout.xMax - layout.xMin) *
                                                        (plot.Width() - 1)));
    };
    auto py = [&](double y) {
        return plot.bottom - 1 -
               static_cast<int>(std::lround((y - layout.yMin) / (layout.yMax - layout.yMin) *
                                            (plot.Height() - 1)));
    };

    // Grid and labels.
    canvas.SetPen(kGrid, 0);
    for (double v = layout.yMin; v <= layout.yMax + yStep / 2; v += yStep) {
        const int y = py(v);
        canvas.Line({plot.left, y}, {plot.right - 1, y});
        const std::string text = Label(v, yStep);
        canvas.Text({plot.left - pad - canvas.TextWidth(text, fontHeight, kFontWeight),
                     y - fontHeight / 2},
                    text, fontHeight, kFontWeight, kInk, kPaper, false);
    }
    const double xRangeUnits = (layout.xMax - layout.xMin) / xScale;
    const int xTicksMost = std::max(2, plot.Width() / 60);
    const double xStep = NiceStep(xRangeUnits, xTicksMost);
    const double xFirst = std::ceil(layout.xMin / xScale / xStep) * xStep;
    for (double v = xFirst; v * xScale <= layout.xMax + 1e-9; v += xStep) {
        const int x = px(v * xScale);
        canvas.SetPen(kGrid, 0);
        canvas.Line({x, plot.top}, {x, plot.bottom - 1});
        const std::string text = Label(v, xStep);
        const int w = canvas.TextWidth(text, fontHeight, kFontWeight);
        canvas.Text({std::clamp(x - w / 2, area.left, area.right - w), plot.bottom + pad}, text,
                    fontHeight, kFontWeight, kInk, kPaper, false);
    }
    // Units: y above its labels, x at the right end below the axis.
    canvas.Text({area.left + pad, area.top}, yUnit, fontHeight, kFontWeight, kInk, kPaper, false);
    canvas.Text({area.right - canvas.TextWidth(xUnit, fontHeight, kFontWeight) - 1, area.top},
                xUnit, fontHeight, kFontWeight, kInk, kPaper, false);

    // Frame.
    canvas.SetPen(kInk, 0);
    canvas.SetBrush(kPaper, true);
    canvas.Polyline({{plot.left, plot.top},
                     {plot.left, plot.bottom - 1},
                     {plot.right - 1, plot.bottom - 1}});

    // The line, one polyline per unbroken run.
    canvas.SetPen(kLine, 2);
    std::vector<Point> run;
    auto flush = [&] {
        if (run.size() == 1) run.push_back(run.front());
        if (!run.empty()) canvas.Polyline(run);
        run.clear();
    };
    for (const ProfileSample& s : profile.samples) {
        if (s.gapBefore) flush();
        const Point p{px(s.x), py(s.y)};
        if (run.empty() || run.back() != p) run.push_back(p);
    }
    flush();

    if (marked && *marked < profile.samples.size()) {
        const ProfileSample& s = profile.samples[*marked];
        const int x = px(s.x), y = py(s.y);
        canvas.SetPen(kMark, 1);
        canvas.Line({x, plot.top}, {x, plot.bottom - 1});
        canvas.SetBrush(kMark);
        canvas.Ellipse(Rect{x - 3, y - 3, x + 4, y + 4});
    }
    return layout;
}

std::optional<double> ProfileValueAt(const ProfileLayout& layout, int x) {
    if (layout.plot.Width() <= 1) return std::nullopt;
    const int cx = std::clamp(x, layout.plot.left, layout.plot.right - 1);
    return layout.xMin +
           static_cast<double>(cx - layout.plot.left) / (layout.plot.Width() - 1) * (layout.xMax - layout.xMin);
}

}  // namespace mw
