// Every kind of file the program reads, damaged every way a stranger's file
// or a failing disk can damage it. Each case runs in a forked child with an
// address-space limit and an alarm, so a crash, a hang or a runaway
// allocation fails that case only. Expected of every case: the child exits
// normally, a refused load leaves the program's previous state (the loaded
// map and the stores) as it was, and nothing is written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/name_commands.h"
#include "config/settings.h"
#include "core/names/dbase_writer.h"
#include "gpx/gpx_transfer.h"
#include "image/bitmap.h"
#include "nav/route_file.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "view/user_pointer.h"
#include "waypoint/waypoint_file.h"

namespace fs = std::filesystem;
using namespace mw;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// What a load may use beyond what the child already holds. A reader that
// trusts a header's size, or holds a whole 100 MB file, runs out here.
constexpr rlim_t kHeadroomBytes = rlim_t{192} << 20;
constexpr unsigned kCaseSeconds = 60;
constexpr std::size_t kLongLineBytes = std::size_t{100} << 20;

// ---- valid files, made by the program's own writers and the test makers ----

mwtest::CalibrationFileText MapText() {
    mwtest::CalibrationFileText calib = mwtest::CoverageMap(50, 10, 51, 11, 5);
    calib.points = {mwtest::PointAt(0, 0, 51, 10), mwtest::PointAt(199, 199, 50, 11)};
    return calib;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes `write` puts into a scratch file.
template <typename Write>
std::string Written(Write write) {
    mwtest::TempDir dir;
    write(dir.File("f"));
    return Slurp(dir.File("f"));
}

std::string TiledImageBytes() {
    mwtest::TempDir dir;
    mwtest::WriteMapImage(dir.Path(), MapText());
    return Slurp(dir.File("test.mwf2"));
}

std::string StripImageBytes() {
    return mwtest::MakeStripFile(mwtest::StripOf(mwtest::MakeMapLikeIndexed(200, 200, 256, 7), 8));
}

std::string BmpBytes() {
    mwtest::BmpContent bmp;
    bmp.width = 16;
    bmp.height = 8;
    bmp.bits = 8;
    for (unsigned i = 0; i < 256; ++i) bmp.colours.push_back(0x010101u * i);
    for (unsigned i = 0; i < 16 * 8; ++i) bmp.pixels.push_back(i);
    return mwtest::MakeBmpFile(bmp);
}

mwtest::DbfTable Gazetteer() {
    mwtest::DbfTable table;
    table.fields = mwtest::GazetteerFields(20);
    for (int i = 0; i < 40; ++i)
        table.records.push_back({"PLACE" + std::to_string(100 + i), "PPL", "P",
                                 std::to_string(50.1 + i * 0.01), std::to_string(10.2 + i * 0.01)});
    return table;
}

constexpr const char* kTypesText = "DATUM,WGS 84\r\n;codes\r\nPPL\r\n\"ADM1, first\"\r\nMT\r\n";

constexpr const char* kRouteText =
    "Mapwanderer Route File\r\nWGS 84\r\nReserved\r\nReserved\r\nR,0,Home,The way home,255\r\n"
    "W,0,,,Start,50.47,10.26\r\nW,1,,,Bridge,50.48,10.30\r\nR,1,Second,,\r\nW,0,,,A,50.5,10.12\r\n";

Waypoint WaypointAt(const std::string& name, double lat, double lon) {
    Waypoint w;
    w.name = name;
    w.lat = lat;
    w.lon = lon;
    return w;
}

std::string TrackText() {
    return Written([](const std::string& path) {
        TrackStore track;
        for (int i = 0; i < 10; ++i) AddTrackPoint(track, 50.2 + i * 0.01, 10.3, i == 0);
        SaveTrackFile(track, path, DatumTable(), kDatumWgs84);
    });
}

std::string WaypointText() {
    return Written([](const std::string& path) {
        WaypointStore store;
        for (int i = 0; i < 10; ++i)
            store.Put(i, WaypointAt("WP" + std::to_string(i), 50.2 + i * 0.01, 10.4));
        SaveWaypointFile(store, path, DatumTable(), kDatumWgs84);
    });
}

constexpr const char* kGpxText =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "<wpt lat=\"50.3\" lon=\"10.5\"><name>G0</name></wpt><wpt lat=\"50.31\" lon=\"10.5\"><name>G1</name></wpt>\n"
    "<rte><name>Imported</name><rtept lat=\"50.1\" lon=\"10.1\"><name>A</name></rtept>"
    "<rtept lat=\"50.2\" lon=\"10.2\"><name>B</name></rtept></rte>\n<trk><name>t</name><trkseg>"
    "<trkpt lat=\"50.7\" lon=\"10.1\"><time>2024-05-17T12:00:00Z</time></trkpt>"
    "<trkpt lat=\"50.7\" lon=\"10.11\"><time>2024-05-17T12:00:01Z</time></trkpt></trkseg></trk>\n</gpx>\n";

// The main settings file as the program writes it.
std::string SettingsText() {
    mwtest::TempDir dir;
    AppSettings settings;
    WriteConfiguration(dir.Path(), DatumTable(), settings);
    return Slurp(dir.File(kMainConfigFile));
}

// ---- byte surgery for the header damages ----

std::string Patch32(std::string bytes, std::size_t at, std::uint32_t v) {
    mwtest::PatchU32(bytes, at, v);
    return bytes;
}
std::string Patch16(std::string bytes, std::size_t at, std::uint16_t v) {
    mwtest::PatchU16(bytes, at, v);
    return bytes;
}
std::string PatchLast32(const std::string& bytes, std::uint32_t v) {
    return Patch32(bytes, bytes.size() - 4, v);
}
std::string Repeat(const std::string& head, const std::string& line, std::size_t n,
                   const std::string& tail = "") {
    std::string s = head;
    s.reserve(head.size() + line.size() * n + tail.size());
    for (std::size_t i = 0; i < n; ++i) s += line;
    return s + tail;
}
// `s` with every byte from `from` on replaced by random ones.
std::string Scrambled(std::string s, std::size_t from) {
    std::mt19937 rng(20);
    for (std::size_t i = std::min(from, s.size()); i < s.size(); ++i) s[i] = static_cast<char>(rng());
    return s;
}

// ---- the formats ----

// The program's state a load may change, as one comparable text.
std::string Fingerprint(const App& app) {
    std::string s = Format("map %d %s|", app.map.mapLoaded, app.map.mapFilePath.c_str());
    app.waypoints.ForEach([&](int i, const Waypoint& w) { s += Format("w%d %s|", i, w.name.c_str()); });
    for (const Route& r : app.routes.Routes()) s += "r " + r.name + Format(" %zu|", r.points.size());
    // The open gazetteer is not part of it: loading another closes it first,
    // whether or not the new one opens.
    return s + Format("t %d|", app.track.PointCount());
}

struct Context {
    App& app;
    mwtest::FakeUi& ui;
    std::string dir;  // the damaged file's folder
};

using Absurd = std::pair<const char*, std::function<std::string()>>;

struct FileKind {
    const char* name;
    std::string file;  // the damaged file, in the input folder ("home/...": in the home)
    std::function<std::string()> valid;
    // Valid companions the load needs beside the damaged file.
    std::function<void(const std::string& dir)> companions;
    // True when the reader took the file (a partial read counts).
    std::function<bool(Context&, const std::string& path)> load;
    bool text;            // the 100 MB case is one line, else a sparse tail
    bool reportsRefusal;  // refusals of this format are reported to the user
    std::vector<Absurd> absurd;
};

void WriteValidMap(const std::string& dir, bool withImage) {
    std::ofstream(dir + "/m.map", std::ios::binary) << MapText().Text();
    if (withImage) mwtest::WriteMapImage(dir, MapText());
}

// A damaged copy of the valid gazetteer.
template <typename Edit>
std::function<std::string()> Dbf(Edit edit) {
    return [edit] {
        mwtest::DbfTable t = Gazetteer();
        edit(t);
        return t.Bytes();
    };
}

std::vector<FileKind> Formats() {
    const auto mapLoad = [](Context& c, const std::string&) {
        return LoadMapFile(c.app, c.dir + "/m.map");
    };
    const auto mapBeside = [](const std::string& d) { WriteValidMap(d, false); };
    const auto plain = [](const char* text) { return [text] { return std::string(text); }; };
    const auto inHome = [](const char* name) { return std::string("home/") + name; };
    // clang-format off
    return {
        {"calibration", "m.map", [] { return MapText().Text(); },
         [](const std::string& d) { mwtest::WriteMapImage(d, MapText()); }, mapLoad, true, true,
         {{"10^6 border corners", [] {
               auto c = MapText();
               c.borderCount = 1000000;
               return c.Text();
           }}}},
        {"mwf2 image", "test.mwf2", TiledImageBytes, mapBeside, mapLoad, false, true,
         {{"width 2^31", [] { return Patch32(TiledImageBytes(), 18, 0x80000000u); }},
          {"32767 levels", [] { return Patch16(TiledImageBytes(), 58, 0x7FFF); }}}},
        {"mwf image", "test.mwf", StripImageBytes, mapBeside, mapLoad, false, true,
         {{"width 2^31", [] { return Patch32(StripImageBytes(), 18, 0x80000000u); }},
          {"row table past end", [] { return PatchLast32(StripImageBytes(), 0xFFFFFFF0u); }}}},
        {"BMP", "p.bmp", BmpBytes, nullptr,
         [](Context&, const std::string& p) { return LoadBitmapFile(p).has_value(); }, false, false,
         {{"width 2^31", [] { return Patch32(BmpBytes(), 18, 0x80000000u); }},
          {"4e9 colours", [] { return Patch32(BmpBytes(), 46, 4000000000u); }}}},
        {"track", "t.plt", TrackText, nullptr,
         [](Context& c, const std::string& p) {
             return LoadTrackFile(c.app.track, p, c.app.datums, c.app.map.datumIndex).Ok();
         }, true, false,
         {{"10^6 points", [] { return Repeat(TrackText(), "50.5,10.5,0,-777.0,,,\r\n", 1000000); }}}},
        {"waypoint", "w.wpt", WaypointText, nullptr,
         [](Context& c, const std::string& p) {
             return ReadWaypointFile(c.app.waypoints, p, c.app.datums, c.app.map.datumIndex).Ok();
         }, true, false,
         {{"index 4e9", [] { return Repeat(WaypointText(), "4000000000,X,50.5,10.5,,0,1,3,0,65535,,0,0,0,-777,6,0,17\r\n", 3); }},
          {"10^6 waypoints", [] { return Repeat(WaypointText(), "1,W,50.5,10.5,,0,1,3,0,65535,,0,0,2147483648,-777,6,0,17\r\n", 1000000); }}}},
        {"route", "r.rte", plain(kRouteText), nullptr,
         [](Context& c, const std::string& p) {
             return LoadRouteFile(c.app.routes, p, c.app.datums, c.app.map.datumIndex).Ok();
         }, true, false,
         {{"route 4e9", [] { return Repeat(kRouteText, "R,4000000000,Big,,4294967295\r\nW,4000000000,,,P,50,10\r\n", 3); }},
          {"10^6 points", [] { return Repeat(kRouteText, "W,1,,,P,50.5,10.5\r\n", 1000000); }}}},
        {"names table", "p.names", [] { return Gazetteer().Bytes(); },
         [](const std::string& d) { std::ofstream(d + "/p.types", std::ios::binary) << kTypesText; },
         [](Context& c, const std::string& p) { return LoadNamesDatabase(c.app, p); }, false, true,
         {{"4e9 records", Dbf([](mwtest::DbfTable& t) { t.recordCount = 4000000000u; })},
          {"header length 65535", Dbf([](mwtest::DbfTable& t) { t.headerLength = 0xFFFF; })}}},
        {"names types", "p.types", plain(kTypesText),
         [](const std::string& d) { std::ofstream(d + "/p.names", std::ios::binary) << Gazetteer().Bytes(); },
         [](Context& c, const std::string&) { return LoadNamesDatabase(c.app, c.dir + "/p.names"); }, true, false,
         {{"10^6 codes", [] { return Repeat("", "CODE\r\n", 1000000); }}}},
        {"GPX", "g.gpx", plain(kGpxText), nullptr,
         [](Context& c, const std::string& p) {  // as "Import GPX" does it
             const GpxImportReport report = ImportGpxFile(p, c.app.waypoints, c.app.routes, c.app.track,
                                                          c.app.datums, c.app.map.datumIndex);
             const std::string message = GpxImportMessage(report);
             if (!message.empty()) c.ui.ShowMessage(message);
             return report.read.ok;
         }, true, true,
         {{"10^6 levels", [] {
               return Repeat("<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">",
                             "<extensions>", 1000000);
           }},
          {"entity bomb", [] {
               std::string s = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY a0 \"xxxxxxxxxx\">";
               for (int i = 1; i < 10; ++i)
                   s += Format("<!ENTITY a%d \"%s\">", i, Repeat("", Format("&a%d;", i - 1), 10).c_str());
               return s + "]>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1\" "
                          "lon=\"1\"><name>&a9;</name></wpt></gpx>\n";
           }},
          {"absurd numbers", plain("<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1e308\" "
                                   "lon=\"4000000000\"><ele>-1e400</ele></wpt></gpx>")}}},
        {"settings", inHome(kMainConfigFile), [] { return SettingsText(); }, nullptr,
         [](Context& c, const std::string&) {
             AppSettings s;
             ReadConfiguration(c.app.state.programFolder, c.app.datums, s);
             return true;
         }, true, false,
         {{"10^6 lines", [] { return Repeat("", "Key,4000000000\r\n", 1000000); }}}},
        {"datums.dat", inHome("datums.dat"), plain("My Datum,20,-87,-98,-121\r\nOther,3,10,20,30\r\n"), nullptr,
         [](Context& c, const std::string&) {
             DatumTable table;
             return LoadUserDatums(table, c.app.state.programFolder) >= kBuiltinDatumCount;
         }, true, false,
         {{"ellipsoid 4e9", plain("Big,4000000000,1e308,-1e308,nan\r\n")},
          {"10^6 rows", [] { return Repeat("", "D,1,1,1,1\r\n", 1000000); }}}},
        {"pointer", inHome("userPointer1.dat"), plain("0,0\r\n8,16\r\n0,10\r\n-8,16\r\n"), nullptr,
         [](Context& c, const std::string&) { return !LoadUserPointer(c.app.state.programFolder).empty(); },
         true, false,
         {{"vertex 2^31", plain("2147483648,-2147483649\r\n0,0\r\n1,1\r\n")},
          {"10^6 vertices", [] { return Repeat("", "1,2\r\n", 1000000); }}}},
    };
    // clang-format on
}

// ---- the damages ----

enum class Kind { Bytes, LongLine, Folder, Fifo, Vanishing };

struct Damage {
    std::string name;
    Kind kind = Kind::Bytes;
    std::function<std::string()> bytes;
};

std::vector<Damage> Damages(const FileKind& f) {
    std::vector<Damage> d;
    for (int k = 0; k < 8; ++k) {
        d.push_back({k == 0 ? "empty" : Format("cut at %d/8", k), Kind::Bytes, [&f, k] {
                         std::string s = f.valid();
                         return s.substr(0, s.size() * static_cast<std::size_t>(k) / 8);
                     }});
    }
    d.push_back({"random bytes", Kind::Bytes, [] { return Scrambled(std::string(64 * 1024, '\0'), 0); }});
    d.push_back({"random after a valid header", Kind::Bytes, [&f] { return Scrambled(f.valid(), 64); }});
    for (const Absurd& a : f.absurd) d.push_back({a.first, Kind::Bytes, a.second});
    d.push_back({"100 MB", Kind::LongLine, nullptr});
    d.push_back({"a folder", Kind::Folder, nullptr});
    d.push_back({"a FIFO", Kind::Fifo, nullptr});
    d.push_back({"vanishing", Kind::Vanishing, nullptr});
    return d;
}

// 100 MB, written a megabyte at a time: a text file gets its first line
// continued without a line end; a binary file a sparse tail of zeros.
void WriteHuge(const std::string& path, const std::string& valid, bool text) {
    std::ofstream out(path, std::ios::binary);
    if (!text) {
        out << valid;
        out.close();
        fs::resize_file(path, kLongLineBytes);
        return;
    }
    const std::string first = valid.substr(0, valid.find_first_of("\r\n"));
    std::string chunk;
    while (chunk.size() < (1u << 20)) chunk += first.empty() ? std::string("1234567890,") : first + ",";
    out << chunk.substr(0, chunk.size() - 1);
    for (std::size_t written = chunk.size(); written < kLongLineBytes; written += chunk.size()) out << chunk;
}

// Every file below `root`, with its size and change time.
std::set<std::string> Listing(const std::string& root) {
    std::set<std::string> s;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        if (lstat(e.path().c_str(), &st) == 0)
            s.insert(e.path().string() + Format(" %lld %lld.%09ld", static_cast<long long>(st.st_size),
                                                static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec));
    }
    return s;
}

