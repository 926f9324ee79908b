// Drawing primitives for the overlays, info panels, scale bar, overview and
// satellite view. Coordinates are pixels of the window drawn into, y down.
// The Qt layer draws with QPainter; tests record the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mw {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Pixels a canvas copies: rows of `stride` bytes, either opaque 0xffRRGGBB
// words or 8-bit indices into `palette` (0xAARRGGBB, `paletteSize` entries).
// The caller keeps the pixels alive for the call.
struct CanvasImage {
    enum class Format { Rgb32, Indexed8 };
    Format format = Format::Rgb32;
    const std::uint8_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
    const std::uint32_t* palette = nullptr;
    int paletteSize = 0;
    bool Empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // Pen for lines and outlines; width 0 draws a hairline, `none` no outline.
    virtual void SetPen(Rgb colour, int width, bool none = false) = 0;
    // Brush for filled shapes; `hollow` leaves shapes unfilled.
    virtual void SetBrush(Rgb colour, bool hollow = false) = 0;
    virtual void Line(Point from, Point to) = 0;
    // Separate segments in the current pen, as Line for each in turn; one
    // call lets a painter set up its line drawing once for all of them.
    virtual void Lines(const Point* ends, std::size_t segments) {
        for (std::size_t i = 0; i < segments; ++i) Line(ends[2 * i], ends[2 * i + 1]);
    }
    virtual void Polyline(const std::vector<Point>& points) = 0;
    virtual void Polygon(const std::vector<Point>& points) = 0;
    virtual void Ellipse(Rect box) = 0;
    virtual void FillRect(Rect rect, Rgb colour) = 0;
    // The `source` part of `image` drawn over `target`, scaled to fit it
    // pixel by pixel (no smoothing), without the current pen or brush.
    virtual void Image(const CanvasImage& image, Rect source, Rect target) = 0;
    // Text with its top-left corner at `at`. `opaque` fills the text box with
    // the background colour first.
    virtual void Text(Point at, const std::string& text, int fontHeight, int fontWeight, Rgb colour,
                      Rgb background, bool opaque) = 0;
    // A figure drawn many times alike, such as a proximity zone: `draw`
    // draws it with its own pen and brush around the point it is given, all
    // within `bounds` of that point. Its pixels must not depend on where it
    // is drawn (the caller passes only non-negative window coordinates), so
    // a canvas may keep them under `key` and copy them instead of drawing
    // again. Pen and brush are unknown afterwards.
    virtual void Figure(Point at, Rect bounds, std::uint64_t key,
                        const std::function<void(Canvas&, Point)>& draw) {
        (void)bounds;
        (void)key;
        draw(*this, at);
    }
    // The picture file at `path` (a waypoint symbol) scaled into `box`.
    // False when the canvas cannot draw it; the caller then draws a figure.
    virtual bool Picture(Rect box, const std::string& path) { return (void)box, (void)path, false; }
    virtual int TextWidth(const std::string& text, int fontHeight, int fontWeight) = 0;
    virtual int TextHeight(const std::string& text, int fontHeight, int fontWeight) = 0;
};

}  // namespace mw
