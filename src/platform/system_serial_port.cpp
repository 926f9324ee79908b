#include "platform/system_serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace mw {

SystemSerialPort::SystemSerialPort(GpsPortTable table, std::string lockFolder)
    : table_(std::move(table)), lockFolder_(std::move(lockFolder)) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

SystemSerialPort::~SystemSerialPort() {
    Close();
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
}

SerialOpenResult SystemSerialPort::Open(int portIndex, int baud) {
    Close();
    openFailure_.clear();
    if (portIndex < 0 || portIndex >= static_cast<int>(table_.size())) {
        openFailure_ = "port " + std::to_string(portIndex + 1) + ": not in the port table";
        return SerialOpenResult::Failed;
    }
    if (wakeRead_ < 0) {
        openFailure_ = "no wake-up pipe";
        return SerialOpenResult::Failed;
    }
    // A wake-up left from the previous connection must not end the first read.
    char drain[64];
    while (read(wakeRead_, drain, sizeof drain) > 0) {
    }
    const GpsPortEntry& entry = table_[static_cast<std::size_t>(portIndex)];
    OpenedDescriptor d = entry.IsGpsd() ? ConnectGpsd(entry.gpsdHost, entry.gpsdPort)
                                        : OpenSerialDevice(entry.device, baud, lockFolder_);
    if (d.result != SerialOpenResult::Opened) {
        openFailure_ = (entry.IsGpsd() ? entry.gpsdHost + ":" + std::to_string(entry.gpsdPort)
                                       : entry.device) +
                       ": " + d.reason;
        return d.result;
    }
    fd_ = d.fd;
    gpsd_ = entry.IsGpsd();
    atLineStart_ = true;
    inJson_ = false;
    return SerialOpenResult::Opened;
}

SerialReadResult SystemSerialPort::Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs) {
    if (fd_ < 0) return {SerialReadStatus::Error, 0};
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int n;
    do {
        n = poll(fds, 2, timeoutMs < 0 ? -1 : timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return {SerialReadStatus::Error, 0};
    if (n == 0) return {SerialReadStatus::Timeout, 0};
    if (fds[1].revents) {
        char drain[64];
        while (read(wakeRead_, drain, sizeof drain) > 0) {
        }
        return {SerialReadStatus::Woken, 0};
    }
    if (fds[0].revents & POLLIN) {
        ssize_t got = read(fd_, buffer, capacity);
        if (got > 0) {
            std::size_t count = static_cast<std::size_t>(got);
            if (gpsd_) count = DropJsonLines(buffer, count);
            return {SerialReadStatus::Data, count};
        }
        if (got == 0) return {SerialReadStatus::HangUp, 0};
        if (errno == EAGAIN || errno == EINTR) return {SerialReadStatus::Data, 0};
        // A pseudo-terminal whose other side closed, or an unplugged USB
        // adapter, reads as EIO.
        return {errno == EIO ? SerialReadStatus::HangUp : SerialReadStatus::Error, 0};
    }
    if (fds[0].revents & POLLHUP) return {SerialReadStatus::HangUp, 0};
    return {SerialReadStatus::Error, 0};
}

std::size_t SystemSerialPort::DropJsonLines(std::uint8_t* buffer, std::size_t count) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = buffer[i];
        if (atLineStart_ && b == '{') inJson_ = true;
        atLineStart_ = b == '\n';
        if (!inJson_) buffer[out++] = b;
        if (b == '\n') inJson_ = false;
    }
    return out;
}

bool SystemSerialPort::Write(const std::uint8_t* bytes, std::size_t count) {
    if (fd_ < 0 || gpsd_) return false;
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The output queue is full: give the device a second to drain.
            pollfd p{fd_, POLLOUT, 0};
            if (poll(&p, 1, 1000) == 1 && (p.revents & POLLOUT)) continue;
        }
        return false;
    }
    return true;
}

void SystemSerialPort::Wake() {
    if (wakeWrite_ < 0) return;
    const char b = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    [[maybe_unused]] ssize_t n = write(wakeWrite_, &b, 1);
}

SerialReadStatus SystemSerialPort::Pause(int timeoutMs) {
    if (wakeRead_ < 0) return SerialPort::Pause(timeoutMs);
    pollfd p{wakeRead_, POLLIN, 0};
    int n;
    do {
        n = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return SerialReadStatus::Timeout;
    char drain[64];
    while (read(wakeRead_, drain, sizeof drain) > 0) {
    }
    return SerialReadStatus::Woken;
}

void SystemSerialPort::Close() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    gpsd_ = false;
}

}  // namespace mw
