// The user pointer file: skipped lines, the 100-vertex limit, the arrow
// fallback.
#include <gtest/gtest.h>

#include "testlib/temp_dir.h"
#include "view/user_pointer.h"

using namespace mw;

TEST(UserPointer, ReadsUpTo100VerticesAndFallsBackToTheArrow) {
    mwtest::TempDir dir;
    const std::vector<Point> arrow(kArrowOutline.begin(), kArrowOutline.end());
    EXPECT_EQ(LoadUserPointer(dir.Path()), arrow);
    dir.Write("userPointer1.dat", "; my pointer\r\n\r\n;0,0\r\n");
    EXPECT_EQ(LoadUserPointer(dir.Path()), arrow);

    dir.Write("userPointer1.dat", "0,0\r\n; tip\r\n\r\n 8 , 20\r\n-8\r\nx,y\r\n3,4");
    EXPECT_EQ(LoadUserPointer(dir.Path()),
              (std::vector<Point>{{0, 0}, {8, 20}, {-8, 0}, {0, 0}, {3, 4}}));

    std::string text;
    for (int i = 0; i < 120; ++i) text += std::to_string(i) + ",1\n";
    dir.Write("userPointer1.dat", text);
    std::vector<Point> outline = LoadUserPointer(dir.Path());
    ASSERT_EQ(outline.size(), 100u);
    EXPECT_EQ(outline.back(), (Point{99, 1}));

    // Comments add no vertex, so only the size limit ends an endless file:
    // a vertex past it is not read.
    std::string comments;
    while (comments.size() <= kUserPointerMaxFileBytes) comments += "; note\n";
    dir.Write("userPointer1.dat", comments + "5,5\n");
    EXPECT_EQ(LoadUserPointer(dir.Path()), arrow);
}
