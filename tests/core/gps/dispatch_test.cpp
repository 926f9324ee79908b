// The dispatcher: which sentences each position source takes, talkers,
// noise and the 150-character cut, communication errors.
#include <gtest/gtest.h>

#include <random>

#include "gps/dispatch.h"
#include "gps/gps_input.h"
#include "gps/nmea_monitor.h"
#include "gps_test_util.h"
#include "support/text.h"
#include "testlib/fake_ui.h"

using namespace mw;
using gpstest::WithChecksum;

namespace {

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const std::string kGll = WithChecksum("GPGLL,4916.45,N,12311.12,W,225444,A");
const std::string kVtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48";

class Dispatcher : public ::testing::Test {
protected:
    Dispatcher() {
        clock.utc = DateTime{2024, 2, 9, 7, 5, 3, 0};
        env.clock = &clock;
        env.sink = &sink;
        env.monitor = &monitor;
        state.fix.statusText = kStatusOn;
    }
    void Feed(const std::vector<std::string>& lines) {
        for (const auto& l : lines) DispatchSentence(l, state, env);
    }

    mwtest::FakeClock clock;
    gpstest::RecordingSink sink;
    NmeaMonitor monitor;
    DispatchEnv env;
    GpsParserState state;
};

const double kMunich = 48 + 7.038 / 60;
const double kGllLat = 49 + 16.45 / 60;

}  // namespace

// From one second of RMC, GGA, GLL and VTG each source hands on one position
// and one speed, and the GGA's quality whichever source it is.
TEST_F(Dispatcher, EachSourceTakesOnlyItsSentences) {
    for (const auto& [source, lat] :
         {std::pair{kSourceRmc, kMunich}, {kSourceGga, kMunich}, {kSourceGll, kGllLat}}) {
        sink.positions.clear();
        sink.speeds.clear();
        state = GpsParserState{};
        env.config.source = source;
        Feed({kRmc, kGga, kGll, kVtg});
        ASSERT_EQ(sink.positions.size(), 1u) << source;
        EXPECT_DOUBLE_EQ(sink.positions[0].position.lat, lat) << source;
        EXPECT_EQ(sink.speeds.size(), 1u) << source;
        EXPECT_EQ(state.fix.fixQuality, 1) << source;
    }
}

TEST_F(Dispatcher, TalkersNoiseAndTheCut) {
    const std::string body = "RMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
    struct Case {
        std::string line;
        bool checksum;
        bool position;
    };
    const std::vector<Case> cases = {
        {WithChecksum("GN" + body), true, true},
        {"noise" + kRmc, true, true},               // parsed from the '$' on
        {"$G$GPX" + kRmc, true, true},              // a false start before the tag
        // Noise that pushes the "*6A" past character 150: the cut takes the
        // checksum off, and with it the sentence unless checksums are off.
        {std::string(150 - kRmc.size() + 3, '#') + kRmc, true, false},
        {std::string(150 - kRmc.size() + 3, '#') + kRmc, false, true},
        // A tag beyond the cut is not there at all.
        {std::string(145, '#') + kRmc, false, false},
    };
    for (const auto& c : cases) {
        sink.positions.clear();
        sink.speeds.clear();
        env.config.useChecksum = c.checksum;
        Feed({c.line});
        EXPECT_EQ(sink.positions.size(), c.position ? 1u : 0u) << c.line;
        if (c.position && !sink.positions.empty()) {
            EXPECT_DOUBLE_EQ(sink.positions[0].position.lat, kMunich) << c.line;
        }
    }
    EXPECT_TRUE(sink.speeds.empty()) << "the tag past the cut gives no speed either";
}

// A communication error drops the partial line and says "ERR"; the next
// position sentence turns it back to "ON ".
TEST_F(Dispatcher, ACommunicationErrorDropsThePartialLine) {
    GpsInput input;
    input.state = state;
    const std::string half = kRmc.substr(0, 30);
    HandleGpsBytes(input,
                   std::span(reinterpret_cast<const std::uint8_t*>(half.data()), half.size()), env);
    HandleGpsByte(input, 1, true, env);
    const std::string line = "\n" + kRmc + "\r\n";
    HandleGpsBytes(input,
                   std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()), env);
    EXPECT_EQ(sink.statuses, (std::vector<std::string>{"ERR", "ON "}));
    ASSERT_EQ(sink.positions.size(), 1u) << "the half line before the error is not glued on";
    EXPECT_EQ(input.state.fix.statusText, "ON ");
}

// Bytes taken a run at a time must make the very lines byte-by-byte framing
// makes: control bytes inside a sentence dropped, a tab kept (and the
// checksum broken), lines past 190 characters cut, chunks ending anywhere.
TEST_F(Dispatcher, BytesInRunsMakeTheLinesOfBytesOneByOne) {
    std::mt19937 rng(7);
    std::string stream;
    for (int i = 0; i < 400; ++i) {
        std::string s = WithChecksum(
            Format("GPRMC,%06d,A,48%02d.038,N,01131.000,E,022.4,084.4,230394,003.1,W", i, i % 60));
        const int shape = i % 7;
        if (shape == 1) s.insert(rng() % s.size(), 1, "\x00\x01\x08\r"[rng() % 4]);
        if (shape == 2) s.insert(rng() % s.size(), 1, '\t');
        if (shape == 3) s.insert(0, 120 + rng() % 60, '#');
        if (shape == 4) s += "\r\r";
        stream += s + (shape == 5 ? "\n\n" : "\r\n");
    }
    auto run = [&](bool bulk) {
        gpstest::RecordingSink out;
        DispatchEnv e = env;
        e.sink = &out;
        e.monitor = nullptr;
        GpsInput input;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
        for (std::size_t at = 0, n; at < stream.size(); at += n) {
            n = bulk ? std::min<std::size_t>(1 + rng() % 97, stream.size() - at) : 1;
            if (bulk)
                HandleGpsBytes(input, std::span(bytes + at, n), e);
            else
                HandleGpsByte(input, bytes[at], false, e);
        }
        std::vector<std::string> times;
        for (const auto& p : out.positions) times.push_back(p.position.time);
        return times;
    };
    const std::vector<std::string> oneByOne = run(false);
    EXPECT_GT(oneByOne.size(), 250u);
    EXPECT_LT(oneByOne.size(), 400u);
    EXPECT_EQ(run(true), oneByOne);
}
