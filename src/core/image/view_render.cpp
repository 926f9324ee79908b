#include "image/view_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace mw {

namespace {

// Result of drawing one view.
enum class DrawResult { Ok, Fault, NoBitmap };

// Makes `bitmap` width × height filled with `fill`, reusing its memory when
// the size has not changed (the common case: every pan of the same window).
bool PrepareBitmap(IndexedBitmap& bitmap, int width, int height, std::uint8_t fill) {
    if (bitmap.width == width && bitmap.height == height && !bitmap.pixels.empty()) {
        std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), fill);
        return true;
    }
    return CreateIndexedBitmap(bitmap, width, height, fill);
}

std::int64_t Tenths(double percent) {
    return static_cast<std::int64_t>(std::trunc(percent / 0.1 + 0.5));
}

// The visible part of a view in level pixels: [x0, x1) × [y0, y1).
struct Span {
    std::int64_t x0, x1, y0, y1;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Span VisiblePart(std::int64_t left, std::int64_t top, int width, int height, std::int64_t shownW,
                 std::int64_t shownH) {
    return Span{std::max<std::int64_t>(left, 0), std::min<std::int64_t>(left + width, shownW),
                std::max<std::int64_t>(top, 0), std::min<std::int64_t>(top + height, shownH)};
}

// Selects the level that `zoomDivisor` shows, when the view's level
// percentage changes. The level and the percentage it was chosen for change
// together or not at all: a view that fails after the level changed must
// not leave the old percentage on the new level, or the next view at the old
// percentage would be drawn from the wrong level. The cache belongs to one
// level, so it is emptied when another level is read.
bool PrepareLevel(ImageFile& f, double zoomDivisor) {
    double percent = LevelPercentForDivisor(zoomDivisor);
    if (Tenths(percent) == Tenths(f.currentLevelPercent)) return true;
    int level = FindLevel(f, percent);
    if (level != f.level) {
        if (!SelectLevel(f, level)) return false;
        EmptyTileCache(f.cache);
    }
    f.currentLevelPercent = percent;
    return true;
}

// Fetches tile (c, r) through the cache and copies its part of `vis` into
// `dest`, whose top-left is level pixel (left, top).
ImageFault CopyTile(ImageFile& f, IndexedBitmap& dest, int c, int r, std::int64_t left,
                    std::int64_t top, const Span& vis) {
    if (f.cache.Size() == 0) return ImageFault::LoadTile;
    const int index = f.tilesX * r + c;
    int slot = FindCachedTile(f.cache, index);
    if (slot < 0) {
        slot = ChooseVictim(f.cache);
        ClearSlot(f.cache, slot);
        if (!ReadTile(f, index, f.cache.Buffer(slot))) return ImageFault::ReadTile;
        AssignSlot(f.cache, slot, index);
    }
    TouchSlot(f.cache, slot);

    const std::int64_t tileX = std::int64_t{c} * kTileEdge, tileY = std::int64_t{r} * kTileEdge;
    const std::int64_t x0 = std::max(vis.x0, tileX), x1 = std::min(vis.x1, tileX + kTileEdge);
    const std::int64_t y0 = std::max(vis.y0, tileY), y1 = std::min(vis.y1, tileY + kTileEdge);
    const std::uint8_t* tile = f.cache.Buffer(slot);
    for (std::int64_t y = y0; y < y1; ++y) {
        // Tiles are stored bottom row first.
        const std::uint8_t* src = tile + (kTileEdge - 1 - (y - tileY)) * kTileEdge + (x0 - tileX);
        std::memcpy(dest.Row(static_cast<int>(y - top)) + (x0 - left), src,
                    static_cast<std::size_t>(x1 - x0));
    }
    return ImageFault::None;
}

DrawResult DrawTiled(ImageFile& f, ViewImage& view, double zoomDivisor, int top, int height,
                     int left, int width, ImageFault& fault) {
    if (!PrepareLevel(f, zoomDivisor)) {
        fault = ImageFault::LoadTiles;
        return DrawResult::Fault;
    }
    const DisplayPalette palette = MakeDisplayPalette(f.palette);
    const int background = BackgroundIndex(palette);
    if (!PrepareBitmap(view.spare, view.clientWidth, view.clientHeight,
                       static_cast<std::uint8_t>(background))) {
        return DrawResult::NoBitmap;
    }
    // A bigger window needs more slots; if the memory is not there the cache
    // works on with the slots it has.
    GrowTileCache(f.cache, TileCacheSlotsFor(view.clientWidth, view.clientHeight));

    const Span vis =
        VisiblePart(left, top, width, height, f.ShownLevelWidth(), f.ShownLevelHeight());
    if (!vis.Empty()) {
        const int c0 = static_cast<int>(vis.x0 / kTileEdge);
        const int c1 = static_cast<int>((vis.x1 - 1) / kTileEdge);
        const int r0 = static_cast<int>(vis.y0 / kTileEdge);
        const int r1 = static_cast<int>((vis.y1 - 1) / kTileEdge);
        LockTileRange(f.cache, f.tilesX, c0, c1, r0, r1);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                fault = CopyTile(f, view.spare, c, r, left, top, vis);
                if (fault != ImageFault::None) return DrawResult::Fault;
            }
        }
    }
    std::swap(view.bitmap, view.spare);
    view.palette = palette;
    view.backgroundIndex = background;
    return DrawResult::Ok;
}

