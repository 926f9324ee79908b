// World and .prj files as other programs write them, and as they arrive
// damaged: every usable one gives the transform, every other one a reason.
#include <gtest/gtest.h>

#include "raster/world_file.h"

namespace {

TEST(WorldFile, GivesTheTransformFromThePixelCorner) {
    // 10 m pixels, top-left pixel centred on (500005, 5200095).
    auto gt = mw::ParseWorldFile("10.0\r\n0.0\r\n0.0\r\n-10.0\r\n500005.0\r\n5200095.0\r\n", nullptr);
    ASSERT_TRUE(gt);
    EXPECT_DOUBLE_EQ(gt->X(0, 0), 500000.0);
    EXPECT_DOUBLE_EQ(gt->Y(0, 0), 5200100.0);
    EXPECT_DOUBLE_EQ(gt->X(0.5, 0.5), 500005.0);
    EXPECT_DOUBLE_EQ(gt->Y(100, 100), 5199100.0);

    // Rotation terms go to their places (line 2 is the y rotation).
    auto rotated = mw::ParseWorldFile("2\n0.5\n0.25\n-2\n100\n200\n", nullptr);
    ASSERT_TRUE(rotated);
    EXPECT_DOUBLE_EQ(rotated->c[2], 0.25);
    EXPECT_DOUBLE_EQ(rotated->c[4], 0.5);
    EXPECT_DOUBLE_EQ(rotated->X(0.5, 0.5), 100);
    EXPECT_DOUBLE_EQ(rotated->Y(0.5, 0.5), 200);
}

TEST(WorldFile, AcceptsBlankLinesAndTrailingText) {
    EXPECT_TRUE(mw::ParseWorldFile("\n  1 \n0\n0\n-1\n0.5\n-0.5\n", nullptr));
    EXPECT_TRUE(mw::ParseWorldFile("1\n0\n0\n-1\n0.5\n-0.5\nwritten by a scanner\n", nullptr));
    EXPECT_TRUE(mw::ParseWorldFile("+1e0\n0\n0\n-1E0\n0.5\n-0.5", nullptr));  // no final line end
}

TEST(WorldFile, RefusesWhatIsNotOne) {
    const struct {
        const char* text;
        const char* reasonPart;
    } cases[] = {
        {"", "0 of the six"},
        {"1\n0\n0\n-1\n0.5\n", "5 of the six"},
        {"1,5\n0\n0\n-1\n0.5\n0.5\n", "line 1"},  // decimal comma
        {"1\n0\nzero\n-1\n0.5\n0.5\n", "line 3"},
        {"1\n0\n0\n-1\n0.5 0.5\n0.5\n", "line 5"},
        {"1\n0\n0\nnan\n0.5\n0.5\n", "line 4"},
        {"1\n0\n0\n-1\n1e400\n0.5\n", "line 5"},
        {"0\n0\n0\n-1\n0.5\n0.5\n", "no usable transform"},     // zero pixel width
        {"1\n1\n1\n1\n0.5\n0.5\n", "no usable transform"},      // both axes along one line
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(mw::ParseWorldFile(c.text, &reason)) << c.text;
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << c.text << " -> " << reason;
    }
}

TEST(WorldFile, CandidatesFollowTheRastersName) {
    auto names = mw::WorldFileCandidates("/maps/sheet.v2.tif");
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0], "/maps/sheet.v2.tfw");
    EXPECT_EQ(names[1], "/maps/sheet.v2.TFW");
    EXPECT_EQ(names[2], "/maps/sheet.v2.tifw");
    EXPECT_EQ(names.back(), "/maps/sheet.v2.WLD");
    EXPECT_EQ(mw::WorldFileCandidates("/maps.d/scan")[0], "/maps.d/scan.wld");
    EXPECT_EQ(mw::PrjFileCandidates("a/b.jpg")[0], "a/b.prj");
}

TEST(PrjText, IsCleanedOrRefused) {
    EXPECT_EQ(*mw::CleanPrjText("\xEF\xBB\xBF  GEOGCS[\"x\"]\r\n\0", nullptr), "GEOGCS[\"x\"]");
    std::string reason;
    EXPECT_FALSE(mw::CleanPrjText(" \r\n", &reason));
    EXPECT_EQ(reason, "it is empty");
    EXPECT_FALSE(mw::CleanPrjText(std::string("GEOGCS\x01[", 8), &reason));
    EXPECT_EQ(reason, "it is not a text file");
}

}  // namespace
