#include "app/logo.h"

#include <algorithm>
#include <cmath>

namespace mw {

void PaintStartupLogo(Canvas& canvas, int width, int height) {
    const Rgb white{255, 255, 255}, paper{236, 230, 206}, fold{214, 205, 170}, ink{40, 52, 70},
        red{200, 40, 40}, green{70, 130, 80}, blue{60, 110, 170};
    canvas.FillRect(Rect{0, 0, width, height}, white);
    int size = std::min(width, height) * 2 / 5;
    if (size < 40) return;
    int cx = width / 2, cy = height / 2 - size / 6;

    // A map sheet folded in three, slightly skewed like paper on a table.
    int w = size, h = size * 3 / 4;
    int left = cx - w / 2, top = cy - h / 2;
    canvas.SetPen(ink, 2);
    for (int i = 0; i < 3; ++i) {
        int x0 = left + i * w / 3, x1 = left + (i + 1) * w / 3;
        int skew = (i % 2 == 0) ? size / 16 : 0;
        canvas.SetBrush(i == 1 ? fold : paper);
        canvas.Polygon({{x0, top + skew},
                        {x1, top + size / 16 - skew},
                        {x1, top + h + size / 16 - skew},
                        {x0, top + h + skew}});
    }
    // A track across the sheet and a lake.
    canvas.SetPen(red, 3);
    canvas.Polyline({{left + w / 10, top + h * 3 / 4},
                     {left + w / 3, top + h / 2},
                     {left + w / 2, top + h * 2 / 3},
                     {left + w * 4 / 5, top + h / 4}});
    canvas.SetPen(blue, 1);
    canvas.SetBrush(blue);
    canvas.Ellipse(
        Rect{left + w * 3 / 5, top + h * 3 / 5, left + w * 3 / 5 + w / 6, top + h * 3 / 5 + h / 8});
    canvas.SetPen(green, 1);
    canvas.SetBrush(green);
    canvas.Ellipse(Rect{left + w / 8, top + h / 6, left + w / 8 + w / 7, top + h / 6 + h / 7});

    // Compass rose in the upper right corner of the sheet.
    int r = size / 6;
    int rx = left + w - r, ry = top + r / 2;
    canvas.SetPen(ink, 1);
    canvas.SetBrush(white);
    canvas.Ellipse(Rect{rx - r, ry - r, rx + r, ry + r});
    canvas.SetBrush(red);
    canvas.Polygon({{rx, ry - r}, {rx + r / 4, ry}, {rx - r / 4, ry}});
    canvas.SetBrush(ink);
    canvas.Polygon({{rx, ry + r}, {rx + r / 4, ry}, {rx - r / 4, ry}});

    const std::string name = "Mapwanderer";
    int fontHeight = std::max(12, size / 6);
    int tw = canvas.TextWidth(name, fontHeight, 700);
    canvas.Text(Point{cx - tw / 2, top + h + size / 8}, name, fontHeight, 700, ink, white, false);
    const std::string hint = "Open a map with File > Open Map File";
    int hh = std::max(10, fontHeight / 2);
    int hw = canvas.TextWidth(hint, hh, 400);
    canvas.Text(Point{cx - hw / 2, top + h + size / 8 + fontHeight * 3 / 2}, hint, hh, 400, ink,
                white, false);
}

}  // namespace mw
