#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "geo/datums.h"
#include "testlib/temp_dir.h"

using namespace mw;

TEST(Datums, FindByNameIsExactWithWgs84FallbackAndOutOfRangeReadsWgs84) {
    DatumTable t;
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {{"Pulkovo 1942 (1)", 95}, {"Pulkovo 1942 (2)", 96}, {"", 118},
                          {"WGS 84 ", 118}};
    for (const Case& c : cases) EXPECT_EQ(FindDatumByName(t, c.name), c.index) << c.name;
    // Out-of-range indices read the WGS 84 row instead of memory past the table.
    for (int index : {500, -1, 125})  // 125: an unused user slot
        EXPECT_EQ(GetDatumEllipsoid(t, index).a, 6378137.0) << index;
}

TEST(Datums, UserDatumsAppendInFileOrder) {
    mwtest::TempDir home;
    DatumTable builtIn;
    EXPECT_EQ(LoadUserDatums(builtIn, home.Path()), 121);  // no file: the built-in table
    home.Write("datums.dat", "My Datum,14,-87,-98,-121\r\nSecond,3,1.9,2,3\nThird");
    DatumTable t;
    EXPECT_EQ(LoadUserDatums(t, home.Path()), 124);
    EXPECT_EQ(t.rows[121].name, "My Datum");
    EXPECT_EQ(t.rows[121].ellipsoid, 14);
    EXPECT_EQ(t.rows[121].dz, -121);
    EXPECT_EQ(t.rows[122].dx, 1);  // fraction dropped
    // The last line has no line end and still counts; its missing numbers are 0
    // and its missing ellipsoid is 0 ("Airy 1830").
    EXPECT_EQ(t.rows[123].name, "Third");
    EXPECT_EQ(t.rows[123].ellipsoid, 0);
    EXPECT_EQ(t.rows[123].dy, 0);
}

TEST(Datums, UserDatumsNeverOverrunTheTable) {
    mwtest::TempDir home;
    std::string file;
    file += std::string(40, 'L') + ",14,1,2,3\n";  // name too long: skipped
    file += "BadEll,30,1,2,3\n";                   // ellipsoid out of range: skipped
    file += "NegEll,-1,1,2,3\n";
    file += "\n";                                  // blank line: skipped
    file += std::string(39, 'M') + ",14,1,2,3\n";  // longest allowed name
    for (int i = 0; i < 15; ++i) file += "U" + std::to_string(i) + ",20,0,0,0\n";
    home.Write("datums.dat", file);
    DatumTable t;
    EXPECT_EQ(LoadUserDatums(t, home.Path()), 131);
    EXPECT_EQ(t.rows[121].name, std::string(39, 'M'));
    EXPECT_EQ(t.rows[130].name, "U8");
    EXPECT_EQ(FindDatumByName(t, "U9"), 118);
}

// An endless source (the bad-input matrix has the oversized files): read up
// to the limit and said.
TEST(Datums, EndlessFileIsReadUpToItsLimit) {
    mwtest::TempDir home;
    std::filesystem::create_symlink("/dev/zero", home.File("datums.dat"));
    DatumTable t;
    bool cut = false;
    EXPECT_EQ(LoadUserDatums(t, home.Path(), &cut), 121);
    EXPECT_TRUE(cut);
}
