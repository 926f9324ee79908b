// Which maps cover a position, which one automatic selection takes, and the
// catalogue index that must find exactly what a plain scan of the folders
// finds while reading only files that changed.
#include <gtest/gtest.h>

#include <cmath>

#include <filesystem>
#include <random>
#include <fstream>
#include <set>

#include "map/catalogue.h"
#include "map/catalogue_index.h"
#include "map/coverage.h"
#include "ports/std_file_system.h"
#include "platform/posix_file_system.h"
#include "support/paths.h"
#include "support/text.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;
using mwtest::CalibrationFileText;
using mwtest::CoverageMap;

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSecond = 1'000'000'000;

const DatumTable& Datums() {
    static DatumTable table;
    return table;
}

// A watcher that refuses chosen folders (as for a network mount) and can be
// told to lose track of everything (as when its queue overflows).
class FaultyWatcher : public FolderWatcher {
public:
    explicit FaultyWatcher(std::unique_ptr<FolderWatcher> inner) : inner_(std::move(inner)) {}
    bool Watch(const std::string& folder) override {
        return !refused.count(folder) && inner_->Watch(folder);
    }
    void Unwatch(const std::string& folder) override { inner_->Unwatch(folder); }
    std::vector<FolderChange> TakeChanges() override {
        auto changes = inner_->TakeChanges();
        if (dropLost) {
            changes.erase(std::remove_if(changes.begin(), changes.end(),
                                         [](const FolderChange& c) { return c.rescan; }),
                          changes.end());
        }
        if (overflow) {
            overflow = false;
            for (const std::string& f : overflowFolders) changes.push_back({f, {}, true});
        }
        return changes;
    }
    std::set<std::string> refused;
    // A lost watch goes unreported: the folder was replaced behind its back.
    bool dropLost = false;
    // The next TakeChanges reports these folders lost, as an overflow does.
    bool overflow = false;
    std::vector<std::string> overflowFolders;

private:
    std::unique_ptr<FolderWatcher> inner_;
};

// Counts reads; its clock can be set by the test.
// It hands out the inner file system's watcher only when `watch` is set
// (optionally wrapped in a FaultyWatcher).
class CountingFiles : public FileSystem {
public:
    explicit CountingFiles(FileSystem& inner) : inner_(inner) {}
    std::optional<FileStamp> StampFolder(const std::string& f) override {
        return inner_.StampFolder(f);
    }
    std::optional<std::vector<FolderFile>> ListFolder(const std::string& f,
                                                      std::string_view suffix) override {
        return inner_.ListFolder(f, suffix);
    }
    std::vector<std::optional<FileStamp>> StampFiles(const std::string& f,
                                                     const std::vector<std::string>& n) override {
        return inner_.StampFiles(f, n);
    }
    std::optional<std::string> ReadFile(const std::string& path, std::size_t max) override {
        ++reads;
        return inner_.ReadFile(path, max);
    }
    std::int64_t NowNs() override { return now ? *now : inner_.NowNs(); }
    bool IsLink(const std::string& path) override { return inner_.IsLink(path); }
    std::unique_ptr<FolderWatcher> NewWatcher() override {
        if (!watch) return nullptr;
        auto inner = inner_.NewWatcher();
        if (!inner || !faultyWatch) return inner;
        auto w = std::make_unique<FaultyWatcher>(std::move(inner));
        faulty = w.get();
        return w;
    }

    int reads = 0;
    std::optional<std::int64_t> now;
    bool watch = false;
    bool faultyWatch = false;         // wrap the watcher in a FaultyWatcher...
    FaultyWatcher* faulty = nullptr;  // ...which is this one

private:
    FileSystem& inner_;
};

// A map folder tree in a scratch folder. Files get modification times an
// hour in the past (each one distinct), as maps copied onto a card have.
class MapFolders {
public:
    std::string Folder(const std::string& name) {
        std::string f = dir_.File(name);
        fs::create_directories(f);
        return f;
    }
    std::string Write(const std::string& folder, const std::string& name,
                      const CalibrationFileText& calib) {
        return WriteText(folder, name, calib.Text());
    }
    std::string WriteText(const std::string& folder, const std::string& name,
                          const std::string& text) {
        std::string path = JoinPath(Folder(folder), name);
        {
            std::FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1) +
                                      std::chrono::seconds(++tick_));
        return path;
    }
    const std::string& Root() const { return dir_.Path(); }

