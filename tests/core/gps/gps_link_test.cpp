// The receiver falling silent, going away and coming back, on a test clock:
// the watch's rules step by step, and the reader thread driven by a scripted
// port whose waits move the clock instead of sleeping.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "gps/gps_link.h"
#include "gps/gps_reader.h"
#include "gps_test_util.h"
#include "ports/serial_port.h"
#include "ports/system.h"

using namespace mw;

namespace {

TEST(GpsLinkWatch, SilenceLossAndReturnAreEachSaidOnce) {
    enum Op { Open, Bytes, Idle, Gone, Failed };
    struct Step {
        Op op;
        std::uint32_t at;
        GpsLinkEvent event;
        int waitAfter;  // WaitMs(at) after the step
    };
    using E = GpsLinkEvent;
    // Tick counts start near the 32-bit wrap: the rules use differences.
    constexpr std::uint32_t t0 = 0xFFFFF000u;
    const Step steps[] = {
        {Open, t0, E::None, 5000},
        {Idle, t0 + 4999, E::None, 1},
        {Bytes, t0 + 4000, E::None, 5000},
        {Idle, t0 + 8999, E::None, 1},
        {Idle, t0 + 9000, E::Silent, -1},
        {Idle, t0 + 60000, E::None, -1},  // still silent: said once
        {Bytes, t0 + 61000, E::Back, 5000},
        {Gone, t0 + 62000, E::Lost, 5000},
        {Gone, t0 + 62500, E::None, 5000},  // a second hang-up report adds nothing
        {Idle, t0 + 70000, E::None, 0},     // lost is no silence; the re-open is due
        {Failed, t0 + 70000, E::None, 5000},
        {Failed, t0 + 75000, E::None, 5000},
        {Open, t0 + 80000, E::Back, 5000},
        {Idle, t0 + 85000, E::Silent, -1},
        {Gone, t0 + 86000, E::Lost, 5000},  // silent, then unplugged
        {Open, t0 + 91000, E::Back, 5000},
        {Open, t0 + 92000, E::None, 5000},  // an open that ends no loss says nothing
    };
    GpsLinkWatch watch;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step at t0+" << (s.at - t0));
        GpsLinkEvent got = E::None;
        switch (s.op) {
            case Open: got = watch.Opened(s.at); break;
            case Bytes: got = watch.Received(s.at); break;
            case Idle: got = watch.Idle(s.at); break;
            case Gone: got = watch.Gone(s.at); break;
            case Failed: watch.ReopenFailed(s.at); break;
        }
        EXPECT_EQ(got, s.event);
        EXPECT_EQ(watch.WaitMs(s.at), s.waitAfter);
    }
}

TEST(GpsLinkWatch, StatusTextsAndWhetherTheFixIsCurrent) {
    EXPECT_STREQ(GpsLinkStatusText(GpsLinkEvent::Silent), kStatusSilent);
    EXPECT_STREQ(GpsLinkStatusText(GpsLinkEvent::Lost), kStatusLost);
    EXPECT_STREQ(GpsLinkStatusText(GpsLinkEvent::Back), kStatusOn);
    const struct {
        const char* status;
        bool current;
    } cases[] = {{"ON ", true}, {"ON*LT", true}, {"ERR", true}, {"CSM", true}, {"OFF", true},
                 {"---", false}, {"NC ", false}};
    for (const auto& c : cases) {
        GpsFix fix;
        fix.statusText = c.status;
        EXPECT_EQ(GpsFixIsCurrent(fix), c.current) << c.status;
    }
}

// A clock only the scripted port moves.
class ScriptClock : public Clock {
public:
    std::uint32_t TickCount() override { return tick; }
    DateTime UtcNow() override { return {2024, 5, 1, 12, 0, 0, 0}; }
    DateTime LocalNow() override { return UtcNow(); }
    std::uint32_t tick = 0;
};

// A receiver as a list of things that happen at given ticks. Every wait the
// reader asks for moves the clock to its end or to the next happening, so a
// minute of receiver life runs in no time. When the script is over the port
// blocks until it is woken, as a real one would.
class ScriptedPort : public SerialPort {
public:
    struct Happening {
        std::uint32_t at;
        std::string bytes;  // empty: the device goes away
    };
    ScriptedPort(ScriptClock& clock, std::deque<Happening> script, std::uint32_t end)
        : clock_(clock), script_(std::move(script)), end_(end) {}

