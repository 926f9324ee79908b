// A gazetteer rewritten on disk while it is open: another program copies a
// shorter file over it (same file, truncated and written again). Reading
// must notice it and go on; a memory mapping of the old size dies of SIGBUS
// on the first record past the new end, which ends this test program.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/app.h"
#include "app/name_commands.h"
#include "names/name_filter.h"
#include "names/names_file.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "dbase_writer.h"

using namespace mw;

namespace {

// `count` places named P00000, P00001, ... (sorted), 60-byte records: 2000
// of them span about 30 pages.
std::string Places(int count, const char* prefix = "P") {
    mwtest::DbfTable s;
    s.fields = mwtest::GazetteerFields(20);
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%s%05d", prefix, i);
        s.records.push_back({name, "PPL", "", "51.5", "-0.1"});
    }
    return s.Bytes();
}

// Moves the file's modification time, so a rewrite inside one tick of the
// file system's clock still shows.
void Touch(const std::string& path, int secondsBack) {
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = std::time(nullptr) - secondsBack;
    times[1].tv_nsec = 0;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(NamesFileChanged, ShortenedBetweenTwoReadsReadsEmptyAndSaysSo) {
    mwtest::TempDir dir;
    dir.Write("t.names", Places(2000));
    NamesOpenError error;
    auto file = NamesFile::Open(dir.File("t.names"), error);
    ASSERT_NE(file, nullptr);
    NameRecordReader reader(file);
    EXPECT_EQ(reader.Read(1900).name, "P01900");
    EXPECT_FALSE(file->ChangedOnDisk());

    dir.Write("t.names", Places(3));
    EXPECT_TRUE(file->ChangedOnDisk());
    EXPECT_EQ(file->Read(1950), NameRecord{}) << "a record past the new end";
    EXPECT_EQ(reader.Read(1950), NameRecord{});
    EXPECT_TRUE(reader.FileChanged());
    EXPECT_EQ(reader.Read(1), NameRecord{}) << "a changed file is not read on";

    // A search over the old file ends where the file changed.
    NameQuery anywhere;
    anywhere.text = "P019";
    anywhere.prefix = false;
    NameFilterEnd end = NameFilterEnd::Running;
    FilterNames(file, anywhere, &end);
    EXPECT_EQ(end, NameFilterEnd::FileChanged);
}

TEST(NamesFileChanged, SameSizeNewStampIsAChange) {
    mwtest::TempDir dir;
    const std::string path = dir.File("t.names");
    dir.Write("t.names", Places(10));
    Touch(path, 100);
    NamesOpenError error;
    auto file = NamesFile::Open(path, error);
    ASSERT_NE(file, nullptr);
    dir.Write("t.names", Places(10, "Q"));
    Touch(path, 50);
    EXPECT_TRUE(file->ChangedOnDisk());
}

class NamesChangedInTheDialog : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.state.programFolder = home.Path();
        data.Write("t.names", Places(2000));
        ASSERT_TRUE(LoadNamesDatabase(app, data.File("t.names")));
        ui.messages.clear();
    }
    mwtest::TempDir home, data;
    mwtest::FakeUi ui;
    App app;
};

TEST_F(NamesChangedInTheDialog, ARowReadAfterTheFileShrankReloadsIt) {
    EXPECT_EQ(NameSearchRow(app, 1900).name, "P01900");
    data.Write("t.names", Places(3, "Q"));
    EXPECT_EQ(NameSearchRow(app, 1950), NameRecord{});
    EXPECT_TRUE(NamesFileChangeNoted(app));
    EXPECT_TRUE(ui.messages.empty()) << "nothing is said while the list paints";

    EXPECT_TRUE(ReloadChangedNamesFile(app));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"t.names has changed; reloaded"});
    EXPECT_EQ(NameSearchRowCount(app), 3u);
    EXPECT_EQ(NameSearchRow(app, 2).name, "Q00002");
    EXPECT_EQ(NameSearchCaption(app), "t.names");
    EXPECT_FALSE(ReloadChangedNamesFile(app)) << "said once";
}

TEST_F(NamesChangedInTheDialog, AFileWhoseHeaderNoLongerFitsIsClosed) {
    data.Write("t.names", std::string("\x03\x01\x02", 3));
    EXPECT_TRUE(ReloadChangedNamesFile(app));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"t.names is damaged"});
    EXPECT_EQ(NameSearchRowCount(app), 0u);
    EXPECT_EQ(NameSearchCaption(app), "Name Search");
}

TEST_F(NamesChangedInTheDialog, AButtonOnARowOfTheOldFileReloadsInstead) {
    int shown = 0;
    app.names.actions.showOnMap = [&](double, double) { ++shown; };
    data.Write("t.names", Places(3, "Q"));
    NameSearchShowOnMap(app, 1900);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"t.names has changed; reloaded"});
    NameSearchShowOnMap(app, 1);
    EXPECT_EQ(shown, 1);
}

TEST_F(NamesChangedInTheDialog, AFilterOverAChangedFileEndsInTheReload) {
    NameQuery q;
    q.text = "P";
    q.prefix = false;
    data.Write("t.names", Places(3, "Q"));
    ASSERT_TRUE(ToggleNameFilter(app, q));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (PollNameFilter(app) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(NameFilterRunning(app));
    EXPECT_FALSE(app.names.filtered);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"t.names has changed; reloaded"});
    EXPECT_EQ(NameSearchRowCount(app), 3u);
}

}  // namespace
