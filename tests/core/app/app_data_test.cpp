#include "app/app_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/paths.h"
#include "testlib/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using mwtest::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

void WriteFile(const std::string& path, const std::string& bytes) {
    mw::MakeFolders(fs::path(path).parent_path().string());
    std::ofstream(path, std::ios::binary) << bytes;
}

class InstallSharedDataTest : public ::testing::Test {
protected:
    std::string Shared(const std::string& rel) const { return shared_.File(rel); }
    std::string Home(const std::string& rel = "") const {
        return rel.empty() ? home_.File("home") : home_.File("home/" + rel);
    }
    std::string ReadHome(const std::string& rel) const { return home_.Read("home/" + rel); }
    bool HomeHas(const std::string& rel) const { return fs::exists(Home(rel)); }
    mw::SharedDataReport Install() const { return mw::InstallSharedData(shared_.Path(), Home()); }

    TempDir shared_;
    TempDir home_;
};

TEST_F(InstallSharedDataTest, FirstStartCopiesByteForByteButNeverOverTheUsersFile) {
    const std::string wav("RIFF\0\0\0\0WAVE\r\n\xff", 15);
    WriteFile(Shared("help/mawce_d_help.html"), "<html>help</html>\n");
    WriteFile(Shared("Sound Files/default.wav"), wav);
    WriteFile(Shared("userPointer1.dat"), "shared\r\n");
    WriteFile(Home("userPointer1.dat"), "mine\r\n");

    mw::SharedDataReport report = Install();

    EXPECT_THAT(report.copied, ElementsAre("Sound Files/default.wav", "help/mawce_d_help.html"));
    EXPECT_THAT(report.kept, ElementsAre("userPointer1.dat"));
    EXPECT_THAT(report.failed, IsEmpty());
    EXPECT_EQ(ReadHome("Sound Files/default.wav"), wav);
    EXPECT_EQ(ReadHome("userPointer1.dat"), "mine\r\n");
    for (const auto& entry : fs::recursive_directory_iterator(Home()))
        EXPECT_EQ(entry.path().string().find(".partial-"), std::string::npos) << entry.path();
}

TEST_F(InstallSharedDataTest, LaterStartsBringBackNothingTheUserDeletedButAddNewFiles) {
    WriteFile(Shared("help/mawce_d_help.html"), "help v1");
    WriteFile(Shared("maxspeed.wav"), "sound");
    ASSERT_EQ(Install().copied.size(), 2u);

    fs::remove(Home("maxspeed.wav"));
    WriteFile(Home("help/mawce_d_help.html"), "my notes");
    // A newer package changes one shared file and adds another.
    WriteFile(Shared("help/mawce_d_help.html"), "help v2");
    WriteFile(Shared("PSymbols/camp.bmp"), "BM");

    mw::SharedDataReport report = Install();

    EXPECT_THAT(report.copied, ElementsAre("PSymbols/camp.bmp"));
    EXPECT_THAT(report.kept, IsEmpty());
    EXPECT_FALSE(HomeHas("maxspeed.wav"));
    EXPECT_EQ(ReadHome("help/mawce_d_help.html"), "my notes");
    EXPECT_EQ(ReadHome("PSymbols/camp.bmp"), "BM");
}

TEST_F(InstallSharedDataTest, NoSharedDataLeavesTheHomeAlone) {
    for (const std::string& sharedDir : {std::string(), shared_.File("missing")}) {
        EXPECT_THAT(mw::InstallSharedData(sharedDir, Home()).copied, IsEmpty());
        EXPECT_FALSE(fs::exists(Home())) << "home created for '" << sharedDir << "'";
    }
}

}  // namespace
