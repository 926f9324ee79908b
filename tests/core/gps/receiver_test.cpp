// The port and its reader thread end to end, with a pseudo-terminal as the
// receiver: opening and closing, and a receiver that falls silent, is unplugged and plugged in again. Framing
// and parsing are tested on their own. The port's name is a link to the
// pseudo-terminal, as /dev/serial/by-id names are to USB devices, so plugging
// in again is a new pseudo-terminal behind the same name. The periods are
// shortened to keep the suite quick.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/resource.h>

#include <atomic>
#include <memory>
#include <thread>

#include "gps/gps_session.h"
#include "gps_test_util.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "pty_util.h"
#include "testlib/temp_dir.h"

using namespace mw;
using namespace std::chrono_literals;
using Said = std::vector<std::string>;

namespace {

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One receiver on "COM1:" (index 0).
class Unplugging : public ::testing::Test {
protected:
    Unplugging() : port(Table(), dir.Path()), session(port, clock, sink) {
        PlugIn();
        request.config = NmeaConfig{kSourceRmc, true, 2};
        request.silenceMs = 60000;  // only the silence test waits for it
        request.reopenMs = 100;
    }
    GpsPortTable Table() {
        GpsPortTable t = DefaultGpsPortTable();
        t[0].device = dir.File("gps");
        return t;
    }
    void PlugIn() {
        receiver = std::make_unique<gpstest::Pty>();
        ASSERT_EQ(symlink(receiver->SlavePath().c_str(), dir.File("new").c_str()), 0);
        ASSERT_EQ(rename(dir.File("new").c_str(), dir.File("gps").c_str()), 0);
    }
    // The pseudo-terminal closes and its name goes, as udev removes a USB
    // device's link (a new pseudo-terminal could reuse the old number).
    void Unplug() {
        receiver.reset();
        unlink(dir.File("gps").c_str());
    }
    bool FeedUntilPosition() { return gpstest::FeedUntilPosition(*receiver, sink); }
    bool Saying(const Said& expected) {
        return sink.WaitFor([&] { return sink.statuses == expected; });
    }
    std::size_t Positions() {
        return sink.Locked([&] { return sink.positions.size(); });
    }
    // The process's CPU time over `ms` of waiting: the reader must sleep.
    double CpuOver(std::chrono::milliseconds ms) {
        const double before = CpuSeconds();
        std::this_thread::sleep_for(ms);
        return CpuSeconds() - before;
    }

    mwtest::TempDir dir;
    std::unique_ptr<gpstest::Pty> receiver;
    SystemSerialPort port;
    SystemClock clock;
    gpstest::RecordingSink sink;
    GpsSession session;
    GpsOpenRequest request;
    GpsFix fix;
};

// The same receiver for the tests of a port that stays plugged in.
using PtyPort = Unplugging;

TEST_F(Unplugging, SilenceIsSaidOnceAndEndsWithTheNextSentence) {
    request.silenceMs = 300;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    ASSERT_TRUE(FeedUntilPosition());
    ASSERT_TRUE(Saying({"---"}));
    ASSERT_TRUE(FeedUntilPosition());
    EXPECT_TRUE(Saying({"---", "ON "}));
}

TEST_F(Unplugging, AnUnpluggedReceiverIsSaidOnceRetriedQuietlyAndFollowedWhenBack) {
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    ASSERT_TRUE(FeedUntilPosition());
    Unplug();
    ASSERT_TRUE(Saying({"NC "}));
    EXPECT_TRUE(session.reader->PortLost());
    // A spinning re-open loop would burn the whole half second.
    EXPECT_LT(CpuOver(500ms), 0.05) << "five re-open periods";
    EXPECT_EQ(sink.Locked([&] { return sink.statuses; }), Said{"NC "}) << "no message storm";

    PlugIn();
    ASSERT_TRUE(Saying({"NC ", "ON "}));
    EXPECT_TRUE(FeedUntilPosition());
}

// Closing must not sit out the 5 s pause before the next re-open: the bound
// is half the pause, a hang guard rather than a speed check.
TEST_F(Unplugging, ClosingInTheFullReopenPauseDoesNotWaitForIt) {
    request.reopenMs = kGpsReopenMs;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    Unplug();
    ASSERT_TRUE(Saying({"NC "}));
    std::this_thread::sleep_for(50ms);  // into the pause
    const auto t0 = std::chrono::steady_clock::now();
    CloseGpsPort(session, fix);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(kGpsReopenMs / 2));
}

// Closed while a receiver floods the port: the reader is joined and nothing
// arrives once close returned.
TEST_F(PtyPort, ClosingWhileDataFlows) {
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        while (!stop) {
            receiver->TryWrite(kRmc);
            std::this_thread::sleep_for(300us);
        }
    });
    EXPECT_TRUE(sink.WaitFor([&] { return sink.positions.size() >= 5; }));
    EXPECT_EQ(CloseGpsPort(session, fix), 1);
    EXPECT_EQ(session.reader, nullptr);
    const std::size_t after = Positions();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Positions(), after);
    stop = true;
    feeder.join();
    EXPECT_EQ(CloseGpsPort(session, fix), 1) << "closing twice is harmless";
}

}  // namespace
