// Writes the starting corpus of every fuzz target into <out>/<target>/, made
// by the program's own writers and the tests' file makers.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/names/dbase_writer.h"
#include "gpx/gpx_writer.h"
#include "geo/datums.h"
#include "map/catalogue_index.h"
#include "map/coverage.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"
#include "waypoint/waypoint_store.h"

namespace fs = std::filesystem;

namespace {

fs::path gOut;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(gOut / target);
    std::ofstream(gOut / target / name, std::ios::binary) << bytes;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

void NmeaSeeds() {
    const std::vector<std::string> sentences = {
        "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
        "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
        "GPGLL,4916.45,N,12311.12,W,225444,A",
        "GPVTG,054.7,T,034.4,M,005.5,N,010.2,K",
        "GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45",
        "GPGSV,2,2,08,15,30,050,47,19,15,120,40,24,50,200,44,32,10,010,30",
        "GNRMC,000001,V,,,,,,,010100,,",
        "GPGGA,224547,2718.8160,S,15302.7270,E,2,8,0.4,999,M,34,M,3,123",
    };
    std::string stream;
    for (const auto& s : sentences) stream += WithChecksum(s);
    // First byte: the settings; one seed per position source, with and
    // without checksum, satellites view and monitor.
    for (int setup : {0x00, 0x05, 0x26, 0xA4, 0x61, 0xFF}) {
        Put("fuzz_nmea", "stream" + std::to_string(setup), std::string(1, char(setup)) + stream);
    }
    Put("fuzz_nmea", "bad_checksum", std::string(1, char(0x04)) + "$GPRMC,1,A,1,N,1,E,1,1,1,1,E*4f\n");
}


void GarminSeeds() {
    // A D800 record: altitude, position (radians), velocities, MSL height.
    std::string record(64, '\0');
    float alt = 512.5f, ve = 3.5f, vn = -1.25f, vu = 0.1f, msl = -30.0f;
    double tow = 345600.0, lat = 48.1173 * M_PI / 180, lon = 11.5167 * M_PI / 180;
    std::memcpy(&record[0], &alt, 4);
    std::memcpy(&record[18], &tow, 8);
    std::memcpy(&record[26], &lat, 8);
    std::memcpy(&record[34], &lon, 8);
    std::memcpy(&record[42], &ve, 4);
    std::memcpy(&record[46], &vn, 4);
    std::memcpy(&record[50], &vu, 4);
    std::memcpy(&record[54], &msl, 4);
    std::string packet;
    packet += char(0x33);
    packet += char(64);
    packet += record;
    unsigned sum = 0;
    for (char c : packet) sum += static_cast<unsigned char>(c);
    packet += char((256 - (sum & 255)) & 255);
    std::string frame(1, char(0x10));
    for (char c : packet) {
        frame += c;
        if (c == 0x10) frame += c;  // a DLE inside the packet is doubled
    }
    frame += "\x10\x03";
    std::string other = std::string("\x10\x0A\x02\x31\x00\xC3\x10\x03", 8);
    for (int setup : {0x00, 0x02, 0x45}) {
        Put("fuzz_garmin", "pvt" + std::to_string(setup),
            std::string(1, char(setup)) + frame + other + frame.substr(5) + frame);
    }
}

void MapFileSeeds() {
    mwtest::CalibrationFileText degrees;
    degrees.points = {mwtest::PointAt(0, 0, 51.5, -0.5), mwtest::PointAt(999, 0, 51.5, 0.5),
                      mwtest::PointAt(0, 799, 51.0, -0.5), mwtest::PointAt(999, 799, 51.0, 0.5)};
    degrees.scale = 25000;
    degrees.borderCount = 4;
    degrees.borderLatLon = mwtest::RectangleBorder(51.0, -0.5, 51.5, 0.5);
    degrees.borderPixels = {{0, 0}, {999, 0}, {999, 799}, {0, 799}};
    Put("fuzz_map_file", "degrees.map", degrees.Text());

    mwtest::CalibrationFileText grid = degrees;
    grid.projection = "Transverse Mercator";
    grid.datum = "Ord Srvy Grt Britn";
    grid.msf = 2.0;
    grid.params = {0.0, -2.0, 0.9996012717, 400000.0, -100000.0};
    grid.points.clear();
    for (int i = 0; i < 3; ++i) {
        mwtest::TestPoint p;
        p.x = 100 * i;
        p.y = 50 * i;
        p.zone = "30";
        p.easting = 500000 + 1000 * i;
        p.northing = 5700000 + 1000 * i;
        grid.points.push_back(p);
    }
    Put("fuzz_map_file", "grid.map", grid.Text());
    Put("fuzz_map_file", "coverage.map",
        mwtest::CoverageMap(-27.5, 152.9, -27.3, 153.2, std::nullopt).Text());
}

void ImageSeeds(const fs::path& scratch) {
    const std::string tiled = (scratch / "t.mwf2").string();
    int n = 0;
    for (bool compressed : {true, false}) {
        auto image = mwtest::MakeTiledImage(150, 90, {100, 50, 10}, compressed);
        std::string error;
        if (mw::WriteMwf2File(tiled, image, &error)) {
            Put("fuzz_mwf2", "tiled" + std::to_string(n++), Slurp(tiled));
        } else {
            std::fprintf(stderr, "tiled seed: %s\n", error.c_str());
        }
    }
    n = 0;
    for (int bits : {1, 2, 4, 8}) {
        for (bool compressed : {true, false}) {
            mwtest::StripContent strip;
            strip.bitsPerPixel = bits;
            strip.compressed = compressed;
            strip.colours = mwtest::MakeColourTable(1 << bits);
            auto picture = mwtest::MakeMapLikeIndexed(37, 23, 1 << bits, 7u + bits);
            for (int y = 0; y < picture.height; ++y) {
                strip.indices.emplace_back(picture.Row(y), picture.Row(y) + picture.width);
            }
            Put("fuzz_mwf", "strip" + std::to_string(n++), mwtest::MakeStripFile(strip));
        }
    }
}

void BmpSeeds() {
    struct Kind {
        int bits, headerSize;
        bool bitFields, topDown;
    };
    int n = 0;
    for (Kind k : {Kind{1, 40, false, false}, Kind{4, 40, false, true}, Kind{8, 40, false, false},
                   Kind{8, 12, false, false}, Kind{16, 40, true, false}, Kind{16, 40, false, false},
                   Kind{24, 40, false, true}, Kind{32, 40, true, false}, Kind{32, 108, false, false}}) {
        mwtest::BmpContent bmp;
        bmp.width = 5;
        bmp.height = 3;
        bmp.bits = k.bits;
        bmp.headerSize = k.headerSize;
        bmp.bitFields = k.bitFields;
        bmp.topDown = k.topDown;
        if (k.bits == 32 && k.bitFields) {
            bmp.masks[0] = 0xff0000;
            bmp.masks[1] = 0x00ff00;
            bmp.masks[2] = 0x0000ff;
        }
        const bool indexed = k.bits <= 8;
        const int colours = indexed ? (1 << k.bits) : 0;
        for (int i = 0; i < colours; ++i) bmp.colours.push_back(0x010203u * static_cast<unsigned>(i));
        for (int i = 0; i < bmp.width * bmp.height; ++i) {
            bmp.pixels.push_back(indexed ? static_cast<std::uint32_t>(i % colours)
                                         : 0x102030u * static_cast<unsigned>(i));
        }
        Put("fuzz_bmp", "bmp" + std::to_string(n++), mwtest::MakeBmpFile(bmp));
    }
}

void TrackSeeds(const fs::path& scratch, const mw::DatumTable& datums) {
    mw::TrackStore track;
    for (int i = 0; i < 12; ++i) mw::AddTrackPoint(track, 51.0 + i * 0.001, -1.0 + i * 0.002, i % 5 == 0);
    const std::string path = (scratch / "t.plt").string();
    if (mw::SaveTrackFile(track, path, datums, mw::kDatumWgs84)) {
        Put("fuzz_track", "saved.plt", Slurp(path));
    }
    int segment = 1;
    const std::string log = (scratch / "log.plt").string();
    for (int i = 0; i < 5; ++i) {
        mw::AppendTrackLog(log, -27.4 - i * 0.01, 153.0 + i * 0.01, "170524", "123045", 120.0 + i, segment);
    }
    Put("fuzz_track", "log.plt", Slurp(log));
}

void WaypointSeeds(const fs::path& scratch, const mw::DatumTable& datums) {
    mw::WaypointStore store;
    for (int i = 0; i < 6; ++i) {
        mw::Waypoint w;
        w.name = "WP" + std::to_string(i);
        w.lat = 48.1 + 0.01 * i;
        w.lon = 11.5 - 0.01 * i;
        w.description = "May 17 2024 12:30:4" + std::to_string(i);
        w.proximityDistance = 100 * i;
        w.symbol = i;
        if (i == 3) w.attachment = "alarm.wav";
        store.Put(i, w);
    }
    const std::string path = (scratch / "w.wpt").string();
    if (mw::SaveWaypointFile(store, path, datums, mw::kDatumWgs84)) {
        Put("fuzz_waypoint", "saved.wpt", Slurp(path));
    }
    const std::string log = (scratch / "log.wpt").string();
    for (int i = 0; i < 3; ++i) mw::AppendWaypointLog(store, i, log, datums, mw::kDatumWgs84);
    Put("fuzz_waypoint", "log.wpt", Slurp(log));
}

void RouteSeeds() {
    Put("fuzz_route", "two.rte",
        "Mapwanderer Route File\r\nWGS 84\r\nReserved\r\nReserved\r\n"
        "R,0,Home,The way home,255\r\n"
        "W,0,,,Start,-27.4705,153.0260\r\nW,1,,,Bridge,-27.4750,153.0300\r\n"
        "R,1,Second,,\r\nW,0,,,A,51.5,-0.12\r\nW,1,,,B,0,0\r\n");
    Put("fuzz_route", "datum.rte",
        "x\r\nOrd Srvy Grt Britn\r\n\r\n\r\nW,0,,,Orphan,1,1\r\nR,,Only,,16711680\r\nW,,,,P,52,-1\r\n");
}

void SettingsSeeds(const fs::path& scratch, const mw::DatumTable& datums) {
    const std::string home = scratch.string();
    mw::AppSettings settings;
    settings.mapPath[1] = "/home/user/maps";
    settings.nmeaDatum = 3;
    settings.minSpeed = 12.5;
    if (mw::WriteConfiguration(home, datums, settings)) {
        Put("fuzz_settings", "main.ini", Slurp(scratch / mw::kMainConfigFile));
    }
    if (mw::SaveViewSettings(home, mw::ViewSettings{})) {
        Put("fuzz_settings", "view.ini", Slurp(scratch / mw::kViewConfigFile));
    }
    if (mw::SaveLastIni(home, mw::kLastMapFile, "LastMap", "/maps/topo.map")) {
        Put("fuzz_settings", "last.ini", Slurp(scratch / mw::kLastMapFile));
    }
}

void WorldFileSeeds() {
    Put("fuzz_world_file", "world", "10.0\r\n0.0\r\n0.0\r\n-10.0\r\n500005.0\r\n5199995.0\r\n");
    Put("fuzz_world_file", "rotated", "2\n0.5\n0.25\n-2\n100\n200\n");
    Put("fuzz_world_file", "prj_esri",
        "PROJCS[\"WGS_1984_UTM_Zone_32N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\","
        "SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],"
        "UNIT[\"Degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
        "PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_Northing\",0.0],"
        "PARAMETER[\"Central_Meridian\",9.0],PARAMETER[\"Scale_Factor\",0.9996],"
        "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
    Put("fuzz_world_file", "prj_epsg", "EPSG:27700");
    Put("fuzz_world_file", "prj_proj", "+proj=lcc +lat_1=49 +lat_2=44 +lon_0=3 +ellps=GRS80");
}

void TextSeeds() {
    Put("fuzz_datums", "two.dat", "My Datum,20,-87,-98,-121\r\nOther,3,10,20,30\r\n");
    Put("fuzz_datums", "bad.dat", ",4,1,2,3\r\nName,31,0,0,0\r\nLast,-1,0,0,0\r\nX,0,99999,-99999,1e9\r\n");
    Put("fuzz_user_pointer", "pointer.dat", "; my pointer\r\n0,0\r\n8,16\r\n0,10\r\n-8,16\r\n\r\n");
}


void NamesSeeds() {
    // Byte 0: how many 4-byte units of the tail are the side file, and the
    // search mode bits (see fuzz_names.cpp).
    const std::string types = "DATUM,WGS 84\r\n;comment\r\nPPL\r\n\"ADM1, first\"\r\n#####\r\nNOT\r\n";
    const std::size_t units = (types.size() + 3) / 4;
    const std::string side = types + std::string(units * 4 - types.size(), ' ');
    mwtest::DbfTable table;
    table.fields = mwtest::GazetteerFields(20);
    table.records = {{"AARAU", "PPL", "P", "47.3925", "8.0444"},
                     {"BERN", "PPLC", "P", "46.9481", "7.4474"},
                     {"BERNINA", "MT", "T", "46.3833", "9.9000"},
                     {"ZUG", "ADM1, first", "A", "47.1667", "8.5167"}};
    for (int mode = 0; mode < 4; ++mode) {
        Put("fuzz_names", "sorted" + std::to_string(mode),
            std::string(1, char(units * 4 + mode)) + table.Bytes() + side);
    }
    mwtest::DbfTable cut = table;
    cut.recordCount = 9;
    cut.endMark = false;
    Put("fuzz_names", "cut", std::string(1, char(1)) + cut.Bytes());
}

void GpxSeeds(const fs::path& scratch) {
    const std::string path = (scratch / "s.gpx").string();
    mw::GpxWriter writer(path);
    for (int i = 0; i < 3; ++i) {
        mw::Waypoint w;
        w.name = "WP" + std::to_string(i);
        w.lat = 48.1 + 0.01 * i;
        w.lon = 11.5 - 0.01 * i;
        w.description = "a <b> & \"c\"";
        w.altitude = 1500 + i;
        w.proximityDistance = 50 * i;
        writer.AddWaypoint(w);
    }
    mw::Route route;
    route.name = "Home";
    route.colour = 255;
    route.points = {{"Start", -27.47, 153.02}, {"End", -27.48, 153.03}};
    writer.AddRoute(route);
    writer.BeginTrack("drive");
    for (int i = 0; i < 5; ++i) {
        mw::GpxTrackPoint p;
        p.lat = 51.0 + i * 0.001;
        p.lon = -1.0 + i * 0.002;
        p.newSegment = i == 3;
        if (i % 2) p.eleMetres = 100.0 + i;
        if (i > 1) p.time = mw::UtcSeconds(2024, 5, 17, 12, 30, i);
        writer.AddTrackPoint(p);
    }
    if (writer.Commit()) Put("fuzz_gpx", "written.gpx", Slurp(path));
    Put("fuzz_gpx", "v10.gpx",
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
        "<wpt lat=\"-27.5\" lon=\"153\"><name>A,B</name><ele>12.5</ele></wpt>"
        "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><time>2024-05-17T12:30:00+02:00</time></trkpt>"
        "<trkpt lat=\"x\" lon=\"2\"/></trkseg></trk></gpx>\n");
    Put("fuzz_gpx", "entities.gpx",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>\n"
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1\" lon=\"1\"><name>&b;</name>"
        "<extensions><other xmlns=\"urn:x\"><deep/></other></extensions></wpt></gpx>\n");
}

// A catalogue index of two folders (a map, a map on another datum with a
// triangle border, a file that is no map), whole and as one section.
void CatalogueIndexSeeds(const mw::DatumTable& datums) {
    mw::IndexedFolder folder;
    folder.stamp = {1700000000000000000, 1700000000000000000, 4096, 12};
    folder.racy = false;
    auto add = [&](const std::string& name, const mwtest::CalibrationFileText& calib) {
        mw::IndexedFile f;
        f.name = name;
        f.stamp = {1690000000000000000, 1690000000000000000, calib.Text().size(), 100};
        f.racy = false;
        f.readable = true;
        f.info = mw::ReadCoverageInfo(calib.Text(), datums);
        folder.files.push_back(f);
    };
    add("a.map", mwtest::CoverageMap(50, 10, 51, 11, 5.0));
    auto triangle = mwtest::CoverageMap(51, -1, 53, 0, 2.5);
    triangle.datum = "Ord Srvy Grt Britn";
    triangle.borderCount = 3;
    add("b.map", triangle);
    auto foreign = mwtest::CoverageMap(50, 10, 51, 11, 1.0);
    foreign.header = "Not a calibration file";
    add("c.map", foreign);
    const std::string section = mw::EncodeFolderSection(folder);
    Put("fuzz_catalogue_index", "section", "\x01" + section);
    mw::CatalogueIndexWriter writer(mw::DatumFingerprint(datums));
    writer.AddFolder("/maps/one", folder);
    writer.AddRawSection("/maps/two", section, 3);
    Put("fuzz_catalogue_index", "index", std::string(1, '\0') + writer.Finish());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUTDIR\n");
        return 2;
    }
    gOut = argv[1];
    const fs::path scratch = gOut / "scratch";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const mw::DatumTable datums;
    NmeaSeeds();
    GarminSeeds();
    MapFileSeeds();
    ImageSeeds(scratch);
    BmpSeeds();
    TrackSeeds(scratch, datums);
    WaypointSeeds(scratch, datums);
    RouteSeeds();
    SettingsSeeds(scratch, datums);
    TextSeeds();
    NamesSeeds();
    GpxSeeds(scratch);
    WorldFileSeeds();
    CatalogueIndexSeeds(datums);
    fs::remove_all(scratch);
    return 0;
}
