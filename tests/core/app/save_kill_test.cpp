// kill -9 during saves: a child saves a file over and over (or appends to
// a log) and is killed at a random moment. The file must then be
// the old version or the new one byte for byte and read back with the
// program's reader; a log must hold every record the child reported written,
// plus at most the one in flight, and no half record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "testlib/temp_dir.h"
#include "track/track_file.h"

using namespace mw;
using Path = const std::string&;

namespace {

constexpr int kKills = 30;  // per kind

// The kills test what a process leaves behind, not the disk: the folders go
// to a RAM file system where there is one, so the syncs cost nothing.
struct RamTempFolders {
    const char* before = std::getenv("TMPDIR");
    std::string saved = before ? before : "";
    RamTempFolders() {
        if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
    }
    ~RamTempFolders() { before ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR"); }
};

const DatumTable& D() {
    static const DatumTable datums;
    return datums;
}

TrackStore Track(int points) {
    TrackStore track;
    for (int k = 0; k < points; ++k) AddTrackPoint(track, 50 + k * 1e-4, 8 + k * 1e-4, 0);
    return track;
}

// Runs `work` in a child and kills it at a random moment up to `maxUs` after
// it started; returns the bytes the child wrote to its pipe (one a record).
int KillDuring(const std::function<void(int pipe)>& work, std::mt19937& random, int maxUs) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        [[maybe_unused]] ssize_t n = write(fds[1], "g", 1);
        work(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    char buffer[256];
    [[maybe_unused]] ssize_t n = read(fds[0], buffer, 1);  // the child runs
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, maxUs)(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    int records = 0;
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) records += int(got);
    close(fds[0]);
    return records;
}

// Microseconds one call takes here, to aim the kills inside calls.
int MicrosecondsOf(const std::function<void()>& call) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) call();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - t0);
    return std::max(200, int(us.count() / 3));
}

}  // namespace

// Every whole-file save goes through the same temporary-file writer: the
// track file stands for them all.
TEST(SaveKill, AWholeFileSaveLeavesTheOldFileOrTheNew) {
    RamTempFolders ram;
    std::mt19937 random(20);
    static const TrackStore tracks[] = {Track(20), Track(999)};
    auto save = [](Path f, int v) { return SaveTrackFile(tracks[v], f, D(), kDatumWgs84); };
    mwtest::TempDir dir;
    const std::string path = dir.File("t.plt");
    for (int v : {1, 0, 1}) ASSERT_TRUE(save(path, v));  // the child's order
    const std::string newer = dir.Read("t.plt");
    ASSERT_TRUE(save(path, 0));
    const std::string older = dir.Read("t.plt");
    ASSERT_NE(older, newer);
    const int saveUs = MicrosecondsOf([&] { save(path, 1); });

    int mixtures = 0;
    for (int round = 0; round < kKills; ++round) {
        KillDuring([&](int) { for (int v = 1;; v ^= 1) save(path, v); }, random, 4 * saveUs);
        const std::string now = dir.Read("t.plt");
        mixtures += now != older && now != newer;
        TrackStore t;
        EXPECT_TRUE(LoadTrackFile(t, path, D(), kDatumWgs84)) << "round " << round;
    }
    EXPECT_EQ(mixtures, 0) << "of " << kKills << " kills";
    // Each save cut short leaves its temporary file: without any, the kills
    // missed the saves and proved nothing.
    int cut = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        cut += e.path().filename().string().starts_with("t.plt.tmp-");
    EXPECT_GT(cut, 0);
}

// Both logs append through the same record writer: the track log stands for
// them.
TEST(SaveKill, LogsKeepEveryRecordWrittenAndNoHalfRecord) {
    RamTempFolders ram;
    std::mt19937 random(21);
    auto append = [](Path p, int k) {
        int newSegment = 0;
        return AppendTrackLog(p, 50 + k * 1e-5, 8, "010524", "120000", 100, newSegment);
    };
    mwtest::TempDir dir;
    const std::string path = dir.File("log");
    auto lines = [&] {
        const std::string bytes = dir.Read("log");
        return int(std::count(bytes.begin(), bytes.end(), '\n'));
    };
    ASSERT_TRUE(append(path, 0));
    const int header = lines() - 1;
    int written = 1;
    const int appendUs = MicrosecondsOf([&] { append(dir.File("probe"), 0); });
    for (int round = 0; round < kKills; ++round) {
        const int reported = KillDuring(
            [&](int out) {
                for (int k = 0; append(path, k); ++k) [[maybe_unused]] ssize_t n = write(out, "r", 1);
            },
            random, 20 * appendUs);
        // A kill inside write() can cut the record in flight (the kernel
        // copies page by page): the next append ends that line before its
        // own, so the two are never glued into one wrong point.
        const int repaired = dir.Read("log").ends_with("\r\n") ? 0 : 1;
        if (repaired) ASSERT_TRUE(append(path, 0));
        ASSERT_TRUE(dir.Read("log").ends_with("\r\n")) << "half a record, round " << round;
        const int now = lines() - header;
        EXPECT_TRUE(now == written + reported + 2 * repaired || now == written + reported + 1)
            << "round " << round << ": " << now << " records, " << written << " before, "
            << reported << " reported";
        TrackStore t;
        EXPECT_TRUE(LoadTrackFile(t, path, D(), kDatumWgs84)) << "round " << round;
        written = now;
    }
}
