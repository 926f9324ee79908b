// The user pointer file: comments skipped, a bad file falls back to the arrow.
#include <gtest/gtest.h>

#include "testlib/temp_dir.h"
#include "view/user_pointer.h"

using namespace mw;

TEST(UserPointer, ReadsTheVerticesOrFallsBackToTheArrow) {
    mwtest::TempDir dir;
    dir.Write("userPointer1.dat", "0,0\r\n; tip\r\n\r\n 8 , 20\r\n-8\r\n");
    EXPECT_EQ(LoadUserPointer(dir.Path()), (std::vector<Point>{{0, 0}, {8, 20}, {-8, 0}}));
    // Comments only, past the size limit: no vertex is read.
    std::string comments;
    while (comments.size() <= kUserPointerMaxFileBytes) comments += "; note\n";
    dir.Write("userPointer1.dat", comments + "5,5\n");
    EXPECT_EQ(LoadUserPointer(dir.Path()),
              std::vector<Point>(kArrowOutline.begin(), kArrowOutline.end()));
}
