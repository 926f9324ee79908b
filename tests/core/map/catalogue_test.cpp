// Which maps cover a position, which one automatic selection takes, and the
// catalogue index that must find exactly what a plain scan of the folders
// finds while reading only files that changed.
#include <gtest/gtest.h>

#include <cmath>

#include <filesystem>
#include <random>
#include <set>

#include "map/catalogue.h"
#include "map/coverage.h"
#include "map/std_file_system.h"
#include "platform/posix_file_system.h"
#include "support/paths.h"
#include "support/text.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;
using mwtest::CalibrationFileSpec;
using mwtest::CoverageMap;

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSecond = 1'000'000'000;

const DatumTable& Datums() {
    static DatumTable table;
    return table;
}

// Counts reads and can fail chosen ones; its clock can be set by the test.
class CountingFiles : public FileSystem {
public:
    explicit CountingFiles(FileSystem& inner) : inner_(inner) {}
    std::optional<FileStamp> StampFolder(const std::string& f) override {
        return inner_.StampFolder(f);
    }
    std::optional<std::vector<FolderFile>> ListFolder(const std::string& f,
                                                      std::string_view suffix) override {
        ++lists;
        return inner_.ListFolder(f, suffix);
    }
    std::vector<std::optional<FileStamp>> StampFiles(const std::string& f,
                                                     const std::vector<std::string>& n) override {
        return inner_.StampFiles(f, n);
    }
    std::optional<std::string> ReadFile(const std::string& path, std::size_t max) override {
        ++reads;
        readPaths.push_back(path);
        if (failing.count(path)) return std::nullopt;
        return inner_.ReadFile(path, max);
    }
    std::int64_t NowNs() override { return now ? *now : inner_.NowNs(); }

    int reads = 0, lists = 0;
    std::vector<std::string> readPaths;
    std::set<std::string> failing;
    std::optional<std::int64_t> now;

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
                      const CalibrationFileSpec& calib) {
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
        std::function<void(CalibrationFileSpec&)> edit;
        double lat, lon;
        int datum;
        bool covers;
        double scale;
    };
    // A concave border: a square 50..51 N, 10..11 E with a notch cut from the east.
    std::vector<mwtest::TestCorner> notch = {{51, 10},   {51, 11}, {50.6, 11}, {50.5, 10.5},
                                             {50.4, 11}, {50, 11}, {50, 10}};
    const Case cases[] = {
        {"inside", [](auto&) {}, 50.5, 10.2, kDatumWgs84, true, 5},
        {"outside", [](auto&) {}, 52, 10.2, kDatumWgs84, false, 0},
        {"foreign header", [](auto& s) { s.header = "Some Map File"; }, 50.5, 10.2, kDatumWgs84,
         false, 0},
        {"moving-map flag No", [](auto& s) { s.movingMap = "No"; }, 50.5, 10.2, kDatumWgs84, false,
         0},
        {"no moving-map line", [](auto& s) { s.movingMap.reset(); }, 50.5, 10.2, kDatumWgs84, false,
         0},
        {"flag containing Yes", [](auto& s) { s.movingMap = "Yes,always"; }, 50.5, 10.2,
         kDatumWgs84, true, 5},
        {"no MM1B", [](auto& s) { s.scale.reset(); }, 50.5, 10.2, kDatumWgs84, true, 99999},
        // A scale that is no positive number is no scale, not the best one.
        {"MM1B 0", [](auto& s) { s.scale = 0; }, 50.5, 10.2, kDatumWgs84, true, 99999},
        {"MM1B negative", [](auto& s) { s.scale = -4; }, 50.5, 10.2, kDatumWgs84, true, 99999},
        {"MM1B NaN", [](auto& s) { s.scale = std::nan(""); }, 50.5, 10.2, kDatumWgs84, true, 99999},
        {"MM1B infinite", [](auto& s) { s.scale = HUGE_VAL; }, 50.5, 10.2, kDatumWgs84, true,
         99999},
        {"scale factor multiplies", [](auto& s) { s.msf = 2; }, 50.5, 10.2, kDatumWgs84, true, 10},
        {"notch: inside the body",
         [&](auto& s) {
             s.borderLatLon = notch;
             s.borderCount = 7;
         },
         50.8, 10.9, kDatumWgs84, true, 5},
        {"notch: in the cut",
         [&](auto& s) {
             s.borderLatLon = notch;
             s.borderCount = 7;
         },
         50.5, 10.8, kDatumWgs84, false, 0},
        {"border count takes the first corners", [](auto& s) { s.borderCount = 3; }, 50.2, 10.2,
         kDatumWgs84, false, 0},
        {"corner numbers outside 1..99 ignored",
         [](auto& s) {
             s.extraLines = {"MMPLL,0,0,0", "MMPLL,100,50,50", "MMPNUM,120"};
         },
         50.5, 10.2, kDatumWgs84, true, 5},
        {"position moved to the map datum",
         [](auto& s) {
             s.datum = "Ord Srvy Grt Britn";
             s.borderLatLon = mwtest::RectangleBorder(51, -1, 53, 0);
         },
         52.0, -1.0010, kDatumWgs84, true, 5},
        {"same position already on the map datum",
         [](auto& s) {
             s.datum = "Ord Srvy Grt Britn";
             s.borderLatLon = mwtest::RectangleBorder(51, -1, 53, 0);
         },
         52.0, -1.0010, osgb, false, 0},
    };
    MapFolders tree;
    CountingFiles files(DefaultFileSystem());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationFileSpec calib = CoverageMap(50, 10, 51, 11, 5.0);
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

