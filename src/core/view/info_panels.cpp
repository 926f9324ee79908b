#include "view/info_panels.h"

#include <cmath>

#include "support/text.h"
#include "view/colours.h"

namespace mw {

namespace {

constexpr double kNotKnown = -777;
constexpr double kMetresPerFoot = 0.30480370641307;
constexpr int kBold = 700;
constexpr int kNormal = 400;
constexpr int kSmallFont = 11;
constexpr int kValueFont = 24;
constexpr int kLargeAltitudeFont = 18;
constexpr int kNameFontBottom = 16;
constexpr int kNavValueFontRight = 18;

void Label(Canvas& c, int x, int y, const std::string& text, int height = kPanelLabelFont) {
    c.Text({x, y}, text, height, kNormal, kBlack, kWhite, false);
}
void Value(Canvas& c, int x, int y, const std::string& text, int height) {
    c.Text({x, y}, text, height, kBold, kBlack, kWhite, false);
}

double DisplayedAltitude(double altitudeFeet, int altitudeUnit) {
    return altitudeUnit == 0 ? altitudeFeet * kMetresPerFoot : altitudeFeet;
}

const char* FixLetter(int quality) {
    switch (quality) {
        case 0:
            return "0";
        case 1:
            return "G";
        case 2:
            return "D";
        default:
            return nullptr;
    }
}

void DrawSpeedBottom(Canvas& c, const SpeedPanelInputs& s, Rect a) {
    const int h = a.bottom, x = a.left;
    Label(c, x + 3, h - 16, "Spd");
    Label(c, x + 86, h - 16, "Hdg");
    Label(c, x + 170, h - 16, "Alt");
    Label(c, x + 86, h - 25, s.headingMagnetic ? "Mag" : "True", kSmallFont);
    c.SetPen(kBlack, 1);
    c.Line({a.left, h - 25}, {a.right, h - 25});
    Value(c, x + 28, h - 23, SpeedText(s.speed, PanelLayout::Bottom), kValueFont);
    if (s.heading != kNotKnown) Value(c, x + 111, h - 23, HeadingText(s.heading), kValueFont);
    if (s.altitudeFeet != kNotKnown) {
        std::string alt = AltitudeText(s.altitudeFeet, s.altitudeUnit, PanelLayout::Bottom);
        // Five digits do not fit beside the heading in the large font.
        if (DisplayedAltitude(s.altitudeFeet, s.altitudeUnit) > 9999)
            Value(c, x + 191, h - 18, alt, kLargeAltitudeFont);
        else
            Value(c, x + 191, h - 23, alt, kValueFont);
    }
}

void DrawSpeedRight(Canvas& c, const SpeedPanelInputs& s, Rect a) {
    const int l = a.left, t = a.top;
    Label(c, l + 4, t + 9, "Speed");
    Label(c, l + 4, t + 33, s.headingMagnetic ? "Heading (M)" : "Heading (T)");
    Label(c, l + 4, t + 59, "Altitude");
    Value(c, l + 51, t + 2, SpeedText(s.speed, PanelLayout::Right), kValueFont);
    if (s.heading != kNotKnown) Value(c, l + 51, t + 26, HeadingText(s.heading), kValueFont);
    if (s.altitudeFeet != kNotKnown)
        Value(c, l + 51, t + 52, AltitudeText(s.altitudeFeet, s.altitudeUnit, PanelLayout::Right),
              kValueFont);
    c.SetPen(kBlack, 1);
    c.Line({l, t + kRightSpeedPanelHeight}, {a.right, t + kRightSpeedPanelHeight});
}

void DrawNavigationBottom(Canvas& c, const NavigationPanelInputs& n, Rect a, int offset) {
    const int base = a.bottom - offset;
    int x = a.left + 2;
    c.SetPen(kBlack, 1);
    if (!n.navigating) {
        Label(c, x, base - 21, "Not Navigating");
    } else {
        // Each item follows the previous one by its measured width.
        auto next = [&](const std::string& text, int font, int weight, int y, int gap) {
            c.Text({x, y}, text, font, weight, kBlack, kWhite, false);
            x += c.TextWidth(text, font, weight) + gap;
        };
        next("To", kPanelLabelFont, kNormal, base - 16, 6);
        next(n.name, kNameFontBottom, kBold, base - 19, 6);
        next("Dst", kPanelLabelFont, kNormal, base - 16, 3);
        next(n.distance, kValueFont, kBold, base - 23, 2);
        next(n.unit, kPanelLabelFont, kNormal, base - 16, 3);
        next("Brg", kPanelLabelFont, kNormal, base - 16, 3);
        next(n.bearing, kValueFont, kBold, base - 23, 0);
    }
    c.Line({a.left, base - 25}, {a.right, base - 25});
}

void DrawNavigationRight(Canvas& c, const NavigationPanelInputs& n, Rect a, int offset) {
    const int l = a.left, t = a.top + offset;
    if (!n.navigating) {
        Label(c, l + 4, t + 4, "Not Navigating");
        return;
    }
    auto valueWithUnit = [&](int y, const std::string& value, const std::string& unit) {
        Value(c, l + 51, y, value, kNavValueFontRight);
        if (unit.empty()) return;
        int w = c.TextWidth(value, kNavValueFontRight, kBold);
        Label(c, l + 51 + w + 2, y + 3, unit);
    };
    Label(c, l + 4, t + 4, "To");
    Value(c, l + 51, t + 1, n.name, kNavValueFontRight);
    Label(c, l + 4, t + 26, "Dist");
    valueWithUnit(t + 23, n.distance, n.unit);
    Label(c, l + 4, t + 52, "Bearing");
    valueWithUnit(t + 49, n.bearing, "tr");
}

}  // namespace

std::string StatusFixText(const StatusLineInputs& in) {
    if (!in.followingGps) return {};
    if (in.pvtMode) return "PVT";
    std::string text;
    if (in.showGpsFix) {
        const char* letter = FixLetter(in.fixQuality);
        text = (letter ? std::string(letter) : Format("%d", in.fixQuality)) +
               Format("-%d", in.satellitesInUse);
    }
    if (in.showDgpsSecs) text += (text.empty() ? "" : "-") + Format("%d", in.dgpsAge);
    return text;
}

void DrawStatusLine(Canvas& canvas, const StatusLineInputs& in, Rect strip) {
    canvas.FillRect(strip, kWhite);
    const int y = strip.bottom - 15;
    Label(canvas, strip.left + 2, y, in.note.empty() ? in.positionText : in.note);
    std::string fix = StatusFixText(in);
    if (!fix.empty())
        Label(canvas, strip.right - 43 - canvas.TextWidth(fix, kPanelLabelFont, kNormal), y, fix);
    Label(canvas, strip.right - 38, y, in.gpsState);
    canvas.SetPen(kBlack, 1);
    canvas.Line({strip.left, strip.bottom - 1}, {strip.right, strip.bottom - 1});
}

std::string SpeedText(double speed, PanelLayout layout) {
    if (layout == PanelLayout::Right || !(speed < 10)) return Format("%.1f", speed);
    return Format("%.2f", speed);
}

std::string HeadingText(double heading) {
    return heading == kNotKnown ? std::string() : Format("%.1f", heading);
}

std::string AltitudeText(double altitudeFeet, int altitudeUnit, PanelLayout layout) {
    if (altitudeFeet == kNotKnown) return {};
    double v = DisplayedAltitude(altitudeFeet, altitudeUnit);
    return Format(layout == PanelLayout::Bottom ? "%.0f" : "%.1f", v);
}

int InfoPanelExtent(const InfoPanelInputs& in, PanelLayout layout) {
    int panels = (in.showSpeed ? 1 : 0) + (in.showNavigation ? 1 : 0);
    if (layout == PanelLayout::Right) return panels > 0 ? kRightPanelWidth : 0;
    return panels * kBottomPanelHeight;
}

void DrawInfoPanels(Canvas& canvas, const InfoPanelInputs& in, Rect area, PanelLayout layout) {
    if (!in.showSpeed && !in.showNavigation) return;
    canvas.FillRect(area, kWhite);
    if (layout == PanelLayout::Bottom) {
        if (in.showSpeed) DrawSpeedBottom(canvas, in.speed, area);
        if (in.showNavigation)
            DrawNavigationBottom(canvas, in.navigation, area, in.showSpeed ? kBottomPanelHeight : 0);
        return;
    }
    canvas.SetPen(kBlack, 1);
    canvas.Line({area.left, area.top}, {area.left, area.bottom});
    if (in.showSpeed) DrawSpeedRight(canvas, in.speed, area);
    if (in.showNavigation)
        DrawNavigationRight(canvas, in.navigation, area, in.showSpeed ? kRightSpeedPanelHeight : 0);
}

}  // namespace mw
