// A receiver that falls silent, is unplugged and plugged in again, end to end
// on a pseudo-terminal. The port name is a link to the pseudo-terminal, as
// /dev/serial/by-id names are to USB devices, so "plugging in again" is a new
// pseudo-terminal behind the same name. Silence and re-open periods are
// shortened so the suite stays quick; the 5 s rules themselves are checked on
// a test clock in gps_link_test.cpp.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/resource.h>

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

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

const std::string kRmc =
    gpstest::WithChecksum("GPRMC,120000,A,4810.000,N,01131.000,E,1.0,90.0,230394,,") + "\r\n";

class Unplug : public ::testing::Test {
protected:
    Unplug() : port(Table(), lockDir.Path()), session(port, clock, sink) {
        PlugIn();
        request.portIndex = 0;
        request.config = NmeaConfig{kSourceRmc, true, 2};
        request.silenceMs = 60000;  // only the silence test waits for it
        request.reopenMs = 100;
    }
    GpsPortTable Table() {
        GpsPortTable t = DefaultGpsPortTable();
        t[0].device = lockDir.File("gps");
        return t;
    }
    // A new receiver behind the port's name (the link is replaced at once).
    void PlugIn() {
        receiver = std::make_unique<gpstest::Pty>();
        const std::string link = lockDir.File("gps"), next = lockDir.File("gps.new");
        ASSERT_EQ(symlink(receiver->SlavePath().c_str(), next.c_str()), 0);
        ASSERT_EQ(rename(next.c_str(), link.c_str()), 0);
    }
    std::vector<std::string> Statuses() {
        return sink.Locked([&] { return sink.statuses; });
    }
    std::size_t Positions() {
        return sink.Locked([&] { return sink.positions.size(); });
    }
    // Sends sentences until one more position came through.
    bool FeedUntilPosition() {
        const std::size_t before = Positions();
        for (int i = 0; i < 100; ++i) {
            receiver->Write(kRmc);
            if (sink.WaitFor([&] { return sink.positions.size() > before; }, 0.05)) return true;
        }
        return false;
    }
    bool WaitForStatuses(const std::vector<std::string>& expected) {
        return sink.WaitFor([&] { return sink.statuses == expected; });
    }

    mwtest::TempDir lockDir;
    std::unique_ptr<gpstest::Pty> receiver;
    SystemSerialPort port;
    SystemClock clock;
    gpstest::RecordingSink sink;
    GpsSession session;
    GpsOpenRequest request;
    GpsFix fix;
};

TEST_F(Unplug, SilenceIsSaidOnceWithoutSpinningAndEndsWithTheNextSentence) {
    request.silenceMs = 300;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    ASSERT_TRUE(FeedUntilPosition());
    ASSERT_TRUE(WaitForStatuses({"---"})) << "silence after 300 ms without a byte";
    const double cpu = CpuSeconds();
    std::this_thread::sleep_for(400ms);
    EXPECT_LT(CpuSeconds() - cpu, 0.05) << "a silent receiver is waited for, not polled";
    EXPECT_EQ(Statuses(), std::vector<std::string>{"---"}) << "said once";
    ASSERT_TRUE(FeedUntilPosition());
    const std::vector<std::string> said = Statuses();
    ASSERT_GE(said.size(), 2u);
    EXPECT_EQ(said[1], "ON ") << "the first byte after the silence";
    CloseGpsPort(session, fix);
    EXPECT_EQ(fix.statusText, "OFF");
}

TEST_F(Unplug, AnUnpluggedReceiverIsSaidOnceRetriedQuietlyAndFollowedWhenBack) {
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    ASSERT_TRUE(FeedUntilPosition());
    receiver.reset();  // unplugged: the pseudo-terminal closes
    ASSERT_TRUE(WaitForStatuses({"NC "}));
    EXPECT_TRUE(session.reader->PortLost());
    // Five re-open periods of absence: no further word, next to no CPU.
    const double cpu = CpuSeconds();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(CpuSeconds() - cpu, 0.05) << "the reader must not spin while the device is gone";
    EXPECT_EQ(Statuses(), std::vector<std::string>{"NC "}) << "no message storm";

    PlugIn();
    ASSERT_TRUE(WaitForStatuses({"NC ", "ON "})) << "the port opened again";
    EXPECT_FALSE(session.reader->PortLost());
    EXPECT_TRUE(FeedUntilPosition()) << "positions follow again";

    // Gone again, and switched off meanwhile: closing never waits on the device.
    receiver.reset();
    ASSERT_TRUE(WaitForStatuses({"NC ", "ON ", "NC "}));
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CloseGpsPort(session, fix), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 200ms);
    EXPECT_FALSE(session.active);
}

TEST_F(Unplug, GarminPvtStartIsSentAgainToAReceiverThatCameBack) {
    request.config.source = kSourcePvt;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    const std::string start(kPvtStartCommand.begin(), kPvtStartCommand.end());
    EXPECT_EQ(receiver->Read(start.size(), 2000), start);
    receiver.reset();
    ASSERT_TRUE(WaitForStatuses({"NC "}));
    PlugIn();
    EXPECT_EQ(receiver->Read(start.size(), 2000), start);
    ASSERT_TRUE(WaitForStatuses({"NC ", "ON "}));
    CloseGpsPort(session, fix);
}

TEST_F(Unplug, ClosingDuringTheFullReopenPauseIsImmediate) {
    request.reopenMs = kGpsReopenMs;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    receiver.reset();
    ASSERT_TRUE(WaitForStatuses({"NC "}));
    std::this_thread::sleep_for(50ms);  // into the 5 s pause
    const auto t0 = std::chrono::steady_clock::now();
    CloseGpsPort(session, fix);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 200ms);
}

}  // namespace
