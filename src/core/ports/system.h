// Time, sound and the shell as the core sees them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mw {

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; wraps like a 32-bit tick count.
    virtual std::uint32_t TickCount() = 0;
    virtual DateTime UtcNow() = 0;
    virtual DateTime LocalNow() = 0;
};

// Waits until at least `ms` milliseconds have passed on `clock` and returns
// the time that passed. Sleeps in small steps instead of spinning.
std::uint32_t WaitMilliseconds(Clock& clock, std::uint32_t ms);

class Sound {
public:
    virtual ~Sound() = default;
    // Plays a sound file to its end; returns false when it cannot be played.
    virtual bool PlayOnce(const std::string& path) = 0;
    virtual bool PlayLooping(const std::string& path) = 0;
    virtual void Stop() = 0;
    virtual void Beep() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document with the desktop's viewer. Executables are refused:
    // data files never start programs.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Starts a program detached from this one; false when it cannot start.
    virtual bool StartProgram(const std::string& path, const std::vector<std::string>& args) = 0;
};

}  // namespace mw