private:
    mwtest::TempDir dir_;
    int tick_ = 0;
};

MapSearch At(double lat, double lon, int datum = kDatumWgs84) { return {lat, lon, datum}; }

CoverageFinder FullScan(FileSystem& files, const MapSearch& s) {
    return [&files, s](const std::string& folder) {
        return ScanFolderFiles(files, folder, s, Datums());
    };
}

CoverageFinder Indexed(MapCatalogue& cat, FileSystem& files, const MapSearch& s) {
    return [&cat, &files, s](const std::string& folder) {
        return cat.Covering(files, folder, s, Datums());
    };
}

TEST(Coverage, WhatTheCoverageReadingTakesFromAFile) {
    const int osgb = FindDatumByName(Datums(), "Ord Srvy Grt Britn");
    struct Case {
        const char* name;
        std::function<void(CalibrationFileText&)> edit;
        double lat, lon;
        int datum;
        bool covers;
        double scale;
    };
    // A concave border: a square 50..51 N, 10..11 E with a notch cut from the east.
    std::vector<mwtest::TestCorner> notch = {{51, 10},   {51, 11}, {50.6, 11}, {50.5, 10.5},
                                             {50.4, 11}, {50, 11}, {50, 10}};
    const auto same = [](CalibrationFileText&) {};
    const auto notched = [&](CalibrationFileText& s) {
        s.borderLatLon = notch;
        s.borderCount = 7;
    };
    const auto onOsgb = [](CalibrationFileText& s) {
        s.datum = "Ord Srvy Grt Britn";
        s.borderLatLon = mwtest::RectangleBorder(51, -1, 53, 0);
    };
    const int wgs = kDatumWgs84;
    // clang-format off
    const Case cases[] = {
        {"inside", same, 50.5, 10.2, wgs, true, 5},
        {"foreign header", [](auto& s) { s.header = "Some Map File"; }, 50.5, 10.2, wgs, false, 0},
        {"moving-map flag No", [](auto& s) { s.movingMap = "No"; }, 50.5, 10.2, wgs, false, 0},
        {"no MM1B", [](auto& s) { s.scale.reset(); }, 50.5, 10.2, wgs, true, 99999},
        // A scale that is no positive number is no scale, not the best one.
        {"MM1B 0", [](auto& s) { s.scale = 0; }, 50.5, 10.2, wgs, true, 99999},
        {"notch: in the cut", notched, 50.5, 10.8, wgs, false, 0},
        {"position moved to the map datum", onOsgb, 52.0, -1.0010, wgs, true, 5},
        {"same position already on the map datum", onOsgb, 52.0, -1.0010, osgb, false, 0},
    };
    // clang-format on
    MapFolders tree;
    CountingFiles files(DefaultFileSystem());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationFileText calib = CoverageMap(50, 10, 51, 11, 5.0);
        c.edit(calib);
        std::string path = tree.Write("m", "x.map", calib);
        double scale = -1;
        EXPECT_EQ(MapCoversPosition(files, path, c.lat, c.lon, c.datum, Datums(), &scale),
                  c.covers);
        if (c.covers) {
            EXPECT_EQ(scale, c.scale);
        }
    }
    EXPECT_FALSE(MapCoversPosition(files, tree.Root() + "/none.map", 50.5, 10.5, kDatumWgs84,
                                   Datums(), nullptr));
}

