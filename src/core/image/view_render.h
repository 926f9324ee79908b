// Filling the map window's view bitmap from an open map image, and building
// a whole level as one bitmap for the overview window.
//
// The viewport keeps one ImageFile and one ViewImage per shown map and calls
// RenderView whenever the view corner, the zoom or the window size changes.
// Nothing here shows a message: a damaged file is reported as an ImageFault
// (one per call) whose text (ImageFaultText) the caller shows. A damaged
// tile or row shows as background in a view that is otherwise drawn; damage
// that leaves no view to draw (a level that cannot be selected) keeps the
// picture and palette the view had: a view is drawn into a spare bitmap and
// only swapped in when it is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/bitmap.h"
#include "image/image_file.h"

namespace mw {

// How a view holds its pixels. The map window takes Display32: the palette
// is expanded once, while the tile rows are copied, so a paint is a plain
// copy and repainting an unchanged view converts nothing. It costs 4 bytes a
// pixel instead of 1 (twice over, with the spare). Indexed8 keeps the palette
// indices, for tools that write them out again.
enum class ViewFormat { Indexed8, Display32 };

// What the shown view was drawn from, so that the next render of a view that
// only moved keeps the pixels still on screen and draws only what it uncovers.
struct ViewContent {
    bool valid = false;
    std::uint64_t file = 0;  // ImageFile::serial
    ViewFormat format = ViewFormat::Indexed8;
    int level = 0;
    std::int64_t percentTenths = 0;  // tiled: the level percentage in tenths
    std::int64_t step = 1;           // strip: every step-th pixel
    std::int64_t left = 0, top = 0;  // the corner in level pixels
    int width = 0, height = 0;       // the part that shows the image
    friend bool operator==(const ViewContent&, const ViewContent&) = default;
};

// The view and the buffer the next one is drawn into. Every successful
// render swaps the two, so the window wraps the shown buffer again after
// each one (it costs nothing: no pixels are copied).
struct ViewImage {
    explicit ViewImage(ViewFormat f = ViewFormat::Indexed8) : format(f) {}

    // The map window's client size; the view bitmap is made this size. The
    // viewport sets it (at open and on a resize) before it renders.
    int clientWidth = 0, clientHeight = 0;
    ViewFormat format;
    IndexedBitmap bitmap;  // Indexed8: the view, clientWidth × clientHeight, top-down
    RgbBitmap display;     // Display32: the view as 0xffRRGGBB pixels
    DisplayPalette palette{};
    int backgroundIndex = 0;  // palette index nearest to white
    IndexedBitmap spare;      // where the next view is drawn (Indexed8)
    RgbBitmap spareDisplay;   // likewise (Display32)
    ViewContent content;      // of the shown view; not valid before the first render

    int Width() const { return format == ViewFormat::Indexed8 ? bitmap.width : display.width; }
    int Height() const { return format == ViewFormat::Indexed8 ? bitmap.height : display.height; }
    bool Empty() const {
        return format == ViewFormat::Indexed8 ? bitmap.Empty() : display.Empty();
    }
};

// The level percentage a zoom divisor shows on a tiled image: 100 ÷ divisor
// rounded to a multiple of 0.1, the divisor taken as 1 when it is below 1
// (magnification is done when painting).
double LevelPercentForDivisor(double zoomDivisor);

// Fills the view (`bitmap` or `display`, as its format says) with the part of the image whose top-left corner is
// (`left`, `top`), in pixels of the level that `zoomDivisor` selects (tiled
// format; image pixels per screen pixel) or in image pixels ÷ the whole
// divisor (strip format, every n-th row and pixel). `width` or `height` 0
// (or more than the client size) mean the client width or height. Where the
// view lies outside the image it shows `backgroundIndex`.
//
// On a tiled image a change of level selects the level, empties the cache
// and takes the level's palette into `view.palette`. A view that moved by
// less than its size on the same level keeps the pixels that stay in sight
// and reads only the tiles or rows of the part it uncovers. A tile or row
// that cannot be read or inflated is drawn as background, and the view is
// shown with `fault` saying the first such damage (true is returned). False
// with `fault` set when the level of a tiled file cannot be selected; the
// view is then unchanged. False with no fault, and the file closed, when the
// view bitmap cannot be made (a client size that is not positive or too
// large). `fault` is None after an undamaged render.
bool RenderView(ImageFile& file, ViewImage& view, double zoomDivisor, int top, int height, int left,
                int width, ImageFault& fault);

struct OpenedView {
    ImageFile file;
    ViewImage view;
    // Tiled: level 0's size; strip: the image's size.
    int imageWidth = 0, imageHeight = 0;
};

// Opens a map image for the map window: view bitmap of clientWidth ×
// clientHeight in `format` with the image's display palette, filled with the view
// centred on the image at `zoomDivisor`. None when the file cannot be
// opened, is damaged in its headers (`fault` says how), or the bitmap cannot
// be made. A damaged tile or row in the first view sets `fault` and leaves
// that view empty (background), but the image is open.
std::optional<OpenedView> OpenViewImage(const std::string& path, double zoomDivisor,
                                        int halfViewWidth, int halfViewHeight, int clientWidth,
                                        int clientHeight, ImageFault& fault,
                                        ViewFormat format = ViewFormat::Indexed8);

struct LevelImage {
    IndexedBitmap bitmap;  // the whole level, top-down
    ColourTable colourTable{};
    DisplayPalette palette{};
};

// A whole level (0 .. levelCount, or -1 for the last, smallest one) of a
// tiled image as one bitmap, read tile by tile without the cache. None for a
// strip-format image or one that cannot be opened (fault None), and for a
// damaged file (`fault` says how).
std::optional<LevelImage> BuildLevelImage(const std::string& path, int level, ImageFault& fault);

}  // namespace mw
