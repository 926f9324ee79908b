// NMEA decoding speed: 1 000 000 RMC/GGA lines from memory through the same
// byte assembly, dispatcher and parsers as the program (what `mwtool nmea`
// does), against two baselines:
//  - ChecksumOnly verifies each line's checksum and nothing else: the floor;
//  - Plain* is a small C decoder written the obvious way (copy the line,
//    check the sum, cut it at commas, strtod/atoi the fields) that reads the
//    same position, speed, course and GGA fields. PlainDecode stops there;
//    PlainDecodeAndPrint also snprintf's the 14 CSV columns `mwtool nmea`
//    prints, against DecodeAndPrint, which is `mwtool nmea` without its file
//    reading and writing.
//
// End to end (with mwtool built): MwtoolNmea runs `mwtool nmea FILE` on the
// stream written to a file, output to /dev/null, against PlainProgram: the
// plain decoder reading the same file and writing the same text there.
//
//   build/bench/bench_nmea
//
// items_per_second is lines per second.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gps/dispatch.h"
#include "gps/gps_input.h"
#include "gps/nmea_parser.h"
#include "gps/position_csv.h"
#include "platform/system_clock.h"

namespace {

constexpr int kLines = 1000000;

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// Alternating RMC and GGA lines with changing positions, times and speeds,
// as one receiver would send them at 1 Hz.
const std::string& Stream() {
    static const std::string stream = [] {
        std::string s;
        s.reserve(static_cast<std::size_t>(kLines) * 80);
        char body[160];
        for (int i = 0; i < kLines / 2; ++i) {
            const int sec = i % 86400;
            const int hh = sec / 3600, mm = sec / 60 % 60, ss = sec % 60;
            const double latMin = 7.0 + (i % 5000) * 0.0001;
            const double lonMin = 31.0 + (i % 7000) * 0.0001;
            std::snprintf(body, sizeof body,
                          "GPRMC,%02d%02d%02d.00,A,48%07.4f,N,011%07.4f,E,%.1f,%.1f,230394,3.1,W",
                          hh, mm, ss, latMin, lonMin, (i % 300) * 0.1, (i % 3600) * 0.1);
            s += Sentence(body);
            std::snprintf(body, sizeof body,
                          "GPGGA,%02d%02d%02d.00,48%07.4f,N,011%07.4f,E,1,%02d,0.9,%.1f,M,46.9,M,,",
                          hh, mm, ss, latMin, lonMin, 4 + i % 9, 500 + (i % 100) * 0.5);
            s += Sentence(body);
        }
        return s;
    }();
    return stream;
}

std::vector<std::string_view> Lines() {
    std::vector<std::string_view> lines;
    lines.reserve(kLines);
    std::string_view s = Stream();
    for (std::size_t at = 0; at < s.size();) {
        std::size_t end = s.find('\r', at);
        lines.push_back(s.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// The plain decoder's memory of the last GGA.
struct PlainFix {
    int quality = 0, satellites = 0, dgpsAge = 0;
    double hdop = 0, altitudeFeet = mw::kGpsNotKnown;
};

double PlainDegrees(const char* field, const char* hemisphere) {
    const double v = std::strtod(field, nullptr);
    const int degrees = static_cast<int>(v / 100);
    const double d = degrees + (v - degrees * 100) / 60;
    return *hemisphere == 'S' || *hemisphere == 'W' ? -d : d;
}

// Returns the number of positions; with `out`, each is printed into it.
long PlainDecode(std::string_view stream, std::string* out) {
    char line[256];
    char* fields[32];
    PlainFix gga;
    long positions = 0;
    for (std::size_t at = 0; at < stream.size();) {
        std::size_t end = stream.find('\n', at);
        if (end == std::string_view::npos) end = stream.size();
        std::size_t len = end - at;
        const char* from = stream.data() + at;
        at = end + 1;
        if (len >= sizeof line) continue;
        std::memcpy(line, from, len);
        if (len > 0 && line[len - 1] == '\r') --len;
        line[len] = 0;
        if (line[0] != '$') continue;
        char* star = std::strchr(line, '*');
        if (!star) continue;
        unsigned sum = 0;
        for (const char* c = line + 1; c < star; ++c) sum ^= static_cast<unsigned char>(*c);
        if (std::strtoul(star + 1, nullptr, 16) != sum) continue;
        *star = 0;
        int n = 0;
        for (char* c = line + 1; c && n < 32;) {
            fields[n++] = c;
            if ((c = std::strchr(c, ','))) *c++ = 0;
        }
        if (n >= 14 && std::strcmp(fields[0] + 2, "GGA") == 0) {
            gga.quality = std::atoi(fields[6]);
            gga.satellites = std::atoi(fields[7]);
            gga.hdop = std::strtod(fields[8], nullptr);
            if (*fields[9]) gga.altitudeFeet = std::strtod(fields[9], nullptr) * 3.2808;
            gga.dgpsAge = std::atoi(fields[13]);
        } else if (n >= 12 && std::strcmp(fields[0] + 2, "RMC") == 0 && *fields[2] == 'A') {
            const double lat = PlainDegrees(fields[3], fields[4]);
            const double lon = PlainDegrees(fields[5], fields[6]);
            const double speed = std::strtod(fields[7], nullptr) * 1.852;
            const double course = std::strtod(fields[8], nullptr);
            double variation = std::strtod(fields[10], nullptr);
            if (*fields[11] == 'W') variation = -variation;
            double magnetic = course - variation;
            if (magnetic >= 360) magnetic -= 360;
            if (magnetic < 0) magnetic += 360;
            ++positions;
            if (!out) continue;
            char text[512];
            const int k = std::snprintf(
                text, sizeof text, "%.9f,%.9f,%s,%s,%.6f,%.6f,%.6f,%.6f,%.6f,%d,%d,%.6f,%d,%s\n",
                lat, lon, fields[9], fields[1], speed, course, magnetic, variation,
                gga.altitudeFeet, gga.quality, gga.satellites, gga.hdop, gga.dgpsAge, "ON ");
            out->append(text, static_cast<std::size_t>(k));
        }
    }
    return positions;
}

class CountingSink : public mw::GpsResultSink {
public:
    void OnPosition(const mw::PositionReport& p, const mw::GpsFix&) override {
        ++positions;
        benchmark::DoNotOptimize(p.lat);
    }
    void OnSpeed(const mw::GpsFix& f) override { benchmark::DoNotOptimize(f.speed); }
    void OnStatus(const std::string&) override { ++statuses; }
    void OnSatellites(const mw::GpsFix&) override {}
    long positions = 0;
    long statuses = 0;
};

void BM_ChecksumOnly(benchmark::State& state) {
    const auto lines = Lines();
    long passed = 0;
    for (auto _ : state) {
        for (std::string_view l : lines) passed += mw::VerifyChecksum(l);
    }
    if (passed != static_cast<long>(lines.size()) * state.iterations())
        state.SkipWithError("checksum baseline rejected a line");
    state.SetItemsProcessed(state.iterations() * static_cast<long>(lines.size()));
}
BENCHMARK(BM_ChecksumOnly)->Unit(benchmark::kMillisecond);

void BM_DecodeBytes(benchmark::State& state) {
    const std::string& stream = Stream();
    mw::SystemClock clock;
    CountingSink sink;
    mw::DispatchEnv env;
    env.config = mw::NmeaConfig{mw::kSourceRmc, true, 0};
    env.clock = &clock;
    env.sink = &sink;
    for (auto _ : state) {
        mw::GpsInput input;
        mw::HandleGpsBytes(
            input, std::span(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size()),
            env);
    }
    if (sink.positions != static_cast<long>(kLines / 2) * state.iterations() || sink.statuses != 0)
        state.SkipWithError("not every RMC line gave a position");
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_DecodeBytes)->Unit(benchmark::kMillisecond);

void PlainBaseline(benchmark::State& state, bool print) {
    const std::string& stream = Stream();
    std::string out;
    long positions = 0;
    for (auto _ : state) {
        out.clear();
        positions = PlainDecode(stream, print ? &out : nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    if (positions != kLines / 2) state.SkipWithError("the plain decoder missed positions");
    state.SetItemsProcessed(state.iterations() * kLines);
}
void BM_PlainDecode(benchmark::State& state) { PlainBaseline(state, false); }
void BM_PlainDecodeAndPrint(benchmark::State& state) { PlainBaseline(state, true); }
BENCHMARK(BM_PlainDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainDecodeAndPrint)->Unit(benchmark::kMillisecond);

// Prints what it is handed, as `mwtool nmea` does, into memory.
class PrintingSink : public CountingSink {
public:
    void OnPosition(const mw::PositionReport& p, const mw::GpsFix& f) override {
        ++positions;
        mw::AppendPositionCsv(out, p, f);
    }
    std::string out;
};

void BM_DecodeAndPrint(benchmark::State& state) {
    const std::string& stream = Stream();
    mw::SystemClock clock;
    PrintingSink sink;
    mw::DispatchEnv env;
    env.config = mw::NmeaConfig{mw::kSourceRmc, true, 0};
    env.clock = &clock;
    env.sink = &sink;
    std::string plain;
    PlainDecode(stream, &plain);
    for (auto _ : state) {
        sink.out.clear();
        mw::GpsInput input;
        input.state.fix.statusText = mw::kStatusOn;
        mw::HandleGpsBytes(
            input, std::span(reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size()),
            env);
        benchmark::DoNotOptimize(sink.out.data());
    }
    // Both must print the very same text.
    if (sink.out != plain) state.SkipWithError("the baseline printed other lines");
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_DecodeAndPrint)->Unit(benchmark::kMillisecond);

#ifdef MW_TOOL
// The stream in a scratch file, removed at exit.
const std::string& StreamFile() {
    static const struct File {
        File() {
            char pattern[] = "/tmp/mwbench-nmea-XXXXXX";
            const int fd = mkstemp(pattern);
            if (fd < 0) std::abort();
            path = pattern;
            const std::string& s = Stream();
            if (write(fd, s.data(), s.size()) != static_cast<ssize_t>(s.size())) std::abort();
            close(fd);
        }
        ~File() { unlink(path.c_str()); }
        std::string path;
    } file;
    return file.path;
}

void BM_MwtoolNmea(benchmark::State& state) {
    const std::string& path = StreamFile();
    bool ok = true;
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) {
            if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
            execl(MW_TOOL, MW_TOOL, "nmea", path.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (!ok) state.SkipWithError("mwtool nmea failed");
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_MwtoolNmea)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainProgram(benchmark::State& state) {
    const std::string& path = StreamFile();
    for (auto _ : state) {
        std::FILE* in = std::fopen(path.c_str(), "rb");
        std::string data(Stream().size(), '\0');
        data.resize(std::fread(data.data(), 1, data.size(), in));
        std::fclose(in);
        std::string out;
        out.reserve(data.size());
        PlainDecode(data, &out);
        std::FILE* null = std::fopen("/dev/null", "wb");
        std::fwrite(out.data(), 1, out.size(), null);
        std::fclose(null);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_PlainProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
