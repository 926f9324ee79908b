// Files handed to the program from outside open by their kind.
#include "app/open_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class OpenFile : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        ASSERT_TRUE(StartApplication(app, home.Path(), user.Path(), 480, 640));
        ui.messages.clear();
    }
    // A map of 50..51 N, 10..11 E with its image.
    std::string WriteMap(const std::string& name) {
        mwtest::CalibrationFileText calib = mwtest::CoverageMap(50, 10, 51, 11, 5);
        calib.points = {mwtest::PointAt(0, 0, 51, 10), mwtest::PointAt(1000, 1000, 50, 11)};
        files.Write(name, calib.Text());
        mwtest::WriteMapImage(files.Path(), calib);
        return files.File(name);
    }
    std::string WriteTrack(const std::string& name) {
        files.Write(name,
                    "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
                    "Reserved 3\r\n0,2,255,Track,0,0,2,0\r\n3\r\n"
                    "50.5,10.5,1,   -777\r\n50.6,10.6,0,   -777\r\n50.7,10.7,0,   -777\r\n");
        return files.File(name);
    }

    mwtest::TempDir home, user, files;
    mwtest::FakeUi ui;
    App app;
};

TEST(FileExtension, LowerCaseWithoutTheDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"/maps/ALPS.MAP", "map"}, {"/a.b/noext", ""}, {"/maps/.hidden", ""},
        {"x.tar.gz", "gz"},        {"ends.with.dot.", ""},
    };
    for (const auto& [path, ext] : cases) EXPECT_EQ(FileExtension(path), ext) << path;
}

TEST_F(OpenFile, AMapImageLoadsTheCalibrationFileBesideIt) {
    std::string map = WriteMap("scan.map");
    mwtest::WriteMapImage(files.Path(), mwtest::CalibrationFileText{}, 50, 50);
    std::filesystem::copy_file(files.File("test.mwf2"), files.File("scan.mwf2"));
    EXPECT_EQ(OpenFileByKind(app, files.File("scan.mwf2")), OpenFileResult::Opened);
    EXPECT_EQ(app.map.mapFilePath, map);

    files.Write("lonely.mwf2", "no map beside it");
    EXPECT_EQ(OpenFileByKind(app, files.File("lonely.mwf2")), OpenFileResult::Failed);
    EXPECT_EQ(ui.messages.back(), kNoMapForImageText);
    EXPECT_EQ(app.map.mapFilePath, map);
}

TEST_F(OpenFile, ATrackNeedsAMapAndThenLoadsOntoIt) {
    std::string track = WriteTrack("walk.plt");
    EXPECT_EQ(OpenFileByKind(app, track), OpenFileResult::Failed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNeedMapText});
    EXPECT_EQ(app.track.PointCount(), 0);

    ASSERT_EQ(OpenFileByKind(app, WriteMap("Alps.MAP")), OpenFileResult::Opened);
    EXPECT_EQ(OpenFileByKind(app, track), OpenFileResult::Opened);
    EXPECT_EQ(app.track.PointCount(), 3);
    ui.messages.clear();
    EXPECT_EQ(OpenFileByKind(app, files.File("gone.plt")), OpenFileResult::Failed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(kTrackNotOpenedText) + ": " +
                                                    files.File("gone.plt") +
                                                    " (No such file or directory)"});
}

TEST_F(OpenFile, AnUnknownKindIsReportedAndChangesNothing) {
    files.Write("notes.txt", "hello");
    EXPECT_EQ(OpenFileByKind(app, files.File("notes.txt")), OpenFileResult::UnknownKind);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("notes.txt"), std::string::npos);
    EXPECT_FALSE(app.map.mapLoaded);
}

}  // namespace
