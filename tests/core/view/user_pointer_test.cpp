// The user pointer file: skipped lines, the 100-vertex limit, the arrow
// fallback.
#include <gtest/gtest.h>

#include "testlib/temp_dir.h"
#include "view/user_pointer.h"

using namespace mw;

namespace {

const std::vector<Point> kArrow(kArrowOutline.begin(), kArrowOutline.end());

}  // namespace

TEST(UserPointer, FallsBackToTheArrowWithoutVertices) {
    mwtest::TempDir dir;
    EXPECT_EQ(LoadUserPointer(dir.Path()), kArrow);
    dir.Write("userPointer1.dat", "; my pointer\r\n\r\n;0,0\r\n");
    EXPECT_EQ(LoadUserPointer(dir.Path()), kArrow);
}

TEST(UserPointer, ReadsVerticesSkippingBlankAndCommentLines) {
    mwtest::TempDir dir;
    dir.Write("userPointer1.dat", "0,0\r\n; tip above\r\n\r\n 8 , 20\r\n-8\r\nx,y\r\n3,4");
    EXPECT_EQ(LoadUserPointer(dir.Path()),
              (std::vector<Point>{{0, 0}, {8, 20}, {-8, 0}, {0, 0}, {3, 4}}));
}

TEST(UserPointer, KeepsTheFirst100Vertices) {
    mwtest::TempDir dir;
    std::string text;
    for (int i = 0; i < 120; ++i) text += std::to_string(i) + "," + std::to_string(-i) + "\n";
    dir.Write("userPointer1.dat", text);
    std::vector<Point> outline = LoadUserPointer(dir.Path());
    ASSERT_EQ(outline.size(), 100u);
    EXPECT_EQ(outline.back(), (Point{99, -99}));
}
