// Where alarm pictures and sounds are found, and the list's rows and marks.
#include <gtest/gtest.h>

#include <filesystem>

#include "testlib/temp_dir.h"
#include "waypoint/media_file.h"
#include "waypoint/waypoint_list.h"

using namespace mw;

TEST(FindMediaFile, FoldersAreTriedInOrderAndOnlyTheTestIgnoresCase) {
    mwtest::TempDir home, data;
    std::filesystem::create_directories(home.File("Sound Files"));
    std::filesystem::create_directories(home.File("PSymbols"));
    home.Write("Sound Files/bell.wav", "s");
    data.Write("bell.wav", "d");
    home.Write("PSymbols/Flag.BMP", "p");
    data.Write("Flag.BMP", "d");
    data.Write("both.txt", "d");
    home.Write("both.txt", "h");
    data.Write("data.wav", "d");
    std::filesystem::create_directories(data.File("folder.wav"));

    struct Case {
        std::string name, expected;
    };
    const Case cases[] = {
        {"bell.wav", home.File("Sound Files/bell.wav")},  // before the data folder
        {"Flag.BMP", home.File("PSymbols/Flag.BMP")},
        {"flag.bmp", ""},  // the test ignores case, the file system does not
        {"both.txt", data.File("both.txt")},
        {"data.wav", data.File("data.wav")},  // not in "Sound Files": the data folder
        {".wav", ""},                         // ".wav" only counts after the first character
        {"folder.wav", ""},                   // a folder is no file
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindMediaFile(c.name, home.Path() + "/", data.Path()), c.expected) << c.name;
}

TEST(WaypointList, RowsSkipEmptyPositionsAndOnlyMarkedRowsAreFreed) {
    WaypointStore store;
    store.Put(2, Waypoint{"Two", 1, 2});
    store.Put(3, Waypoint{"Nowhere", 0, 0});
    store.Put(5, Waypoint{"Deleted", 5, 5});  // a name, not a mark
    store.Put(9, Waypoint{"Nine", 9, 9});
    store.At(9)->description = "About nine";

    std::vector<WaypointListRow> rows =
        BuildWaypointListRows(store, [](double lat, double lon) {
            return std::to_string(static_cast<int>(lat)) + "/" + std::to_string(static_cast<int>(lon));
        });
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].slot, 2);
    EXPECT_EQ(rows[1].slot, 5);
    EXPECT_EQ(rows[2].slot, 9);
    EXPECT_EQ(rows[2].description, "About nine");
    EXPECT_EQ(rows[0].position, "1/2");

    rows[0].marked = true;
    EXPECT_EQ(rows[0].FirstColumn(), "Deleted");
    store.FreeWaypoint(9);  // emptied meanwhile: skipped
    rows[2].marked = true;
    EXPECT_EQ(FreeMarkedWaypoints(store, rows), 1);
    EXPECT_EQ(store.At(2), nullptr);
    ASSERT_NE(store.At(5), nullptr);
    EXPECT_NE(store.At(3), nullptr);
    // Freeing keeps the slots of the others and the count.
    EXPECT_EQ(store.FindFreeSlot(), 0);
}
