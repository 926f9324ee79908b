// Loading a map as the program does it, and the recent-maps file.
#include <gtest/gtest.h>

#include <filesystem>

#include "map/recent_maps.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class RecentMaps : public ::testing::Test {
protected:
    std::vector<std::string> Add(const std::string& path) {
        std::vector<std::string> list;
        EXPECT_TRUE(AddRecentMap(home.Path(), path, list));
        EXPECT_EQ(list, ReadRecentMaps(home.Path()));
        return list;
    }
    mwtest::TempDir home;
};

TEST_F(RecentMaps, ListsWrittenElsewhereAreReadAsTheyAre) {
    std::string longPath = "/" + std::string(300, 'd') + "/x.map";
    std::string text;
    for (int i = 0; i < 12; ++i) text += "/old/" + std::to_string(i) + ".map\n";
    home.Write("mrumaps.ini", longPath + "\r\n" + text + "/old/last.map");
    auto before = ReadRecentMaps(home.Path());
    ASSERT_EQ(before.size(), 10u);  // no more than the list ever holds
    EXPECT_EQ(before[0], longPath);
    EXPECT_EQ(before[9], "/old/8.map");
    auto list = Add("/new.map");
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[1], longPath);
    EXPECT_EQ(list[9], "/old/7.map");
    EXPECT_EQ(RecentMapPath(home.Path(), 1), longPath);
    EXPECT_EQ(RecentMapPath(home.Path(), 10), "");
    EXPECT_EQ(RecentMapPath(home.Path(), -1), "");

    // A list without an end (here a device) is read to its tenth line.
    std::filesystem::remove(home.File("mrumaps.ini"));
    std::filesystem::create_symlink("/dev/zero", home.File("mrumaps.ini"));
    EXPECT_EQ(ReadRecentMaps(home.Path()).size(), 10u);
}

}  // namespace
