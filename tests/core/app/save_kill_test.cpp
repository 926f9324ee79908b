// kill -9 during saves: a child process saves one kind of file over and over
// (or appends to a log) and is killed at a random moment; the file must then
// be the old version or the new one byte for byte (a log: every record it
// reported written, plus at most the one in flight), and read back with the
// program's own reader. Never a mixture, never half a record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <thread>

#include "config/settings.h"
#include "geo/datums.h"
#include "gpx/gpx_transfer.h"
#include "image/mwf2_writer.h"
#include "map/recent_maps.h"
#include "nav/route_store.h"
#include "support/text.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "track/track_store.h"
#include "waypoint/waypoint_file.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

constexpr int kKillsPerKind = 30;

// The kills test what a process leaves behind, not the disk: test folders go
// to a RAM file system where there is one, so the syncs cost nothing.
class RamTempFolders {
public:
    RamTempFolders() {
        if (const char* t = std::getenv("TMPDIR")) before_ = t;
        if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
    }
    ~RamTempFolders() {
        if (before_)
            setenv("TMPDIR", before_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> before_;
};

// Files the save left beside the target: each is a save a kill cut short.
int Leftovers(const std::string& folder, const std::string& file) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        n += e.path().filename().string().starts_with(file + ".tmp-");
    return n;
}

const DatumTable& Datums() {
    static const DatumTable datums;
    return datums;
}

TrackStore Track(int points) {
    TrackStore track;
    for (int k = 0; k < points; ++k) AddTrackPoint(track, 50 + k * 1e-4, 8 + k * 1e-4, 0);
    return track;
}

WaypointStore Waypoints(int count) {
    WaypointStore store;
    for (int k = 0; k < count; ++k) {
        Waypoint w;
        w.name = "WP" + std::to_string(k);
        w.lat = 48 + k * 1e-3;
        w.lon = 11;
        w.description = std::string(static_cast<std::size_t>(k % 40), 'd');
        store.Put(k, std::move(w));
        ++store.waypointCount;
    }
    return store;
}

// One kind of whole-file save: `save(folder, version)` writes version 0 or 1
// (of clearly different sizes) to folder/file; `reads` is the program's
// reader of that file.
struct WholeFileKind {
    const char* name;
    const char* file;
    std::function<bool(const std::string& folder, int version)> save;
    std::function<bool(const std::string& path)> reads;
};

std::vector<WholeFileKind> WholeFileKinds() {
    const DatumTable& d = Datums();
    return {
        {"track file", "t.plt",
         [&d](const std::string& f, int v) {
             static const TrackStore tracks[] = {Track(20), Track(999)};
             return SaveTrackFile(tracks[v], f + "/t.plt", d, kDatumWgs84, nullptr);
         },
         [&d](const std::string& p) {
             TrackStore t;
             return LoadTrackFile(t, p, d, kDatumWgs84, nullptr);
         }},
        {"waypoint file", "w.wpt",
         [&d](const std::string& f, int v) {
             static const WaypointStore stores[] = {Waypoints(5), Waypoints(400)};
             return SaveWaypointFile(stores[v], f + "/w.wpt", d, kDatumWgs84, nullptr).has_value();
         },
         [&d](const std::string& p) {
             WaypointStore s;
             return ReadWaypointFile(s, p, d, kDatumWgs84, nullptr);
         }},
        {"settings", kMainConfigFile,
         [&d](const std::string& f, int v) {
             AppSettings s;
             s.dataPath = v ? std::string(3000, 'p') : "/data";
             return WriteConfiguration(f, d, s);
         },
         [&d](const std::string& p) {
             AppSettings s;
             ReadConfiguration(p.substr(0, p.rfind('/')), d, s);
             return s.dataPath == "/data" || s.dataPath == std::string(3000, 'p');
         }},
        {"view settings", kViewConfigFile,
         [](const std::string& f, int v) {
             ViewSettings view;
             view.viewTrack = v;
             view.viewToolbar = v;
             return SaveViewSettings(f, view, nullptr);
         },
         [](const std::string&) { return true; }},
        {"recent maps", kRecentMapsFile,
         [](const std::string& f, int v) {
             std::vector<std::string> list;
             return AddRecentMap(f, v ? std::string(900, 'b') : "/maps/a.map", list);
         },
         [](const std::string& p) {
             return ReadRecentMaps(p.substr(0, p.rfind('/'))).size() == 2;
         }},
        {"GPX export", "e.gpx",
         [&d](const std::string& f, int v) {
             static const WaypointStore stores[] = {Waypoints(3), Waypoints(300)};
             static const TrackStore tracks[] = {Track(10), Track(900)};
             return ExportGpxFile(f + "/e.gpx", stores[v], RouteStore{}, tracks[v], d,
                                  kDatumWgs84);
         },
         [&d](const std::string& p) {
             WaypointStore w;
             RouteStore r;
             TrackStore t;
             return ImportGpxFile(p, w, r, t, d, kDatumWgs84).waypoints >= 3;
         }},
        {"map image", "m.mwf2",
         [](const std::string& f, int v) {
             static const Mwf2Image images[] = {mwtest::MakeTiledImage(64, 64, {100}),
                                                mwtest::MakeTiledImage(256, 192, {100, 50})};
             std::string error;
             return WriteMwf2File(f + "/m.mwf2", images[v], &error);
         },
         [](const std::string& p) { return ReadWholeFile(p).has_value(); }},
    };
}

// Runs `work` in a child until it is killed at a random moment after it
// started; returns what the child wrote to its pipe (one byte per record).
int KillDuring(const std::function<void(int pipeOut)>& work, std::mt19937& random,
               int maxDelayUs) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const char go = 'g';
        [[maybe_unused]] ssize_t n = write(fds[1], &go, 1);
        work(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    char first = 0;
    [[maybe_unused]] ssize_t n = read(fds[0], &first, 1);  // the child runs
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, maxDelayUs)(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    int records = 0;
    char buffer[256];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) records += int(got);
    close(fds[0]);
    return records;
}

