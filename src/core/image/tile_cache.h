// The tile cache of an open tiled map image: decoded 64 × 64 tiles of the
// selected level, kept so that panning decodes only the tiles that come into
// view. Eviction is least recently used among the slots that the view being
// built does not need (those are locked).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mw {

// An allocator whose vectors leave new elements of trivial types as the
// system gives them instead of zeroing them. Tile buffers are always written
// before they are read, so a new cache costs no pass over its memory, and
// the pages of slots no tile has used yet are not touched at all.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

inline constexpr int kTileEdge = 64;
inline constexpr int kTileBytes = kTileEdge * kTileEdge;
// The cache never holds fewer slots than this, whatever the window size.
inline constexpr int kMinTileCacheSlots = 150;

struct TileSlot {
    int key = -1;             // tile index in the selected level; -1 = empty
    std::uint64_t stamp = 0;  // last use on the cache's clock; 0 = never used
    bool locked = false;      // needed by the view being built
};

struct TileCache {
    std::vector<TileSlot> entries;
    // kTileBytes per slot, tile rows as stored; a slot's bytes mean nothing
    // until a tile is loaded into it.
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> buffers;
    std::unordered_map<int, int> slotOfKey;
    // A use counter rather than a millisecond tick: every use gets its own
    // stamp, so recency is exact within one view and never wraps.
    std::uint64_t clock = 0;
    // Every slot above this one holds a tile, so filling an emptied cache
    // finds its victims without scanning all slots.
    int emptyHint = -1;

    std::uint8_t* Buffer(int slot) {
        return buffers.data() + static_cast<std::size_t>(slot) * kTileBytes;
    }
    int Size() const { return static_cast<int>(entries.size()); }
};

// Slots a cache needs for views of width × height pixels: twice the tiles
// such a view can touch when it is not aligned to the tile grid, and never
// fewer than kMinTileCacheSlots.
int TileCacheSlotsFor(int viewWidth, int viewHeight);

// Grows the cache to at least `count` slots (it never shrinks); the new
// slots are empty. False, leaving the cache as it was, when the memory
// cannot be had.
bool GrowTileCache(TileCache& cache, int count);

// Makes every slot empty (key -1, stamp 0, unlocked); the buffers are kept.
void EmptyTileCache(TileCache& cache);

// The slot holding tile `key`, or -1.
int FindCachedTile(const TileCache& cache, int key);

// The slot to load a missing tile into: among unlocked slots the one used
// longest ago (on equal stamps, as between empty slots, the later slot);
// slot 0 when every slot is locked. The cache must have at least one slot.
int ChooseVictim(TileCache& cache);

// Locks exactly the slots whose tile lies in columns [firstColumn,
// lastColumn] and rows [firstRow, lastRow] of a grid `tilesX` wide.
void LockTileRange(TileCache& cache, int tilesX, int firstColumn, int lastColumn, int firstRow,
                   int lastRow);

// Records a use of `slot` now.
inline void TouchSlot(TileCache& cache, int slot) { cache.entries[slot].stamp = ++cache.clock; }

// Empties `slot` (before it is refilled, or when filling it failed).
void ClearSlot(TileCache& cache, int slot);
// Marks `slot` as holding tile `key` (its buffer has just been filled).
void AssignSlot(TileCache& cache, int slot, int key);

}  // namespace mw