    SerialOpenResult Open(int, int) override {
        std::lock_guard lock(mutex_);
        opens.push_back(clock_.tick);
        open_ = clock_.tick >= deviceBackAt;
        return open_ ? SerialOpenResult::Opened : SerialOpenResult::Failed;
    }
    bool IsOpen() const override { return open_; }
    SerialReadResult Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs) override {
        ++calls;
        if (!script_.empty()) {
            Happening& h = script_.front();
            const std::uint32_t until =
                timeoutMs < 0 ? UINT32_MAX : clock_.tick + static_cast<std::uint32_t>(timeoutMs);
            if (h.at > until) return Advance(until);
            clock_.tick = std::max(clock_.tick, h.at);
            if (h.bytes.empty()) {
                script_.pop_front();
                return {SerialReadStatus::HangUp, 0};
            }
            const std::size_t n = std::min(capacity, h.bytes.size());
            std::copy_n(h.bytes.begin(), n, buffer);
            h.bytes.erase(0, n);
            if (h.bytes.empty()) script_.pop_front();
            return {SerialReadStatus::Data, n};
        }
        if (timeoutMs >= 0 && clock_.tick + static_cast<std::uint32_t>(timeoutMs) < end_)
            return Advance(clock_.tick + static_cast<std::uint32_t>(timeoutMs));
        return Finish();
    }
    SerialReadStatus Pause(int timeoutMs) override {
        ++calls;
        if (timeoutMs >= 0 && clock_.tick + static_cast<std::uint32_t>(timeoutMs) < end_) {
            clock_.tick += static_cast<std::uint32_t>(timeoutMs);
            return SerialReadStatus::Timeout;
        }
        return Finish().status;
    }
    bool Write(const std::uint8_t* bytes, std::size_t count) override {
        std::lock_guard lock(mutex_);
        writes.emplace_back(clock_.tick, std::string(bytes, bytes + count));
        return open_;
    }
    void Wake() override {
        std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }
    void Close() override { open_ = false; }

    // Waits (in real time) until the reader has used up the script.
    bool WaitUntilOver() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return over_; });
    }

    std::uint32_t deviceBackAt = 0;
    std::vector<std::uint32_t> opens;
    std::vector<std::pair<std::uint32_t, std::string>> writes;
    int calls = 0;

private:
    SerialReadResult Advance(std::uint32_t until) {
        clock_.tick = until;
        return {SerialReadStatus::Timeout, 0};
    }
    SerialReadResult Finish() {
        std::unique_lock lock(mutex_);
        clock_.tick = std::max(clock_.tick, end_);
        over_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return woken_; });
        woken_ = false;
        return {SerialReadStatus::Woken, 0};
    }

    ScriptClock& clock_;
    std::deque<Happening> script_;
    std::uint32_t end_;
    std::atomic<bool> open_{true};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool over_ = false, woken_ = false;
};

// Notes each status with the tick it was said at.
class TimedSink : public gpstest::RecordingSink {
public:
    explicit TimedSink(ScriptClock& clock) : clock_(clock) {}
    void OnStatus(const std::string& s) override { said.emplace_back(clock_.tick, s); }
    void OnPosition(const PositionReport& p, const GpsFix& f) override {
        positionsAt.push_back(clock_.tick);
        RecordingSink::OnPosition(p, f);
    }
    std::vector<std::pair<std::uint32_t, std::string>> said;
    std::vector<std::uint32_t> positionsAt;

private:
    ScriptClock& clock_;
};

std::string Rmc() {
    return gpstest::WithChecksum("GPRMC,120000,A,4810.000,N,01131.000,E,1.0,90.0,230394,,") +
           "\r\n";
}

TEST(GpsReaderLink, SilenceUnplugAndReturnOnATestClock) {
    ScriptClock clock;
    // Sentences at 0, 1 and 2 s (the one at 2 s split over two reads); the
    // device goes at 9 s and is back from 31 s; a sentence at 35 s, then quiet.
    const std::string rmc = Rmc();
    ScriptedPort port(clock,
                      {{0, rmc},
                       {1000, rmc},
                       {2000, rmc.substr(0, 20)},
                       {2000, rmc.substr(20)},
                       {9000, ""},
                       {35000, rmc}},
                      60000);
    port.deviceBackAt = 31000;
    TimedSink sink(clock);
    GpsReaderLinks links;
    links.port = &port;
    links.clock = &clock;
    links.sink = &sink;
    GpsReaderThread reader(links);
    GpsReaderOptions options;
    options.config = NmeaConfig{kSourceRmc, true, 2};
    options.portIndex = 0;
    options.baud = 4800;
    options.tripmate = true;  // the start string goes again to a device that is back
    reader.Start(options);
    ASSERT_TRUE(port.WaitUntilOver());
    reader.Stop();

    using Said = std::vector<std::pair<std::uint32_t, std::string>>;
    EXPECT_EQ(sink.said, (Said{{7000, "---"}, {9000, "NC "}, {34000, "ON "}, {40000, "---"}}));
    EXPECT_EQ(sink.positionsAt, (std::vector<std::uint32_t>{0, 1000, 2000, 35000}));
    // Re-opened every 5 s from the loss until the device was back, no more.
    EXPECT_EQ(port.opens, (std::vector<std::uint32_t>{14000, 19000, 24000, 29000, 34000}));
    EXPECT_EQ(port.writes, (Said{{5000, "ASTRAL\r\n"}, {39000, "ASTRAL\r\n"}}));
    // A wait per happening, silence, re-open and Tripmate string: the reader
    // never turns round without waiting.
    EXPECT_LE(port.calls, 25);
}

TEST(GpsReaderLink, WithoutAPortToReopenTheLossIsSaidAndTheReaderWaits) {
    ScriptClock clock;
    ScriptedPort port(clock, {{0, Rmc()}, {100, ""}}, 60000);
    TimedSink sink(clock);
    GpsReaderLinks links{&port, &clock, &sink};
    GpsReaderThread reader(links);
    GpsReaderOptions options;
    options.config = NmeaConfig{kSourceRmc, true, 2};
    reader.Start(options);
    ASSERT_TRUE(port.WaitUntilOver());
    EXPECT_TRUE(reader.PortLost());
    reader.Stop();
    using Said = std::vector<std::pair<std::uint32_t, std::string>>;
    EXPECT_EQ(sink.said, (Said{{100, "NC "}}));
    EXPECT_TRUE(port.opens.empty());
}

}  // namespace
