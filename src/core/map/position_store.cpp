#include "map/position_store.h"

#include "geo/datum_convert.h"

namespace mw {

void ConvertStoredPositions(const DatumTable& datums, int fromDatum, int toDatum,
                            const std::vector<PositionStore*>& stores) {
    if (fromDatum == toDatum) return;
    for (PositionStore* store : stores) {
        if (!store) continue;
        const bool track = store->StoreKind() == PositionStore::Kind::Track;
        store->ForEachPosition([&](double& lat, double& lon) {
            if (lat == 0 && lon == 0) return;
            if (track && lat == kTrackBreakLat) return;
            ConvertDatum(datums, fromDatum, toDatum, lat, lon);
        });
    }
}

}  // namespace mw
