// Loading a map as the program does it, and the recent-maps file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "map/recent_maps.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {
ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}
}  // namespace

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

// Reopening the map at the head of the list (every start does) leaves the
// file alone; any other order is written. A rename gives a new inode.
TEST_F(RecentMaps, HeadReopenedIsNotRewritten) {
    auto inode = [&] { return Inode(home.File("mrumaps.ini")); };
    Add("/a.map");
    Add("/b.map");
    const auto before = inode();
    EXPECT_EQ(Add("/b.map"), (std::vector<std::string>{"/b.map", "/a.map"}));
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(Add("/a.map"), (std::vector<std::string>{"/a.map", "/b.map"}));
    EXPECT_NE(inode(), before);
    // A list holding the path twice is tidied even when it heads the list.
    home.Write("mrumaps.ini", "/a.map\r\n/a.map\r\n");
    const auto twice = inode();
    EXPECT_EQ(Add("/a.map"), (std::vector<std::string>{"/a.map"}));
    EXPECT_NE(inode(), twice);
}

}  // namespace
