// Whether the receiver is talking, quiet or gone, from the reader's point of
// view: a receiver that sends nothing for a while is "silent" (its last fix is
// no longer current), one whose device went away is "lost" and its port is
// tried again at intervals until it comes back. Times are Clock ticks, so the
// rules run the same on a test clock as on the real one.
#pragma once

#include <cstdint>

#include "gps/gps_fix.h"

namespace mw {

// No byte for this long: the receiver is silent.
inline constexpr std::uint32_t kGpsSilenceMs = 5000;
// A lost receiver's port is opened again this often.
inline constexpr std::uint32_t kGpsReopenMs = 5000;

// statusText while the receiver is silent, and while its device is gone.
inline constexpr const char* kStatusSilent = "---";
inline constexpr const char* kStatusLost = "NC ";

enum class GpsLinkState { Receiving, Silent, Lost };

// What a step of the watch changed; None most of the time. Each change is
// reported once, when it happens, never again while the state lasts.
enum class GpsLinkEvent { None, Silent, Lost, Back };

// The statusText that announces `event` (empty for None).
const char* GpsLinkStatusText(GpsLinkEvent event);

// True unless statusText says the receiver is silent or gone: the fix it
// shows was then taken a while ago and is drawn as such.
bool GpsFixIsCurrent(const GpsFix& fix);

class GpsLinkWatch {
public:
    GpsLinkWatch(std::uint32_t silenceMs = kGpsSilenceMs, std::uint32_t reopenMs = kGpsReopenMs)
        : silenceMs_(silenceMs), reopenMs_(reopenMs) {}

    // The port was opened at `now`; Back when it had been lost.
    GpsLinkEvent Opened(std::uint32_t now);
    // Bytes from the receiver arrived at `now`; Back when they end a silence.
    GpsLinkEvent Received(std::uint32_t now);
    // A wait ended without bytes at `now`; Silent once nothing came for the
    // silence time.
    GpsLinkEvent Idle(std::uint32_t now);
    // The device went away (hang-up or read error); Lost the first time.
    GpsLinkEvent Gone(std::uint32_t now);
    // Opening the lost port failed at `now`: the next try is a period later.
    void ReopenFailed(std::uint32_t now);

    // How long the reader may wait at `now` before something is due: the end
    // of the silence time while receiving, the next re-open while lost (0:
    // now), -1 (no limit) while silent, when only bytes can change anything.
    int WaitMs(std::uint32_t now) const;

    GpsLinkState State() const { return state_; }

private:
    std::uint32_t silenceMs_;
    std::uint32_t reopenMs_;
    GpsLinkState state_ = GpsLinkState::Receiving;
    std::uint32_t since_ = 0;  // the last byte, open, or open attempt
};

}  // namespace mw
