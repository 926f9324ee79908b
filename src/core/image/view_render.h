// Filling the map window's view bitmap from an open map image, and building
// a whole level as one bitmap for the overview window.
//
// The viewport keeps one ImageFile and one ViewImage per shown map and calls
// RenderView whenever the view corner, the zoom or the window size changes.
// Nothing here shows a message: a damaged file is reported as an ImageFault
// (one per call) whose fixed text (ImageFaultMessage) the caller shows, and
// the view keeps the picture and palette it had: a view is drawn into a spare
// bitmap and only swapped in when it is complete.
#pragma once

#include <optional>
#include <string>

#include "image/bitmap.h"
#include "image/image_file.h"

namespace mw {

// The window wraps `bitmap` with `palette` as an 8-bit indexed image. The
// buffer is swapped with `spare` by every successful render, so the wrapper
// is made again after each one (it costs nothing: no pixels are copied).
struct ViewImage {
    // The map window's client size; the view bitmap is made this size. The
    // viewport sets it (at open and on a resize) before it renders.
    int clientWidth = 0, clientHeight = 0;
    IndexedBitmap bitmap;  // the view, clientWidth × clientHeight, top-down
    DisplayPalette palette{};
    int backgroundIndex = 0;  // palette index nearest to white
    IndexedBitmap spare;      // where the next view is drawn
};

// The level percentage a zoom divisor shows on a tiled image: 100 ÷ divisor
// rounded to a multiple of 0.1, the divisor taken as 1 when it is below 1
// (magnification is done when painting).
double LevelPercentForDivisor(double zoomDivisor);

// Fills `view.bitmap` with the part of the image whose top-left corner is
// (`left`, `top`), in pixels of the level that `zoomDivisor` selects (tiled
// format; image pixels per screen pixel) or in image pixels ÷ the whole
// divisor (strip format, every n-th row and pixel). `width` or `height` 0
// (or more than the client size) mean the client width or height. Where the
// view lies outside the image it shows `backgroundIndex`.
//
// On a tiled image a change of level selects the level, empties the cache
// and takes the level's palette into `view.palette`. False with `fault` set
// when the file is damaged; the view is then unchanged. False with no fault,
// and the file closed, when the view bitmap cannot be made (a client size
// that is not positive or too large). `fault` is None after a success.
bool RenderView(ImageFile& file, ViewImage& view, double zoomDivisor, int top, int height, int left,
                int width, ImageFault& fault);

struct OpenedView {
    ImageFile file;
    ViewImage view;
    // Tiled: level 0's size; strip: the image's size.
    int imageWidth = 0, imageHeight = 0;
};

// Opens a map image for the map window: view bitmap of clientWidth ×
// clientHeight with the image's display palette, filled with the view
// centred on the image at `zoomDivisor`. None when the file cannot be
// opened, is damaged in its headers (`fault` says how), or the bitmap cannot
// be made. A damaged tile or row in the first view sets `fault` and leaves
// that view empty (background), but the image is open.
std::optional<OpenedView> OpenViewImage(const std::string& path, double zoomDivisor,
                                        int halfViewWidth, int halfViewHeight, int clientWidth,
                                        int clientHeight, ImageFault& fault);

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