// Whole-number step of the strip format: every step-th row and pixel.
std::int64_t StripStep(double zoomDivisor) {
    if (!(zoomDivisor >= 1)) return 1;
    return static_cast<std::int64_t>(std::min(zoomDivisor, double(1 << 20)));
}

inline std::uint8_t PixelOf(const std::uint8_t* row, std::int64_t x, int bits) {
    switch (bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 2:
            return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        default:
            return row[x];
    }
}

DrawResult DrawStrips(ImageFile& f, ViewImage& view, double zoomDivisor, int top, int height,
                      int left, int width, ImageFault& fault) {
    const DisplayPalette palette = MakeDisplayPalette(f.palette);
    const int background = BackgroundIndex(palette);
    if (!PrepareBitmap(view.spare, view.clientWidth, view.clientHeight,
                       static_cast<std::uint8_t>(background))) {
        return DrawResult::NoBitmap;
    }
    // Columns x with step × x inside the image, and likewise rows; the last
    // partial step of columns is dropped, a partial step of rows is shown.
    const std::int64_t step = StripStep(zoomDivisor);
    const Span vis = VisiblePart(left, top, width, height, f.width / step,
                                 (std::int64_t{f.height} + step - 1) / step);
    if (!vis.Empty()) {
        const int bits = f.bitsPerPixel;
        const std::int64_t firstByte = step * vis.x0 * bits / 8;
        const std::int64_t lastByte = step * (vis.x1 - 1) * bits / 8;
        std::vector<std::uint8_t> row(static_cast<std::size_t>(f.RowBytes()));
        for (std::int64_t y = vis.y0; y < vis.y1; ++y) {
            const std::int64_t source = step * y;
            if (!ReadRow(f, static_cast<int>(source), row.data(), firstByte, lastByte)) {
                fault = ImageFault::ReadStrip;
                return DrawResult::Fault;
            }
            std::uint8_t* dst = view.spare.Row(static_cast<int>(y - top)) + (vis.x0 - left);
            if (bits == 8 && step == 1) {
                std::memcpy(dst, row.data() + vis.x0, static_cast<std::size_t>(vis.x1 - vis.x0));
            } else {
                for (std::int64_t x = vis.x0; x < vis.x1; ++x) {
                    *dst++ = PixelOf(row.data(), step * x, bits);
                }
            }
        }
    }
    std::swap(view.bitmap, view.spare);
    view.palette = palette;
    view.backgroundIndex = background;
    return DrawResult::Ok;
}

}  // namespace

double LevelPercentForDivisor(double zoomDivisor) {
    double z = zoomDivisor >= 1 && std::isfinite(zoomDivisor) ? zoomDivisor : 1.0;
    return static_cast<double>(Tenths(100.0 / z)) * 0.1;
}

