#include "image/tile_cache.h"

#include <algorithm>
#include <new>

namespace mw {

int TileCacheSlotsFor(int viewWidth, int viewHeight) {
    // A view not aligned to the grid touches one more tile column and row
    // than it would aligned.
    std::int64_t across = (std::max(viewWidth, 1) + kTileEdge - 1) / kTileEdge + 1;
    std::int64_t down = (std::max(viewHeight, 1) + kTileEdge - 1) / kTileEdge + 1;
    std::int64_t slots = 2 * across * down;
    return static_cast<int>(std::clamp<std::int64_t>(slots, kMinTileCacheSlots, 1 << 20));
}

bool GrowTileCache(TileCache& cache, int slots) {
    if (slots <= cache.Size()) return true;
    try {
        cache.buffers.resize(static_cast<std::size_t>(slots) * kTileBytes);
        cache.slots.resize(static_cast<std::size_t>(slots));
    } catch (const std::bad_alloc&) {
        cache.buffers.resize(static_cast<std::size_t>(cache.Size()) * kTileBytes);
        return false;
    }
    return true;
}

void EmptyTileCache(TileCache& cache) {
    for (TileSlot& s : cache.slots) s = TileSlot{};
    cache.slotOfKey.clear();
}

int FindCachedTile(const TileCache& cache, int key) {
    auto it = cache.slotOfKey.find(key);
    return it == cache.slotOfKey.end() ? -1 : it->second;
}

int ChooseVictim(const TileCache& cache) {
    int victim = -1;
    std::uint64_t oldest = 0;
    for (int i = 0; i < cache.Size(); ++i) {
        const TileSlot& s = cache.slots[i];
        if (s.locked) continue;
        if (victim < 0 || s.stamp <= oldest) {
            victim = i;
            oldest = s.stamp;
        }
    }
    return victim < 0 ? 0 : victim;
}

void LockTileRange(TileCache& cache, int tilesX, int firstColumn, int lastColumn, int firstRow,
                   int lastRow) {
    for (TileSlot& s : cache.slots) {
        if (s.key < 0 || tilesX <= 0) {
            s.locked = false;
            continue;
        }
        int c = s.key % tilesX, r = s.key / tilesX;
        s.locked = c >= firstColumn && c <= lastColumn && r >= firstRow && r <= lastRow;
    }
}

void ClearSlot(TileCache& cache, int slot) {
    TileSlot& s = cache.slots[slot];
    if (s.key >= 0) {
        auto it = cache.slotOfKey.find(s.key);
        if (it != cache.slotOfKey.end() && it->second == slot) cache.slotOfKey.erase(it);
    }
    s = TileSlot{};
}

void AssignSlot(TileCache& cache, int slot, int key) {
    ClearSlot(cache, slot);
    cache.slots[slot].key = key;
    cache.slotOfKey[key] = slot;
}

}  // namespace mw
