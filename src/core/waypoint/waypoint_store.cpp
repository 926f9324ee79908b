#include "waypoint/waypoint_store.h"

#include "support/text.h"

namespace mw {

std::string CutWaypointName(std::string_view name) {
    if (name.size() <= kWaypointNameMax) return std::string(name);
    std::size_t cut = kWaypointNameMax;
    // A UTF-8 name loses a character whole rather than half of one; other
    // text is taken as one byte a character.
    if (IsValidUtf8(name))
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return std::string(name.substr(0, cut));
}

const Waypoint* WaypointStore::At(int index) const {
    if (index < 0 || index >= kWaypointSlots) return nullptr;
    return slots_[static_cast<std::size_t>(index)].get();
}

Waypoint* WaypointStore::At(int index) {
    if (index < 0 || index >= kWaypointSlots) return nullptr;
    return slots_[static_cast<std::size_t>(index)].get();
}

int WaypointStore::FindFreeSlot() const {
    for (int i = 0; i < kWaypointSlots; ++i)
        if (!slots_[static_cast<std::size_t>(i)]) return i;
    return -1;
}

bool WaypointStore::Put(int index, Waypoint waypoint) {
    if (index < 0 || index >= kWaypointSlots) return false;
    slots_[static_cast<std::size_t>(index)] = std::make_unique<Waypoint>(std::move(waypoint));
    return true;
}

void WaypointStore::FreeWaypoint(int index) {
    if (index < 0 || index >= kWaypointSlots) return;
    slots_[static_cast<std::size_t>(index)].reset();
}

void WaypointStore::ClearWaypoints() {
    waypointCount = 0;
    for (auto& slot : slots_) slot.reset();
    loadedFrom.clear();
}

void WaypointStore::ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) {
    for (auto& slot : slots_)
        if (slot) visit(slot->lat, slot->lon);
}

}  // namespace mw
