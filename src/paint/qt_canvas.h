// The Canvas port drawn with QPainter.
#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <optional>

#include "ports/canvas.h"
#include "paint/label_cache.h"

namespace mw {

class QtCanvas : public Canvas {
public:
    // Opaque labels come from `labels` (the thread's cache unless given;
    // null draws every text directly). A canvas is one paint.
    explicit QtCanvas(QPainter& painter, LabelCache* labels = &LabelCache::ForThisThread());
    void SetPen(Rgb colour, int width, bool none) override;
    void SetBrush(Rgb colour, bool hollow) override;
    void Line(Point from, Point to) override;
    void Lines(const Point* ends, std::size_t segments) override;
    void Polyline(const std::vector<Point>& points) override;
    void Polygon(const std::vector<Point>& points) override;
    void Ellipse(Rect box) override;
    void FillRect(Rect rect, Rgb colour) override;
    void Image(const CanvasImage& image, Rect source, Rect target) override;
    void Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
              Rgb background, bool opaque) override;
    void Figure(Point at, Rect bounds, std::uint64_t key,
                const std::function<void(Canvas&, Point)>& draw) override;
    bool Picture(Rect box, const std::string& path) override;
    int TextWidth(const std::string& text, int fontHeight, int fontWeight) override;
    int TextHeight(const std::string& text, int fontHeight, int fontWeight) override;

private:
    struct FontEntry {
        int height, weight;
        QFont font;
        QFontMetrics metrics;
        std::uint32_t id;  // LabelCache::FontId
        std::string key;   // QFont::key, for the measured widths
    };
    const FontEntry& FontFor(int fontHeight, int fontWeight);
    void DrawText(const FontEntry& f, QPoint at, const QString& text, int width, Rgb colour,
                  Rgb background, bool opaque);
    QPainter& p_;
    LabelCache* labels_;
    std::optional<FontEntry> font_;
    // What was last selected, so that a layer setting the same pen or brush
    // for every item does not make the paint engine rebuild its state each time.
    struct PenState {
        Rgb colour;
        int width;
        bool none;
        bool operator==(const PenState&) const = default;
    };
    struct BrushState {
        Rgb colour;
        bool hollow;
        bool operator==(const BrushState&) const = default;
    };
    std::optional<PenState> pen_;
    // Wider lines than this are rare enough to leave to Qt's stroker.
    static constexpr int kMaxDotWidth = 64;
    std::optional<BrushState> brush_;
};

// The canvas image as a QImage sharing its pixels (valid while they are);
// null for an empty one.
QImage WrapCanvasImage(const CanvasImage& image);

// Text from a file as the user should read it: UTF-8 when it is valid UTF-8,
// otherwise Latin-1 (files from the handheld are 8-bit).
QString DisplayText(const std::string& bytes);

}  // namespace mw
