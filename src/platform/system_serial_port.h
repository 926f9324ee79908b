// The SerialPort on this system: port indices map through the port table to
// a termios device or to gpsd. A blocked Read waits in poll() on the
// descriptor and on a wake-up pipe, because closing a descriptor from
// another thread does not wake poll().
#pragma once

#include <string>

#include "platform/gps_port_table.h"
#include "platform/serial_device.h"
#include "ports/serial_port.h"

namespace mw {

class SystemSerialPort : public SerialPort {
public:
    explicit SystemSerialPort(GpsPortTable table = DefaultGpsPortTable(),
                              std::string lockFolder = kSerialLockFolder);
    ~SystemSerialPort() override;
    SystemSerialPort(const SystemSerialPort&) = delete;
    SystemSerialPort& operator=(const SystemSerialPort&) = delete;

    SerialOpenResult Open(int portIndex, int baud) override;
    bool IsOpen() const override { return fd_ >= 0; }
    SerialReadResult Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs) override;
    // gpsd takes no bytes for the receiver: writes to a gpsd port fail.
    bool Write(const std::uint8_t* bytes, std::size_t count) override;
    void Wake() override;
    void Close() override;
    // Waits on the wake-up pipe alone, so it works with the port closed.
    SerialReadStatus Pause(int timeoutMs) override;
    // "DEVICE: reason", or "HOST:PORT: reason" for gpsd.
    std::string OpenFailureText() const override { return openFailure_; }

    const GpsPortTable& Table() const { return table_; }

private:
    // gpsd interleaves its JSON reports (lines starting with '{') with the
    // NMEA; they are removed here so only the receiver's lines go on.
    std::size_t DropJsonLines(std::uint8_t* buffer, std::size_t count);

    GpsPortTable table_;
    std::string lockFolder_;
    std::string openFailure_;
    int fd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    bool gpsd_ = false;
    bool atLineStart_ = true;
    bool inJson_ = false;
};

}  // namespace mw
