// Map search over 1 000, 10 000 and 100 000 calibration files in 6 folders.
//
//   build/bench/bench_catalogue --benchmark_min_time=0.5
//
// Warm: the catalogue after its first search, kept up to date by a folder
// watch (inotify) or by stamping every file; against the stat floor (one
// fstatat per file, what stamping cannot go below) and the plain scan that
// reads every file at every search.
// Cold: the first search of a run, which reads every file, against the
// cost of reading every file once (list the folders, read each file);
// ParseEveryFile is the part of it that takes the files apart, and
// ColdAgainstReading the two in turns. Both
// with the page cache warm and with the files' pages dropped from it
// (posix_fadvise DONTNEED on every file before each run; folder and inode
// caches cannot be dropped without root, so they stay warm).
//
// Index: the first search of a run that starts on the catalogue's index file
// (one file read, no calibration file opened), asked at once or once the
// index was made ready in the background, against the first search with no
// index (every file read), the search after that, and the check of the
// folders' stamps once the index's answer is no longer trusted.
// IndexAgainstCold takes the three in turns in one benchmark and reports
// their ratios to the cold search:
//
//   build/bench/bench_catalogue --benchmark_filter='Index|FirstSearch'
//
// The files are written once per size into a scratch folder with times an
// hour old; then the run waits until the folders' own change times are
// older than the racy window, as they are for maps copied onto a card.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "map/catalogue.h"
#include "map/catalogue_index.h"
#include "map/coverage.h"
#include "map/map_file.h"
#include "ports/std_file_system.h"
#include "platform/posix_file_system.h"
#include "support/text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 6;

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
// is covered by a handful of them, as in a real collection. The area grows
// with the count, keeping the maps per square degree as at 10 000.
class MapSet {
public:
    explicit MapSet(int count) {
        std::string pattern = (fs::temp_directory_path() / "mwbench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root_ = pattern;
        const double grow = std::sqrt(count / 10000.0);
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> lat(44, 44 + 10 * grow), lon(2, 2 + 14 * grow);
        latHi_ = 44 + 10 * grow;
        lonHi_ = 2 + 14 * grow;
        const double sizes[] = {0.1, 0.25, 0.5, 1.0, 2.0};
        const double scales[] = {2.5, 5, 10, 25, 50};
        auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (int f = 0; f < kFolders; ++f) {
            folders_.push_back(root_ + "/maps" + std::to_string(f));
            fs::create_directories(folders_.back());
        }
        for (int i = 0; i < count; ++i) {
            int k = i % 5;
            std::string path = folders_[i % kFolders] + mw::Format("/sheet%06d.map", i);
            std::string text = CalibrationText(i, lat(rng), lon(rng), sizes[k], scales[k]);
            std::FILE* file = std::fopen(path.c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
            fs::last_write_time(path, old);
            paths_.push_back(path);
        }
        for (const std::string& f : folders_) fs::last_write_time(f, old);
        // Written back, so that dropping the pages really drops them.
        sync();
        // Let the change times leave the racy window.
        std::this_thread::sleep_for(std::chrono::nanoseconds(mw::MapCatalogue::kRacyWindowNs) +
                                    std::chrono::milliseconds(500));
    }
    ~MapSet() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::vector<std::string>& Folders() const { return folders_; }
    const std::string& Root() const { return root_; }
    const std::vector<std::string>& Paths() const { return paths_; }
    mw::MapSearch NextPosition(std::mt19937& rng) const {
        std::uniform_real_distribution<double> lat(45, latHi_ - 1), lon(3, lonHi_ - 1);
        return {lat(rng), lon(rng), mw::kDatumWgs84};
    }
    // Drops the files' pages from the page cache.
    void DropPages() const {
        for (const std::string& p : paths_) {
            int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            close(fd);
        }
    }

private:
    std::string root_;
    std::vector<std::string> folders_, paths_;
    double latHi_ = 0, lonHi_ = 0;
};

const MapSet& Maps(int count) {
    // One set on disk at a time.
    static std::unique_ptr<MapSet> set;
    static int setCount = 0;
    if (!set || setCount != count) {
        set.reset();
        set = std::make_unique<MapSet>(count);
        setCount = count;
    }
    return *set;
}

const mw::DatumTable& Datums() {
    static mw::DatumTable table;
    return table;
}

// One automatic selection, as the moving map runs it at the map's edge.
std::optional<mw::CoveringMap> Select(const MapSet& maps, const mw::CoverageFinder& find) {
    return mw::ChooseMap(maps.Folders(), find, "", mw::kUnknownScale);
}

// The port without its watcher: the catalogue stamps every file.
class StampedFiles : public mw::PosixFileSystem {
public:
    std::unique_ptr<mw::FolderWatcher> NewWatcher() override { return nullptr; }
};

template <typename Files>
void BM_CatalogueWarm(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    Files files;
    mw::MapCatalogue catalogue;
    std::mt19937 rng(1);
    mw::MapSearch search = maps.NextPosition(rng);
    mw::CoverageFinder find = [&](const std::string& folder) {
        return catalogue.Covering(files, folder, search, Datums());
    };
    Select(maps, find);  // the first search reads everything
    std::uint64_t reads = catalogue.FilesRead();
    for (auto _ : state) {
        search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, find));
    }
    state.counters["files_read"] = static_cast<double>(catalogue.FilesRead() - reads);
    state.counters["watched_folders"] = static_cast<double>(catalogue.WatchedFolderCount());
}

