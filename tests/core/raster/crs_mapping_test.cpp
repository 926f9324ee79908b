// Coordinate systems as GDAL reads them, matched to the program's
// projections and datums: each fitting family once, with the parameters that
// decide the fit, and the systems that must be warped instead.
#include <gtest/gtest.h>

#include "raster/crs_mapping.h"

namespace {

struct Fits {
    const char* definition;
    int id;
    const char* datum;
    int utmZone;           // 0 unless UTM
    double centralMeridian;  // 777 when the projection takes none
    double parallel1;        // 777 when none
};

class CrsFits : public ::testing::TestWithParam<Fits> {};

TEST_P(CrsFits, MapsToTheProgramsOwnSystem) {
    const Fits& c = GetParam();
    mw::DatumTable datums;
    mw::CrsMatch m = mw::MatchCoordinateSystem(c.definition, datums);
    ASSERT_TRUE(m.parsed) << m.parseError;
    ASSERT_TRUE(m.system) << c.definition << ": " << m.whyNot;
    EXPECT_EQ(m.system->projectionId, c.id);
    EXPECT_EQ(mw::ProjectionIdFromName(m.system->projectionName), c.id);
    EXPECT_EQ(m.system->datumName, c.datum);
    EXPECT_EQ(m.system->utmZone, c.utmZone);
    EXPECT_NEAR(m.system->params.centralMeridian, c.centralMeridian, 1e-7);
    EXPECT_NEAR(m.system->params.standardParallel1, c.parallel1, 1e-6);
}

constexpr double kNone = 777;

INSTANTIATE_TEST_SUITE_P(
    Families, CrsFits,
    ::testing::Values(
        Fits{"EPSG:4326", mw::kProjLatLon, "WGS 84", 0, kNone, kNone},
        Fits{"EPSG:4277", mw::kProjLatLon, "Ord Srvy Grt Britn", 0, kNone, kNone},
        Fits{"EPSG:32632", mw::kProjUtm, "WGS 84", 32, kNone, kNone},
        Fits{"EPSG:32733", mw::kProjUtm, "WGS 84", 33, kNone, kNone},
        Fits{"EPSG:25832", mw::kProjUtm, "WGS 84", 32, kNone, kNone},   // ETRS89
        Fits{"EPSG:26717", mw::kProjUtm, "NAD27 CONUS", 17, kNone, kNone},
        Fits{"EPSG:27700", mw::kProjBritishGrid, "Ord Srvy Grt Britn", 0, kNone, kNone},
        Fits{"EPSG:29902", mw::kProjIrishGrid, "Ireland 1965", 0, kNone, kNone},
        Fits{"EPSG:3021", mw::kProjSwedishGrid, "RT 90", 0, kNone, kNone},
        Fits{"EPSG:3003", mw::kProjItaly1, "Rome 1940", 0, kNone, kNone},
        Fits{"EPSG:31467", mw::kProjTransverseMercator, "Potsdam Rauenberg DHDN", 0, 9, kNone},
        Fits{"EPSG:2157", mw::kProjTransverseMercator, "WGS 84", 0, -8, kNone},  // ITM
        Fits{"EPSG:2154", mw::kProjLambert, "WGS 84", 0, 3, 49},  // Lambert-93
        // Paris meridian and a one-parallel cone: Greenwich longitudes and
        // the two parallels of the same cone.
        Fits{"EPSG:27572", mw::kProjLambert, "NTF France", 0, 2.33722917, 47.6960145},
        Fits{"EPSG:5070", mw::kProjAlbers, "NAD83", 0, -96, 29.5},
        Fits{"EPSG:3395", mw::kProjMercator, "WGS 84", 0, kNone, kNone},
        Fits{"EPSG:21781", mw::kProjSwissGrid, "CH-1903", 0, kNone, kNone},
        Fits{"EPSG:2056", mw::kProjSwissGrid, "CH-1903", 0, kNone, kNone},
        Fits{"EPSG:27200", mw::kProjNewZealandGrid, "Geodetic Datum 1949", 0, kNone, kNone},
        Fits{"+proj=poly +lon_0=-96 +datum=WGS84", mw::kProjPolyconic, "WGS 84", 0, -96, kNone},
        Fits{"+proj=bonne +lat_1=45 +lon_0=10 +ellps=WGS84", mw::kProjBonne, "WGS 84", 0, 10,
             kNone},
        Fits{"+proj=vandg +lon_0=20 +datum=WGS84", mw::kProjVanDerGrinten, "WGS 84", 0, 20, kNone},
        // No name to go by: the ellipsoid and the shift find the row.
        Fits{"+proj=longlat +ellps=intl +towgs84=-87,-98,-121 +no_defs", mw::kProjLatLon,
             "European 1950", 0, kNone, kNone}));

// Systems the program cannot draw in as they are: the import warps them.
TEST(CrsMatch, SystemsWithoutCounterpartAreNamedWithTheReason) {
    const struct {
        const char* definition;
        const char* reasonPart;
    } cases[] = {
        {"EPSG:3857", "projection"},   // Web Mercator: spherical formulas on an ellipsoid
        {"EPSG:28992", "projection"},  // oblique stereographic
        {"EPSG:3035", "projection"},   // Lambert azimuthal equal area
        {"+proj=ob_tran +o_proj=longlat +o_lon_p=0 +o_lat_p=30 +lon_0=10 +datum=WGS84",
         "rotated"},
        {"+proj=longlat +R=6371000 +no_defs", "datum"},  // a sphere
        {"+proj=utm +zone=32 +ellps=bessel +towgs84=1000,0,0 +no_defs", "datum"},
    };
    mw::DatumTable datums;
    for (const auto& c : cases) {
        mw::CrsMatch m = mw::MatchCoordinateSystem(c.definition, datums);
        EXPECT_TRUE(m.parsed) << c.definition;
        EXPECT_FALSE(m.system) << c.definition;
        EXPECT_NE(m.whyNot.find(c.reasonPart), std::string::npos) << c.definition << ": " << m.whyNot;
    }
}

TEST(CrsMatch, UnreadableDefinitionsSayWhy) {
    mw::DatumTable datums;
    for (const char* bad : {"EPSG:999999", "not a crs", "PROJCS[\"x\",GEOGCS[", ""}) {
        mw::CrsMatch m = mw::MatchCoordinateSystem(bad, datums);
        EXPECT_FALSE(m.parsed) << bad;
        EXPECT_FALSE(m.parseError.empty()) << bad;
    }
}

}  // namespace

