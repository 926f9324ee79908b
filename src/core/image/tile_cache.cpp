#include "image/tile_cache.h"

#include <algorithm>
#include <new>

namespace mw {

int TileCacheSlotsFor(int viewWidth, int viewHeight) {
    // A view not aligned to the grid touches one more tile column and row
    // than it would aligned.
    std::int64_t across = (std::max(viewWidth, 1) + kTileEdge - 1) / kTileEdge + 1;
    std::int64_t down = (std::max(viewHeight, 1) + kTileEdge - 1) / kTileEdge + 1;
    std::int64_t count = 2 * across * down;
    return static_cast<int>(std::clamp<std::int64_t>(count, kMinTileCacheSlots, 1 << 20));
}

bool GrowTileCache(TileCache& cache, int count) {
    if (count <= cache.Size()) return true;
    try {
        const std::size_t bytes = static_cast<std::size_t>(count) * kTileBytes;
        if (cache.slotOfKey.empty()) {
            // No slot holds a tile (a cache just made, grown to the view's
            // size): new memory, without copying the old slots' bytes.
            decltype(cache.buffers) fresh;
            fresh.resize(bytes);
            cache.buffers.swap(fresh);
        } else {
            cache.buffers.resize(bytes);
        }
        cache.entries.resize(static_cast<std::size_t>(count));
        cache.emptyHint = count - 1;
    } catch (const std::bad_alloc&) {
        cache.buffers.resize(static_cast<std::size_t>(cache.Size()) * kTileBytes);
        return false;
    }
    return true;
}

void EmptyTileCache(TileCache& cache) {
    for (TileSlot& s : cache.entries) s = TileSlot{};
    cache.slotOfKey.clear();
    cache.emptyHint = cache.Size() - 1;
}

int FindCachedTile(const TileCache& cache, int key) {
    auto it = cache.slotOfKey.find(key);
    return it == cache.slotOfKey.end() ? -1 : it->second;
}

int ChooseVictim(TileCache& cache) {
    // An empty slot has stamp 0 and is never locked, so the highest empty
    // slot is the one the full rule picks.
    int& hint = cache.emptyHint;
    hint = std::min(hint, cache.Size() - 1);
    while (hint >= 0 && cache.entries[hint].key >= 0) --hint;
    if (hint >= 0) return hint;
    int victim = -1;
    std::uint64_t oldest = 0;
    for (int i = 0; i < cache.Size(); ++i) {
        const TileSlot& s = cache.entries[i];
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
    for (TileSlot& s : cache.entries) {
        if (s.key < 0 || tilesX <= 0) {
            s.locked = false;
            continue;
        }
        int c = s.key % tilesX, r = s.key / tilesX;
        s.locked = c >= firstColumn && c <= lastColumn && r >= firstRow && r <= lastRow;
    }
}

void ClearSlot(TileCache& cache, int slot) {
    TileSlot& s = cache.entries[slot];
    if (s.key >= 0) {
        auto it = cache.slotOfKey.find(s.key);
        if (it != cache.slotOfKey.end() && it->second == slot) cache.slotOfKey.erase(it);
    }
    s = TileSlot{};
    cache.emptyHint = std::max(cache.emptyHint, slot);
}

void AssignSlot(TileCache& cache, int slot, int key) {
    ClearSlot(cache, slot);
    cache.entries[slot].key = key;
    cache.slotOfKey[key] = slot;
}

}  // namespace mw
