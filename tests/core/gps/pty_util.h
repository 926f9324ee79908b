// A pseudo-terminal pair that stands in for a GPS receiver: the test writes
// the receiver's bytes to the master side, the program opens the slave.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "gps_test_util.h"

namespace gpstest {

class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ptsname(master_);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    // The receiver is unplugged.
    ~Pty() { close(master_); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& SlavePath() const { return slave_; }

    // Writes all of `bytes`, waiting while the slave's input queue is full.
    bool Write(const std::string& bytes) {
        std::size_t done = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (done < bytes.size() && std::chrono::steady_clock::now() < until) {
            ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 10);
            }
        }
        return done == bytes.size();
    }
    // Writes without waiting; false when the queue is full.
    bool TryWrite(const std::string& bytes) {
        return write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

private:
    int master_ = -1;
    std::string slave_;
};

// Sends a position sentence until one more position arrives: a receiver
// just opened (or gpsd just started) may drop the first ones.
inline bool FeedUntilPosition(Pty& receiver, RecordingSink& sink) {
    const std::size_t before = sink.Locked([&] { return sink.positions.size(); });
    const std::string rmc =
        WithChecksum("GPRMC,120000,A,4810.000,N,01131.000,E,1.0,90.0,230394,,") + "\r\n";
    for (int i = 0; i < 100; ++i) {
        receiver.Write(rmc);
        if (sink.WaitFor([&] { return sink.positions.size() > before; }, 0.05)) return true;
    }
    return false;
}

}  // namespace gpstest
