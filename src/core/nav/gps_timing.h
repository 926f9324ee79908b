// The timing rules of the position pipeline: how often a map is searched for
// while the position is off the loaded map, how often a more detailed map is
// looked for, and on which fixes the view moves.
//
// Times are tick counts in milliseconds from the Clock port. They wrap at
// 2^32; elapsed times are taken modulo 2^32, so a wrap never triggers an
// early search.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace mw {

// Seconds between searches while off the map: the first search at once,
// then the back-off steps up to 60 s and stays there.
inline constexpr std::array<int, 4> kOffMapBackOffSeconds = {0, 15, 30, 60};
inline constexpr std::uint32_t kDetailedSearchIntervalMs = 30000;
// The fix counter after a reset: the first fix moves the view.
inline constexpr int kFixCounterAfterReset = 1000;

struct MapSearchTiming {
    int offMapInterval = 0;  // seconds, one of kOffMapBackOffSeconds
    // Ticks of the last searches; none yet means the next one is due.
    std::optional<std::uint32_t> lastOffMapSearch;
    std::optional<std::uint32_t> lastDetailedSearch;
};

// Milliseconds from `since` to `now` on the wrapping tick count.
inline std::uint32_t TicksSince(std::uint32_t since, std::uint32_t now) { return now - since; }

// The back-off step after a search that found nothing: 0 -> 15 -> 30 -> 60.
int NextOffMapInterval(int seconds);

enum class MapSearchOutcome {
    NotDue,         // no search this time
    NothingLoaded,  // searched, no other map was loaded
    Loaded,         // another map was loaded: the fix is not processed further
};

// The position lies off the loaded map. When the back-off has run out,
// `search` runs (true when it loaded a map): a map loaded resets the
// back-off, none lengthens it.
MapSearchOutcome OffMapSearch(MapSearchTiming& timing, std::uint32_t now,
                              const std::function<bool()>& search);

// The position lies on the loaded map: the back-off starts again from 0.
void PositionOnMap(MapSearchTiming& timing);

// The position lies on the loaded map and "Check 4 Detailed Map" is on:
// every 30 s `search` looks for a more detailed map (true when it loaded
// one, which resets the off-map back-off).
MapSearchOutcome DetailedMapSearch(MapSearchTiming& timing, std::uint32_t now,
                                   const std::function<bool()>& search);

// Fixes since the view last moved.
struct ScreenUpdateCounter {
    int fixCounter = kFixCounterAfterReset;
};

// Every fix counts, whether or not it reaches the screen update.
inline void CountFix(ScreenUpdateCounter& counter) { ++counter.fixCounter; }

// Whether this fix moves the view ("NMEA Update" fixes since the last move);
// when it does the count starts again. Call it only when the view can be
// updated now, so that a skipped update happens at the next fix.
bool TakeScreenUpdate(ScreenUpdateCounter& counter, int nmeaUpdate);

// What opening the GPS with a reset does to the timing state.
void ResetGpsTiming(MapSearchTiming& timing, ScreenUpdateCounter& counter);

}  // namespace mw
