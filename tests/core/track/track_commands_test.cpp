// The track commands: proposed names, what each asks and reports.
#include <gtest/gtest.h>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_commands.h"
#include "track/track_file.h"

using namespace mw;

namespace {

class TrackCommands : public ::testing::Test {
protected:
    TrackCommandContext Context() {
        return TrackCommandContext{datums, kDatumWgs84, dir.Path(), DateTime{2024, 3, 5, 7, 8, 9}};
    }
    mwtest::TempDir dir;
    mwtest::FakeUi ui;
    DatumTable datums;
    TrackStore track;
};

}  // namespace

TEST(TrackSaveNames, ProposeBaseDateTimeAndKeepTheExtension) {
    EXPECT_EQ(ProposeSaveName("Track", "plt", DateTime{2024, 3, 5, 17, 8, 9}),
              "Track 2024-03-05 17-08-09.plt");
    struct Case {
        const char* typed;
        const char* saved;
    };
    for (const Case& c : std::vector<Case>{{"/d/trip", "/d/trip.plt"},
                                           {"/d/trip.PLT", "/d/trip.PLT"},
                                           {"/d/a.plt.old", "/d/a.plt.old"},
                                           {"/x.plt/trip", "/x.plt/trip.plt"}})
        EXPECT_EQ(WithExtension(c.typed, "plt"), c.saved) << c.typed;
}

TEST_F(TrackCommands, SaveTrackProposesANameInTheDataFolder) {
    AddTrackPoint(track, 1, 2, 1);
    ui.files = {dir.File("mine")};
    SaveTrackCommand(track, Context(), ui);
    EXPECT_EQ(ui.saveRequests, std::vector<std::string>{dir.File("Track 2024-03-05 07-08-09.plt")});
    TrackStore loaded;
    ASSERT_TRUE(LoadTrackFile(loaded, dir.File("mine.plt"), datums, kDatumWgs84, nullptr));
    EXPECT_EQ(loaded.PointCount(), 1);

    ui.files = {std::nullopt};
    SaveTrackCommand(track, Context(), ui);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TrackCommands, SaveTrackLogCopiesTheLog) {
    int newSegment = 1;
    ASSERT_TRUE(AppendTrackLog(TrackLogPath(dir.Path()), 1, 2, "010124", "000000", 0, newSegment));
    ui.files = {dir.File("copy.plt")};
    SaveTrackLogCommand(Context(), ui);
    EXPECT_EQ(ui.saveRequests,
              std::vector<std::string>{dir.File("TrackLog 2024-03-05 07-08-09.plt")});
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved as : " + dir.File("copy.plt")});
    EXPECT_EQ(dir.Read("copy.plt"), dir.Read("ceTrack.plt"));
}

TEST_F(TrackCommands, LoadTrackAsksInTheDataFolderAndRepaints) {
    AddTrackPoint(track, 1, 2, 1);
    ui.files = {std::nullopt};
    LoadTrackCommand(track, Context(), ui);
    EXPECT_EQ(ui.openRequests, std::vector<std::string>{dir.Path()});
    EXPECT_TRUE(ui.repaints.empty());
    EXPECT_EQ(track.PointCount(), 1);

    dir.Write("t.plt", std::string("h\r\nWGS 84\r\nh\r\nh\r\nh\r\nh\r\n5,6,1\r\n7,8,0\r\n"));
    ui.files = {dir.File("t.plt")};
    LoadTrackCommand(track, Context(), ui);
    EXPECT_EQ(track.PointCount(), 2);
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
}

TEST_F(TrackCommands, ClearTrackOnlyAfterYes) {
    AddTrackPoint(track, 1, 2, 1);
    ui.answers = {false, true};
    ClearTrackCommand(track, ui);
    EXPECT_EQ(track.PointCount(), 1);
    EXPECT_TRUE(ui.repaints.empty());
    ClearTrackCommand(track, ui);
    EXPECT_EQ(track.PointCount(), 0);
    EXPECT_EQ(ui.questions, std::vector<std::string>(2, "Clear the Track from the Map ?"));
    EXPECT_EQ(ui.repaints, std::vector<WindowId>{WindowId::Map});
}

TEST_F(TrackCommands, DeleteTrackLogWorksOnTheDataFoldersLog) {
    int newSegment = 1;
    ASSERT_TRUE(AppendTrackLog(TrackLogPath(dir.Path()), 1, 2, "010124", "000000", 0, newSegment));
    ui.answers = {true};
    DeleteTrackLogCommand(Context(), ui);
    EXPECT_FALSE(FileExists(dir.File("ceTrack.plt")));
}
