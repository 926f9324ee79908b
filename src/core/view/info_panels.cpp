#include "view/info_panels.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

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
void Value(Canvas& c, int x, int y, const std::string& text, int height, Rgb colour = kBlack) {
    c.Text({x, y}, text, height, kBold, colour, kWhite, false);
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

// Value fonts are tried from the largest down to this one; below it a
// value is left to overflow rather than become unreadable.
constexpr int kSmallestValueFont = 11;

// Top of a bold value of `font` pixels whose 24-pixel form stands at `y24`:
// smaller fonts move down so that the figures keep their baseline.
int ValueTop(int y24, int font) { return y24 + (kValueFont - font) * 5 / 6; }

// The widest of the texts in the given font: layouts are worked out for a
// wide sample value as well as the shown one, so that they do not jump
// while the numbers change.
int WidestOf(Canvas& c, const std::string& a, const std::string& b, int font, int weight) {
    return std::max(c.TextWidth(a, font, weight), b.empty() ? 0 : c.TextWidth(b, font, weight));
}

void DrawSpeedBottom(Canvas& c, const SpeedPanelInputs& s, Rect a) {
    const int h = a.bottom;
    const bool largeAltitude =
        s.altitudeFeet != kNotKnown && DisplayedAltitude(s.altitudeFeet, s.altitudeUnit) > 9999;
    struct Item {
        const char* label;
        int labelX, valueX;  // the places in a wide enough strip
        std::string value, sample;
    };
    const Item items[] = {
        {"Spd", 3, 28, SpeedText(s.speed, PanelLayout::Bottom), "00.00"},
        {"Hdg", 86, 111, HeadingText(s.heading), "000.0"},
        {"Alt", 170, 191, AltitudeText(s.altitudeFeet, s.altitudeUnit, PanelLayout::Bottom),
         largeAltitude ? "00000" : "0000"},
    };
    // Each label and value keeps its place unless the one before it reaches
    // there in the fonts in use; when the row does not fit the strip the
    // values take a smaller font.
    const std::string reference = s.headingMagnetic ? "Mag" : "True";
    // The trip stands after the altitude in two small lines: the distance
    // over the moving time.
    const std::string trip = s.tripDistance + " " + s.tripUnit;
    const int tripWidth =
        std::max({c.TextWidth(trip, kSmallFont, kNormal), c.TextWidth(s.movingTime, kSmallFont, kNormal),
                  c.TextWidth("000.00 km", kSmallFont, kNormal)});
    int labelX[3], valueX[3], tripX = a.left, font = kValueFont;
    for (;; --font) {
        int x = a.left;
        for (int i = 0; i < 3; ++i) {
            const int f = i == 2 && largeAltitude ? std::min(font, kLargeAltitudeFont) : font;
            labelX[i] = std::max(a.left + items[i].labelX, x);
            x = labelX[i] + c.TextWidth(items[i].label, kPanelLabelFont, kNormal) + 3;
            if (i == 1)
                x = std::max(x, labelX[i] + c.TextWidth(reference, kSmallFont, kNormal) + 1);
            valueX[i] = std::max(a.left + items[i].valueX, x);
            x = valueX[i] + WidestOf(c, items[i].value, items[i].sample, f, kBold) + 6;
        }
        tripX = x;
        if (x + tripWidth <= a.right - 2 || font <= kSmallestValueFont) break;
    }
    for (int i = 0; i < 3; ++i) Label(c, labelX[i], h - 16, items[i].label);
    // The heading's reference stands over its label.
    Label(c, labelX[1], h - 25, reference, kSmallFont);
    c.SetPen(kBlack, 1);
    c.Line({a.left, h - 25}, {a.right, h - 25});
    for (int i = 0; i < 3; ++i) {
        if (items[i].value.empty()) continue;
        // Five altitude digits do not fit beside the heading in the large font.
        const int f = i == 2 && largeAltitude ? std::min(font, kLargeAltitudeFont) : font;
        Value(c, valueX[i], ValueTop(h - 23, f), items[i].value, f,
              i == 0 ? SpeedColour(s.speedShade) : kBlack);
    }
    Label(c, tripX, h - 24, trip, kSmallFont);
    Label(c, tripX, h - 12, s.movingTime, kSmallFont);
}

// One line of the right column: a label and its value, with an optional
// unit after the value; `sample` is a wide value the layout allows for.
struct ColumnRow {
    std::string label, value, unit, sample;
    int labelY, valueY;  // offsets from the panel top when side by side
    Rgb colour = kBlack;  // of the value
};

// Draws the rows of a right-column panel starting at `top` and returns the
// panel's bottom. Values stand right of the widest label when every row
// fits the column that way; otherwise each value goes on its own line under
// its label, in a smaller font where even that line is too narrow.
int DrawColumnRows(Canvas& c, Rect a, int top, const std::vector<ColumnRow>& rows, int font,
                   int insideHeight) {
    const int l = a.left, right = a.right - 2;
    int labels = 0;
    for (const ColumnRow& r : rows)
        labels = std::max(labels, c.TextWidth(r.label, kPanelLabelFont, kNormal));
    const int valueX = l + std::max(51, 4 + labels + 6);
    auto unitWidth = [&](const ColumnRow& r) {
        return r.unit.empty() ? 0 : 2 + c.TextWidth(r.unit, kPanelLabelFont, kNormal);
    };
    bool sideBySide = true;
    for (const ColumnRow& r : rows)
        if (valueX + WidestOf(c, r.value, r.sample, font, kBold) + unitWidth(r) > right)
            sideBySide = false;
    auto value = [&](int x, int y, const ColumnRow& r, int f) {
        if (r.value.empty()) return;
        Value(c, x, y, r.value, f, r.colour);
        if (!r.unit.empty())
            Label(c, x + c.TextWidth(r.value, f, kBold) + 2, y + (f - kPanelLabelFont) * 3 / 5,
                  r.unit);
    };
    if (sideBySide) {
        for (const ColumnRow& r : rows) {
            Label(c, l + 4, top + r.labelY, r.label);
            value(valueX, top + r.valueY, r, font);
        }
        return top + insideHeight;
    }
    int y = top + 3;
    for (const ColumnRow& r : rows) {
        Label(c, l + 4, y, r.label);
        y += c.TextHeight(r.label, kPanelLabelFont, kNormal);
        const int x = l + 10;
        int f = font;
        while (f > kSmallestValueFont &&
               x + WidestOf(c, r.value, r.sample, f, kBold) + unitWidth(r) > right)
            --f;
        value(x, y, r, f);
        y += c.TextHeight(r.sample.empty() ? r.value : r.sample, f, kBold) + 2;
    }
    return y + 1;
}

int DrawSpeedRight(Canvas& c, const SpeedPanelInputs& s, Rect a) {
    const std::vector<ColumnRow> rows = {
        {"Speed", SpeedText(s.speed, PanelLayout::Right), "", "000.0", 9, 2,
         SpeedColour(s.speedShade)},
        {s.headingMagnetic ? "Heading (M)" : "Heading (T)", HeadingText(s.heading), "", "000.0", 33,
         26},
        {"Altitude", AltitudeText(s.altitudeFeet, s.altitudeUnit, PanelLayout::Right), "", "0000.0",
         59, 52},
    };
    const int speedBottom = DrawColumnRows(c, a, a.top, rows, kValueFont, kRightSpeedPanelHeight);
    // The trip under the fix's values, in the navigation panel's value font.
    const std::vector<ColumnRow> tripRows = {
        {"Trip", s.tripDistance, s.tripUnit, "000.00", 4, 1},
        {"Moving", s.movingTime, "", "00:00:00", 26, 23},
    };
    const int bottom = DrawColumnRows(c, a, speedBottom, tripRows, kNavValueFontRight, 48);
    c.SetPen(kBlack, 1);
    c.Line({a.left, bottom}, {a.right, bottom});
    return bottom - a.top;
}

void DrawNavigationBottom(Canvas& c, const NavigationPanelInputs& n, Rect a, int offset) {
    const int base = a.bottom - offset;
    c.SetPen(kBlack, 1);
    if (!n.navigating) {
        Label(c, a.left + 2, base - 21, "Not Navigating");
    } else {
        // Each item follows the previous one by its measured width; a row too
        // long for the strip takes smaller value fonts.
        struct Item {
            std::string text;
            bool value;
            int gap;
        };
        const Item items[] = {{"To", false, 6},      {n.name, true, 6},  {"Dst", false, 3},
                              {n.distance, true, 2}, {n.unit, false, 3}, {"Brg", false, 3},
                              {n.bearing, true, 0}};
        auto nameFont = [](int font) { return std::min(font, kNameFontBottom); };
        int font = kValueFont;
        for (;; --font) {
            int x = a.left + 2;
            for (std::size_t i = 0; i < std::size(items); ++i) {
                const int f = !items[i].value ? kPanelLabelFont : i == 1 ? nameFont(font) : font;
                x += c.TextWidth(items[i].text, f, items[i].value ? kBold : kNormal) + items[i].gap;
            }
            if (x <= a.right - 2 || font <= kSmallestValueFont) break;
        }
        int x = a.left + 2;
        for (std::size_t i = 0; i < std::size(items); ++i) {
            const Item& it = items[i];
            int f = kPanelLabelFont, y = base - 16;
            if (i == 1) {
                f = nameFont(font);
                y = base - 19 + (kNameFontBottom - f) * 5 / 6;
            } else if (it.value) {
                f = font;
                y = ValueTop(base - 23, f);
            }
            const int weight = it.value ? kBold : kNormal;
            // The distance and bearing grey when measured from an old position.
            const Rgb colour = it.value && i != 1 && n.stale ? kStaleTextColour : kBlack;
            c.Text({x, y}, it.text, f, weight, colour, kWhite, false);
            x += c.TextWidth(it.text, f, weight) + it.gap;
        }
    }
    c.Line({a.left, base - 25}, {a.right, base - 25});
}

void DrawNavigationRight(Canvas& c, const NavigationPanelInputs& n, Rect a, int offset) {
    const int t = a.top + offset;
    if (!n.navigating) {
        Label(c, a.left + 4, t + 4, "Not Navigating");
        return;
    }
    const Rgb measured = n.stale ? kStaleTextColour : kBlack;
    const std::vector<ColumnRow> rows = {
        {"To", n.name, "", "", 4, 1},
        {"Dist", n.distance, n.unit, "000.00", 26, 23, measured},
        {"Bearing", n.bearing, "tr", "000.0", 52, 49, measured},
    };
    DrawColumnRows(c, a, t, rows, kNavValueFontRight, 0);
}

}  // namespace

Rgb SpeedColour(SpeedShade shade) {
    switch (shade) {
        case SpeedShade::AboveMax:
            return kSpeedAboveMaxColour;
        case SpeedShade::BelowMin:
            return kSpeedBelowMinColour;
        case SpeedShade::Normal:
            break;
    }
    return kBlack;
}

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
    if (in.note.empty())
        canvas.Text({strip.left + 2, y}, in.positionText, kPanelLabelFont, kNormal,
                    in.positionStale ? kStaleTextColour : kBlack, kWhite, false);
    else
        Label(canvas, strip.left + 2, y, in.note);
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
            DrawNavigationBottom(canvas, in.navigation, area,
                                 in.showSpeed ? kBottomPanelHeight : 0);
        return;
    }
    canvas.SetPen(kBlack, 1);
    canvas.Line({area.left, area.top}, {area.left, area.bottom});
    const int speedHeight = in.showSpeed ? DrawSpeedRight(canvas, in.speed, area) : 0;
    if (in.showNavigation) DrawNavigationRight(canvas, in.navigation, area, speedHeight);
}

}  // namespace mw