// The keyword lines are found by searching the whole text; whatever the line
// ends, a carriage return inside a keyword or a line past the reading limit,
// the lines read are those read one after another.
TEST(Coverage, KeywordLinesAreFoundWhateverTheLineEnds) {
    CalibrationFileText calib = CoverageMap(50, 10, 51, 11, 5.0);
    calib.borderCount = 4;
    calib.points = {{0, 0, 51, 10}, {400, 400, 50, 11}};
    const std::string crlf = calib.Text();
    const CoverageInfo want = ReadCoverageInfo(crlf, Datums());
    ASSERT_TRUE(want.CanCover());
    ASSERT_EQ(want.borderLat.size(), 4u);
    auto edit = [&](const std::string& from, const std::string& to) {
        std::string t = crlf;
        const std::size_t at = t.find(from);
        return at == std::string::npos ? std::string("not found: ") + from
                                       : t.replace(at, from.size(), to);
    };
    std::string lf = crlf;
    std::erase(lf, '\r');
    const std::string variants[] = {
        lf,
        edit("MMPLL,2", "M\rMPLL,2"),  // joined when the line is read
        edit("MM1B", "M\r\rM1B"),
        edit("Point01", "Po\rint01"),                            // a CR inside a point line
        edit("MMPLL,3", std::string(300, ' ') + "\r\nMMPLL,3"),  // a long line first
    };
    for (const std::string& text : variants) {
        SCOPED_TRACE(text.substr(0, 40));
        const CoverageInfo got = ReadCoverageInfo(text, Datums());
        EXPECT_EQ(got.movingMap, want.movingMap);
        EXPECT_EQ(got.scale, want.scale);
        EXPECT_EQ(got.borderLat, want.borderLat);
        EXPECT_EQ(got.borderLon, want.borderLon);
    }
    // A keyword after the reading limit in one long line is read as the
    // start of the next piece, as line by line reads it.
    const std::string cut = edit("MMPLL,3", std::string(kShortLineMax, ' ') + "MMPLL,3");
    EXPECT_EQ(ReadCoverageInfo(cut, Datums()).borderLat, want.borderLat);
}

class Selection : public ::testing::Test {
protected:
    std::optional<CoveringMap> Choose(const std::vector<std::string>& folders, const MapSearch& s,
                                      const std::string& loaded, double currentScale) {
        auto plain = ChooseMap(folders, FullScan(files, s), loaded, currentScale);
        auto indexed = ChooseMap(folders, Indexed(catalogue, files, s), loaded, currentScale);
        EXPECT_EQ(plain.has_value(), indexed.has_value());
        if (plain && indexed) {
            EXPECT_EQ(plain->path, indexed->path);
        }
        return indexed;
    }
    MapFolders tree;
    PosixFileSystem posix;
    CountingFiles files{posix};
    MapCatalogue catalogue;
};

TEST_F(Selection, CandidatesAndTheTwoPercentRule) {
    std::string folder = tree.Folder("m");
    CalibrationFileText noFlag = CoverageMap(50, 10, 51, 11, 1.0);
    noFlag.movingMap.reset();
    tree.Write("m", "a-no-flag.map", noFlag);
    tree.Write("m", "b-unscaled.map", CoverageMap(50, 10, 51, 11, std::nullopt));
    tree.Write("m", "c-scaled.map", CoverageMap(50, 10, 51, 11, 10.0));
    // Equal scales go to the first file by name, in byte order ('Z' before
    // 'c'), not the order written.
    std::string upper = tree.Write("m", "Z-scaled.map", CoverageMap(50, 10, 51, 11, 10.0));
    std::string loaded = tree.Write("m", "d-loaded.map", CoverageMap(50, 10, 51, 11, 0.5));
    tree.WriteText("m", "e-not-a-map.txt", CoverageMap(50, 10, 51, 11, 0.1).Text());
    const struct {
        double lat, currentScale;
        bool changes;
    } cases[] = {
        {50.5, kUnknownScale, true},
        {50.5, 10.1, false},  // within 2 % of the loaded map's scale
        {50.5, 10.3, true},
        {60, kUnknownScale, false},
    };
    for (const auto& c : cases) {
        auto choice = Choose({folder}, At(c.lat, 10.5), loaded, c.currentScale);
        ASSERT_EQ(choice.has_value(), c.changes) << c.currentScale;
        if (choice) {
            EXPECT_EQ(choice->path, upper);
        }
    }
}

TEST_F(Selection, RecentlyWrittenFilesAreNotTrusted) {
    std::string folder = tree.Folder("m");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 2.0));
    auto search = [&] { return catalogue.Covering(files, folder, At(50.5, 10.5), Datums()); };
    // A file written within the racy window may change again without a new
    // time stamp, so it is read at every search until it is old enough.
    FileStamp stamp = *posix.StampFiles(folder, {"a.map"})[0];
    std::int64_t written = std::max(stamp.modifiedNs, stamp.changedNs);
    files.now = written + kSecond;
    search();
    search();
    EXPECT_EQ(files.reads, 2);
    files.now = written + MapCatalogue::kRacyWindowNs + kSecond;
    search();
    search();
    EXPECT_EQ(files.reads, 3);
}

