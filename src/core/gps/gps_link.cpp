#include "gps/gps_link.h"

#include <climits>
#include <string_view>

namespace mw {

const char* GpsLinkStatusText(GpsLinkEvent event) {
    switch (event) {
        case GpsLinkEvent::Silent:
            return kStatusSilent;
        case GpsLinkEvent::Lost:
            return kStatusLost;
        case GpsLinkEvent::Back:
            return kStatusOn;
        case GpsLinkEvent::None:
            break;
    }
    return "";
}

bool GpsFixIsCurrent(const GpsFix& fix) {
    const std::string_view s = fix.statusText;
    return !s.starts_with(kStatusSilent) && !s.starts_with(kStatusLost);
}

GpsLinkEvent GpsLinkWatch::Opened(std::uint32_t now) {
    const bool wasLost = state_ == GpsLinkState::Lost;
    state_ = GpsLinkState::Receiving;
    since_ = now;
    return wasLost ? GpsLinkEvent::Back : GpsLinkEvent::None;
}

GpsLinkEvent GpsLinkWatch::Received(std::uint32_t now) {
    since_ = now;
    if (state_ != GpsLinkState::Silent) return GpsLinkEvent::None;
    state_ = GpsLinkState::Receiving;
    return GpsLinkEvent::Back;
}

GpsLinkEvent GpsLinkWatch::Idle(std::uint32_t now) {
    // Unsigned differences survive the tick count's wrap-around.
    if (state_ != GpsLinkState::Receiving || now - since_ < silenceMs_) return GpsLinkEvent::None;
    state_ = GpsLinkState::Silent;
    return GpsLinkEvent::Silent;
}

GpsLinkEvent GpsLinkWatch::Gone(std::uint32_t now) {
    since_ = now;
    if (state_ == GpsLinkState::Lost) return GpsLinkEvent::None;
    state_ = GpsLinkState::Lost;
    return GpsLinkEvent::Lost;
}

void GpsLinkWatch::ReopenFailed(std::uint32_t now) { since_ = now; }

int GpsLinkWatch::WaitMs(std::uint32_t now) const {
    const std::uint32_t elapsed = now - since_;
    auto left = [&](std::uint32_t period) {
        const std::uint32_t ms = elapsed >= period ? 0 : period - elapsed;
        return ms > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
    };
    switch (state_) {
        case GpsLinkState::Receiving:
            return left(silenceMs_);
        case GpsLinkState::Lost:
            return left(reopenMs_);
        case GpsLinkState::Silent:
            break;
    }
    return -1;
}

}  // namespace mw
