#include "track/track_store.h"

namespace mw {

TrackStore::TrackStore() { ClearTrack(*this); }

int TrackStore::PointCount() const {
    int count = 0;
    ForEachPoint([&](int, const TrackSlot&) { ++count; });
    return count;
}

void TrackStore::ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) {
    for (TrackSlot& s : slots_)
        if (s.flag != kTrackEmptySlot) visit(s.lat, s.lon);
}

void ClearTrack(TrackStore& track) {
    for (TrackSlot& s : track.slots_) s = TrackSlot{0, 0, kTrackEmptySlot};
    track.slots_[0] = TrackSlot{kTrackBreakLat, kTrackBreakLat, kTrackEndMarker};
    track.writeIndex_ = 0;
    track.loadedFrom.clear();
}

void AddTrackPoint(TrackStore& track, double lat, double lon, std::int32_t flag) {
    if (flag == kTrackEndMarker || flag == kTrackEmptySlot) flag = kTrackNewSegment;
    const int at = track.writeIndex_;
    const int next = (at + 1) % kTrackCapacity;

    TrackSlot& marker = track.slots_[next];
    marker.flag = kTrackEndMarker;
    marker.lat = kTrackBreakLat;
    marker.lon = kTrackBreakLat;

    TrackSlot& point = track.slots_[at];
    point.lat = lat;
    point.lon = lon;
    point.flag = flag;

    track.writeIndex_ = next;
}

}  // namespace mw
