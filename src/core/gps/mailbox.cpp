#include "gps/mailbox.h"

namespace mw {

// One reader thread fills the slots and the GUI thread only empties them, so
// a slot seen empty here stays empty until Offer: the fix is copied only for
// results that will be kept.

void GpsMailboxes::OnPosition(const PositionReport& position, const GpsFix& fix) {
    if (positions_.Waiting() || !positions_.Offer(GpsPositionResult{position, fix})) {
        ++droppedPositions_;
        return;
    }
    Arrived();
}

void GpsMailboxes::OnSpeed(const GpsFix& fix) {
    if (speeds_.Waiting() || !speeds_.Offer(fix)) {
        ++droppedSpeeds_;
        return;
    }
    Arrived();
}

void GpsMailboxes::OnStatus(const std::string& statusText) {
    status_.Replace(statusText);
    Arrived();
}

void GpsMailboxes::OnSatellites(const GpsFix& fix) {
    satellites_.Replace(fix);
    Arrived();
}

void GpsMailboxes::Clear() {
    positions_.Clear();
    speeds_.Clear();
    status_.Clear();
    satellites_.Clear();
}

}  // namespace mw
