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

// The user's files are never overwritten nor brought back once deleted.
TEST_F(InstallSharedDataTest, CopiesByteForByteButNeverOverOrBackToTheUsersFiles) {
    const std::string wav("RIFF\0\0\0\0WAVE\r\n\xff", 15);
    WriteFile(Shared("help/mawce_d_help.html"), "help v1");
    WriteFile(Shared("Sound Files/default.wav"), wav);
    WriteFile(Shared("userPointer1.dat"), "shared\r\n");
    WriteFile(Home("userPointer1.dat"), "mine\r\n");
    mw::SharedDataReport report = Install();
    EXPECT_THAT(report.copied, ElementsAre("Sound Files/default.wav", "help/mawce_d_help.html"));
    EXPECT_THAT(report.kept, ElementsAre("userPointer1.dat"));
    EXPECT_THAT(report.failed, IsEmpty());
    EXPECT_EQ(ReadHome("Sound Files/default.wav"), wav);
    EXPECT_EQ(ReadHome("userPointer1.dat"), "mine\r\n");

    fs::remove(Home("Sound Files/default.wav"));
    WriteFile(Home("help/mawce_d_help.html"), "my notes");
    // A newer package changes one shared file and adds another.
    WriteFile(Shared("help/mawce_d_help.html"), "help v2");
    WriteFile(Shared("PSymbols/camp.bmp"), "BM");
    EXPECT_THAT(Install().copied, ElementsAre("PSymbols/camp.bmp"));
    EXPECT_FALSE(HomeHas("Sound Files/default.wav"));
    EXPECT_EQ(ReadHome("help/mawce_d_help.html"), "my notes");
    EXPECT_EQ(ReadHome("PSymbols/camp.bmp"), "BM");
}

}  // namespace