TEST_F(Selection, EqualScalesGoToTheFirstFileByName) {
    // Written in the other order, so the directory's own order cannot decide.
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 5.0));
    tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 5.0));
    std::string upper = tree.Write("m", "Z.map", CoverageMap(50, 10, 51, 11, 5.0));
    auto best = Choose({tree.Root() + "/m"}, At(50.5, 10.5), "", kUnknownScale);
    ASSERT_TRUE(best);
    EXPECT_EQ(best->path, upper);  // byte order: 'Z' sorts before 'a'
}

TEST_F(Selection, TheTwoPercentRuleAndTheUnknownScale) {
    std::string folder = tree.Folder("m");
    tree.Write("m", "ten.map", CoverageMap(50, 10, 51, 11, 10.0));
    std::string loaded = tree.Write("m", "loaded.map", CoverageMap(50, 10, 51, 11, 10.1));
    EXPECT_FALSE(Choose({folder}, At(50.5, 10.5), loaded, 10.1));  // 10.1 <= 10.2
    auto anyMap = Choose({folder}, At(50.5, 10.5), loaded, kUnknownScale);
    ASSERT_TRUE(anyMap);
    EXPECT_EQ(anyMap->path, folder + "/ten.map");
    std::string nine = tree.Write("m", "nine.map", CoverageMap(50, 10, 51, 11, 9.0));
    auto better = Choose({folder}, At(50.5, 10.5), loaded, 10.1);
    ASSERT_TRUE(better);
    EXPECT_EQ(better->path, nine);
    EXPECT_EQ(better->scale, 9.0);
}

TEST_F(Selection, CandidatesAndNonCandidates) {
    std::string folder = tree.Folder("m");
    CalibrationFileSpec noFlag = CoverageMap(50, 10, 51, 11, 1.0);
    noFlag.movingMap.reset();
    tree.Write("m", "a-no-flag.map", noFlag);
    tree.Write("m", "b-unscaled.map", CoverageMap(50, 10, 51, 11, std::nullopt));
    std::string scaled = tree.Write("m", "c-scaled.map", CoverageMap(50, 10, 51, 11, 50.0));
    std::string loaded = tree.Write("m", "d-loaded.map", CoverageMap(50, 10, 51, 11, 0.5));
    tree.WriteText("m", "e-not-a-map.txt", CoverageMap(50, 10, 51, 11, 0.1).Text());
    auto best = Choose({folder}, At(50.5, 10.5), loaded, kUnknownScale);
    ASSERT_TRUE(best);
    EXPECT_EQ(best->path, scaled);
    // The "Maps Found" list has every covering map, the loaded one included.
    auto found = FindMapsAtPosition({folder}, Indexed(catalogue, files, At(50.5, 10.5)));
    std::vector<std::string> paths;
    for (const auto& m : found) paths.push_back(FileNameOf(m.path));
    EXPECT_EQ(paths, (std::vector<std::string>{"b-unscaled.map", "c-scaled.map", "d-loaded.map"}));
    EXPECT_FALSE(Choose({folder}, At(60, 10.5), loaded, kUnknownScale));
}

