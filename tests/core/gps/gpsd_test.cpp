// "GPS1:" end to end: a pseudo-terminal receiver read by a private gpsd, and
// the program reading gpsd's raw NMEA watch, through a restart of gpsd.
// Skipped where gpsd is missing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <memory>
#include <thread>

#include "gps/gps_session.h"
#include "gps_test_util.h"
#include "platform/system_clock.h"
#include "platform/system_serial_port.h"
#include "pty_util.h"

using namespace mw;
using Said = std::vector<std::string>;

namespace {

std::string FindGpsd() {
    for (const char* p : {"/usr/sbin/gpsd", "/usr/bin/gpsd", "/usr/local/sbin/gpsd"}) {
        if (access(p, X_OK) == 0) return p;
    }
    return {};
}

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

int FreeTcpPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

bool Listening(int port) {
    for (int i = 0; i < 100; ++i) {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = Loopback(port);
        const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(s);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// A gpsd in the foreground on its own port, reading one device and never
// writing to it; stopped with the object.
class GpsdProcess {
public:
    GpsdProcess(const std::string& binary, int port, const std::string& device) {
        pid_ = fork();
        if (pid_ == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string p = std::to_string(port);
            execl(binary.c_str(), "gpsd", "-N", "-n", "-b", "-S", p.c_str(), device.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~GpsdProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status;
        waitpid(pid_, &status, 0);
    }

private:
    pid_t pid_ = -1;
};

}  // namespace

TEST(Gpsd, RawNmeaWatchThroughGps1SurvivesAGpsdRestart) {
    const std::string gpsd = FindGpsd();
    if (gpsd.empty()) GTEST_SKIP() << "gpsd is not installed (scripts/install-deps.sh installs it)";

    gpstest::Pty receiver;
    const int port = FreeTcpPort();
    ASSERT_GT(port, 0);
    auto daemon = std::make_unique<GpsdProcess>(gpsd, port, receiver.SlavePath());
    ASSERT_TRUE(Listening(port)) << "gpsd did not start listening";

    GpsPortTable table = DefaultGpsPortTable();
    table[9] = GpsPortEntry{"", "127.0.0.1", port};
    SystemSerialPort serial(table);
    SystemClock clock;
    gpstest::RecordingSink sink;
    GpsSession session(serial, clock, sink);
    GpsOpenRequest request;
    request.portIndex = 9;
    request.config = NmeaConfig{kSourceRmc, true, 0};
    request.reopenMs = 100;
    request.silenceMs = 60000;
    GpsFix fix;
    ASSERT_EQ(OpenGpsPort(session, request, fix), GpsOpenOutcome::Opened);
    EXPECT_FALSE(WriteGpsByte(session, 'x')) << "gpsd passes nothing to the receiver";

    // gpsd needs a few sentences to recognise the receiver.
    ASSERT_TRUE(gpstest::FeedUntilPosition(receiver, sink)) << "no position came through gpsd";

    daemon.reset();  // gpsd stops; the receiver stays plugged in
    ASSERT_TRUE(sink.WaitFor([&] { return sink.statuses == Said{"NC "}; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few refused re-opens
    daemon = std::make_unique<GpsdProcess>(gpsd, port, receiver.SlavePath());
    EXPECT_TRUE(sink.WaitFor([&] { return sink.statuses == Said{"NC ", "ON "}; }, 5.0));
    EXPECT_TRUE(gpstest::FeedUntilPosition(receiver, sink)) << "no position after gpsd came back";
    CloseGpsPort(session, fix);
}
