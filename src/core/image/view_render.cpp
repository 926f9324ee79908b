#include "image/view_render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace mw {

namespace {

// Result of drawing one view.
enum class DrawResult { Ok, Fault, NoBitmap };

std::int64_t Tenths(double percent) {
    return static_cast<std::int64_t>(std::trunc(percent / 0.1 + 0.5));
}

// A rectangle of view pixels, or of level pixels: [x0, x1) × [y0, y1).
struct Span {
    std::int64_t x0, x1, y0, y1;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Span Intersect(const Span& a, const Span& b) {
    return Span{std::max(a.x0, b.x0), std::min(a.x1, b.x1), std::max(a.y0, b.y0),
                std::min(a.y1, b.y1)};
}

Span VisiblePart(std::int64_t left, std::int64_t top, int width, int height, std::int64_t shownW,
                 std::int64_t shownH) {
    return Span{std::max<std::int64_t>(left, 0), std::min<std::int64_t>(left + width, shownW),
                std::max<std::int64_t>(top, 0), std::min<std::int64_t>(top + height, shownH)};
}

// Where one render writes: the spare buffer in the view's format. Palette
// indices go in as they are (Indexed8) or as their colours (Display32).
class Target {
public:
    Target(ViewImage& view, const DisplayPalette& palette, int background)
        : view_(view), indexed_(view.format == ViewFormat::Indexed8) {
        argb_ = PaletteArgb(palette);
        background_ = static_cast<std::uint8_t>(background);
    }

    // Sizes the spare buffer to the client size, reusing its memory when the
    // size has not changed (every pan of the same window). Its pixels are
    // left as they are: every pixel is written by KeepShifted or Fill.
    bool Prepare() {
        const int w = view_.clientWidth, h = view_.clientHeight;
        if (indexed_) {
            IndexedBitmap& b = view_.spare;
            if (b.width == w && b.height == h && !b.Empty()) return true;
            return CreateIndexedBitmap(b, w, h, background_);
        }
        RgbBitmap& b = view_.spareDisplay;
        if (b.width == w && b.height == h && !b.Empty()) return true;
        return CreateRgbBitmap(b, w, h, argb_[background_]);
    }

    // Indices of view row y from column x on.
    void Put(std::int64_t x, std::int64_t y, const std::uint8_t* indices, std::int64_t n) {
        if (indexed_) {
            std::memcpy(view_.spare.Row(static_cast<int>(y)) + x, indices,
                        static_cast<std::size_t>(n));
            return;
        }
        std::uint32_t* out = view_.spareDisplay.Row(static_cast<int>(y)) + x;
        for (std::int64_t i = 0; i < n; ++i) out[i] = argb_[indices[i]];
    }

    void Fill(const Span& r) {
        if (r.x0 >= r.x1) return;
        for (std::int64_t y = r.y0; y < r.y1; ++y) {
            if (indexed_) {
                std::memset(view_.spare.Row(static_cast<int>(y)) + r.x0, background_,
                            static_cast<std::size_t>(r.x1 - r.x0));
            } else {
                std::uint32_t* row = view_.spareDisplay.Row(static_cast<int>(y));
                std::fill(row + r.x0, row + r.x1, argb_[background_]);
            }
        }
    }

    // Background in region `r` around `inner` (inside it the image is copied).
    void FillAround(const Span& r, const Span& inner) {
        if (inner.Empty()) {
            Fill(r);
            return;
        }
        Fill(Span{r.x0, r.x1, r.y0, inner.y0});
        Fill(Span{r.x0, r.x1, inner.y1, r.y1});
        Fill(Span{r.x0, inner.x0, inner.y0, inner.y1});
        Fill(Span{inner.x1, r.x1, inner.y0, inner.y1});
    }

    // The shown view's pixels of `keep` (view pixels of the new view) from
    // (dx, dy) further in the shown one.
    void KeepShifted(const Span& keep, std::int64_t dx, std::int64_t dy) {
        for (std::int64_t y = keep.y0; y < keep.y1; ++y) {
            const int from = static_cast<int>(y + dy), to = static_cast<int>(y);
            if (indexed_) {
                std::memcpy(view_.spare.Row(to) + keep.x0, view_.bitmap.Row(from) + keep.x0 + dx,
                            static_cast<std::size_t>(keep.x1 - keep.x0));
            } else {
                std::memcpy(view_.spareDisplay.Row(to) + keep.x0,
                            view_.display.Row(from) + keep.x0 + dx,
                            static_cast<std::size_t>(keep.x1 - keep.x0) * sizeof(std::uint32_t));
            }
        }
    }