// What stamping every file costs at the least: one fstatat per file,
// relative to an open folder.
void BM_StatFloor(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    std::vector<std::pair<std::string, std::vector<std::string>>> names;
    for (const std::string& folder : maps.Folders()) {
        names.emplace_back(folder, std::vector<std::string>{});
        for (const auto& e : fs::directory_iterator(folder))
            names.back().second.push_back(e.path().filename().string());
    }
    for (auto _ : state) {
        for (const auto& [folder, files] : names) {
            int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            struct stat st;
            for (const std::string& n : files)
                benchmark::DoNotOptimize(fstatat(dir, n.c_str(), &st, 0));
            close(dir);
        }
    }
}

// The cost of reading every file once: list each folder, read each file
// whole through the same port the catalogue uses.
void ReadEveryFile(benchmark::State& state, bool dropPages) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    mw::PosixFileSystem files;
    for (auto _ : state) {
        if (dropPages) {
            state.PauseTiming();
            maps.DropPages();
            state.ResumeTiming();
        }
        std::size_t bytes = 0;
        for (const std::string& folder : maps.Folders()) {
            auto listing = files.ListFolder(folder, mw::kMapFileSuffix);
            for (const mw::FolderFile& f : *listing) {
                auto data = files.ReadFile(folder + "/" + f.name, mw::kMaxCalibrationFileBytes);
                bytes += data ? data->size() : 0;
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
}
void BM_ReadEveryFile(benchmark::State& state) { ReadEveryFile(state, false); }
void BM_ReadEveryFilePagesDropped(benchmark::State& state) { ReadEveryFile(state, true); }

// What the cold search adds to the reading: every file's coverage taken from
// its text, held in memory.
void BM_ParseEveryFile(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    mw::PosixFileSystem files;
    std::vector<std::string> texts;
    for (const std::string& p : maps.Paths())
        texts.push_back(files.ReadFile(p, mw::kMaxCalibrationFileBytes).value_or(""));
    for (auto _ : state) {
        for (const std::string& t : texts)
            benchmark::DoNotOptimize(mw::ReadCoverageInfo(t, Datums()));
    }
}

// The first search of a run (a new catalogue each time).
void CatalogueCold(benchmark::State& state, bool dropPages) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    mw::PosixFileSystem files;
    std::mt19937 rng(2);
    for (auto _ : state) {
        if (dropPages) {
            state.PauseTiming();
            maps.DropPages();
            state.ResumeTiming();
        }
        auto catalogue = std::make_unique<mw::MapCatalogue>();
        mw::MapSearch search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, [&](const std::string& folder) {
            return catalogue->Covering(files, folder, search, Datums());
        }));
        // A program keeps its catalogue: taking it down is no part of a search.
        state.PauseTiming();
        catalogue.reset();
        state.ResumeTiming();
    }
}
void BM_CatalogueCold(benchmark::State& state) { CatalogueCold(state, false); }
void BM_CatalogueColdPagesDropped(benchmark::State& state) { CatalogueCold(state, true); }

// The two above taken in turns within one benchmark, so that the ratio is
// not moved by what the system does between benchmarks (write-back of the
// files just made, cache warming): ratio = cold / reading, summed over the
// iterations.
void BM_ColdAgainstReading(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    mw::PosixFileSystem files;
    std::mt19937 rng(4);
    using Clock = std::chrono::steady_clock;
    double reading = 0, cold = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::size_t bytes = 0;
        for (const std::string& folder : maps.Folders()) {
            auto listing = files.ListFolder(folder, mw::kMapFileSuffix);
            for (const mw::FolderFile& f : *listing) {
                auto data = files.ReadFile(folder + "/" + f.name, mw::kMaxCalibrationFileBytes);
                bytes += data ? data->size() : 0;
            }
        }
        benchmark::DoNotOptimize(bytes);
        auto t1 = Clock::now();
        auto catalogue = std::make_unique<mw::MapCatalogue>();
        mw::MapSearch search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, [&](const std::string& folder) {
            return catalogue->Covering(files, folder, search, Datums());
        }));
        auto t2 = Clock::now();
        catalogue.reset();
        reading += std::chrono::duration<double>(t1 - t0).count();
        cold += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["reading_ms"] = reading / n * 1e3;
    state.counters["cold_ms"] = cold / n * 1e3;
    state.counters["ratio"] = cold / reading;
}

