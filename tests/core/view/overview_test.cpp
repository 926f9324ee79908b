// The overview window's geometry, marker, taps and frame.
#include <gtest/gtest.h>

#include "testlib/fake_ui.h"
#include "view/overview.h"

using namespace mw;

TEST(Overview, GeometryKeepsTheImageShape) {
    struct Case {
        int imageWidth, imageHeight, size;
        int width, height;
        double scaleX, scaleY;
    };
    const Case cases[] = {
        {3000, 1500, 95, 95, 47, 31.58, 31.91},
        // The ratio is taken first: 220 ÷ 2.2 is a hair under 100 in doubles.
        {220, 100, 220, 220, 99, 1.0, 1.0101},
        {100000, 10, 60, 60, 1, 1666.67, 10.0},  // a strip one row high at least
    };
    for (const Case& c : cases) {
        OverviewGeometry g = ComputeOverviewGeometry(c.imageWidth, c.imageHeight, c.size);
        EXPECT_EQ(g.width, c.width) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(g.height, c.height) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_NEAR(g.scaleX, c.scaleX, 0.005) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_NEAR(g.scaleY, c.scaleY, 0.005) << c.imageWidth << "x" << c.imageHeight;
        EXPECT_EQ(g.ClientWidth(), c.width + 16);
        EXPECT_EQ(g.ClientHeight(), c.height + 16);
    }
    for (auto [w, h, size] : {std::tuple{0, 100, 95}, {-5, 100, 95}, {100, 100, 0}})
        EXPECT_FALSE(ComputeOverviewGeometry(w, h, size).Valid()) << w << "x" << h << " " << size;
}

TEST(Overview, MarkerAndTapsMapBetweenOverviewAndImagePixels) {
    OverviewGeometry g = ComputeOverviewGeometry(3000, 1500, 95);
    EXPECT_EQ(OverviewMarker(g, 1500, 750), (Point{55, 31}));  // 47.5 + 8, 23.5 + 8
    EXPECT_EQ(OverviewMarker(g, 3000, 1500), (Point{103, 55}));

    struct Case {
        int x, y, px, py;
    };
    const Case cases[] = {
        {55, 31, 1484, 734},  // trunc(47 × 31.58), trunc(23 × 31.91)
        {3, 20, -157, 382},   // on the frame: off the image
        {110, 60, 3221, 1659},  // on the far frame
    };
    for (const Case& c : cases) {
        MapPixel p = OverviewTapPixel(g, c.x, c.y);
        EXPECT_EQ(p.x, c.px) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.py) << c.x << "," << c.y;
    }
}
