// The settings files byte for byte as the program writes them, for a record
// that holds a value of every kind away from its default (names, ports,
// reals, flags, the map folder arrays): however the key table is built, a
// file written today must read the same in an older or newer program.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

AppSettings Varied() {
    AppSettings s;
    s.positionFormat = 2;
    s.nmeaDatum = 3;
    s.filePath2 = "/images/b";
    s.mapPath[4] = "/maps/five";
    s.mapPathActive[5] = 0;
    s.loadLastMap = 0;
    s.minSpeed = 12.25;
    s.maxSpeed = 99;
    s.udDatum = 1;
    s.useChecksum = false;
    s.showDgpsSecs = true;
    s.comPort = 7;
    s.navLineColor2 = 4;
    s.trackLength = 5000;  // written as the most the track holds
    return s;
}

}  // namespace

TEST(WrittenFiles, MainFileIsAsItWas) {
    mwtest::TempDir home;
    DatumTable datums;
    AppSettings s = Varied();
    ASSERT_TRUE(WriteConfiguration(home.Path(), datums, s).Ok());
    EXPECT_EQ(home.Read(kMainConfigFile),
              std::string(
                  "Position Format,UTM\r\n"
                  "NMEA Datum,Ain el Abd 1970\r\n"
                  "File Path 1,\\Mapwanderer\\Maps\r\n"
                  "File Path 2,/images/b\r\n"
                  "Map Path 1,\\Mapwanderer\\Maps\r\n"
                  "Load Last Map,0\r\n"
                  "NMEA Log Distance,500\r\n"
                  "Show Track,1\r\n"
                  "Track Length,1000\r\n"
                  "NMEA Update,2\r\n"
                  "Baud Rate,2\r\n"
                  "Check 4 Detailed Map,1\r\n"
                  "Speed Unit,0\r\n"
                  "Distance Unit,0\r\n"
                  "Altitude Unit,0\r\n"
                  "Track Log Distance,250\r\n"
                  "Baud Rate,3\r\n"
                  "GPS Type,0\r\n"
                  "UD Datum,Adindan\r\n"
                  "Min Speed,12.2\r\n"
                  "Set Speed,0.0\r\n"
                  "Max Speed,99.0\r\n"
                  "Map Path 2,\r\n"
                  "Map Path 3,\r\n"
                  "Data Path,\\Mapwanderer\\Data\r\n"
                  "Map Path 1 Active,1\r\n"
                  "Map Path 2 Active,1\r\n"
                  "Map Path 3 Active,1\r\n"
                  "NMEA Sentence,0\r\n"
                  "Track Color,9\r\n"
                  "Track Width,2\r\n"
                  "Min Speed Active,0\r\n"
                  "Set Speed Active,0\r\n"
                  "Max Speed Active,0\r\n"
                  "Use Checksum,0\r\n"
                  "Show GPS fix,1\r\n"
                  "Show DGPS secs,1\r\n"
                  "WP Symbol Size,6\r\n"
                  "WP Font Size,11\r\n"
                  "WP Check Proximity,1\r\n"
                  "Toolbar Auto Hide,0\r\n"
                  "Load Default Wps,0\r\n"
                  "Load Default Track,0\r\n"
                  "No Shutdown,1\r\n"
                  "Heading Unit,0\r\n"
                  "Map Path 4,\r\n"
                  "Map Path 5,/maps/five\r\n"
                  "Map Path 6,\r\n"
                  "Map Path 4 Active,1\r\n"
                  "Map Path 5 Active,1\r\n"
                  "Map Path 6 Active,0\r\n"
                  "Route WP Symbol Size,6\r\n"
                  "Route Font Size,11\r\n"
                  "Route Line Width,2\r\n"
                  "Route Line Color,0\r\n"
                  "Route Wp Color,17\r\n"
                  "Route Text Color,0\r\n"
                  "Pointer Style,1\r\n"
                  "Pointer Size,5\r\n"
                  "Pointer Color,9\r\n"
                  "Pointer Solid,1\r\n"
                  "Map Path Loaded Active,1\r\n"
                  "Tripmate GPS,0\r\n"
                  "Com Port,8\r\n"
                  "Nav Draw Line,1\r\n"
                  "Nav Line Width,5\r\n"
                  "Nav Line Color 1,11\r\n"
                  "Nav Line Color 2,4\r\n"
                  "Use CE Open File,0\r\n"
        "End End End\r\n"));
}

TEST(WrittenFiles, ViewFileIsAsItWas) {
    mwtest::TempDir home;
    ViewSettings v;
    v.viewTrack = 0;
    v.mapViewSize = 120;
    v.viewSeamlessMaps = 0;
    ASSERT_TRUE(SaveViewSettings(home.Path(), v).Ok());
    EXPECT_EQ(home.Read(kViewConfigFile),
              std::string(
                  "View Speed Info,0\r\n"
                  "View Speed & Nav Info,0\r\n"
                  "View Waypoints,1\r\n"
                  "View Waypoint HighLights,0\r\n"
                  "View Waypoint Names,1\r\n"
                  "View Scale,0\r\n"
                  "View Toolbar,1\r\n"
                  "Scale Pos X,32\r\n"
                  "Scale Pos Y,63\r\n"
                  "View Track,0\r\n"
                  "View Waypoint Black & White,0\r\n"
                  "View Routes,1\r\n"
                  "View Route Highlights,0\r\n"
                  "View Route Wp Names,1\r\n"
                  "View Route Name,1\r\n"
                  "View Route Black & White,0\r\n"
                  "View Waypoint Proximity,1\r\n"
                  "View MapView,0\r\n"
                  "MapView Pos X,10\r\n"
                  "MapView Pos Y,70\r\n"
                  "MapView Size,120\r\n"
                  "View Seamless Maps,0\r\n"
        "End End End\r\n"));
}
