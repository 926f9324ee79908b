#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "config/settings.h"
#include "support/paths.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

std::string MainFileFromLines(const std::array<std::string, kAppSettingsKeyCount>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s + "End End End\r\n";
}

}  // namespace

class Config : public ::testing::Test {
protected:
    mwtest::TempDir home;
    DatumTable datums;
    mwtest::FakeUi ui;
};

// A missing or empty file gives the struct's own initial values.
TEST_F(Config, MissingOrEmptyMainFileGivesTheDefaults) {
    const AppSettings fresh;
    for (bool empty : {false, true}) {
        if (empty) home.Write(kMainConfigFile, "");
        AppSettings read;
        read.comPort = 5;
        read.dataPath = "x";
        ReadConfiguration(home.Path(), datums, read);
        EXPECT_EQ(FormatConfigurationLines(fresh, datums), FormatConfigurationLines(read, datums));
    }
}

TEST_F(Config, ValuesRoundTripThroughTheFile) {
    AppSettings s;
    s.nmeaDatum = 88;
    s.mapPath[4] = "/media/card/maps";
    s.minSpeed = 12.25;
    s.maxSpeed = 99.96;
    s.comPort = 8;   // "GPS1:"
    s.baudRate = 7;  // the two "Baud Rate" keys are told apart by position
    s.udBaudRate = 1;
    s.useChecksum = false;
    ASSERT_TRUE(WriteConfiguration(home.Path(), datums, s));
    AppSettings r;
    ReadConfiguration(home.Path(), datums, r);
    EXPECT_EQ(FormatConfigurationLines(r, datums), FormatConfigurationLines(s, datums));
    EXPECT_DOUBLE_EQ(r.minSpeed, 12.2);  // "%.1f" of 12.25 rounds to even
    EXPECT_DOUBLE_EQ(r.maxSpeed, 100.0);
    EXPECT_NE(home.Read(kMainConfigFile).find("Com Port,9\r\n"), std::string::npos);
}

TEST_F(Config, ReadingIsByPositionAndByTheFieldRules) {
    AppSettings defaults;
    auto lines = FormatConfigurationLines(defaults, datums);
    lines[0] = "Position Format,deg.min";  // wrong case: index 0
    lines[1] = "NMEA Datum,Ord Srvy Grt Britn";
    lines[2] = "File Path 1,";           // empty: fallback
    lines[6] = "NMEA Log Distance,   ";  // spaces: 0 for a number
    lines[8] = "Track Length,5000";
    lines[24] = "Data Path,/a,b";  // comma ends the value
    // Swap two lines: the values follow the positions, not the key texts.
    std::swap(lines[12], lines[13]);
    lines[12] = "Distance Unit,2";
    lines[13] = "Speed Unit,1";
    home.Write(kMainConfigFile, MainFileFromLines(lines));

    AppSettings s;
    ReadConfiguration(home.Path(), datums, s);
    EXPECT_EQ(s.positionFormat, 0);
    EXPECT_EQ(s.nmeaDatum, 88);
    EXPECT_EQ(s.filePath1, "\\Mapwanderer\\Maps");
    EXPECT_EQ(s.nmeaLogDistance, 0);
    EXPECT_EQ(s.trackLength, 5000);  // no clamping on reading
    EXPECT_EQ(s.dataPath, "/a");
    EXPECT_EQ(s.speedUnit, 2);
    EXPECT_EQ(s.distanceUnit, 1);

    // Writing clamps the track length and keeps every other value.
    ASSERT_TRUE(WriteConfiguration(home.Path(), datums, s));
    EXPECT_EQ(s.trackLength, 1000);
    EXPECT_NE(home.Read(kMainConfigFile).find("\r\nTrack Length,1000\r\n"), std::string::npos);
}

TEST_F(Config, PathsOfUpTo4096BytesSurviveTheFiles) {
    // Deep folders on this system: every path setting and "LastMap.ini" keep
    // a path of the longest length the system allows.
    const std::string deep = "/" + std::string(kPathMax - 1, 'd');
    AppSettings s;
    s.filePath1 = deep;
    s.mapPath[5] = deep;
    s.dataPath = deep;
    ASSERT_TRUE(WriteConfiguration(home.Path(), datums, s));
    AppSettings r;
    ReadConfiguration(home.Path(), datums, r);
    EXPECT_EQ(r.filePath1, deep);
    EXPECT_EQ(r.mapPath[5], deep);
    EXPECT_EQ(r.dataPath, deep);
    EXPECT_EQ(r.navLineColor1, 11);  // later keys not shifted

    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", deep + ".map"));
    EXPECT_EQ(ReadLastIni(home.Path(), kLastMapFile), deep + ".map");

    // Longer than any path: cut to the longest.
    home.Write(kMainConfigFile, "a,0\nb,WGS 84\nc," + std::string(kPathMax + 10, 'p') + "\n");
    ReadConfiguration(home.Path(), datums, r);
    EXPECT_EQ(r.filePath1.size(), kSettingTextMax);
}