namespace {

// A GeoTIFF's system often comes without the datum's EPSG code: the datum's
// name must find the row then.
TEST(CrsMatch, DatumIsFoundByNameWithoutItsCode) {
    mw::DatumTable datums;
    const char* wkt =
        "PROJCS[\"OSGB36 / British National Grid\",GEOGCS[\"OSGB36\","
        "DATUM[\"Ordnance_Survey_of_Great_Britain_1936\",SPHEROID[\"Airy 1830\",6377563.396,"
        "299.3249646]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
        "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",49],"
        "PARAMETER[\"central_meridian\",-2],PARAMETER[\"scale_factor\",0.9996012717],"
        "PARAMETER[\"false_easting\",400000],PARAMETER[\"false_northing\",-100000],"
        "UNIT[\"metre\",1]]";
    mw::CrsMatch m = mw::MatchCoordinateSystem(wkt, datums);
    ASSERT_TRUE(m.system) << m.whyNot;
    EXPECT_EQ(m.system->projectionId, mw::kProjBritishGrid);
    EXPECT_EQ(m.system->datumName, "Ord Srvy Grt Britn");
}

}  // namespace

namespace {

// A .prj comes from anywhere: a path or a URL in it is not followed.
TEST(CrsMatch, DefinitionsNeverReachForFilesOrTheNetwork) {
    mw::DatumTable datums;
    const std::string path = std::string(MW_SOURCE_DIR) + "/tests/core/raster/utm32.prj";
    for (const std::string& d : {path, std::string("http://127.0.0.1:9/epsg/32632.wkt")}) {
        mw::CrsMatch m = mw::MatchCoordinateSystem(d, datums);
        EXPECT_FALSE(m.parsed) << d;
    }
}

}  // namespace
