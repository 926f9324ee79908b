#include "waypoint/waypoint_list.h"

namespace mw {

const std::string& WaypointListRow::FirstColumn() const {
    static const std::string kMark = kDeletedMark;
    return marked ? kMark : name;
}

std::vector<WaypointListRow> BuildWaypointListRows(
    const WaypointStore& store, const std::function<std::string(double, double)>& formatPosition) {
    std::vector<WaypointListRow> rows;
    store.ForEach([&](int slot, const Waypoint& w) {
        if (w.AtNoPosition()) return;
        rows.push_back({slot, w.name, w.description,
                        formatPosition ? formatPosition(w.lat, w.lon) : std::string(), false});
    });
    return rows;
}

int FreeMarkedWaypoints(WaypointStore& store, const std::vector<WaypointListRow>& rows) {
    int freed = 0;
    for (const WaypointListRow& row : rows) {
        if (!row.marked || !store.At(row.slot)) continue;
        store.FreeWaypoint(row.slot);
        ++freed;
    }
    return freed;
}

}  // namespace mw