// Random map sets, searched by both ways after random changes.
enum class Mode { Std, PosixStamped, Watched, WatchedWithFaults };

class Equivalence : public ::testing::TestWithParam<Mode> {};

TEST_P(Equivalence, IndexAndPlainScanAgreeOverRandomMapSets) {
    const Mode mode = GetParam();
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto real = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const std::vector<std::string> datums = {"WGS 84", "Ord Srvy Grt Britn", "European 1950",
                                             "NAD27 CONUS"};
    const std::vector<std::optional<double>> scales = {1.0, 2.0,  2.0,  5.0,
                                                       5.0, 10.0, 10.2, std::nullopt};
    const std::vector<std::string> names = {"a", "B", "b", "a1", "Z", "_x", "m", "k2", "Q", "q"};

    MapFolders tree;
    StdFileSystem stdFiles;
    PosixFileSystem posixFiles;
    CountingFiles files(mode == Mode::Std ? static_cast<FileSystem&>(stdFiles) : posixFiles);
    files.watch = mode == Mode::Watched || mode == Mode::WatchedWithFaults;
    files.faultyWatch = mode == Mode::WatchedWithFaults;
    // Now and then the program ends and starts again on its index file.
    const std::string indexPath = tree.Root() + "/cache/" + kCatalogueIndexFile;
    auto catalogue = std::make_unique<MapCatalogue>();
    catalogue->UseIndexFile(indexPath);
    bool restarted = false;
    std::int64_t restartTime = 0;
    std::uint64_t foldersFromIndex = 0;
    std::vector<std::string> folders = {tree.Folder("f0"), tree.Folder("f1"), tree.Folder("f2")};
    // One folder as on a network mount: no watch, stamped at every search.
    CountingFiles plainFiles(posixFiles);

    auto randomMap = [&]() {
        double s = real(49, 53), w = real(-3, 2);
        // Some maps are much larger than the grid's cells, a few span the
        // world (the grid keeps those in its wide list).
        double size = pick(10) == 0 ? real(5, 40) : real(0.2, 3);
        // Corners on whole degrees meet the searches there, on a grid line.
        if (pick(8) == 0) {
            s = std::round(s);
            w = std::round(w);
        }
        if (pick(40) == 0) s = -89, w = -179, size = 358;
        CalibrationFileText calib =
            CoverageMap(s, w, s + size, w + size, scales[pick(scales.size())]);
        calib.datum = datums[pick(datums.size())];
        int r = pick(20);
        if (r == 0) calib.movingMap = "No";
        if (r == 1) calib.header = "Not a calibration file";
        if (r == 2) calib.msf = 2;
        if (r == 3) calib.borderCount = 3;  // a triangle
        if (r == 4) calib.extraLines = {"MMPLL,2,nan,inf"};  // a corner that is no number
        if (r == 5) calib.extraLines = {"MMPLL,3,1e300,-1e300"};  // a corner off every grid
        return calib;
    };
    auto fileName = [&]() { return names[pick(names.size())] + (pick(6) == 0 ? ".MAP" : ".map"); };
    std::vector<std::string> written;
    auto writeRandom = [&]() {
        std::string folder = "f" + std::to_string(pick(3));
        written.push_back(tree.Write(folder, fileName(), randomMap()));
    };
    for (int i = 0; i < 40; ++i) writeRandom();

    const std::int64_t start = posixFiles.NowNs();
    int swaps = 0;
    for (int round = 0; round < 100; ++round) {
        // The searches run some seconds after the changes, so no file is in
        // the racy window and a stamped folder has to rely on its stamps;
        // the clock also moves on by more than the folder check interval.
        files.now = start + 10 * kSecond + round * MapCatalogue::kVerifyFolderNs + restartTime;
        if (restarted) {
            // The first searches after a start answer from the index; the
            // folders are checked once its answer is no longer trusted.
            FindMapsAtPosition(folders, Indexed(*catalogue, files, At(51, 0)));
            restartTime += MapCatalogue::kIndexTrustNs;
            *files.now += MapCatalogue::kIndexTrustNs;
            restarted = false;
        }
        if (files.faulty) {
            files.faulty->refused = {folders[2]};
            if (round % 7 == 3) {
                files.faulty->overflow = true;
                files.faulty->overflowFolders = folders;
            }
            files.faulty->dropLost = round % 2 == 1;
        }
        for (int q = 0; q < 8; ++q) {
            MapSearch s =
                At(real(49, 55), real(-3, 5),
                   pick(3) == 0 ? FindDatumByName(Datums(), "European 1950") : kDatumWgs84);
            const int odd = pick(50);
            if (odd == 0) s.lat = 1e9;  // no position a grid cell can hold
            if (odd == 1) s.lon = std::nan("");
            if (odd == 2) {
                s.lat = std::round(s.lat);
                s.lon = std::round(s.lon);
            }
            auto plainList = FindMapsAtPosition(folders, FullScan(plainFiles, s));
            auto indexList = FindMapsAtPosition(folders, Indexed(*catalogue, files, s));
            ASSERT_EQ(plainList.size(), indexList.size()) << "round " << round;
            for (std::size_t i = 0; i < plainList.size(); ++i) {
                EXPECT_EQ(plainList[i].path, indexList[i].path);
                EXPECT_EQ(plainList[i].scale, indexList[i].scale);
            }
        }
        if (round % 10 == 9 && round < 99) {
            ASSERT_TRUE(catalogue->SaveIndex());
            foldersFromIndex += catalogue->FoldersFromIndex();
            catalogue = std::make_unique<MapCatalogue>();
            catalogue->UseIndexFile(indexPath);
            files.faulty = nullptr;
            restarted = true;
        }
        // Change the set between rounds: rewrite, add, remove, rename, and
        // now and then put a different folder where a map folder was.
        for (int c = 0; c < 6; ++c) {
            int action = pick(25);
            if (action == 24) {
                const std::string& folder = folders[pick(3)];
                const std::string away = tree.Root() + "/away" + std::to_string(++swaps);
                fs::rename(folder, away);
                const std::string fresh = tree.Folder("fresh");
                for (int k = 0; k < 3; ++k) tree.Write("fresh", fileName(), randomMap());
                fs::rename(fresh, folder);
                for (const auto& e : fs::directory_iterator(folder))
                    written.push_back(e.path().string());
            } else if (action < 6 || written.empty()) {
                writeRandom();
            } else {
                std::size_t i = pick(written.size());
                std::string path = written[i];
                if (!fs::exists(path)) continue;
                if (action < 12) {
                    tree.Write(FileNameOf(FolderOf(path)), FileNameOf(path), randomMap());
                } else if (action < 18) {
                    fs::remove(path);
                } else {
                    std::string to = JoinPath(FolderOf(path), "r" + fileName());
                    fs::rename(path, to);
                    written.push_back(to);
                }
            }
        }
    }
    // Most searches were answered from what the catalogue (or its index
    // file) knew.
    EXPECT_LT(files.reads * 10, plainFiles.reads);
    EXPECT_EQ(foldersFromIndex + catalogue->FoldersFromIndex(), 9u * folders.size());
    if (mode == Mode::Watched) {
        EXPECT_EQ(catalogue->WatchedFolderCount(), 3u);
    }
    if (mode == Mode::WatchedWithFaults) {
        EXPECT_EQ(catalogue->WatchedFolderCount(), 2u);
    }
}

