// The log writer never removes what is already in a log, ends a last line
// that lacks its line end before the new record, and says why it could not
// write (leaving no empty log of its own behind); whole-file saves say why
// too, and a signal can clear the temporaries of saves under way.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "support/durable_file.h"
#include "support/text.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

constexpr const char* kHead = "Head\r\n";
constexpr const char* kRecord = "rec,1\r\n";

AppendResult Append(const std::string& path) {
    return AppendLogRecord(path, kHead, [](bool) { return std::string(kRecord); });
}

// Runs `write` with the file size limit at `bytes` (a disk that is full at
// that size, even for root), SIGXFSZ ignored so the write fails with EFBIG.
template <class Write>
auto WithFileSizeLimit(rlim_t bytes, Write write) {
    struct rlimit old {};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    auto result = write();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

}  // namespace

TEST(LogAppend, NothingTheLogHoldsIsEverRemoved) {
    const struct {
        const char* name;
        std::string before;
        std::string after;  // the bytes once one record is appended
        AppendOutcome outcome;
    } cases[] = {
        {"missing", "\x01", std::string(kHead) + kRecord, AppendOutcome::Created},
        {"empty", "", std::string(kHead) + kRecord, AppendOutcome::Created},
        {"whole", "Head\r\nold\r\n", "Head\r\nold\r\n" + std::string(kRecord),
         AppendOutcome::Appended},
        // A last line typed by hand or copied from elsewhere keeps its place.
        {"last line unended", "Head\r\nold\r\nmine", "Head\r\nold\r\nmine\r\n" + std::string(kRecord),
         AppendOutcome::Appended},
        // Lines end at LF: a final CR gets one, LF-only lines nothing; nothing cut.
        {"CR only", "Head\rold\r", "Head\rold\r\n" + std::string(kRecord), AppendOutcome::Appended},
        {"LF only", "Head\nold\n", "Head\nold\n" + std::string(kRecord), AppendOutcome::Appended},
        // Not even a line end anywhere: still the user's bytes, no new header.
        {"one unended line", "Hea", "Hea\r\n" + std::string(kRecord), AppendOutcome::Appended},
    };
    for (const auto& c : cases) {
        mwtest::TempDir dir;
        if (c.before != "\x01") dir.Write("log", c.before);
        const AppendResult r = Append(dir.File("log"));
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_TRUE(r.write.Ok()) << c.name;
        EXPECT_EQ(dir.Read("log"), c.after) << c.name;
    }
}

TEST(LogAppend, AFailedAppendSaysWhyAndLeavesNoEmptyLog) {
    mwtest::TempDir dir;
    dir.Write("plain", "x");
    // A folder that is a file: refused at the open, even for root.
    const AppendResult underFile = Append(dir.File("plain") + "/log");
    EXPECT_EQ(underFile.outcome, AppendOutcome::Failed);
    EXPECT_EQ(underFile.write.error, ENOTDIR);
    EXPECT_EQ(underFile.write.path, dir.File("plain") + "/log");

    // A full disk: the new log is opened, then nothing fits.
    const AppendResult full = WithFileSizeLimit(0, [&] { return Append(dir.File("new")); });
    EXPECT_EQ(full.outcome, AppendOutcome::Failed);
    EXPECT_EQ(full.write.error, EFBIG);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new"))) << "an empty log left behind";

    // A log that was there stays as it was.
    dir.Write("old", "Head\r\nold\r\n");
    const AppendResult fullOld = WithFileSizeLimit(11, [&] { return Append(dir.File("old")); });
    EXPECT_EQ(fullOld.write.error, EFBIG);
    EXPECT_EQ(dir.Read("old"), "Head\r\nold\r\n");
}

TEST(WholeFileSave, AFailureNamesTheFileAndTheReason) {
    mwtest::TempDir dir;
    dir.Write("plain", "x");
    std::filesystem::create_directory(dir.File("folder"));
    const struct {
        const char* name;
        std::string path;
        rlim_t limit;  // RLIM_INFINITY: none
        int error;
    } cases[] = {
        {"folder is a file", dir.File("plain") + "/a.ini", RLIM_INFINITY, ENOTDIR},
        {"target is a folder", dir.File("folder"), RLIM_INFINITY, EISDIR},
        {"disk full", dir.File("b.ini"), 4, EFBIG},
    };
    for (const auto& c : cases) {
        const WriteOutcome r =
            WithFileSizeLimit(c.limit, [&] { return WriteFileAtomically(c.path, "0123456789"); });
        EXPECT_EQ(r.error, c.error) << c.name;
        EXPECT_EQ(r.path, c.path) << c.name;
        EXPECT_EQ(WriteFailureText("Cannot Save ini File", r),
                  "Cannot Save ini File: " + c.path + ": " + std::strerror(c.error))
            << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.ini")));
    EXPECT_EQ(WriteFailureText("Track file could not be saved.", {"/t.plt", ENOSPC}),
              std::string("Track file could not be saved. /t.plt: ") + std::strerror(ENOSPC));
    EXPECT_EQ(WriteFailureText("Saved", {"/t.plt", 0}), "Saved");
    // Only the temporaries of the failed saves could be left; none are.
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(kTemporarySuffix), std::string::npos)
            << e.path();
}

TEST(WholeFileSave, ASignalHandlerCanRemoveTheTemporariesOfSavesUnderWay) {
    mwtest::TempDir dir;
    auto temporaries = [&] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            n += e.path().filename().string().find(kTemporarySuffix) != std::string::npos;
        return n;
    };
    {
        TextFileWriter a(dir.File("a.gpx")), b(dir.File("b.gpx"));
        a.WriteText("half");
        ASSERT_EQ(temporaries(), 2);
        EXPECT_EQ(RemoveTemporariesNow(), 2);
        EXPECT_EQ(temporaries(), 0);
    }
    // A save that is done is no longer listed: its file stays.
    TextFileWriter c(dir.File("c.gpx"));
    c.WriteText("whole");
    ASSERT_TRUE(c.Commit());
    EXPECT_EQ(RemoveTemporariesNow(), 0);
    EXPECT_EQ(dir.Read("c.gpx"), "whole");
}
