// The map image encoder on scans of 4 000 and 16 000 pixels square (and
// 30 000 with MW_BENCH_BIG=1), run as `mwtool mwf2 encode` runs it: a TIFF
// scan read through libtiff band by band.
//
//   build/bench/bench_encode --benchmark_min_time=0.1
//
// Encode/N: wall time of one `mwtool mwf2 encode` of the scan, with the
// CPU time of all its threads (cpu_s) and its peak resident memory
// (peak_MiB, from wait4) beside the size the picture alone takes as 32-bit
// pixels (picture_MiB: what an encoder holding the whole picture needs at
// the least).
// PlainZlib/N: the baseline: zlib at the encoder's level compressing the
// very tiles of that file (read back and inflated untimed), one tile after
// another on one core, as a plain encoder without the streaming would.
//
// The scans are drawn here (a map-like picture: flat areas, lines, a few
// hundred colours) into deflate-compressed TIFFs in a scratch folder and
// removed at exit.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "image/image_file.h"
#include "image/tile_cache.h"

#if defined(MW_BENCH_WITH_TIFF) && defined(MW_TOOL)
#include <tiffio.h>

namespace {

namespace fs = std::filesystem;

// A map-like scan: land colours in large patches, contour-like lines, a grid
// and roads, with a little scanner noise so that there are more colours
// than a palette holds.
void DrawRow(int y, int side, std::vector<std::uint8_t>& rgb) {
    const int w = side;
    for (int x = 0; x < w; ++x) {
        const double u = double(x) / 700, v = double(y) / 700;
        const double h = std::sin(u * 1.3 + std::sin(v * 0.7) * 2) + std::cos(v * 1.1 - u * 0.4);
        int r = 235, g = 230, b = 205;  // paper
        if (h > 0.6) r = 200, g = 225, b = 170;
        if (h > 1.2) r = 180, g = 200, b = 150;
        if (h < -0.8) r = 160, g = 200, b = 235;                                     // water
        if (std::fabs(std::fmod(h * 8 + 16, 1.0)) < 0.06) r = 170, g = 120, b = 70;  // contours
        if (x % 1000 < 2 || y % 1000 < 2) r = 40, g = 40, b = 160;                   // grid
        if (std::abs((x + 3 * y / 2) % 2400 - 1200) < 4) r = 210, g = 40, b = 30;    // road
        const int noise = int((x * 2654435761u ^ y * 40503u) >> 29) - 4;             // -4..3
        rgb[3 * x] = std::uint8_t(std::clamp(r + noise, 0, 255));
        rgb[3 * x + 1] = std::uint8_t(std::clamp(g + noise, 0, 255));
        rgb[3 * x + 2] = std::uint8_t(std::clamp(b, 0, 255));
    }
}

class Scans {
public:
    Scans() {
        std::string pattern = (fs::temp_directory_path() / "mwbench-encode-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root_ = pattern;
    }
    ~Scans() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    // The scan of `side` pixels square; the previous one is removed first.
    const std::string& Scan(int side) {
        if (side_ == side) return path_;
        std::error_code ec;
        if (!path_.empty()) fs::remove(path_, ec);
        path_ = root_ + "/scan" + std::to_string(side) + ".tif";
        TIFF* t = TIFFOpen(path_.c_str(), side > 20000 ? "w8" : "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, side);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, side);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
        std::vector<std::uint8_t> row(3 * std::size_t(side));
        for (int y = 0; y < side; ++y) {
            DrawRow(y, side, row);
            TIFFWriteScanline(t, row.data(), y, 0);
        }
        TIFFClose(t);
        side_ = side;
        return path_;
    }
    std::string Output() const { return root_ + "/out.mwf2"; }

private:
    std::string root_, path_;
    int side_ = 0;
};

Scans& TheScans() {
    static Scans scans;
    return scans;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // every thread of the child, user and system
    double peakMiB = 0;
    bool ok = false;
};

Run RunTool(const std::string& in, const std::string& out) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(MW_TOOL, MW_TOOL, "mwf2", "encode", in.c_str(), out.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakMiB = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    r.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

void BM_Encode(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::string& scan = TheScans().Scan(side);
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        Run r = RunTool(scan, TheScans().Output());
        if (!r.ok) {
            state.SkipWithError("mwtool mwf2 encode failed");
            return;
        }
        state.SetIterationTime(r.seconds);
        peak = std::max(peak, r.peakMiB);
        cpu += r.cpuSeconds;
    }
    state.counters["peak_MiB"] = peak;
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["picture_MiB"] = double(side) * side * 4 / (1 << 20);
}

// Compresses every tile of the file the encode above wrote, timing only
// the compression.
void BM_PlainZlib(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::string out = TheScans().Output();
    auto file = mw::OpenImageFile(out);
    if (!file || file->width != side) {
        state.SkipWithError("run Encode of the same size first");
        return;
    }
    std::vector<std::uint8_t> tile(mw::kTileBytes);
    std::vector<Bytef> packed(compressBound(mw::kTileBytes));
    std::size_t tiles = 0;
    for (auto _ : state) {
        double seconds = 0;
        tiles = 0;
        for (int level = 0; level <= file->levelCount; ++level) {
            if (!mw::SelectLevel(*file, level)) break;
            const int count = file->tilesX * file->tilesY;
            for (int i = 0; i < count; ++i) {
                if (!mw::ReadTile(*file, i, tile.data())) continue;
                const auto t0 = std::chrono::steady_clock::now();
                uLongf size = packed.size();
                compress2(packed.data(), &size, tile.data(), mw::kTileBytes, 9);
                seconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
                ++tiles;
            }
        }
        state.SetIterationTime(seconds);
    }
    state.counters["tiles"] = static_cast<double>(tiles);
}

// Each size's encode runs before its baseline reads the file back.
void Register() {
    std::vector<int> sides = {4096, 16384};
    if (const char* big = std::getenv("MW_BENCH_BIG"); big && *big == '1') sides.push_back(30000);
    for (int side : sides) {
        benchmark::RegisterBenchmark("Encode", BM_Encode)
            ->Arg(side)
            ->UseManualTime()
            ->Iterations(side > 20000 ? 1 : 2)
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark("PlainZlib", BM_PlainZlib)
            ->Arg(side)
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#else

int main() {
    std::fprintf(stderr, "bench_encode: built without libtiff or mwtool; nothing to measure\n");
    return 0;
}

#endif