void BM_PlainScan(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    mw::PosixFileSystem files;
    std::mt19937 rng(3);
    for (auto _ : state) {
        mw::MapSearch search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, [&](const std::string& folder) {
            return mw::ScanFolderFiles(files, folder, search, Datums());
        }));
    }
}

// The port with a clock that can be moved on, to reach the time at which
// the index's answer is checked.
class ShiftedClock : public mw::PosixFileSystem {
public:
    std::int64_t NowNs() override { return mw::PosixFileSystem::NowNs() + shift; }
    std::int64_t shift = 0;
};

// The index file of a set, written once by a catalogue that read every file.
const std::string& IndexOf(const MapSet& maps) {
    static std::string path;
    static const MapSet* of = nullptr;
    if (of != &maps) {
        path = maps.Root() + "/" + mw::kCatalogueIndexFile;
        std::remove(path.c_str());
        mw::PosixFileSystem files;
        mw::MapCatalogue catalogue;
        catalogue.UseIndexFile(path);
        std::mt19937 rng(5);
        mw::MapSearch search = maps.NextPosition(rng);
        Select(maps, [&](const std::string& folder) {
            return catalogue.Covering(files, folder, search, Datums());
        });
        if (!catalogue.SaveIndex()) std::abort();
        of = &maps;
    }
    return path;
}

// The first search of a run with no index: every calibration file read.
void BM_FirstSearchCold(benchmark::State& state) { CatalogueCold(state, false); }

// The first search of a run on the index file, asked at once: the file
// read, its folders made ready, the search answered; no calibration file
// opened.
void BM_FirstSearchFromIndex(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    const std::string& index = IndexOf(maps);
    mw::PosixFileSystem files;
    std::mt19937 rng(2);
    std::uint64_t reads = 0;
    for (auto _ : state) {
        auto catalogue = std::make_unique<mw::MapCatalogue>();
        catalogue->UseIndexFile(index);
        mw::MapSearch search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, [&](const std::string& folder) {
            return catalogue->Covering(files, folder, search, Datums());
        }));
        reads += catalogue->FilesRead();
        state.PauseTiming();
        catalogue.reset();
        state.ResumeTiming();
    }
    state.counters["files_read"] = static_cast<double>(reads);
}

// The same when the index file was read and its folders made ready on the
// catalogue's thread while the program did other work (as a start does
// while the window system comes up): what is left for the first search.
void BM_FirstSearchIndexReady(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    const std::string& index = IndexOf(maps);
    mw::PosixFileSystem files;
    std::mt19937 rng(2);
    std::uint64_t reads = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto catalogue = std::make_unique<mw::MapCatalogue>();
        catalogue->UseIndexFile(index);
        // Far more than the reading takes (about 1 ms per 1 000 maps).
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + state.range(0) / 200));
        mw::MapSearch search = maps.NextPosition(rng);
        state.ResumeTiming();
        benchmark::DoNotOptimize(Select(maps, [&](const std::string& folder) {
            return catalogue->Covering(files, folder, search, Datums());
        }));
        state.PauseTiming();
        reads += catalogue->FilesRead();
        catalogue.reset();
        state.ResumeTiming();
    }
    state.counters["files_read"] = static_cast<double>(reads);
}

// The check that follows a start on the index: every folder listed and its
// files stamped (nothing changed, so nothing read).
void BM_IndexCheck(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    const std::string& index = IndexOf(maps);
    ShiftedClock files;
    std::mt19937 rng(2);
    std::uint64_t reads = 0;
    for (auto _ : state) {
        state.PauseTiming();
        files.shift = 0;
        auto catalogue = std::make_unique<mw::MapCatalogue>();
        catalogue->UseIndexFile(index);
        mw::MapSearch search = maps.NextPosition(rng);
        auto find = [&](const std::string& folder) {
            return catalogue->Covering(files, folder, search, Datums());
        };
        Select(maps, find);
        files.shift = mw::MapCatalogue::kIndexTrustNs;
        state.ResumeTiming();
        benchmark::DoNotOptimize(Select(maps, find));
        state.PauseTiming();
        reads += catalogue->FilesRead();
        catalogue.reset();
        state.ResumeTiming();
    }
    state.counters["files_read"] = static_cast<double>(reads);
}

