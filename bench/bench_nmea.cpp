// NMEA decoding speed: 1 000 000 RMC/GGA lines from memory through the same
// byte assembly, dispatcher and parsers as the program (what `mwtool nmea`
// does), against a baseline that only verifies each line's checksum.
//
//   build-gps/bench/bench_nmea
//
// items_per_second is lines per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gps/dispatch.h"
#include "gps/gps_input.h"
#include "gps/nmea_parser.h"
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

}  // namespace

BENCHMARK_MAIN();