TEST_F(Config, ComPortOutsideThePortTableIsTheDefaultPort) {
    struct Case {
        const char* value;
        int comPort;
    };
    const Case cases[] = {{"1", 0}, {"10", 9}, {"0", 0}, {"11", 0}};
    for (const Case& c : cases) {
        std::array<std::string, kAppSettingsKeyCount> lines =
            FormatConfigurationLines(AppSettings{}, datums);
        lines[63] = std::string("Com Port,") + c.value;
        home.Write(kMainConfigFile, MainFileFromLines(lines));
        AppSettings s;
        ReadConfiguration(home.Path(), datums, s);
        EXPECT_EQ(s.comPort, c.comPort) << c.value;
    }
}

TEST_F(Config, SaveTakesOnlyTheDialogsKeys) {
    AppSettings s, dialog;
    dialog.speedUnit = 2;   // Units
    dialog.trackWidth = 9;  // Track: not this dialog
    ASSERT_TRUE(SaveConfiguration(home.Path(), datums, s, kDialogUnits, dialog));
    EXPECT_EQ(s.trackWidth, 2);
    AppSettings r;
    ReadConfiguration(home.Path(), datums, r);
    EXPECT_EQ(r.speedUnit, 2);

    // Keys no dialog changes stay as they were.
    dialog.showTrack = 0;
    dialog.mapPathLoadedActive = 0;
    for (int d = 0; d <= kDialogNavigation; ++d)
        SaveConfiguration(home.Path(), datums, s, d, dialog);
    EXPECT_EQ(s.showTrack, 1);
    EXPECT_EQ(s.mapPathLoadedActive, 1);
    EXPECT_EQ(s.trackWidth, 9);
}

TEST_F(Config, LastIniKeepsCommasAndReportsFailures) {
    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", "/maps/a,b, c.map"));
    EXPECT_EQ(home.Read(kLastMapFile), "Last Map,/maps/a,b, c.map\r\nEnd End End\r\n");
    EXPECT_EQ(ReadLastIni(home.Path(), kLastMapFile), "/maps/a,b, c.map");
    EXPECT_EQ(ReadLastIni(home.Path(), "missing.ini"), "");
    // The failure is a value; the caller says it, with the file and why.
    const WriteOutcome failed = SaveLastIni(home.File("nope"), kLastMapFile, "Last Map", "x");
    EXPECT_FALSE(failed);
    EXPECT_EQ(WriteFailureText(kCannotSaveLastIniText, failed),
              "Cannot Save Last Ini File: " + home.File("nope") + "/" + kLastMapFile +
                  ": " + std::strerror(ENOENT));
}

// The same name saved again (every start reloads the last map) leaves the
// file alone, byte for byte and inode for inode; a change, or a file that
// says the same in other bytes, is written.
TEST_F(Config, LastIniSavedUnchangedIsNotRewritten) {
    auto inode = [&] {
        struct stat st {};
        return ::stat(home.File(kLastMapFile).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", "/maps/a.map"));
    const auto first = inode();
    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", "/maps/a.map"));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", "/maps/b.map"));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(ReadLastIni(home.Path(), kLastMapFile), "/maps/b.map");
    home.Write(kLastMapFile, "Last Map,/maps/b.map\n");
    ASSERT_TRUE(SaveLastIni(home.Path(), kLastMapFile, "Last Map", "/maps/b.map"));
    EXPECT_EQ(home.Read(kLastMapFile), "Last Map,/maps/b.map\r\nEnd End End\r\n");
}

TEST(DataFolder, EmptyMeansTheDefaultFolderNeverTheRoot) {
    struct Case {
        const char* setting;
        const char* folder;
    };
    const Case cases[] = {
        {"   ", "/home/u/Mapwanderer/Data"},
        {"\\Mapwanderer\\Data\\", "/home/u/Mapwanderer/Data"},
        {"/media/card/data/", "/media/card/data"},
        {"/", "/"},
    };
    for (const Case& c : cases) {
        AppSettings s;
        s.dataPath = c.setting;
        EXPECT_EQ(LocalDataFolder(s, "/home/u/"), c.folder) << c.setting;
    }
}
