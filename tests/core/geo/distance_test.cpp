#include <gtest/gtest.h>

#include <cmath>

#include "geo/distance.h"

using namespace mw;

TEST(Distance, AntipodesGiveHalfTheCircumferenceNotNaN) {
    // Rounding can push the haversine term past 1.
    const double d = DistanceNm(30, 20, -30, -160);
    EXPECT_NEAR(d, 3.141592653589793 * kEarthRadiusNm, 1e-6);
    EXPECT_FALSE(std::isnan(InitialBearing(30, 20, -30, -160)));
}

TEST(PointInBorder, SquareAndDegenerateBorders) {
    const double lat[] = {0, 1, 1, 0};
    const double lon[] = {0, 0, 1, 1};
    struct Case {
        double lat, lon;
        bool inside;
    };
    const Case cases[] = {{0.5, 0.5, true},  {2, 0.5, false},    {0.5, -0.5, false},
                          {0.5, 1.5, false}, {-0.1, 0.5, false}, {0.99, 0.01, true}};
    for (const Case& c : cases)
        EXPECT_EQ(PointInBorder(4, c.lon, c.lat, lat, lon), c.inside) << c.lat << " " << c.lon;
    EXPECT_FALSE(PointInBorder(0, 0.5, 0.5, lat, lon));
    EXPECT_FALSE(PointInBorder(-3, 0.5, 0.5, lat, lon));
    EXPECT_FALSE(PointInBorder(4, 0.5, 0.5, nullptr, lon));
}

TEST(PointInBorder, ConcavePolygon) {
    // A "U" open to the north: the notch is outside.
    const double lat[] = {0, 3, 3, 1, 1, 3, 3, 0};
    const double lon[] = {0, 0, 1, 1, 2, 2, 3, 3};
    EXPECT_TRUE(PointInBorder(8, 0.5, 2, lat, lon));
    EXPECT_FALSE(PointInBorder(8, 1.5, 2, lat, lon));
    EXPECT_TRUE(PointInBorder(8, 1.5, 0.5, lat, lon));
}
