// The border boxes of maps in a grid of one-degree cells per datum, so that
// a search tests only the maps whose box can hold the position instead of
// every map of a folder.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "map/coverage.h"

namespace mw {

// A position lies inside a border (even-odd rule, geo/distance.h) only when
// it lies in the border's box, edges included: a crossing needs one corner
// above and one at or below the position, and a crossing at a positive
// longitude difference needs a corner east of it. So the grid only narrows
// the search; the border test still decides.
template <typename T>
class CoverageGrid {
public:
    // Cells per degree, and the largest box kept in cells; larger boxes (a
    // world map) and boxes with coordinates that are no numbers go to a list
    // that every search looks at.
    static constexpr double kCellsPerDegree = 1;
    static constexpr std::int64_t kMaxCells = 256;

    void Insert(T* item, const CoverageInfo& info) {
        if (!info.CanCover()) return;
        ++datumCount_[info.datum];
        Span s = SpanOf(info);
        if (!s.inCells) {
            wide_.push_back(item);
            return;
        }
        for (std::int64_t y = s.y0; y <= s.y1; ++y)
            for (std::int64_t x = s.x0; x <= s.x1; ++x)
                cells_[Key(info.datum, y, x)].push_back(item);
    }

    // `info` must be what the item was inserted with.
    void Remove(T* item, const CoverageInfo& info) {
        if (!info.CanCover()) return;
        if (--datumCount_[info.datum] == 0) datumCount_.erase(info.datum);
        Span s = SpanOf(info);
        if (!s.inCells) {
            Erase(wide_, item);
            return;
        }
        for (std::int64_t y = s.y0; y <= s.y1; ++y) {
            for (std::int64_t x = s.x0; x <= s.x1; ++x) {
                auto it = cells_.find(Key(info.datum, y, x));
                if (it == cells_.end()) continue;
                Erase(it->second, item);
                if (it->second.empty()) cells_.erase(it);
            }
        }
    }

    void Clear() {
        cells_.clear();
        wide_.clear();
        datumCount_.clear();
    }

    // The datums of the maps held, each once.
    template <typename Fn>
    void ForEachDatum(Fn&& fn) const {
        for (const auto& [datum, count] : datumCount_) fn(datum);
    }

    // Calls fn(item) for every item on `datum` whose box may hold (lat, lon),
    // and for items of other datums among the wide ones (the caller checks
    // the datum). False when the position cannot be placed in a cell (no
    // number, or far outside the earth's range): the caller must then test
    // every item itself.
    template <typename Fn>
    bool Candidates(int datum, double lat, double lon, Fn&& fn) const {
        if (!Placeable(lat) || !Placeable(lon)) return false;
        auto it = cells_.find(Key(datum, Cell(lat), Cell(lon)));
        if (it != cells_.end())
            for (T* item : it->second) fn(item);
        for (T* item : wide_) fn(item);
        return true;
    }

private:
    struct Span {
        bool inCells = false;
        std::int64_t y0 = 0, y1 = 0, x0 = 0, x1 = 0;
    };

    // Coordinates this far out are no positions; they are kept out of the
    // cells so that cell numbers stay small.
    static bool Placeable(double v) { return std::isfinite(v) && std::fabs(v) < 100000; }
    static std::int64_t Cell(double v) {
        return static_cast<std::int64_t>(std::floor(v * kCellsPerDegree));
    }
    static std::uint64_t Key(int datum, std::int64_t y, std::int64_t x) {
        constexpr std::int64_t kBias = std::int64_t(1) << 22;
        return (std::uint64_t(std::uint16_t(datum)) << 48) | (std::uint64_t(y + kBias) << 24) |
               std::uint64_t(x + kBias);
    }

    static Span SpanOf(const CoverageInfo& info) {
        Span s;
        if (info.borderLat.empty()) return s;
        auto [latLo, latHi] = std::minmax_element(info.borderLat.begin(), info.borderLat.end());
        auto [lonLo, lonHi] = std::minmax_element(info.borderLon.begin(), info.borderLon.end());
        for (double v : info.borderLat)
            if (!Placeable(v)) return s;
        for (double v : info.borderLon)
            if (!Placeable(v)) return s;
        s.y0 = Cell(*latLo), s.y1 = Cell(*latHi), s.x0 = Cell(*lonLo), s.x1 = Cell(*lonHi);
        s.inCells = (s.y1 - s.y0 + 1) * (s.x1 - s.x0 + 1) <= kMaxCells;
        return s;
    }

    static void Erase(std::vector<T*>& list, T* item) {
        auto it = std::find(list.begin(), list.end(), item);
        if (it != list.end()) {
            *it = list.back();
            list.pop_back();
        }
    }

    std::unordered_map<std::uint64_t, std::vector<T*>> cells_;
    std::vector<T*> wide_;
    std::unordered_map<int, int> datumCount_;
};

}  // namespace mw