const char* const kModeNames[] = {"std", "posix_stamped", "watched", "watched_with_faults"};
INSTANTIATE_TEST_SUITE_P(FileSystemsAndWatches, Equivalence,
                         ::testing::Values(Mode::Std, Mode::PosixStamped, Mode::Watched,
                                           Mode::WatchedWithFaults),
                         [](const auto& info) { return std::string(kModeNames[int(info.param)]); });

// --- The index file kept between runs --------------------------------------

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> Paths(const std::vector<CoveringMap>& maps) {
    std::vector<std::string> out;
    for (const CoveringMap& m : maps) out.push_back(m.path + " " + std::to_string(m.scale));
    return out;
}

// One run of the program: a catalogue on the index file and a file system
// whose clock starts ten seconds after now, past every racy window.
struct ProgramRun {
    ProgramRun(const std::string& indexPath, bool watch) : files(posix) {
        files.watch = watch;
        files.now = posix.NowNs() + 10 * kSecond;
        catalogue.UseIndexFile(indexPath);
    }
    std::vector<std::string> Search(const std::string& folder, double lat = 50.5,
                                    double lon = 10.5) {
        return Paths(catalogue.Covering(files, folder, At(lat, lon), Datums()));
    }
    void Wait(std::int64_t ns) { *files.now += ns; }
    PosixFileSystem posix;
    CountingFiles files;
    MapCatalogue catalogue;
};