// Microseconds one save of the larger version takes here, to aim the kills.
int SaveTimeUs(const std::function<bool()>& save) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) save();
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    return std::max(200, int(us.count() / 3));
}

}  // namespace

TEST(SaveKill, EveryWholeFileSaveLeavesTheOldFileOrTheNew) {
    RamTempFolders ram;
    std::mt19937 random(20);
    for (const WholeFileKind& kind : WholeFileKinds()) {
        SCOPED_TRACE(kind.name);
        mwtest::TempDir dir;
        const std::string path = dir.File(kind.file);
        // Saved in the order the child saves, so that files that keep a
        // history (the recent maps) reach their two alternating states.
        ASSERT_TRUE(kind.save(dir.Path(), 1));
        ASSERT_TRUE(kind.save(dir.Path(), 0));
        ASSERT_TRUE(kind.save(dir.Path(), 1));
        const std::string newer = dir.Read(kind.file);
        ASSERT_TRUE(kind.save(dir.Path(), 0));
        const std::string older = dir.Read(kind.file);
        ASSERT_NE(older, newer);
        ASSERT_TRUE(kind.reads(path));
        const int saveUs = SaveTimeUs([&] { return kind.save(dir.Path(), 1); });

        int mixtures = 0;
        for (int round = 0; round < kKillsPerKind; ++round) {
            KillDuring(
                [&](int) {
                    for (int v = 1;; v ^= 1) kind.save(dir.Path(), v);
                },
                random, 4 * saveUs);
            const std::string now = dir.Read(kind.file);
            if (now != older && now != newer) ++mixtures;
            EXPECT_TRUE(kind.reads(path)) << "round " << round;
        }
        EXPECT_EQ(mixtures, 0) << "of " << kKillsPerKind << " kills";
        // Without kills that land inside a save the test would prove nothing.
        EXPECT_GT(Leftovers(dir.Path(), kind.file), 0) << "no kill cut a save short";
    }
}

TEST(SaveKill, LogsKeepEveryRecordWrittenAndNoHalfRecord) {
    RamTempFolders ram;
    std::mt19937 random(21);
    const DatumTable& d = Datums();
    const WaypointStore one = Waypoints(1);
    struct LogKind {
        const char* name;
        std::function<bool(const std::string& path, int k)> append;
        std::function<bool(const std::string& path)> reads;
    };
    const LogKind kinds[] = {
        {"track log",
         [](const std::string& p, int k) {
             int newSegment = 0;
             return AppendTrackLog(p, 50 + k * 1e-5, 8, "010524", "120000", 100, newSegment);
         },
         [&d](const std::string& p) {
             TrackStore t;
             return LoadTrackFile(t, p, d, kDatumWgs84, nullptr);
         }},
        {"waypoint log",
         [&](const std::string& p, int) { return AppendWaypointLog(one, 0, p, d, kDatumWgs84); },
         [&d](const std::string& p) {
             WaypointStore s;
             return ReadWaypointFile(s, p, d, kDatumWgs84, nullptr);
         }},
    };
    for (const LogKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        mwtest::TempDir dir;
        const std::string path = dir.File("log");
        auto lines = [&] {
            const std::string bytes = dir.Read("log");
            return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
        };
        ASSERT_TRUE(kind.append(path, 0));
        const int headerLines = lines() - 1;
        int written = 1;
        const int appendUs = SaveTimeUs([&] { return kind.append(dir.File("probe"), 0); });
        for (int round = 0; round < kKillsPerKind; ++round) {
            const int reported = KillDuring(
                [&](int out) {
                    for (int k = 0;; ++k) {
                        if (!kind.append(path, k)) _exit(1);
                        const char mark = 1;
                        [[maybe_unused]] ssize_t n = write(out, &mark, 1);
                    }
                },
                random, 20 * appendUs);
            ASSERT_TRUE(dir.Read("log").ends_with("\r\n")) << "half a record, round " << round;
            const int now = lines() - headerLines;
            EXPECT_TRUE(now == written + reported || now == written + reported + 1)
                << "round " << round << ": " << now << " records, " << written << " before, "
                << reported << " reported";
            EXPECT_TRUE(kind.reads(path)) << "round " << round;
            written = now;
        }
    }
}
