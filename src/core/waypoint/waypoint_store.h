// The in-memory waypoints: 1,000 slots, each empty or holding one waypoint.
// A slot's index is the waypoint's identity for the list, navigation and the
// proximity alarm, so a deleted waypoint leaves its slot empty until a new
// waypoint takes the first free slot; nothing moves.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "map/position_store.h"

namespace mw {

inline constexpr int kWaypointSlots = 1000;
// Longest name a waypoint keeps (bytes); longer names are cut.
inline constexpr std::size_t kWaypointNameMax = 15;
// Colours are packed as red in the low byte, green, then blue (0xBBGGRR).
inline constexpr int kWaypointWhite = 16777215;
inline constexpr float kWaypointNoAltitude = -777.0f;

// One waypoint. Positions are degrees on the loaded map's datum. Empty texts
// stand for absent ones. The fields named fieldN, `date`, `symbol` and
// `attachment` mean something to other programs that write waypoint files;
// this program only carries them from file to file.
struct Waypoint {
    std::string name;  // at most kWaypointNameMax bytes
    double lat = 0, lon = 0;
    double date = 0;
    int symbol = 0;
    int field7 = 1;
    int field8 = 0;
    int textColour = 0;             // name label text (0xBBGGRR)
    int backColour = kWaypointWhite;  // symbol fill and label background
    std::string description;
    int field12 = 0;
    int field13 = 0;
    int proximityDistance = 0;  // metres; 0: no proximity zone
    float altitude = kWaypointNoAltitude;
    int field16 = 8;
    int field17 = 0;
    int field18 = 17;
    int popupPosition = 0;       // where the alarm popup stands around the pointer, 0..7
    float popupSeconds = 10.0f;  // how long the alarm popup stays
    int field21 = 2;
    std::string attachment;
    std::string proximityImage;  // picture the alarm shows
    std::string proximitySound;  // sound the alarm plays
    // The proximity alarm's state: 0 outside the zone, 2 inside after the
    // alarm fired. Never stored in files.
    int proximityState = 0;

    // A waypoint at exactly 0, 0 holds its slot but is never drawn, listed
    // or saved.
    bool AtNoPosition() const { return lat == 0 && lon == 0; }
};

// `name` cut to kWaypointNameMax bytes; a UTF-8 name is never cut inside a
// character.
std::string CutWaypointName(std::string_view name);

class WaypointStore final : public PositionStore {
public:
    // The waypoint in slot `index`, or null for an empty slot or an index
    // outside 0..999.
    const Waypoint* At(int index) const;
    Waypoint* At(int index);

    // First empty slot from 0, or -1 when all are taken.
    int FindFreeSlot() const;

    // Puts `waypoint` into slot `index`, replacing what was there; false for
    // an index outside 0..999. Does not change waypointCount.
    bool Put(int index, Waypoint waypoint);

    // Frees the waypoint of one slot (the slot becomes empty). waypointCount
    // is left as it is, as the list dialog expects.
    void FreeWaypoint(int index);
    // Empties every slot; waypointCount becomes 0.
    void ClearWaypoints();

    // Waypoints read or created since the last clear (deletions do not
    // lower it).
    int waypointCount = 0;

    // Calls fn(index, waypoint) for every occupied slot in slot order.
    template <typename Fn>
    void ForEach(Fn&& fn) const {
        for (int i = 0; i < kWaypointSlots; ++i)
            if (slots_[static_cast<std::size_t>(i)]) fn(i, *slots_[static_cast<std::size_t>(i)]);
    }

    Kind StoreKind() const override { return Kind::Waypoints; }
    void ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) override;

private:
    std::array<std::unique_ptr<Waypoint>, kWaypointSlots> slots_;
};

}  // namespace mw
