// The receiver's byte stream in NMEA mode: framing, the sentence dispatcher
// and every sentence parser. The first byte chooses the settings (position
// source, checksum, speed unit, satellites view, monitor), the rest is the
// stream; each line is also given to every parser directly, so the parsers a
// setting would skip are reached too. Bytes taken a run at a time must
// decode as bytes taken one by one.
#include <cstdlib>
#include <string_view>

#include "fuzz_support.h"
#include "gps/gps_input.h"
#include "gps/nmea_monitor.h"
#include "gps/nmea_parser.h"

namespace {

class NullSink : public mw::GpsResultSink {
public:
    void OnPosition(const mw::PositionReport& p, const mw::GpsFix&) override {
        last = p;
        ++positions;
    }
    void OnSpeed(const mw::GpsFix&) override {}
    void OnStatus(const std::string&) override {}
    void OnSatellites(const mw::GpsFix&) override {}
    mw::PositionReport last;
    long positions = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t setup = data[0];
    ++data;
    --size;

    mwfuzz::FixedClock clock;
    mw::NmeaMonitor monitor;
    NullSink sink;
    mw::DispatchEnv env;
    env.config.source = setup & 3;
    if (env.config.source == mw::kSourcePvt) env.config.source = mw::kSourceRmc;
    env.config.useChecksum = (setup & 4) != 0;
    env.config.speedUnit = (setup >> 3) & 3;
    env.satellitesViewOpen = (setup & 32) != 0;
    env.replay = (setup & 64) != 0;
    env.clock = &clock;
    env.sink = &sink;
    if (setup & 128) {
        monitor.Open();
        env.monitor = &monitor;
    }

    mw::GpsInput input;
    mw::HandleGpsBytes(input, std::span<const std::uint8_t>(data, size), env);
    if (env.monitor) (void)monitor.Snapshot();

    // The stream taken a run at a time must decode as taken byte by byte.
    NullSink byteSink;
    mw::DispatchEnv byteEnv = env;
    byteEnv.sink = &byteSink;
    byteEnv.monitor = nullptr;
    mw::GpsInput byByte;
    for (std::size_t i = 0; i < size; ++i) mw::HandleGpsByte(byByte, data[i], false, byteEnv);
    if (byteSink.positions != sink.positions || !(byteSink.last == sink.last) ||
        !(byByte.state.fix == input.state.fix))
        std::abort();

    // Every parser over every line, whatever the settings.
    std::string_view all(reinterpret_cast<const char*>(data), size);
    mw::GpsFix fix;
    while (!all.empty()) {
        std::size_t end = all.find('\n');
        std::string_view line = all.substr(0, end);
        all = end == std::string_view::npos ? std::string_view() : all.substr(end + 1);
        (void)mw::VerifyChecksum(line);
        for (int source = 0; source < 3; ++source) {
            mw::PositionReport report;
            (void)mw::ParsePositionSentence(line, source, (setup & 4) != 0, clock, report);
            mw::ParseSpeedSentence(line, source, env.config.speedUnit, fix);
        }
        mw::ParseQualitySentence(line, fix);
        (void)mw::ParseSatellitesSentence(line, fix);
        for (const char* type : {"RMC", "GGA", "GLL", "VTG", "GSV"}) {
            std::size_t at = mw::FindSentence(line, type);
            if (at != std::string_view::npos) (void)mw::CutSentence(line, at);
        }
    }
    return 0;
}