    // The drawn view becomes the shown one.
    void Show(const DisplayPalette& palette, int background, const ViewContent& content) {
        if (indexed_) {
            std::swap(view_.bitmap, view_.spare);
        } else {
            std::swap(view_.display, view_.spareDisplay);
        }
        view_.palette = palette;
        view_.backgroundIndex = background;
        view_.content = content;
    }

private:
    ViewImage& view_;
    bool indexed_;
    std::array<std::uint32_t, 256> argb_;
    std::uint8_t background_;
};

// The parts of the view to draw, in view pixels: the whole view, or, when
// the shown view came from the same file and level, had the same size and
// overlaps the new one, what the move uncovers (at most two of the four
// bands around the kept part; the kept pixels are copied into the target).
struct Regions {
    Span parts[4];
    int count = 0;
};

Regions RegionsToDraw(const ViewImage& view, const ViewContent& next, Target& target) {
    const ViewContent& shown = view.content;
    const std::int64_t cw = view.clientWidth, ch = view.clientHeight;
    Regions out;
    const Span all{0, cw, 0, ch};
    ViewContent moved = shown;
    moved.left = next.left;
    moved.top = next.top;
    const bool sameSource = shown.valid && shown.file != 0 && moved == next;
    if (!sameSource || view.Width() != cw || view.Height() != ch) {
        out.parts[out.count++] = all;
        return out;
    }
    // Only pixels inside width × height show the image in both views.
    const std::int64_t dx = next.left - shown.left, dy = next.top - shown.top;
    const Span keep{std::max<std::int64_t>(0, -dx), std::min<std::int64_t>(next.width, next.width - dx),
                    std::max<std::int64_t>(0, -dy),
                    std::min<std::int64_t>(next.height, next.height - dy)};
    if (keep.Empty()) {
        out.parts[out.count++] = all;
        return out;
    }
    target.KeepShifted(keep, dx, dy);
    const Span bands[4] = {{0, cw, 0, keep.y0},
                           {0, cw, keep.y1, ch},
                           {0, keep.x0, keep.y0, keep.y1},
                           {keep.x1, cw, keep.y0, keep.y1}};
    for (const Span& b : bands)
        if (!b.Empty()) out.parts[out.count++] = b;
    return out;
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

// Fetches tile (c, r) through the cache and copies its part of `part` (level
// pixels) into the target, whose top-left is level pixel (left, top).
ImageFault CopyTile(ImageFile& f, Target& target, int c, int r, std::int64_t left,
                    std::int64_t top, const Span& part) {
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
    const std::int64_t x0 = std::max(part.x0, tileX), x1 = std::min(part.x1, tileX + kTileEdge);
    const std::int64_t y0 = std::max(part.y0, tileY), y1 = std::min(part.y1, tileY + kTileEdge);
    const std::uint8_t* tile = f.cache.Buffer(slot);
    for (std::int64_t y = y0; y < y1; ++y) {
        // Tiles are stored bottom row first.
        const std::uint8_t* src = tile + (kTileEdge - 1 - (y - tileY)) * kTileEdge + (x0 - tileX);
        target.Put(x0 - left, y - top, src, x1 - x0);
    }
    return ImageFault::None;
}

// The level pixels of view region `r` that show the image.
Span LevelPart(const Span& r, const Span& vis, std::int64_t left, std::int64_t top) {
    return Intersect(vis, Span{r.x0 + left, r.x1 + left, r.y0 + top, r.y1 + top});
}

// The same part in view pixels.
Span InView(const Span& part, std::int64_t left, std::int64_t top) {
    return Span{part.x0 - left, part.x1 - left, part.y0 - top, part.y1 - top};
}

DrawResult DrawTiled(ImageFile& f, ViewImage& view, double zoomDivisor, int top, int height,
                     int left, int width, ImageFault& fault) {
    if (!PrepareLevel(f, zoomDivisor)) {
        fault = ImageFault::LoadTiles;
        return DrawResult::Fault;
    }
    const DisplayPalette palette = MakeDisplayPalette(f.palette);
    const int background = BackgroundIndex(palette);
    Target target(view, palette, background);
    if (!target.Prepare()) return DrawResult::NoBitmap;
    // A bigger window needs more slots; if the memory is not there the cache
    // works on with the slots it has.
    GrowTileCache(f.cache, TileCacheSlotsFor(view.clientWidth, view.clientHeight));

    ViewContent content;
    content.valid = true;
    content.file = f.serial;
    content.format = view.format;
    content.level = f.level;
    content.percentTenths = Tenths(f.currentLevelPercent);
    content.left = left;
    content.top = top;
    content.width = width;
    content.height = height;
    const Span vis =
        VisiblePart(left, top, width, height, f.ShownLevelWidth(), f.ShownLevelHeight());
    if (!vis.Empty()) {
        LockTileRange(f.cache, f.tilesX, static_cast<int>(vis.x0 / kTileEdge),
                      static_cast<int>((vis.x1 - 1) / kTileEdge),
                      static_cast<int>(vis.y0 / kTileEdge),
                      static_cast<int>((vis.y1 - 1) / kTileEdge));
    }
    const Regions regions = RegionsToDraw(view, content, target);
    for (int i = 0; i < regions.count; ++i) {
        const Span part = LevelPart(regions.parts[i], vis, left, top);
        target.FillAround(regions.parts[i], InView(part, left, top));
        if (part.Empty()) continue;
        const int c0 = static_cast<int>(part.x0 / kTileEdge);
        const int c1 = static_cast<int>((part.x1 - 1) / kTileEdge);
        const int r0 = static_cast<int>(part.y0 / kTileEdge);
        const int r1 = static_cast<int>((part.y1 - 1) / kTileEdge);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const ImageFault tile = CopyTile(f, target, c, r, left, top, part);
                if (tile == ImageFault::None) continue;
                // A damaged tile shows as background; the rest of the view
                // is drawn, and the first damage met is reported.
                const std::int64_t tx = std::int64_t{c} * kTileEdge,
                                   ty = std::int64_t{r} * kTileEdge;
                const Span hole = Intersect(part, Span{tx, tx + kTileEdge, ty, ty + kTileEdge});
                target.Fill(InView(hole, left, top));
                if (fault == ImageFault::None) fault = tile;
            }
        }
    }
    target.Show(palette, background, content);
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
    Target target(view, palette, background);
    if (!target.Prepare()) return DrawResult::NoBitmap;
    // Columns x with step × x inside the image, and likewise rows; the last
    // partial step of columns is dropped, a partial step of rows is shown.
    const std::int64_t step = StripStep(zoomDivisor);
    const Span vis = VisiblePart(left, top, width, height, f.width / step,
                                 (std::int64_t{f.height} + step - 1) / step);
    ViewContent content;
    content.valid = true;
    content.file = f.serial;
    content.format = view.format;
    content.step = step;
    content.left = left;
    content.top = top;
    content.width = width;
    content.height = height;
    const Regions regions = RegionsToDraw(view, content, target);
    const int bits = f.bitsPerPixel;
    std::vector<std::uint8_t> row, indices;
    for (int i = 0; i < regions.count; ++i) {
        const Span part = LevelPart(regions.parts[i], vis, left, top);
        target.FillAround(regions.parts[i], InView(part, left, top));
        if (part.Empty()) continue;
        const std::int64_t firstByte = step * part.x0 * bits / 8;
        const std::int64_t lastByte = step * (part.x1 - 1) * bits / 8;
        row.resize(static_cast<std::size_t>(f.RowBytes()));
        indices.resize(static_cast<std::size_t>(part.x1 - part.x0));
        for (std::int64_t y = part.y0; y < part.y1; ++y) {
            const std::int64_t source = step * y;
            if (!ReadRow(f, static_cast<int>(source), row.data(), firstByte, lastByte)) {
                // A damaged row shows as background, like a damaged tile.
                target.Fill(InView(Span{part.x0, part.x1, y, y + 1}, left, top));
                if (fault == ImageFault::None) fault = ImageFault::ReadStrip;
                continue;
            }
            const std::uint8_t* shown = row.data() + part.x0;
            if (bits != 8 || step != 1) {
                for (std::int64_t x = part.x0; x < part.x1; ++x)
                    indices[static_cast<std::size_t>(x - part.x0)] = PixelOf(row.data(), step * x, bits);
                shown = indices.data();
            }
            target.Put(part.x0 - left, y - top, shown, part.x1 - part.x0);
        }
    }
    target.Show(palette, background, content);
    return DrawResult::Ok;
}

// Makes the shown buffer of a new view, all background.
bool CreateShownView(ViewImage& view) {
    if (view.format == ViewFormat::Indexed8) {
        return CreateIndexedBitmap(view.bitmap, view.clientWidth, view.clientHeight,
                                   static_cast<std::uint8_t>(view.backgroundIndex));
    }
    return CreateRgbBitmap(view.display, view.clientWidth, view.clientHeight,
                           PaletteArgb(view.palette)[static_cast<std::size_t>(view.backgroundIndex)]);
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
            reported = fault;
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
                                        int clientHeight, ImageFault& fault,
                                        ViewFormat format) {
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
    view.format = format;
    view.palette = MakeDisplayPalette(f.palette);
    view.backgroundIndex = BackgroundIndex(view.palette);
    if (!CreateShownView(view)) return std::nullopt;

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
