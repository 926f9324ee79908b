// Map image views: a cold full-HD view (every tile decoded) against a
// baseline that only inflates the same tiles with whole-buffer zlib and
// copies their rows, and a warm pan by 64 pixels. The picture is map-like
// (flat colours, lines, lettering), as scanned maps are, not noise.
#include <benchmark/benchmark.h>

#include <zlib.h>
#include "ports/headless_ui.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/mwf2_writer.h"
#include "image/view_render.h"

namespace {

constexpr int kWidth = 4000, kHeight = 2400;
constexpr int kViewW = 1920, kViewH = 1080;
constexpr int kLeft = 1000, kTop = 700;  // not aligned to the tile grid


mw::IndexedBitmap MapLike(int w, int h) {
    mw::IndexedBitmap b;
    mw::CreateIndexedBitmap(b, w, h, 1);
    std::uint32_t s = 99;
    auto rnd = [&](int n) {
        s = s * 1664525u + 1013904223u;
        return int((s >> 8) % std::uint32_t(n));
    };
    auto set = [&](int x, int y, int c) {
        if (x >= 0 && y >= 0 && x < w && y < h) b.Row(y)[x] = std::uint8_t(c);
    };
    for (int i = 0; i < 400; ++i) {  // land use areas
        int x0 = rnd(w), y0 = rnd(h), bw = 20 + rnd(400), bh = 20 + rnd(300), c = rnd(40);
        for (int y = y0; y < std::min(h, y0 + bh); ++y)
            std::memset(b.Row(y) + x0, c, std::min(bw, w - x0));
    }
    for (int i = 0; i < 600; ++i) {  // roads, rivers, contours
        double x = rnd(w), y = rnd(h), a = rnd(628) / 100.0;
        int c = 40 + rnd(60), len = 100 + rnd(1500), width = 1 + rnd(3);
        for (int k = 0; k < len; ++k, x += std::cos(a), y += std::sin(a)) {
            a += (rnd(21) - 10) / 400.0;
            for (int d = 0; d < width; ++d) set(int(x) + d, int(y), c);
        }
    }
    for (int i = 0; i < 6000; ++i) {  // lettering
        int x0 = rnd(w), y0 = rnd(h), c = 100 + rnd(20), letters = 3 + rnd(8);
        for (int l = 0; l < letters; ++l) {
            for (int k = 0; k < 14; ++k) set(x0 + 7 * l + rnd(6), y0 + rnd(9), c);
        }
    }
    return b;
}

struct Fixture {
    std::string path;
    Fixture() {
        path = (std::filesystem::temp_directory_path() / "bench_image.mwf2").string();
        mw::Mwf2Image image;
        image.width = kWidth;
        image.height = kHeight;
        mw::Mwf2Level level;
        level.pixels = MapLike(kWidth, kHeight);
        for (int i = 0; i < 256; ++i) {
            level.colours[i] = mw::ColourEntry{std::uint8_t(i * 7), std::uint8_t(255 - i),
                                               std::uint8_t(i * 13), 0};
        }
        image.levels.push_back(std::move(level));
        std::string error;
        if (!mw::WriteMwf2File(path, image, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    }
    ~Fixture() { std::filesystem::remove(path); }
};

Fixture& TheFixture() {
    static Fixture f;
    return f;
}

mw::ImageFile OpenFixture() {
    auto f = mw::OpenImageFile(TheFixture().path);
    if (!f) std::abort();
    return std::move(*f);
}

void BM_ColdView1080p(benchmark::State& state) {
    mw::ImageFile file = OpenFixture();
    mw::ViewImage view;
    view.clientWidth = kViewW;
    view.clientHeight = kViewH;
    mw::ImageFault fault = mw::ImageFault::None;
    for (auto _ : state) {
        mw::EmptyTileCache(file.cache);
        if (!mw::RenderView(file, view, 1.0, kTop, 0, kLeft, 0, fault)) state.SkipWithError("render");
        benchmark::DoNotOptimize(view.bitmap.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * 31 * 18);
}
BENCHMARK(BM_ColdView1080p)->Unit(benchmark::kMillisecond);

// The same tiles, already in memory, inflated into a tile buffer with one
// zlib call each and copied row by row into a view bitmap: the least any
// reader of this format must do.
void BM_BaselineInflateAndCopy1080p(benchmark::State& state) {
    mw::ImageFile file = OpenFixture();
    const int c0 = kLeft / 64, c1 = (kLeft + kViewW - 1) / 64;
    const int r0 = kTop / 64, r1 = (kTop + kViewH - 1) / 64;
    struct Stored {
        int c, r;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Stored> tiles;
    std::FILE* fp = std::fopen(TheFixture().path.c_str(), "rb");
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            int i = file.tilesX * r + c;
            Stored s{c, r, std::vector<std::uint8_t>(file.offsets[i + 1] - file.offsets[i])};
            std::fseek(fp, file.offsets[i], SEEK_SET);
            if (std::fread(s.bytes.data(), 1, s.bytes.size(), fp) != s.bytes.size()) std::abort();
            tiles.push_back(std::move(s));
        }
    }
    std::fclose(fp);
    std::vector<std::uint8_t> view(std::size_t(kViewW) * kViewH);
    std::uint8_t tile[4096];
    z_stream zs{};
    inflateInit(&zs);
    for (auto _ : state) {
        std::memset(view.data(), 0, view.size());
        for (Stored& s : tiles) {
            inflateReset(&zs);
            zs.next_in = s.bytes.data();
            zs.avail_in = uInt(s.bytes.size());
            zs.next_out = tile;
            zs.avail_out = sizeof tile;
            if (inflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
            const int x0 = std::max(kLeft, 64 * s.c), x1 = std::min(kLeft + kViewW, 64 * s.c + 64);
            const int y0 = std::max(kTop, 64 * s.r), y1 = std::min(kTop + kViewH, 64 * s.r + 64);
            for (int y = y0; y < y1; ++y) {
                std::memcpy(&view[std::size_t(y - kTop) * kViewW + (x0 - kLeft)],
                            tile + (63 - (y - 64 * s.r)) * 64 + (x0 - 64 * s.c), x1 - x0);
            }
        }
        benchmark::DoNotOptimize(view.data());
    }
    inflateEnd(&zs);
    state.SetItemsProcessed(state.iterations() * std::int64_t(tiles.size()));
}
BENCHMARK(BM_BaselineInflateAndCopy1080p)->Unit(benchmark::kMillisecond);

// Panning back and forth by 64 pixels: every tile is in the cache.
void BM_WarmPan64(benchmark::State& state) {
    mw::ImageFile file = OpenFixture();
    mw::ViewImage view;
    view.clientWidth = kViewW;
    view.clientHeight = kViewH;
    mw::ImageFault fault = mw::ImageFault::None;
    mw::RenderView(file, view, 1.0, kTop, 0, kLeft, 0, fault);
    mw::RenderView(file, view, 1.0, kTop, 0, kLeft + 64, 0, fault);
    int i = 0;
    for (auto _ : state) {
        int left = kLeft + 64 * (++i & 1);
        if (!mw::RenderView(file, view, 1.0, kTop, 0, left, 0, fault)) state.SkipWithError("render");
        benchmark::DoNotOptimize(view.bitmap.pixels.data());
    }
}
BENCHMARK(BM_WarmPan64)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
