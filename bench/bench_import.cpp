// A scanned-map-like picture through the map image encoder, against GDAL
// making a tiled, deflate-compressed GeoTIFF with averaged overviews of the
// same picture, in the same run:
//
//   build/bench/bench_import [--side 16384] [--runs 3] [--dither D]
//                            [--map-import] [--work FOLDER] [--tool MWTOOL]
//
// The picture is made once by bench_import_relief.sh (shaded relief, land
// cover, contours, roads, text-like strokes, through JPEG at quality 85) and
// kept in the work folder (default $TMPDIR/mw-bench-import). Each run times
//   mapwanderer: `mwtool mwf2 encode IN OUT` (with --map-import:
//                `mwtool map import IN -o FOLDER`, the import's picture part
//                being the same encoder),
//   gdal:        `gdal_translate -co TILED=YES -co COMPRESS=DEFLATE IN OUT`
//                then `gdaladdo -r average OUT 2 4 10`,
// one after the other: wall time, CPU time of all threads (user + system,
// from wait4) and peak resident memory of the largest process. The ratio
// mapwanderer / gdal is taken within each run, and the table shows the
// median run (the machine may be shared: ratios of one run are fairer than
// times of different runs). Then the PSNR of each level against the
// picture reduced by area averaging to that level's size (the reference
// both are meant to approximate: GDAL's full size is lossless).
#include <gdal.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "image/view_render.h"
#include "raster/raster_rows.h"

namespace {

struct Cost {
    double wall = 0, cpu = 0, peakMiB = 0;
};

// Runs `argv`, output to /dev/null unless `show`; false when it fails.
bool Run(const std::vector<std::string>& argv, Cost& cost, bool show = false) {
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);  // or the child's freopen writes our buffer again
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (!show) {
            std::freopen("/dev/null", "w", stdout);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    cost.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpu += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                usage.ru_stime.tv_usec / 1e6;
    cost.peakMiB = std::max(cost.peakMiB, usage.ru_maxrss / 1024.0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_import: %s failed\n", argv[0].c_str());
        return false;
    }
    return true;
}

double FileMiB(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        double total = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path, ec))
            if (e.is_regular_file()) total += e.file_size() / 1048576.0;
        return total;
    }
    return std::filesystem::file_size(path, ec) / 1048576.0;
}

// Squared error of 8-bit RGB rows, summed.
struct Psnr {
    double sq = 0, n = 0;
    void Add(const std::uint32_t* want, const std::uint32_t* got, int width) {
        for (int x = 0; x < width; ++x) {
            const int dr = mw::RedOf(want[x]) - mw::RedOf(got[x]);
            const int dg = mw::GreenOf(want[x]) - mw::GreenOf(got[x]);
            const int db = mw::BlueOf(want[x]) - mw::BlueOf(got[x]);
            sq += dr * dr + dg * dg + db * db;
        }
        n += 3.0 * width;
    }
    double Db() const {
        return sq == 0 ? std::numeric_limits<double>::infinity()
                       : 10 * std::log10(255.0 * 255.0 * n / sq);
    }
};

// One level of either output, compared row by row with the picture reduced
// to its size as the picture streams past.
struct LevelCheck {
    std::string name;
    int width = 0, height = 0;
    std::unique_ptr<mw::RowScaler> scaler;  // none at full size
    std::function<void(int y, std::uint32_t* row)> readRow;
    int nextRow = 0;
    Psnr psnr;
    std::vector<std::uint32_t> got;

    void Compare(const std::uint32_t* want) {
        got.resize(width);
        readRow(nextRow++, got.data());
        psnr.Add(want, got.data(), width);
    }
};

}  // namespace