std::vector<std::string> PlainScan(const std::string& folder, double lat = 50.5,
                                   double lon = 10.5) {
    PosixFileSystem posix;
    return Paths(ScanFolderFiles(posix, folder, At(lat, lon), Datums()));
}

class IndexFile : public ::testing::TestWithParam<bool> {
protected:
    std::string IndexPath() const { return tree.Root() + "/cache/" + kCatalogueIndexFile; }
    MapFolders tree;
};

// The first search of a run answers from the index without reading a file;
// once the index's answer is no longer trusted the folder is checked, and
// exactly the maps added or changed between the runs are read.
TEST_P(IndexFile, ChangesBetweenRunsAreSeenAfterTheCheckAndUnchangedFilesNeverRead) {
    const std::string folder = tree.Folder("m");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 10.0));
    tree.Write("m", "c.map", CoverageMap(50, 10, 51, 11, 25.0));
    tree.Write("m", "far.map", CoverageMap(40, 0, 41, 1, 5.0));
    CalibrationFileText foreign = CoverageMap(50, 10, 51, 11, 1.0);
    foreign.header = "Not a calibration file";
    tree.Write("m", "foreign.map", foreign);

    std::vector<std::string> before;
    {
        ProgramRun run(IndexPath(), GetParam());
        before = run.Search(folder);
        EXPECT_EQ(run.files.reads, 5);
        EXPECT_TRUE(run.catalogue.SaveIndex());
    }
    ASSERT_EQ(before, PlainScan(folder));
    ASSERT_FALSE(ReadBytes(IndexPath()).empty());

    // Between the runs: one map changed, one removed, one added.
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    fs::remove(JoinPath(folder, "c.map"));
    tree.Write("m", "d.map", CoverageMap(50.2, 10.2, 50.8, 10.8, 1.0));
    const std::vector<std::string> after = PlainScan(folder);
    ASSERT_NE(before, after);

    ProgramRun run(IndexPath(), GetParam());
    // The first searches, within the trusted time: the index's answer, no
    // file opened (the stale answer is the price of a fast start).
    EXPECT_EQ(run.Search(folder), before);
    run.Wait(MapCatalogue::kIndexTrustNs / 2);
    EXPECT_EQ(run.Search(folder), before);
    EXPECT_EQ(run.files.reads, 0);
    EXPECT_EQ(run.catalogue.FoldersFromIndex(), 1u);
    // Then the check: the changed and the new map are read, nothing else.
    run.Wait(MapCatalogue::kIndexTrustNs);
    EXPECT_EQ(run.Search(folder), after);
    EXPECT_EQ(run.files.reads, 2);
    run.Wait(MapCatalogue::kVerifyFolderNs);
    EXPECT_EQ(run.Search(folder), after);
    EXPECT_EQ(run.Search(folder, 40.5, 0.5), PlainScan(folder, 40.5, 0.5));
    EXPECT_EQ(run.files.reads, 2);
    EXPECT_TRUE(run.catalogue.SaveIndex());

    // The third run starts from what the second learned.
    ProgramRun third(IndexPath(), GetParam());
    EXPECT_EQ(third.Search(folder), after);
    EXPECT_EQ(third.files.reads, 0);
}