rlim_t CurrentAddressSpace() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmSize:", 0) == 0) return static_cast<rlim_t>(std::stoull(line.substr(7))) << 10;
    return 0;
}

// Runs one case; the child's verdict comes back as text (empty: passed).
std::string RunCase(const FileKind& f, const Damage& damage, const std::string& root) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string verdict;
        auto fail = [&](const std::string& why) { verdict += why + "; "; };
        // Nothing may unwind out of the child into the test framework, or the
        // child would go on to run the rest of the suite.
        try {
            const std::string home = root + "/home", user = root + "/user", good = root + "/good",
                              in = root + "/in";
            for (const auto& d : {home, user, good, in}) fs::create_directories(d);
            mwtest::FakeUi ui;
            App app;
            app.ports.ui = &ui;
            if (!StartApplication(app, home, user, 480, 640)) fail("no start");
            // The state a bad file must not disturb.
            WriteValidMap(good, true);
            std::ofstream(good + "/g.names", std::ios::binary) << Gazetteer().Bytes();
            if (!LoadMapFile(app, good + "/m.map") || !LoadNamesDatabase(app, good + "/g.names"))
                fail("no previous state");
            app.waypoints.Put(0, WaypointAt("KEEP", 50.5, 10.5));
            app.routes.Assign({Route{"KEEP", "", 0, {{"P", 50.5, 10.5}}}});
            AddTrackPoint(app.track, 50.5, 10.5, 1);

            const bool inHome = f.file.rfind("home/", 0) == 0;
            const std::string dir = inHome ? home : in;
            const std::string path = root + (inHome ? std::string("/") : std::string("/in/")) + f.file;
            if (f.companions) f.companions(dir);
            std::thread vanisher;
            switch (damage.kind) {
            case Kind::Bytes: std::ofstream(path, std::ios::binary) << damage.bytes(); break;
            case Kind::LongLine: WriteHuge(path, f.valid(), f.text); break;
            case Kind::Folder: fs::create_directories(path); break;
            case Kind::Fifo: mkfifo(path.c_str(), 0600); break;
            case Kind::Vanishing: {
                // A large valid-looking file that is cut short, then removed,
                // while the load runs.
                WriteHuge(path, f.valid(), f.text);
                vanisher = std::thread([path] {
                    usleep(2000);
                    truncate(path.c_str(), kLongLineBytes / 3);
                    usleep(2000);
                    truncate(path.c_str(), 0);
                    unlink(path.c_str());
                });
                break;
            }
            }
            const std::string before = Fingerprint(app);
            const std::set<std::string> files = Listing(root);
            ui.messages.clear();
            if (!kSanitized) {
                rlimit limit{};
                limit.rlim_cur = limit.rlim_max = CurrentAddressSpace() + kHeadroomBytes;
                setrlimit(RLIMIT_AS, &limit);
            }
            alarm(kCaseSeconds);
            Context c{app, ui, dir};
            const bool accepted = f.load(c, path);
            alarm(0);
            if (vanisher.joinable()) vanisher.join();
            if (!accepted && Fingerprint(app) != before)
                fail("state changed: " + before + " -> " + Fingerprint(app));
            // A file the reader took (a partial read counts) may be remembered
            // as the last one; a refused one leaves every file alone.
            if (!accepted && damage.kind != Kind::Vanishing && Listing(root) != files) {
                std::string changed;
                for (const std::string& line : Listing(root))
                    if (!files.count(line)) changed += line + "\n";
                fail("files written: " + changed);
            }
            // What cannot be read at all (a folder, a FIFO) is refused quietly,
            // as a missing file is; damaged contents are reported.
            const bool unreadable = damage.kind == Kind::Folder || damage.kind == Kind::Fifo;
            if (!accepted && f.reportsRefusal && !unreadable && ui.messages.empty() &&
                ui.errors.empty())
                fail("refused without a message");
        } catch (const std::exception& e) {
            fail(std::string("threw ") + e.what());
        } catch (...) {
            fail("threw");
        }
        (void)!write(fds[1], verdict.data(), verdict.size());
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    std::string verdict;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) verdict.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        verdict += WTERMSIG(status) == SIGALRM ? "hang" : std::string("killed by ") + strsignal(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        verdict += Format("exit %d", WEXITSTATUS(status));
    return verdict;
}

class BadInput : public ::testing::TestWithParam<int> {};

TEST_P(BadInput, NoCrashNoHangBoundedMemoryStateKeptNothingWritten) {
    const FileKind f = Formats()[static_cast<std::size_t>(GetParam())];
    mwtest::TempDir scratch;
    int n = 0;
    for (const Damage& d : Damages(f)) {
        const std::string root = scratch.File(Format("case%02d", n++));
        EXPECT_EQ(RunCase(f, d, root), "") << f.name << ", " << d.name;
        std::error_code ec;
        fs::remove_all(root, ec);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BadInput, ::testing::Range(0, static_cast<int>(Formats().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string s = Formats()[static_cast<std::size_t>(info.param)].name;
                             for (char& c : s)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return s;
                         });

}  // namespace