int main(int argc, char** argv) {
    int side = 16384, runs = 3;
    std::string dither, work, tool = MW_TOOL;
    bool mapImport = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--side") side = std::atoi(value().c_str());
        else if (a == "--runs") runs = std::max(1, std::atoi(value().c_str()));
        else if (a == "--dither") dither = value();
        else if (a == "--work") work = value();
        else if (a == "--map-import") mapImport = true;
        else if (a == "--tool") tool = value();
        else {
            std::fprintf(stderr,
                         "usage: bench_import [--side N] [--runs N] [--dither D] [--map-import] "
                         "[--work FOLDER] [--tool MWTOOL]\n");
            return 2;
        }
    }
    if (work.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        work = std::string(tmp ? tmp : "/tmp") + "/mw-bench-import";
    }
    namespace fs = std::filesystem;
    fs::create_directories(work);
    const std::string picture = work + "/relief-" + std::to_string(side) + ".tif";
    Cost unused;
    if (!Run({"bash", MW_SOURCE_DIR "/bench/bench_import_relief.sh", std::to_string(side), work},
             unused))
        return 1;

    const std::string mwOut = work + "/out.mwf2", gdalOut = work + "/out.tif";
    const std::string importDir = work + "/maps";
    std::vector<Cost> mwCosts, gdalCosts;
    std::vector<double> ratios;
    for (int r = 0; r < runs; ++r) {
        fs::remove_all(importDir);
        fs::remove(gdalOut);
        Cost mwCost, gdalCost;
        std::vector<std::string> mwCommand =
            mapImport ? std::vector<std::string>{tool, "map", "import", picture, "--name",
                                                 "bench", "-o", importDir}
                      : std::vector<std::string>{tool, "mwf2", "encode", picture, mwOut};
        if (!dither.empty()) {
            mwCommand.push_back("--dither");
            mwCommand.push_back(dither);
        }
        if (mapImport) fs::create_directories(importDir);
        if (!Run(mwCommand, mwCost)) return 1;
        if (!Run({"gdal_translate", "-q", "-co", "TILED=YES", "-co", "COMPRESS=DEFLATE", "-co",
                  "BIGTIFF=IF_SAFER", picture, gdalOut},
                 gdalCost) ||
            !Run({"gdaladdo", "-q", "-r", "average", gdalOut, "2", "4", "10"}, gdalCost))
            return 1;
        mwCosts.push_back(mwCost);
        gdalCosts.push_back(gdalCost);
        ratios.push_back(mwCost.cpu / gdalCost.cpu);
        std::printf("run %d: mapwanderer %.1f s CPU, gdal %.1f s CPU, ratio %.2f\n", r + 1,
                    mwCost.cpu, gdalCost.cpu, ratios.back());
    }
    // The median run by its CPU ratio.
    std::vector<int> order(runs);
    for (int i = 0; i < runs; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return ratios[a] < ratios[b]; });
    const int median = order[runs / 2];
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);

    const std::string mwFile = mapImport ? importDir + "/bench.mwf2" : mwOut;
    std::printf("\n%d x %d picture, %d run%s, median run %d, load average %.1f %.1f %.1f\n", side,
                side, runs, runs > 1 ? "s" : "", median + 1, load[0], load[1], load[2]);
    std::printf("| | wall s | CPU s | peak RSS MiB | output MiB |\n|---|---|---|---|---|\n");
    const Cost& m = mwCosts[median];
    const Cost& g = gdalCosts[median];
    std::printf("| %s | %.1f | %.1f | %.0f | %.0f |\n",
                mapImport ? "mwtool map import" : "mwtool mwf2 encode", m.wall, m.cpu, m.peakMiB,
                FileMiB(mapImport ? fs::path(importDir) : fs::path(mwOut)));
    std::printf("| gdal_translate + gdaladdo | %.1f | %.1f | %.0f | %.0f |\n", g.wall, g.cpu,
                g.peakMiB, FileMiB(gdalOut));
    std::printf("| ratio | %.2f | %.2f | %.2f | %.2f |\n", m.wall / g.wall, m.cpu / g.cpu,
                m.peakMiB / g.peakMiB,
                FileMiB(mapImport ? fs::path(importDir) : fs::path(mwOut)) / FileMiB(gdalOut));

    // PSNR per level, one pass over the picture.
    std::string error;
    auto source = mw::OpenRasterRows(picture, &error);
    if (!source) {
        std::fprintf(stderr, "bench_import: %s\n", error.c_str());
        return 1;
    }
    const int W = source->Width(), H = source->Height();
    std::vector<LevelCheck> checks;
    std::vector<std::shared_ptr<mw::LevelImage>> levels;
    mw::ImageFault fault = mw::ImageFault::None;
    for (int i = 0;; ++i) {
        auto level = mw::BuildLevelImage(mwFile, i, fault);
        if (!level || fault != mw::ImageFault::None) break;
        auto image = std::make_shared<mw::LevelImage>(std::move(*level));
        LevelCheck c;
        c.width = image->bitmap.width;
        c.height = image->bitmap.height;
        c.name = "mapwanderer level " + std::to_string(i) + " (" + std::to_string(c.width) + ")";
        c.readRow = [image](int y, std::uint32_t* row) {
            const std::uint8_t* indices = image->bitmap.Row(y);
            for (int x = 0; x < image->bitmap.width; ++x) {
                const mw::Rgb p = image->palette[indices[x]];
                row[x] = mw::PackRgb(p.r, p.g, p.b);
            }
        };
        checks.push_back(std::move(c));
        levels.push_back(image);
        if (i >= 20) break;
    }
    GDALAllRegister();
    GDALDatasetH gdal = GDALOpen(gdalOut.c_str(), GA_ReadOnly);
    if (!gdal) return 1;
    const int overviews = GDALGetOverviewCount(GDALGetRasterBand(gdal, 1));
    for (int o = -1; o < overviews; ++o) {
        std::vector<GDALRasterBandH> bands;
        for (int b = 1; b <= 3; ++b) {
            GDALRasterBandH band = GDALGetRasterBand(gdal, b);
            bands.push_back(o < 0 ? band : GDALGetOverview(band, o));
        }
        LevelCheck c;
        c.width = GDALGetRasterBandXSize(bands[0]);
        c.height = GDALGetRasterBandYSize(bands[0]);
        c.name = "gdal " + (o < 0 ? std::string("full size") : "overview " + std::to_string(o + 1)) +
                 " (" + std::to_string(c.width) + ")";
        c.readRow = [bands, w = c.width](int y, std::uint32_t* row) {
            std::vector<std::uint8_t> channel(w);
            for (int x = 0; x < w; ++x) row[x] = 0;
            for (int b = 0; b < 3; ++b) {
                if (GDALRasterIO(bands[b], GF_Read, 0, y, w, 1, channel.data(), w, 1, GDT_Byte, 0,
                                 0) != CE_None)
                    return;
                for (int x = 0; x < w; ++x) row[x] |= std::uint32_t(channel[x]) << (16 - 8 * b);
            }
        };
        checks.push_back(std::move(c));
    }
    for (LevelCheck& c : checks)
        if (c.width != W || c.height != H)
            c.scaler = std::make_unique<mw::RowScaler>(W, H, c.width, c.height);

    const int band = 256;
    std::vector<std::uint32_t> rows(std::size_t(W) * band);
    std::vector<float> channels(3 * std::size_t(W));
    for (int y = 0; y < H; y += band) {
        const int count = std::min(band, H - y);
        if (!source->ReadRows(y, count, rows.data(), &error)) {
            std::fprintf(stderr, "bench_import: %s\n", error.c_str());
            return 1;
        }
        for (int k = 0; k < count; ++k) {
            const std::uint32_t* row = rows.data() + std::size_t(k) * W;
            mw::SplitChannels(row, W, channels.data());
            for (LevelCheck& c : checks) {
                if (!c.scaler) {
                    c.Compare(row);
                } else {
                    c.scaler->AddRow(channels.data(),
                                     [&](const std::uint32_t* reduced) { c.Compare(reduced); });
                }
            }
        }
    }
    GDALClose(gdal);
    std::printf("\nPSNR against the picture reduced by area averaging:\n");
    for (const LevelCheck& c : checks) std::printf("  %-36s %6.2f dB\n", c.name.c_str(), c.psnr.Db());
    return 0;
}