bool RenderView(ImageFile& file, ViewImage& view, double zoomDivisor, int top, int height, int left,
                int width, ImageFault& reported) {
    reported = ImageFault::None;
    if (!file.IsOpen()) return false;
    if (width <= 0 || width > view.clientWidth) width = view.clientWidth;
    if (height <= 0 || height > view.clientHeight) height = view.clientHeight;

    ImageFault fault = ImageFault::None;
    DrawResult result;
    try {
        result = file.IsTiled()
                     ? DrawTiled(file, view, zoomDivisor, top, height, left, width, fault)
                     : DrawStrips(file, view, zoomDivisor, top, height, left, width, fault);
    } catch (const std::bad_alloc&) {
        result = DrawResult::Fault;
        fault = file.IsTiled() ? ImageFault::LoadTiles : ImageFault::LoadStrips;
    }
    switch (result) {
        case DrawResult::Ok:
            return true;
        case DrawResult::NoBitmap:
            CloseImageFile(file);
            return false;
        case DrawResult::Fault:
            reported = fault;
            return false;
    }
    return false;
}

std::optional<OpenedView> OpenViewImage(const std::string& path, double zoomDivisor,
                                        int halfViewWidth, int halfViewHeight, int clientWidth,
                                        int clientHeight, ImageFault& fault) {
    fault = ImageFault::None;
    std::optional<ImageFile> file = OpenImageFile(path, &fault);
    if (!file) return std::nullopt;
    OpenedView out;
    out.file = std::move(*file);
    ImageFile& f = out.file;
    ViewImage& view = out.view;
    out.imageWidth = f.IsTiled() ? f.ShownLevelWidth() : f.width;
    out.imageHeight = f.IsTiled() ? f.ShownLevelHeight() : f.height;
    view.clientWidth = clientWidth;
    view.clientHeight = clientHeight;
    view.palette = MakeDisplayPalette(f.palette);
    view.backgroundIndex = BackgroundIndex(view.palette);
    if (!CreateIndexedBitmap(view.bitmap, clientWidth, clientHeight,
                             static_cast<std::uint8_t>(view.backgroundIndex))) {
        return std::nullopt;
    }

    // Centre the view on the image as the level (or strip step) in use has it.
    std::int64_t shownW, shownH;
    if (f.IsTiled()) {
        if (!PrepareLevel(f, zoomDivisor)) {
            fault = ImageFault::LoadTiles;
            return out;
        }
        shownW = f.ShownLevelWidth();
        shownH = f.ShownLevelHeight();
    } else {
        std::int64_t step = StripStep(zoomDivisor);
        shownW = f.width / step;
        shownH = f.height / step;
    }
    int left = static_cast<int>(shownW / 2 - halfViewWidth);
    int top = static_cast<int>(shownH / 2 - halfViewHeight);
    if (!RenderView(f, view, zoomDivisor, top, 0, left, 0, fault) && !f.IsOpen()) {
        return std::nullopt;
    }
    return out;
}

std::optional<LevelImage> BuildLevelImage(const std::string& path, int level, ImageFault& fault) {
    fault = ImageFault::None;
    std::optional<ImageFile> file = OpenImageFile(path, &fault);
    if (!file) return std::nullopt;
    ImageFile& f = *file;
    if (!f.IsTiled()) return std::nullopt;
    if (!SelectLevel(f, level)) {
        fault = ImageFault::LoadTiles;
        return std::nullopt;
    }
    LevelImage out;
    out.colourTable = f.palette;
    out.palette = MakeDisplayPalette(f.palette);
    const int w = f.ShownLevelWidth(), h = f.ShownLevelHeight();
    if (!CreateIndexedBitmap(out.bitmap, w, h,
                             static_cast<std::uint8_t>(BackgroundIndex(out.palette)))) {
        return std::nullopt;
    }
    std::uint8_t tile[kTileBytes];
    for (int r = 0; r * kTileEdge < h; ++r) {
        for (int c = 0; c * kTileEdge < w; ++c) {
            if (!ReadTile(f, f.tilesX * r + c, tile)) {
                fault = ImageFault::ReadTile;
                return std::nullopt;
            }
            const int x0 = c * kTileEdge, y0 = r * kTileEdge;
            const int cols = std::min(kTileEdge, w - x0), rows = std::min(kTileEdge, h - y0);
            for (int k = 0; k < rows; ++k) {
                std::memcpy(out.bitmap.Row(y0 + k) + x0, tile + (kTileEdge - 1 - k) * kTileEdge,
                            static_cast<std::size_t>(cols));
            }
        }
    }
    return out;
}

}  // namespace mw
