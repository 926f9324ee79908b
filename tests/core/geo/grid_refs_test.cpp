#include <gtest/gtest.h>

#include <cmath>

#include "geo/datums.h"
#include "geo/grid_refs.h"
#include "geo/transverse_mercator.h"

using namespace mw;

TEST(Utm, BandLettersSkipIAndOAndEndAtXZonesHaveNoExceptions) {
    DatumTable t;
    struct Case {
        double lat, lon;
        const char* zone;
    };
    const Case cases[] = {{-80, 10, "32C"},  {-72.1, 10, "32C"}, {-72, 10, "32D"},
                          {-0.1, 10, "32M"}, {0, 10, "32N"},     {71.9, 10, "32W"},  {84, 10, "32X"},
                          {60, 5, "31V"},  // no Norway exception
                          {10, -179.5, "01P"},
                          // UPS beyond 84° N and 80° S.
                          {84.01, 10, "00\tZ"},  {85, -10, "00\tY"},  {-80.01, 10, "00\tB"}};
    for (const Case& c : cases)
        EXPECT_EQ(LatLonToUtm(c.lat, c.lon, t, kDatumWgs84).zone, c.zone) << c.lat << " " << c.lon;
    // The pole itself: longitude 90 by the y = 0 rule of the inverse, no NaN.
    EXPECT_NEAR(UtmToLatLon(0, false, 2000000, 2000000, t, kDatumWgs84).lat, 90, 1e-9);
}

TEST(BritishGrid, LettersAtTheCornersOfTheGridNeverReadPastTheTables) {
    DatumTable t;
    // The position whose full grid coordinates are (e, n); far north the
    // cases stay near the central meridian, where the TM series inverts to
    // well under the metre the grid rounds to.
    auto at = [&](double e, double n) {
        double lat, lon;
        TmInverse(e - 400000, n + 100000, kBngLat0, kBngLon0, kBngScale, lat, lon, t, 88);
        return LatLonToBritishGrid(lat, lon, t, 88);
    };
    struct Case {
        double e, n;
        const char* letters;
        double ee, nn;
    };
    const Case cases[] = {
        {0.3, 0.3, "SV", 0, 0}, {1000000, 0.3, "UV", 0, 0}, {400000.2, 2499999.2, "XE", 0, 99999},
        // On the northern edge (row 5 would be past the table) and beyond.
        {400000, 2500000, "--", 0, 0}, {-10, 10, "--", 0, 0}, {1000010, 10, "--", 0, 0}, {10, -10, "--", 0, 0},
    };
    for (const Case& c : cases) {
        GridReference r = at(c.e, c.n);
        EXPECT_EQ(r.zone, c.letters) << c.e << " " << c.n;
        EXPECT_EQ(r.easting, c.ee) << c.e << " " << c.n;
        EXPECT_EQ(r.northing, c.nn) << c.e << " " << c.n;
    }
}

TEST(BritishGrid, InverseOfUnreadableReferencesIsZero) {
    DatumTable t;
    struct Case {
        const char* letters;
        double e, n;
    };
    const Case cases[] = {{"--", 1, 1},  {"TI", 1, 1},      {"T", 1, 1},  {"", 1, 1},
                          {"TQ", -1, 1}, {"TQ", 1, 100001}, {"tq", 1, 1}, {"TQ", NAN, 1}};
    for (const Case& c : cases) {
        GeoPoint p = BritishGridToLatLon(c.letters, c.e, c.n, t, 88);
        EXPECT_EQ(p.lat, 0.0) << c.letters;
        EXPECT_EQ(p.lon, 0.0) << c.letters;
    }
}

TEST(IrishGrid, EdgesAndUnreadableReferences) {
    DatumTable t;
    auto at = [&](double e, double n) {
        double lat, lon;
        TmInverse(e - 200000, n - 250000, kIrishLat0, kIrishLon0, kIrishScale, lat, lon, t, 49);
        return LatLonToIrishGrid(lat, lon, t, 49);
    };
    struct Case {
        double e, n;
        const char* letter;
    };
    const Case cases[] = {{0.2, 0.2, "V"},         {399999.2, 0.2, "Y"},
                          {0.2, 499999.2, "A"}, {399999.2, 499999.2, "D"},
                          // On the eastern or northern edge the table would be read past.
                          {400000, 10, " "},    {10, 500000, " "},        {-10, 10, " "}};
    for (const Case& c : cases) EXPECT_EQ(at(c.e, c.n).zone, c.letter) << c.e << " " << c.n;

    for (const char* bad : {"--", " ", "", "I", "Z"}) {
        GeoPoint p = IrishGridToLatLon(bad, 15000, 34000, t, 49);
        EXPECT_EQ(p.lat, 0.0) << bad;
        EXPECT_EQ(p.lon, 0.0) << bad;
    }
    EXPECT_EQ(IrishGridToLatLon("O", 100001, 34000, t, 49).lat, 0.0);
}
