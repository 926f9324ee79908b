// "Unable to open port" names what was opened and why it failed, so the
// user can tell a missing device from one they may not open.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "gps/gps_session.h"
#include "gps_test_util.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// A local TCP port with nothing listening on it.
int ClosedPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        close(s);
        return -1;
    }
    close(s);
    return ntohs(a.sin_port);
}

TEST(PortOpenMessage, SaysTheDeviceAndTheReason) {
    mwtest::TempDir dir;
    const int closedPort = ClosedPort();
    ASSERT_GT(closedPort, 0);
    struct Case {
        const char* what;
        GpsPortEntry entry;
        std::string expected;
    } cases[] = {
        {"no such device", {dir.File("ttyUSB9"), "", 0},
         "Unable to open port " + dir.File("ttyUSB9") + ": No such file or directory"},
        {"a folder", {dir.Path(), "", 0}, "Unable to open port " + dir.Path() + ": Is a directory"},
        {"gpsd not running", {"", "127.0.0.1", closedPort},
         "Unable to open port 127.0.0.1:" + std::to_string(closedPort) + ": Connection refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GpsPortTable table = DefaultGpsPortTable();
        table[0] = c.entry;
        SystemSerialPort port(table, dir.Path());
        SystemClock clock;
        gpstest::RecordingSink sink;
        GpsSession session(port, clock, sink);
        GpsOpenRequest request;
        request.portIndex = 0;
        GpsFix fix;
        const GpsOpenOutcome outcome = OpenGpsPort(session, request, fix);
        ASSERT_EQ(outcome, GpsOpenOutcome::OpenFailed);
        EXPECT_EQ(GpsOpenFailureMessage(outcome, session.openFailure), c.expected);
    }
    // Without a reason the fixed text stands alone.
    EXPECT_EQ(GpsOpenFailureMessage(GpsOpenOutcome::OpenFailed), "Unable to open port");
    EXPECT_EQ(GpsOpenFailureMessage(GpsOpenOutcome::PortBusy, "x"),
              "Another Program or Utility is using the Comm port");
}

}  // namespace
