// The in-memory track: a ring of the most recent positions (from the GPS or
// from a loaded track file) that the map paints as a trail.
//
// Ring layout: exactly one slot carries the end marker. The points run from
// the slot after it (wrapping) to the slot before it, oldest first; slots
// never written since the last clear are empty and skipped. The ring thus
// holds at most kTrackMaxPoints points and the next point overwrites the
// oldest one.
#pragma once

#include <array>
#include <cstdint>

#include "map/position_store.h"

namespace mw {

inline constexpr int kTrackCapacity = 1000;
inline constexpr int kTrackMaxPoints = kTrackCapacity - 1;

// Slot flags.
inline constexpr std::int32_t kTrackContinue = 0;    // joined to the point before
inline constexpr std::int32_t kTrackNewSegment = 1;  // starts a new piece
inline constexpr std::int32_t kTrackEmptySlot = 6666;
inline constexpr std::int32_t kTrackEndMarker = 7777;  // latitude and longitude are 7777 too

struct TrackSlot {
    double lat = 0;  // degrees, on the loaded map's datum
    double lon = 0;
    std::int32_t flag = kTrackEmptySlot;
};

class TrackStore final : public PositionStore {
public:
    // A cleared ring.
    TrackStore();

    // Slot `index`, taken modulo the capacity, so a walker's arithmetic can
    // never leave the ring. (Slot, WriteIndex and ForEachPoint are inline:
    // the drawing code reads the ring without linking the track library.)
    const TrackSlot& Slot(int index) const {
        int i = index % kTrackCapacity;
        return slots_[static_cast<std::size_t>(i < 0 ? i + kTrackCapacity : i)];
    }
    // The slot holding the end marker: where the next point goes.
    int WriteIndex() const { return writeIndex_; }
    // Number of points held (0..kTrackMaxPoints).
    int PointCount() const;

    // Calls fn(slotIndex, slot) for every non-empty slot from the oldest to
    // the newest point; the end marker is not visited.
    template <typename Fn>
    void ForEachPoint(Fn&& fn) const {
        int index = writeIndex_;
        for (int n = 0; n < kTrackCapacity - 1; ++n) {
            index = (index + 1) % kTrackCapacity;
            const TrackSlot& s = slots_[index];
            if (s.flag == kTrackEndMarker) return;
            if (s.flag != kTrackEmptySlot) fn(index, s);
        }
    }

    Kind StoreKind() const override { return Kind::Track; }
    // Visits every point and the end marker (the loader leaves markers alone
    // by their latitude); empty slots are not visited.
    void ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) override;

private:
    friend void ClearTrack(TrackStore& track);
    friend void AddTrackPoint(TrackStore& track, double lat, double lon, std::int32_t flag);

    std::array<TrackSlot, kTrackCapacity> slots_{};
    int writeIndex_ = 0;
};

// Empties every slot, puts the end marker in slot 0 and the write index
// there.
void ClearTrack(TrackStore& track);

// Stores a point (degrees on the map datum) at the write index and moves the
// end marker one slot on, overwriting the oldest point once the ring is full.
// `flag` is kTrackContinue or kTrackNewSegment; the two marker values would
// break the ring's invariant and are stored as kTrackNewSegment.
//
// Write order: the new end marker first, then the point's position, then its
// flag, then the write index. A walker that stops at the first end marker
// therefore never runs past the newest point and never reads a slot whose
// flag does not yet belong to its position, whichever write it is
// interleaved with.
void AddTrackPoint(TrackStore& track, double lat, double lon, std::int32_t flag);

}  // namespace mw
