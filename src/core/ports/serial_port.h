// The connection to the GPS receiver as the core sees it: a byte stream that
// is opened by "Com Port" index, read by one thread and written by any.
// The platform layer implements it on termios devices and on gpsd; tests use
// pseudo-terminals or a scripted fake.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

namespace mw {

enum class SerialOpenResult {
    Opened,
    Busy,    // another program holds or has locked the device
    Failed,  // anything else: no such device, no permission, not reachable
};

enum class SerialReadStatus {
    Data,     // `count` bytes were read (count may be 0 when a read only
              // consumed bytes that are not part of the stream)
    Timeout,  // the time given to Read passed without data
    Woken,    // Wake() was called
    HangUp,   // the device went away or the peer closed: nothing more will come
    Error,    // a read failed for another reason: nothing more will come
};

struct SerialReadResult {
    SerialReadStatus status = SerialReadStatus::Timeout;
    std::size_t count = 0;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens port `portIndex` (0..7 "COM1:".."COM8:", 8 and 9 "GPS1:") at
    // `baud` bits per second, raw 8N1 without flow control. A port that is
    // already open is closed first.
    virtual SerialOpenResult Open(int portIndex, int baud) = 0;
    virtual bool IsOpen() const = 0;

    // Waits up to `timeoutMs` milliseconds (negative: without limit) for
    // bytes, then reads at most `capacity` of them. Only one thread reads.
    virtual SerialReadResult Read(std::uint8_t* buffer, std::size_t capacity, int timeoutMs) = 0;

    // Writes all `count` bytes; false when the port refused them.
    virtual bool Write(const std::uint8_t* bytes, std::size_t count) = 0;

    // Makes a Read that is blocked in another thread return Woken (or the
    // next Read, when none is blocked). Safe from any thread.
    virtual void Wake() = 0;

    // Closes the device. The caller makes sure no Read is running.
    virtual void Close() = 0;

    // After an Open that failed: what was opened and why it failed, for the
    // message ("/dev/ttyUSB0: No such file or directory"); empty when the
    // port cannot say.
    virtual std::string OpenFailureText() const { return {}; }

    // Waits up to `timeoutMs` milliseconds, open or closed, unless Wake() is
    // called: the pause between attempts to open a device that went away.
    // Returns Woken or Timeout. This default only sleeps a little, so a
    // port without a wake-up is never waited on for long.
    virtual SerialReadStatus Pause(int timeoutMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs < 0 ? 50 : std::min(timeoutMs, 50)));
        return SerialReadStatus::Timeout;
    }
};

}  // namespace mw
