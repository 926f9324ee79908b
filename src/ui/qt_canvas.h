// The Canvas port drawn with QPainter.
#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <optional>

#include "ports/canvas.h"

namespace mw {

class QtCanvas : public Canvas {
public:
    explicit QtCanvas(QPainter& painter) : p_(painter) {}
    void SetPen(Rgb colour, int width, bool none) override;
    void SetBrush(Rgb colour, bool hollow) override;
    void Line(Point from, Point to) override;
    void Polyline(const std::vector<Point>& points) override;
    void Polygon(const std::vector<Point>& points) override;
    void Ellipse(Rect box) override;
    void FillRect(Rect rect, Rgb colour) override;
    void Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
              Rgb background, bool opaque) override;
    int TextWidth(const std::string& text, int fontHeight, int fontWeight) override;
    int TextHeight(const std::string& text, int fontHeight, int fontWeight) override;

private:
    struct FontEntry {
        int height, weight;
        QFont font;
        QFontMetrics metrics;
    };
    const FontEntry& FontFor(int fontHeight, int fontWeight);
    QPainter& p_;
    std::optional<FontEntry> font_;
};

// Text from a file as the user should read it: UTF-8 when it is valid UTF-8,
// otherwise Latin-1 (files from the handheld are 8-bit).
QString DisplayText(const std::string& bytes);

}  // namespace mw
