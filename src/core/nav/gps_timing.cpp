#include "nav/gps_timing.h"

namespace mw {

namespace {

bool Due(const std::optional<std::uint32_t>& last, std::uint32_t now, std::uint32_t intervalMs) {
    return !last || TicksSince(*last, now) >= intervalMs;
}

}  // namespace

int NextOffMapInterval(int seconds) {
    for (std::size_t i = 0; i + 1 < kOffMapBackOffSeconds.size(); ++i)
        if (seconds == kOffMapBackOffSeconds[i]) return kOffMapBackOffSeconds[i + 1];
    return kOffMapBackOffSeconds.back();
}

MapSearchOutcome OffMapSearch(MapSearchTiming& timing, std::uint32_t now,
                              const std::function<bool()>& search) {
    const auto intervalMs = static_cast<std::uint32_t>(timing.offMapInterval) * 1000u;
    if (!Due(timing.lastOffMapSearch, now, intervalMs)) return MapSearchOutcome::NotDue;
    timing.lastOffMapSearch = now;
    if (search && search()) {
        timing.offMapInterval = 0;
        return MapSearchOutcome::Loaded;
    }
    timing.offMapInterval = NextOffMapInterval(timing.offMapInterval);
    return MapSearchOutcome::NothingLoaded;
}

void PositionOnMap(MapSearchTiming& timing) { timing.offMapInterval = 0; }

MapSearchOutcome DetailedMapSearch(MapSearchTiming& timing, std::uint32_t now,
                                   const std::function<bool()>& search) {
    if (!Due(timing.lastDetailedSearch, now, kDetailedSearchIntervalMs))
        return MapSearchOutcome::NotDue;
    timing.lastDetailedSearch = now;
    if (search && search()) {
        timing.offMapInterval = 0;
        return MapSearchOutcome::Loaded;
    }
    return MapSearchOutcome::NothingLoaded;
}

bool TakeScreenUpdate(ScreenUpdateCounter& counter, int nmeaUpdate) {
    if (counter.fixCounter < nmeaUpdate) return false;
    counter.fixCounter = 0;
    return true;
}

void ResetGpsTiming(MapSearchTiming& timing, ScreenUpdateCounter& counter) {
    timing.offMapInterval = 0;
    counter.fixCounter = kFixCounterAfterReset;
}

}  // namespace mw
