// Map search over 10 000 calibration files in 6 folders: the catalogue index
// warm (nothing changed since the last search) and cold (first search of a
// run), against the plain scan that reads every file at every search.
//
//   build/bench/bench_catalogue --benchmark_min_time=1
//
// The files are written once per run into a scratch folder with times an
// hour old, then the run waits until the folders' own change times are
// older than the racy window, as they are for maps copied onto a card.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "map/catalogue.h"
#include "map/std_file_system.h"
#include "platform/posix_file_system.h"
#include "support/text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 6;
constexpr int kFiles = 10000;

// One calibration file as a scanner's calibration tool would write it:
// thirty point lines (four used), the parameter line, moving-map keywords,
// pixel and degree corners.
std::string CalibrationText(int n, double south, double west, double size, double scale) {
    double north = south + size, east = west + size;
    std::string t = mw::Format(
        "Mapwanderer Map File,Version 1.0\r\nSheet %d\r\nC:\\scans\\sheet%d.png\r\n1 ,Map Code,\r\n"
        "WGS 84,WGS 84,0.0000,0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\n"
        "Magnetic Variation,,,E\r\nMap Projection,Latitude/Longitude,PolyCal,No\r\n",
        n, n);
    const double corners[4][2] = {{north, west}, {north, east}, {south, east}, {south, west}};
    const int pixels[4][2] = {{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}};
    for (int i = 0; i < 30; ++i) {
        if (i < 4)
            t += mw::Format("Point%02d,xy,%d,%d,in, deg,%d,%.6f,N,%d,%.6f,E, grid,,,,N\r\n", i + 1,
                            pixels[i][0], pixels[i][1], static_cast<int>(corners[i][0]),
                            (corners[i][0] - static_cast<int>(corners[i][0])) * 60,
                            static_cast<int>(corners[i][1]),
                            (corners[i][1] - static_cast<int>(corners[i][1])) * 60);
        else
            t += mw::Format("Point%02d,xy,,,ex, deg,,,N,,,W, grid,,,,N\r\n", i + 1);
    }
    t += "Projection Setup,,,,,,,,,,\r\nMap Feature = MF ; Map Comment = MC\r\n";
    t += "Track File = TF\r\nMoving Map Parameters = MM?\r\nMM0,Yes\r\nMMPNUM,4\r\n";
    for (int i = 0; i < 4; ++i)
        t += mw::Format("MMPXY,%d,%d,%d\r\n", i + 1, pixels[i][0], pixels[i][1]);
    for (int i = 0; i < 4; ++i)
        t += mw::Format("MMPLL,%d,%.6f,%.6f\r\n", i + 1, corners[i][1], corners[i][0]);
    t += mw::Format("MM1B,%.4f\r\n", scale);
    return t;
}

// Maps of several scales scattered over central Europe, so that a position
// is covered by a handful of them, as in a real collection.
class MapSet {
public:
    MapSet() {
        std::string pattern = (fs::temp_directory_path() / "mwbench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root_ = pattern;
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> lat(44, 54), lon(2, 16);
        const double sizes[] = {0.1, 0.25, 0.5, 1.0, 2.0};
        const double scales[] = {2.5, 5, 10, 25, 50};
        auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (int f = 0; f < kFolders; ++f) {
            folders_.push_back(root_ + "/maps" + std::to_string(f));
            fs::create_directories(folders_.back());
        }
        for (int i = 0; i < kFiles; ++i) {
            int k = i % 5;
            std::string path = folders_[i % kFolders] + mw::Format("/sheet%05d.map", i);
            std::string text = CalibrationText(i, lat(rng), lon(rng), sizes[k], scales[k]);
            std::FILE* file = std::fopen(path.c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            fs::last_write_time(path, old);
        }
        for (const std::string& f : folders_) fs::last_write_time(f, old);
        // Let the change times leave the racy window.
        std::this_thread::sleep_for(std::chrono::nanoseconds(mw::MapCatalogue::kRacyWindowNs) +
                                    std::chrono::milliseconds(500));
    }
    ~MapSet() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::vector<std::string>& Folders() const { return folders_; }

private:
    std::string root_;
    std::vector<std::string> folders_;
};

const MapSet& Maps() {
    static MapSet set;
    return set;
}

const mw::DatumTable& Datums() {
    static mw::DatumTable table;
    return table;
}

mw::MapSearch NextPosition(std::mt19937& rng) {
    std::uniform_real_distribution<double> lat(45, 53), lon(3, 15);
    return {lat(rng), lon(rng), mw::kDatumWgs84};
}

// One automatic selection, as the moving map runs it at the map's edge.
std::optional<mw::CoveringMap> Select(const mw::CoverageFinder& find) {
    return mw::ChooseMap(Maps().Folders(), find, "", mw::kUnknownScale);
}

template <typename Files>
void BM_CatalogueWarm(benchmark::State& state) {
    Maps();
    Files files;
    mw::MapCatalogue catalogue;
    std::mt19937 rng(1);
    mw::MapSearch search = NextPosition(rng);
    mw::CoverageFinder find = [&](const std::string& folder) {
        return catalogue.Covering(files, folder, search, Datums());
    };
    Select(find);  // the first search reads everything
    std::uint64_t reads = catalogue.FilesRead();
    for (auto _ : state) {
        search = NextPosition(rng);
        benchmark::DoNotOptimize(Select(find));
    }
    state.counters["files_read"] = static_cast<double>(catalogue.FilesRead() - reads);
}

void BM_CatalogueCold(benchmark::State& state) {
    Maps();
    mw::PosixFileSystem files;
    std::mt19937 rng(2);
    for (auto _ : state) {
        mw::MapCatalogue catalogue;
        mw::MapSearch search = NextPosition(rng);
        benchmark::DoNotOptimize(Select([&](const std::string& folder) {
            return catalogue.Covering(files, folder, search, Datums());
        }));
    }
}

void BM_PlainScan(benchmark::State& state) {
    Maps();
    mw::PosixFileSystem files;
    std::mt19937 rng(3);
    for (auto _ : state) {
        mw::MapSearch search = NextPosition(rng);
        benchmark::DoNotOptimize(Select([&](const std::string& folder) {
            return mw::ScanFolderFiles(files, folder, search, Datums());
        }));
    }
}

BENCHMARK(BM_CatalogueWarm<mw::PosixFileSystem>)
    ->Name("CatalogueWarm/posix")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueWarm<mw::StdFileSystem>)
    ->Name("CatalogueWarm/std")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