TEST(SearchOrder, FoldersFromTheSettings) {
    AppSettings s;
    s.mapPath = {"\\Mapwanderer\\Maps", "/data/maps/", "", "/data/maps", "/off", ""};
    s.mapPathActive = {1, 1, 1, 1, 0, 0};
    // The loaded map's folder leads when it is no map folder setting...
    EXPECT_EQ(SearchFolders(s, "/home/u", "/media/card/x.map"),
              (std::vector<std::string>{"/media/card", "/home/u/Mapwanderer/Maps", "/data/maps",
                                        "/home/u"}));
    // ...and is scanned once when it is one (with or without a final separator).
    EXPECT_EQ(SearchFolders(s, "/home/u", "/data/maps/x.map"),
              (std::vector<std::string>{"/home/u/Mapwanderer/Maps", "/data/maps", "/home/u"}));
    // A setting that is switched off still counts as a map folder setting.
    EXPECT_EQ(SearchFolders(s, "/home/u", "/off/x.map").front(), "/home/u/Mapwanderer/Maps");
    s.mapPathLoadedActive = 0;
    EXPECT_EQ(SearchFolders(s, "/home/u", "/media/card/x.map").front(), "/home/u/Mapwanderer/Maps");
}

TEST_F(Selection, TheLoadedFolderThatIsAlsoAMapFolderIsReadOnce) {
    std::string folder = tree.Folder("m");
    std::string loaded = tree.Write("m", "a.map", CoverageMap(50, 10, 51, 11, 3.0));
    tree.Write("m", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    auto folders =
        SearchFolders({{tree.Root() + "/other", true}, {folder + "/", true}}, true, loaded);
    EXPECT_EQ(folders, (std::vector<std::string>{tree.Root() + "/other", folder}));
    ChooseMap(folders, FullScan(files, At(50.5, 10.5)), loaded, kUnknownScale);
    EXPECT_EQ(files.reads, 2);
}

TEST_F(Selection, ARepeatedSearchReadsOnlyWhatChanged) {
    std::string folder = tree.Folder("m");
    for (int i = 0; i < 5; ++i)
        tree.Write("m", "map" + std::to_string(i) + ".map", CoverageMap(50, 10, 51, 11, 10.0 + i));
    // Searches come a while after the files were written.
    files.now = posix.NowNs() + 10 * kSecond;
    auto search = [&] { return catalogue.Covering(files, folder, At(50.5, 10.5), Datums()); };
    EXPECT_EQ(search().size(), 5u);
    EXPECT_EQ(files.reads, 5);
    files.reads = 0;
    EXPECT_EQ(search().size(), 5u);
    EXPECT_EQ(files.reads, 0);

    tree.Write("m", "map2.map", CoverageMap(0, 0, 1, 1, 12.0));  // moved away
    tree.Write("m", "new.map", CoverageMap(50, 10, 51, 11, 1.0));
    fs::remove(folder + "/map4.map");
    auto found = search();
    EXPECT_EQ(files.reads, 2);
    std::vector<std::string> names;
    for (const auto& m : found) names.push_back(FileNameOf(m.path));
    EXPECT_EQ(names, (std::vector<std::string>{"map0.map", "map1.map", "map3.map", "new.map"}));
}

TEST_F(Selection, RecentlyWrittenAndUnreadableFilesAreNotTrusted) {
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

    // A failed read is never cached: the same file is read again next time.
    files.now.reset();
    files.reads = 0;
    std::string other = tree.Folder("n");
    std::string unreadable = tree.Write("n", "b.map", CoverageMap(50, 10, 51, 11, 2.0));
    files.failing.insert(unreadable);
    EXPECT_TRUE(catalogue.Covering(files, other, At(50.5, 10.5), Datums()).empty());
    files.failing.clear();
    EXPECT_EQ(catalogue.Covering(files, other, At(50.5, 10.5), Datums()).size(), 1u);
    EXPECT_EQ(files.reads, 2);
}

TEST_F(Selection, AFolderThatCannotBeListedContributesNothing) {
    std::string folder = tree.Root() + "/gone";
    EXPECT_TRUE(catalogue.Covering(files, folder, At(50.5, 10.5), Datums()).empty());
    tree.Write("gone", "a.map", CoverageMap(50, 10, 51, 11, 2.0));
    EXPECT_EQ(catalogue.Covering(files, folder, At(50.5, 10.5), Datums()).size(), 1u);
    fs::remove_all(folder);
    EXPECT_TRUE(catalogue.Covering(files, folder, At(50.5, 10.5), Datums()).empty());
    EXPECT_EQ(catalogue.FolderCount(), 0u);
}

// Random map sets, searched by both ways after random changes.
class Equivalence : public ::testing::TestWithParam<bool> {};

TEST_P(Equivalence, IndexAndPlainScanAgreeOverRandomMapSets) {
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
    // The searches run some seconds after the changes, so no file is in the
    // racy window and the index has to rely on its stamps.
    CountingFiles files(GetParam() ? static_cast<FileSystem&>(posixFiles) : stdFiles);
    MapCatalogue catalogue;
    std::vector<std::string> folders = {tree.Folder("f0"), tree.Folder("f1"), tree.Folder("f2")};

    auto randomMap = [&]() {
        double s = real(49, 53), w = real(-3, 2);
        CalibrationFileSpec calib =
            CoverageMap(s, w, s + real(0.2, 3), w + real(0.2, 3), scales[pick(scales.size())]);
        calib.datum = datums[pick(datums.size())];
        int r = pick(20);
        if (r == 0) calib.movingMap = "No";
        if (r == 1) calib.header = "Not a calibration file";
        if (r == 2) calib.msf = 2;
        if (r == 3) {  // a triangle
            calib.borderCount = 3;
        }
        return calib;
    };
    auto fileName = [&]() { return names[pick(names.size())] + (pick(6) == 0 ? ".MAP" : ".map"); };
    std::vector<std::string> written;
    auto writeRandom = [&]() {
        std::string folder = "f" + std::to_string(pick(3));
        written.push_back(tree.Write(folder, fileName(), randomMap()));
    };
    for (int i = 0; i < 40; ++i) writeRandom();

    for (int round = 0; round < 12; ++round) {
        files.now = posixFiles.NowNs() + 10 * kSecond;
        for (int q = 0; q < 25; ++q) {
            MapSearch s =
                At(real(49, 55), real(-3, 5),
                   pick(3) == 0 ? FindDatumByName(Datums(), "European 1950") : kDatumWgs84);
            std::string loaded =
                pick(3) == 0 || written.empty() ? std::string() : written[pick(written.size())];
            double current = pick(2) ? kUnknownScale : *scales[pick(scales.size() - 1)];
            auto plainList = FindMapsAtPosition(folders, FullScan(files, s));
            auto indexList = FindMapsAtPosition(folders, Indexed(catalogue, files, s));
            ASSERT_EQ(plainList.size(), indexList.size()) << "round " << round;
            for (std::size_t i = 0; i < plainList.size(); ++i) {
                EXPECT_EQ(plainList[i].path, indexList[i].path);
                EXPECT_EQ(plainList[i].scale, indexList[i].scale);
            }
            auto plain = ChooseMap(folders, FullScan(files, s), loaded, current);
            auto indexed = ChooseMap(folders, Indexed(catalogue, files, s), loaded, current);
            ASSERT_EQ(plain.has_value(), indexed.has_value());
            if (plain) {
                EXPECT_EQ(plain->path, indexed->path);
            }
        }
        // Change the set between rounds: rewrite, add, remove, rename.
        for (int c = 0; c < 6; ++c) {
            int action = pick(4);
            if (action == 0 || written.empty()) {
                writeRandom();
            } else {
                std::size_t i = pick(written.size());
                std::string path = written[i];
                if (!fs::exists(path)) continue;
                if (action == 1) {
                    tree.Write(FileNameOf(FolderOf(path)), FileNameOf(path), randomMap());
                } else if (action == 2) {
                    fs::remove(path);
                } else {
                    std::string to = JoinPath(FolderOf(path), "r" + fileName());
                    fs::rename(path, to);
                    written.push_back(to);
                }
            }
        }
    }
    // Most searches were answered from the index.
    EXPECT_LT(catalogue.FilesRead(), 200u);
}

INSTANTIATE_TEST_SUITE_P(BothFileSystems, Equivalence, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "posix" : "std"; });

}  // namespace
