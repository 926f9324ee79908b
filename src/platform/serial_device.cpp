#include "platform/serial_device.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "support/text.h"

namespace mw {

namespace {

bool BaudConstant(int baud, speed_t& out) {
    static constexpr struct {
        int baud;
        speed_t constant;
    } kSpeeds[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                   {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) {
            out = s.constant;
            return true;
        }
    }
    return false;
}

// A lock file "LCK..<device name>" holding the pid of a running process
// (ASCII, as minicom and friends write it) marks the device as taken.
bool LockedByAnotherProcess(const std::string& path, const std::string& lockFolder) {
    if (lockFolder.empty()) return false;
    auto bytes = ReadWholeFile(lockFolder + "/LCK.." + FileNameOf(path));
    if (!bytes) return false;
    long pid = std::strtol(Trim(*bytes).c_str(), nullptr, 10);
    if (pid <= 0 || pid == static_cast<long>(getpid())) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool ConfigureTerminal(int fd, speed_t speed) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    // VMIN 1: with 0 an empty port would read as 0 bytes, like end of file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

OpenedDescriptor OpenSerialDevice(const std::string& path, int baud,
                                  const std::string& lockFolder) {
    speed_t speed;
    if (!BaudConstant(baud, speed)) return {-1, SerialOpenResult::Failed, "unsupported baud rate"};
    if (LockedByAnotherProcess(path, lockFolder))
        return {-1, SerialOpenResult::Busy, "locked by another program"};

    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return {-1, error == EBUSY ? SerialOpenResult::Busy : SerialOpenResult::Failed,
                std::strerror(error)};
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close(fd);
        return {-1, SerialOpenResult::Busy, "locked by another program"};
    }
    if (isatty(fd)) {
        if (!ConfigureTerminal(fd, speed)) {
            const int error = errno;
            close(fd);
            return {-1, SerialOpenResult::Failed, std::strerror(error)};
        }
        // Both fail with ENOTTY on a pseudo-terminal, which is fine.
        ioctl(fd, TIOCEXCL);
        int lines = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd, TIOCMBIS, &lines);
    }
    return {fd, SerialOpenResult::Opened, {}};
}

OpenedDescriptor ConnectGpsd(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        error != 0)
        return {-1, SerialOpenResult::Failed, gai_strerror(error)};

    int fd = -1;
    std::string reason = "no address";
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            reason = std::strerror(errno);
            continue;
        }
        bool connected = connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        int error = connected ? 0 : errno;
        if (!connected && error == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            socklen_t len = sizeof error;
            const int ready = poll(&p, 1, 2000);
            if (ready == 0)
                error = ETIMEDOUT;
            else if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                error = errno;
            connected = error == 0;
        }
        if (!connected) {
            reason = std::strerror(error);
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) return {-1, SerialOpenResult::Failed, reason};

    static constexpr std::string_view kWatch = "?WATCH={\"enable\":true,\"nmea\":true}\n";
    if (send(fd, kWatch.data(), kWatch.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(kWatch.size())) {
        const int error = errno;
        close(fd);
        return {-1, SerialOpenResult::Failed, std::strerror(error)};
    }
    return {fd, SerialOpenResult::Opened, {}};
}

}  // namespace mw