// A folder gone between the runs is answered from the index at first, and
// is empty from the check on.
TEST_P(IndexFile, AFolderGoneBetweenRunsIsForgottenAtTheCheck) {
    const std::string folder = tree.Folder("m");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    {
        ProgramRun run(IndexPath(), GetParam());
        run.Search(folder);
        ASSERT_TRUE(run.catalogue.SaveIndex());
    }
    fs::remove_all(folder);
    ProgramRun run(IndexPath(), GetParam());
    EXPECT_EQ(run.Search(folder).size(), 1u);
    run.Wait(MapCatalogue::kIndexTrustNs);
    EXPECT_TRUE(run.Search(folder).empty());
    EXPECT_EQ(run.catalogue.FolderCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(StampedAndWatched, IndexFile, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "watched" : "stamped"; });

// A damaged index is never trusted: whatever byte of it is changed, where it
// is cut, or when it belongs to another version or datum table, the search
// reads the files and finds what a plain scan finds.
TEST(IndexFileDamage, EveryDamagedIndexIsIgnoredAndRebuilt) {
    MapFolders tree;
    const std::string indexPath = tree.Root() + "/cache/" + kCatalogueIndexFile;
    const std::string folder = tree.Folder("m");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    CalibrationFileText onOsgb = CoverageMap(50, 10, 51, 11, 1.0);
    onOsgb.datum = "Ord Srvy Grt Britn";
    tree.Write("m", "c.map", onOsgb);
    {
        ProgramRun run(indexPath, false);
        run.Search(folder);
        ASSERT_TRUE(run.catalogue.SaveIndex());
    }
    const std::string good = ReadBytes(indexPath);
    ASSERT_GT(good.size(), 100u);
    const std::vector<std::string> want = PlainScan(folder);

    // The index's answer stays right when the maps are moved to where the
    // damage would show: the files now say something else than the index.
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 1.5));
    const std::vector<std::string> now = PlainScan(folder);
    ASSERT_NE(now, want);

    std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"another file", "Mapwanderer Map File,Version 1.0\r\n"},
        {"doubled", good + good},
    };
    for (std::size_t cut : {std::size_t(4), std::size_t(8), std::size_t(20), good.size() / 2,
                            good.size() - 1})
        damaged.push_back({"cut at " + std::to_string(cut), good.substr(0, cut)});
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (at % 8)));
        damaged.push_back({"bit flipped at " + std::to_string(at), bytes});
    }
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        WriteBytes(indexPath, bytes);
        ProgramRun run(indexPath, false);
        EXPECT_EQ(run.Search(folder), now);
        EXPECT_EQ(run.files.reads, 3);
        EXPECT_EQ(run.catalogue.FoldersFromIndex(), 0u);
    }

    // An index written under another datum table: the datum numbers may mean
    // other datums now.
    WriteBytes(indexPath, good);
    {
        DatumTable other;
        other.rows[other.datumCount++] = {"Local Grid", kEllipsoidWgs84, 10, 20, 30};
        PosixFileSystem posix;
        CountingFiles files(posix);
        files.now = posix.NowNs() + 10 * kSecond;
        MapCatalogue catalogue;
        catalogue.UseIndexFile(indexPath);
        catalogue.Covering(files, folder, At(50.5, 10.5), other);
        EXPECT_EQ(files.reads, 3);
        // The damaged index is replaced at the next write.
        EXPECT_TRUE(catalogue.SaveIndex());
        EXPECT_NE(ReadBytes(indexPath), good);
    }
    {
        ProgramRun run(indexPath, false);
        run.Search(folder);
        EXPECT_EQ(run.files.reads, 3);
        ASSERT_TRUE(run.catalogue.SaveIndex());
    }
    ProgramRun run(indexPath, false);
    EXPECT_EQ(run.Search(folder), now);
    EXPECT_EQ(run.files.reads, 0);
}

