// The user's stored positions (waypoints, route points, the track) are kept
// in the loaded map's datum. When a map on another datum is loaded they move
// with it, once. The stores implement this interface; the map loader only
// walks them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "geo/datums.h"

namespace mw {

// Track values that are markers, not positions.
inline constexpr double kTrackBreakLat = 7777.0;

class PositionStore {
public:
    enum class Kind { Waypoints, Routes, Track };
    virtual ~PositionStore() = default;
    virtual Kind StoreKind() const = 0;
    // The file the store was last read from whole; empty once cleared.
    std::string loadedFrom;
    // Calls `visit` once for every stored point, which may change the
    // latitude and longitude (degrees) in place. Empty slots of a ring are
    // not points and are not visited; break markers are.
    virtual void ForEachPosition(const std::function<void(double& lat, double& lon)>& visit) = 0;
};

// Moves every point of `stores` from `fromDatum` to `toDatum`. Points at
// exactly 0, 0 are unset and stay; so do track break markers (latitude
// 7777). Nothing happens when the datums are equal.
void ConvertStoredPositions(const DatumTable& datums, int fromDatum, int toDatum,
                            const std::vector<PositionStore*>& stores);

}  // namespace mw