// Cold first search, first search from the index and a repeated search
// taken in turns, so that their ratios are not moved by what the system
// does between benchmarks.
void BM_IndexAgainstCold(benchmark::State& state) {
    const MapSet& maps = Maps(static_cast<int>(state.range(0)));
    const std::string& index = IndexOf(maps);
    mw::PosixFileSystem files;
    std::mt19937 rng(6);
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    double cold = 0, indexed = 0, repeated = 0;
    std::uint64_t indexedReads = 0;
    for (auto _ : state) {
        mw::MapSearch search = maps.NextPosition(rng);
        auto t0 = Clock::now();
        auto plain = std::make_unique<mw::MapCatalogue>();
        auto a = Select(maps, [&](const std::string& folder) {
            return plain->Covering(files, folder, search, Datums());
        });
        auto t1 = Clock::now();
        auto fromIndex = std::make_unique<mw::MapCatalogue>();
        fromIndex->UseIndexFile(index);
        auto find = [&](const std::string& folder) {
            return fromIndex->Covering(files, folder, search, Datums());
        };
        auto b = Select(maps, find);
        auto t2 = Clock::now();
        search = maps.NextPosition(rng);
        benchmark::DoNotOptimize(Select(maps, find));
        auto t3 = Clock::now();
        // Both ways must find the same map, or the timing means nothing.
        if (a.has_value() != b.has_value() || (a && a->path != b->path)) {
            state.SkipWithError("the index and the files disagree");
            break;
        }
        indexedReads += fromIndex->FilesRead();
        cold += seconds(t0, t1);
        indexed += seconds(t1, t2);
        repeated += seconds(t2, t3);
        state.SetIterationTime(seconds(t0, t3));
        plain.reset();
        fromIndex.reset();
    }
    const double n = static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["cold_ms"] = cold / n * 1e3;
    state.counters["index_ms"] = indexed / n * 1e3;
    state.counters["repeat_ms"] = repeated / n * 1e3;
    state.counters["index_ratio"] = indexed / cold;
    state.counters["repeat_ratio"] = repeated / cold;
    state.counters["index_files_read"] = static_cast<double>(indexedReads);
}

// Sizes in order, so each set is written once.
void Sizes(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); }

#define MW_FOR_SIZE(N)                                             \
    BENCHMARK(BM_CatalogueWarm<mw::PosixFileSystem>)               \
        ->Name("CatalogueWarm/watched")                            \
        ->Arg(N)                                                   \
        ->Apply(Sizes);                                            \
    BENCHMARK(BM_CatalogueWarm<StampedFiles>)                      \
        ->Name("CatalogueWarm/stamped")                            \
        ->Arg(N)                                                   \
        ->Apply(Sizes);                                            \
    BENCHMARK(BM_StatFloor)->Arg(N)->Apply(Sizes);                 \
    BENCHMARK(BM_ReadEveryFile)->Arg(N)->Apply(Sizes);             \
    BENCHMARK(BM_ParseEveryFile)->Arg(N)->Apply(Sizes);            \
    BENCHMARK(BM_CatalogueCold)->Arg(N)->Apply(Sizes);             \
    BENCHMARK(BM_ReadEveryFilePagesDropped)->Arg(N)->Apply(Sizes); \
    BENCHMARK(BM_CatalogueColdPagesDropped)->Arg(N)->Apply(Sizes); \
    BENCHMARK(BM_ColdAgainstReading)->Arg(N)->Apply(Sizes)->UseManualTime(); \
    BENCHMARK(BM_FirstSearchCold)->Arg(N)->Apply(Sizes);                  \
    BENCHMARK(BM_FirstSearchFromIndex)->Arg(N)->Apply(Sizes);             \
    BENCHMARK(BM_FirstSearchIndexReady)->Arg(N)->Apply(Sizes)->Iterations(10); \
    BENCHMARK(BM_IndexCheck)->Arg(N)->Apply(Sizes);                       \
    BENCHMARK(BM_IndexAgainstCold)->Arg(N)->Apply(Sizes)->UseManualTime(); \
    BENCHMARK(BM_PlainScan)->Arg(N)->Apply(Sizes)

MW_FOR_SIZE(1000);
MW_FOR_SIZE(10000);
MW_FOR_SIZE(100000);

}  // namespace

BENCHMARK_MAIN();