// Damage to one folder's section costs only that folder a reading.
TEST(IndexFileDamage, ADamagedSectionCostsOnlyItsFolder) {
    MapFolders tree;
    const std::string indexPath = tree.Root() + "/cache/" + kCatalogueIndexFile;
    const std::string first = tree.Folder("m"), second = tree.Folder("n");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    tree.Write("n", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    tree.Write("n", "c.map", CoverageMap(50, 10, 51, 11, 1.0));
    {
        ProgramRun run(indexPath, false);
        run.Search(first);
        run.Search(second);
        ASSERT_TRUE(run.catalogue.SaveIndex());
    }
    // The sections follow the table in folder order: the last byte is the
    // second folder's.
    std::string bytes = ReadBytes(indexPath);
    bytes.back() = static_cast<char>(bytes.back() ^ 0x40);
    WriteBytes(indexPath, bytes);
    ProgramRun run(indexPath, false);
    EXPECT_EQ(run.Search(first), PlainScan(first));
    EXPECT_EQ(run.files.reads, 0);
    EXPECT_EQ(run.Search(second), PlainScan(second));
    EXPECT_EQ(run.files.reads, 2);
    EXPECT_EQ(run.catalogue.FoldersFromIndex(), 1u);
}

// The index is written when something new was learned, at most once per
// save interval, in the background; a search that learns nothing writes
// nothing.
TEST(IndexFileWrites, OnlyNewsIsWrittenAndNotOftenerThanTheInterval) {
    MapFolders tree;
    const std::string indexPath = tree.Root() + "/cache/" + kCatalogueIndexFile;
    const std::string folder = tree.Folder("m");
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    ProgramRun run(indexPath, false);
    run.Search(folder);
    run.Wait(MapCatalogue::kIndexSaveIntervalNs / 2);
    run.Search(folder);
    EXPECT_EQ(run.catalogue.IndexWrites(), 0u);
    EXPECT_FALSE(fs::exists(indexPath));
    run.Wait(MapCatalogue::kIndexSaveIntervalNs);
    run.Search(folder);
    EXPECT_EQ(run.catalogue.IndexWrites(), 1u);
    // Waits for the background write; nothing is left to write.
    EXPECT_TRUE(run.catalogue.SaveIndex());
    EXPECT_EQ(run.catalogue.IndexWrites(), 1u);
    const std::string written = ReadBytes(indexPath);
    EXPECT_FALSE(written.empty());
    for (int i = 0; i < 3; ++i) {
        run.Wait(MapCatalogue::kIndexSaveIntervalNs);
        run.Search(folder);
    }
    EXPECT_EQ(run.catalogue.IndexWrites(), 1u);
    // A new map is news.
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    *run.files.now = run.posix.NowNs() + 10 * kSecond;
    run.Search(folder);
    EXPECT_EQ(run.catalogue.IndexWrites(), 2u);
    EXPECT_TRUE(run.catalogue.SaveIndex());
    EXPECT_NE(ReadBytes(indexPath), written);
    // Nothing is left behind by the writes but the index itself.
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(FolderOf(indexPath)))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{kCatalogueIndexFile});
}

// A folder no run searches is kept for a few runs, then dropped.
TEST(IndexFileWrites, FoldersNotSearchedAreKeptForAFewRuns) {
    MapFolders tree;
    const std::string indexPath = tree.Root() + "/cache/" + kCatalogueIndexFile;
    const std::string used = tree.Folder("used"), resting = tree.Folder("resting");
    tree.Write("resting", "r.map", CoverageMap(50, 10, 51, 11, 5.0));
    tree.Write("used", "u.map", CoverageMap(50, 10, 51, 11, 5.0));
    {
        ProgramRun run(indexPath, false);
        run.Search(used);
        run.Search(resting);
        ASSERT_TRUE(run.catalogue.SaveIndex());
    }
    auto restingFromIndex = [&] {
        ProgramRun probe(indexPath, false);
        probe.Search(resting);
        return probe.catalogue.FoldersFromIndex() == 1 && probe.files.reads == 0;
    };
    for (std::uint32_t runs = 1; runs <= kIndexUnusedRunsKept; ++runs) {
        // Something new in the used folder, so that each run writes.
        tree.Write("used", "u" + std::to_string(runs) + ".map", CoverageMap(50, 10, 51, 11, 5.0));
        ProgramRun run(indexPath, false);
        run.Search(used);
        run.Wait(MapCatalogue::kIndexTrustNs);
        run.Search(used);
        ASSERT_EQ(run.files.reads, 1);
        ASSERT_TRUE(run.catalogue.SaveIndex());
        EXPECT_EQ(restingFromIndex(), runs < kIndexUnusedRunsKept) << runs;
    }
}

TEST(IndexFileWrites, TheIndexLivesInTheCacheFolder) {
    using Env = std::map<std::string, std::string>;
    EXPECT_EQ(CacheHome(Env{{"XDG_CACHE_HOME", "/c"}, {"HOME", "/h"}}), "/c/mapwanderer");
    EXPECT_EQ(CacheHome(Env{{"XDG_CACHE_HOME", ""}, {"HOME", "/h"}}), "/h/.cache/mapwanderer");
    EXPECT_EQ(CacheHome(Env{{"HOME", "/h/"}}), "/h/.cache/mapwanderer");
}

}  // namespace
