// The port, the reader thread and opening/closing, with a pseudo-terminal
// pair as the receiver. Framing and parsing are tested on their own; here
// only their wiring to the port.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <numbers>
#include <thread>

#include "gps/gps_session.h"
#include "gps_test_util.h"
#include "platform/gps_port_table.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "pty_util.h"
#include "testlib/temp_dir.h"

using namespace mw;
using gpstest::WithChecksum;

namespace {

const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const double kMunich = 48 + 7.038 / 60;

std::string RmcAt(int minutes) {
    return WithChecksum("GPRMC,120000,A,48" + std::to_string(10 + minutes) +
                        ".000,N,01131.000,E,1.0,90.0,230394,,");
}

// One receiver on "COM1:" (index 0), lock files looked for in a scratch folder.
class PtyPort : public ::testing::Test {
protected:
    PtyPort() : port(Table(), lockDir.Path()), session(port, clock, sink) {
        request.portIndex = 0;
        request.baudIndex = 2;
        request.config = NmeaConfig{kSourceRmc, true, 2};
    }
    GpsPortTable Table() {
        GpsPortTable t = DefaultGpsPortTable();
        t[0].device = pty.SlavePath();
        return t;
    }
    std::size_t Positions() {
        return sink.Locked([&] { return sink.positions.size(); });
    }

    gpstest::Pty pty;
    mwtest::TempDir lockDir;
    SystemSerialPort port;
    SystemClock clock;
    gpstest::RecordingSink sink;
    GpsSession session;
    GpsOpenRequest request;
    GpsFix fix;
};

}  // namespace

TEST_F(PtyPort, LinesSplitAcrossReadsAndClosingWhileDataFlows) {
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    // A sentence split across reads, then a GGA and a second position.
    ASSERT_TRUE(pty.Write(kRmc.substr(0, 20)));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(pty.Write(kRmc.substr(20) + "\r\n" + kGga + "\r\n" + RmcAt(5) + "\r\n"));
    ASSERT_TRUE(sink.WaitFor([&] { return sink.positions.size() >= 2; }));
    sink.Locked([&] {
        EXPECT_DOUBLE_EQ(sink.positions[0].position.lat, kMunich);
        EXPECT_DOUBLE_EQ(sink.positions[1].position.lat, 48 + 15.0 / 60);
        EXPECT_EQ(sink.positions[1].fix.fixQuality, 1) << "the GGA between them was read";
        return 0;
    });

    // Closed while a receiver floods the port: the reader is joined and
    // nothing arrives once close returned.
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        for (int i = 0; !stop; ++i) {
            pty.TryWrite(RmcAt(i % 40) + "\r\n");
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    EXPECT_TRUE(sink.WaitFor([&] { return sink.positions.size() >= 5; }));
    EXPECT_EQ(CloseGpsPort(session, fix), 1);
    EXPECT_EQ(session.reader, nullptr);
    const std::size_t after = Positions();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Positions(), after);
    stop = true;
    feeder.join();
    EXPECT_EQ(CloseGpsPort(session, fix), 1) << "closing twice is harmless";
}

TEST_F(PtyPort, BusyLockedAndMissingPorts) {
    {
        // Another program holds the device.
        int other = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(other, 0);
        ASSERT_EQ(flock(other, LOCK_EX), 0);
        EXPECT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::PortBusy);
        close(other);
    }
    EXPECT_FALSE(session.active);
    EXPECT_EQ(fix.statusText, "OFF");

    // A lock file of a live process (our parent) marks it taken; a stale one
    // does not.
    const std::string lockName = "LCK.." + pty.SlavePath().substr(pty.SlavePath().rfind('/') + 1);
    lockDir.Write(lockName, "     " + std::to_string(getppid()) + "\n");
    EXPECT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::PortBusy);
    lockDir.Write(lockName, std::to_string(INT_MAX) + "\n");
    EXPECT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    CloseGpsPort(session, fix);

    GpsPortTable t = DefaultGpsPortTable();
    t[0].device = "/nonexistent/ttyGPS";
    SystemSerialPort missing(t, lockDir.Path());
    GpsSession s2(missing, clock, sink);
    EXPECT_EQ(OpenGpsPort(s2, request, fix), GpsOpenOutcome::OpenFailed);
    for (int index : {-1, 10}) {
        request.portIndex = index;
        EXPECT_EQ(OpenGpsPort(s2, request, fix), GpsOpenOutcome::OpenFailed) << index;
    }
    EXPECT_FALSE(s2.active);
}

TEST_F(PtyPort, TripmateStringIsSentWhileReadingGoesOn) {
    request.tripmate = true;
    request.tripmateDelayMs = 250;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    ASSERT_TRUE(pty.Write(kRmc + "\r\n"));
    EXPECT_TRUE(sink.WaitFor([&] { return !sink.positions.empty(); }));
    EXPECT_EQ(pty.Read(8, 2000), "ASTRAL\r\n");
    CloseGpsPort(session, fix);
}

TEST_F(PtyPort, GarminPvtStartFramesAndStop) {
    pty.HoldSlave();
    request.config.source = kSourcePvt;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    const std::string start(kPvtStartCommand.begin(), kPvtStartCommand.end());
    EXPECT_EQ(pty.Read(8, 2000), start);

    gpstest::PvtInput in;
    in.latRad = -41.3 * std::numbers::pi / 180;
    in.lonRad = 174.8 * std::numbers::pi / 180;
    in.north = -2;
    auto frame = gpstest::GarminFrame(0x33, gpstest::PvtRecord(in));
    // The port opened in the middle of a frame: its tail comes first.
    ASSERT_TRUE(
        pty.Write(std::string("\x33\x22\x10\x03", 4) + std::string(frame.begin(), frame.end())));
    ASSERT_TRUE(sink.WaitFor([&] { return !sink.positions.empty(); }));
    sink.Locked([&] {
        EXPECT_NEAR(sink.positions[0].position.lat, -41.3, 1e-9);
        EXPECT_NEAR(sink.positions[0].fix.trueCourse, 180, 1e-9);
        return 0;
    });
    CloseGpsPort(session, fix);
    const std::string stop(kPvtStopCommand.begin(), kPvtStopCommand.end());
    EXPECT_EQ(pty.Read(8, 2000), stop);
}
