#include "view/scale_bar.h"

#include <cmath>

#include "config/settings.h"
#include "support/text.h"
#include "view/colours.h"

namespace mw {

namespace {

constexpr double kMetricSteps[] = {1,      2,      5,      10,      20,      50,
                                   100,    200,    500,    1000,    2000,    5000,
                                   10000,  20000,  50000,  100000,  200000,  500000,
                                   1e6,    2e6,    5e6,    1e7};
constexpr double kFeetSteps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500};
// Miles or nautical miles. The series keeps its 1-2-5 rhythm through 5.
constexpr double kLongSteps[] = {0.2,  0.5,  1,    2,    5,     10,    20,    50,
                                 100,  200,  500,  1000, 2000,  5000,  10000, 20000,
                                 50000};

constexpr double kFeetPerMetre = 3.28083;
constexpr double kMetresPerMile = 1609;
constexpr double kMetresPerNauticalMile = 1852;
constexpr double kMinimumPixels = 30;
constexpr double kMaximumPixels = 10000;

ScaleBar Finish(double step, double pixels, std::string label) {
    if (!(pixels <= kMaximumPixels)) return {};
    return ScaleBar{static_cast<int>(std::trunc(pixels + 0.5)), step, std::move(label)};
}

}  // namespace

ScaleBar ChooseScaleBar(int distanceUnit, double zoomDivisor, double metresPerPixel) {
    if (!(zoomDivisor > 0) || !(metresPerPixel > 0) || !std::isfinite(zoomDivisor) ||
        !std::isfinite(metresPerPixel))
        return {};
    if (distanceUnit == 0) {
        for (double m : kMetricSteps) {
            double px = m / zoomDivisor / metresPerPixel;
            if (px > kMinimumPixels)
                return Finish(m, px, m < 1000 ? Format("%.0f m", m) : Format("%.0f Km", m / 1000));
        }
        return {};
    }
    for (double ft : kFeetSteps) {
        double px = ft / zoomDivisor / (metresPerPixel * kFeetPerMetre);
        if (px > kMinimumPixels) return Finish(ft, px, Format("%.0f ft", ft));
    }
    const bool nautical = distanceUnit == 2;
    const double unitsPerPixel =
        metresPerPixel / (nautical ? kMetresPerNauticalMile : kMetresPerMile);
    const char* unit = nautical ? "nm" : "m";
    for (double d : kLongSteps) {
        double px = d / zoomDivisor / unitsPerPixel;
        if (px > kMinimumPixels)
            return Finish(d, px, d < 1 ? Format("%.1f %s", d, unit) : Format("%.0f %s", d, unit));
    }
    return {};
}

int ScaleWindowWidth(const ScaleBar& bar) { return 3 * bar.length + 2; }

void DrawScaleBar(Canvas& canvas, const ScaleBar& bar, int width, int height) {
    canvas.FillRect({0, 0, width, height}, kWhite);
    const int l = bar.length;
    if (l <= 0) return;
    const int top = 1, bottom = height - 1;
    canvas.FillRect({1, top, l + 1, bottom}, kBlack);
    canvas.FillRect({l + 1, top, 2 * l + 1, bottom}, kWhite);
    canvas.FillRect({2 * l + 1, top, 3 * l - 1, bottom}, kBlack);
    canvas.Text({l + 2, 0}, bar.label, 12, 400, kBlack, kWhite, true);
}

bool ToggleScaleCaption(bool captionShown, int screenX, int screenY, ViewSettings& view) {
    view.scalePosX = screenX;
    view.scalePosY = screenY;
    return !captionShown;
}

}  // namespace mw
