// The page kinds of the pools: small, fixed, variable and large pages, how blocks are cut from
// them and given back, resized in place, walked and checked. Everything here runs under the
// pool's lock (or on a pool that no other thread can see yet).
#include <algorithm>
#include <cstring>

#include "engine/base/Unaligned.h"
#include "engine/data/MemoryInternal.h"

namespace memi {

namespace {

// Size word of a variable block: the size (a multiple of 16) in bits 2-14, bit 0 in use, bit 1
// the previous block in use. A free block also keeps its size in its last word and links to
// its neighbours in the page's free ring by page offsets after its size word.
constexpr uint16_t kInUse = 1;
constexpr uint16_t kPrevInUse = 2;
constexpr uint16_t kSizeMask = 0x7FFC;

constexpr uint32_t kReleaseSlack = 65535; ///< bytes held less this must stay at the floor

using unaligned::Load16;
using unaligned::Store16;

void* LoadPtr(const void* at) {
    void* value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void StorePtr(void* at, void* value) { std::memcpy(at, &value, sizeof value); }

uint32_t SmallSlot(uint32_t sizeClass) { return MemRoundUp(sizeClass * 8 + 8, kSlotAlign); }
uint32_t SmallUsable(uint32_t sizeClass) { return sizeClass * 8 + 7; }

/// The bytes a variable block takes for a request: the size word and the data, at least 16,
/// rounded to 16 so that every block's data starts on a 16-byte boundary.
uint32_t VariableNeed(size_t size) {
    const uint32_t need = std::max<uint32_t>(kMinVariableBlock, static_cast<uint32_t>((size + 9) & ~size_t{7}));
    return static_cast<uint32_t>(MemRoundUp(need, kSlotAlign));
}

/// The one block of a large page, right after its header.
uint8_t* LargeBlock(PageHeader* page) { return reinterpret_cast<uint8_t*>(page) + kLargeHeader; }

/// Whether the address is on a 16-byte boundary, as every block is.
bool OnSlot(const void* block) { return (reinterpret_cast<uintptr_t>(block) & (kSlotAlign - 1)) == 0; }

uint32_t BitIndex(const void* block) {
    return static_cast<uint32_t>((reinterpret_cast<uintptr_t>(block) & kUnitMask) >> 4);
}

/// Marks a block in use. The bitmap changes under the pool's lock, except that a free queued
/// into a busy thread pool clears its bit without it; so thread pools change bits with atomic
/// read-modify-writes, other pools with a plain atomic load and store.
void SetLive(PageHeader* page, const void* block) {
    if (page->Type() == kTypeLarge) {
        std::atomic_ref<uint32_t>(page->live).store(1, std::memory_order_relaxed);
        return;
    }
    auto* bp = static_cast<BlockPage*>(page);
    const uint32_t index = BitIndex(block);
    std::atomic_ref<uint64_t> word(bp->Bits()[index / 64]);
    const uint64_t mask = uint64_t{1} << (index % 64);
    if (page->pool->threadPool) {
        word.fetch_or(mask, std::memory_order_relaxed);
    } else {
        word.store(word.load(std::memory_order_relaxed) | mask, std::memory_order_relaxed);
    }
}

bool TestBit(BlockPage* page, const void* block) {
    const uint32_t index = BitIndex(block);
    if (index / 64 >= page->bitWords) {
        return false;
    }
    return (std::atomic_ref<uint64_t>(page->Bits()[index / 64]).load(std::memory_order_relaxed) >>
            (index % 64)) & 1;
}

void ZeroFill(void* block, size_t bytes, uint32_t flags) {
    if (flags & BLOCK_ZEROINIT) {
        std::memset(block, 0, bytes);
    }
}

/// Puts a block of the page into use: marked live, counted, its usable bytes cleared on request.
/// Every allocation passes here, so it is always inlined.
[[gnu::always_inline]] inline void* HandOut(PageHeader* page, void* block, size_t usable, uint32_t flags) {
    SetLive(page, block);
    ++page->inUse;
    ZeroFill(block, usable, flags);
    return block;
}

/// Where the blocks of a page cut into blocks begin: after the header and the bitmap (one bit
/// per 16 bytes of the page), `lead` bytes before a 16-byte boundary, so that the data after a
/// block's lead bytes starts on the boundary.
uint32_t AreaStart(uint32_t pageSize, uint32_t lead) {
    return static_cast<uint32_t>(MemRoundUp(sizeof(BlockPage) + pageSize / 1024 * 8 + lead, kSlotAlign) - lead);
}

bool RetentionAllows(const MemPool* pool, uint64_t pageSize) {
    const auto held = static_cast<int64_t>(pool->bytesHeld);
    const auto floor = static_cast<int64_t>(pool->floor);
    return held - kReleaseSlack >= floor && held - static_cast<int64_t>(pageSize) >= floor;
}

// ---------------------------------------------------------------------------------------------
// Page descriptors.

PageDesc* TakeDesc(MemPool* pool) {
    if (pool->freeDescs == nullptr) {
        auto* memory = static_cast<uint8_t*>(pool->system->PageAlloc(kDescPageSize, 0));
        if (memory == nullptr) {
            return nullptr;
        }
        auto* page = reinterpret_cast<DescPage*>(memory);
        page->next = pool->descPages;
        pool->descPages = page;
        CarveDescriptors(pool, memory + sizeof(DescPage), memory + kDescPageSize);
    }
    PageDesc* desc = pool->freeDescs;
    pool->freeDescs = desc->next;
    *desc = PageDesc{};
    return desc;
}

void GiveDesc(MemPool* pool, PageDesc* desc) {
    desc->page = nullptr;
    desc->next = pool->freeDescs;
    pool->freeDescs = desc;
}

// ---------------------------------------------------------------------------------------------
// Variable pages: the free ring.

struct VarPage {
    BlockPage* page;
    uint8_t* base;

    explicit VarPage(BlockPage* p) : page(p), base(p->Base()) {}
    uint16_t Word(uint32_t off) const { return Load16(base + off); }
    void SetWord(uint32_t off, uint16_t value) const { Store16(base + off, value); }
    uint16_t Next(uint32_t off) const { return Load16(base + off + 2); }
    uint16_t Prev(uint32_t off) const { return Load16(base + off + 4); }
    void SetNext(uint32_t off, uint32_t value) const { Store16(base + off + 2, static_cast<uint16_t>(value)); }
    void SetPrev(uint32_t off, uint32_t value) const { Store16(base + off + 4, static_cast<uint16_t>(value)); }
    void SetTag(uint32_t off, uint32_t size) const { Store16(base + off + size - 2, static_cast<uint16_t>(size)); }

    void Insert(uint32_t off) const {
        if (page->freeHead == 0) {
            SetNext(off, off);
            SetPrev(off, off);
            page->freeHead = static_cast<uint16_t>(off);
            return;
        }
        const uint32_t head = page->freeHead;
        const uint32_t after = Next(head);
        SetNext(off, after);
        SetPrev(off, head);
        SetPrev(after, off);
        SetNext(head, off);
    }

    void Unlink(uint32_t off) const {
        const uint32_t next = Next(off);
        const uint32_t prev = Prev(off);
        if (next == off) {
            page->freeHead = 0;
            page->rover = 0;
            return;
        }
        SetNext(prev, next);
        SetPrev(next, prev);
        if (page->freeHead == off) {
            page->freeHead = static_cast<uint16_t>(next);
        }
        if (page->rover == off) {
            page->rover = static_cast<uint16_t>(next);
        }
    }

    /// Gives the block at `off` (its size word marked in use) back: merges it with free
    /// neighbours, writes its end tag, clears the next block's previous-in-use bit and links it
    /// into the ring when it did not merge into its predecessor.
    void Release(uint32_t off) const {
        const uint16_t word = Word(off);
        uint32_t start = off;
        uint32_t total = word & kSizeMask;
        uint16_t prevBit = word & kPrevInUse;
        bool mergedIntoPrev = false;
        if (!(word & kPrevInUse)) {
            const uint32_t prevSize = Load16(base + off - 2) & kSizeMask;
            start = off - prevSize;
            total += prevSize;
            prevBit = Word(start) & kPrevInUse;
            mergedIntoPrev = true;
        }
        const uint32_t next = off + (word & kSizeMask);
        const uint16_t nextWord = Word(next);
        if (!(nextWord & kInUse)) {
            Unlink(next);
            total += nextWord & kSizeMask;
        }
        SetWord(start, static_cast<uint16_t>(total | prevBit));
        SetTag(start, total);
        const uint32_t after = start + total;
        SetWord(after, Word(after) & ~kPrevInUse);
        if (!mergedIntoPrev) {
            Insert(start);
        }
        if (total > page->desc->largestFree) {
            page->desc->largestFree = static_cast<uint16_t>(total);
        }
    }
};

uint32_t SplitThreshold(const MemPool* pool, int type) {
    if (type == kTypeReserved || (pool->flags & POOL_FINE_SPLIT)) {
        return 16;
    }
    return pool->smallLimit / 4;
}

void* AllocFromVariablePage(MemPool* pool, PageDesc* desc, uint32_t need, uint32_t flags) {
    auto* page = static_cast<BlockPage*>(desc->page);
    VarPage v(page);
    if (page->freeHead == 0) {
        desc->largestFree = 0;
        return nullptr;
    }
    const uint32_t start = page->rover != 0 ? page->rover : page->freeHead;
    uint32_t off = start;
    uint32_t largest = 0;
    uint32_t size = 0;
    bool found = false;
    do {
        size = v.Word(off) & kSizeMask;
        if (size >= need) {
            found = true;
            break;
        }
        largest = std::max(largest, size);
        off = v.Next(off);
    } while (off != start);
    if (!found) {
        desc->largestFree = static_cast<uint16_t>(largest);
        return nullptr;
    }

    const uint16_t prevBit = v.Word(off) & kPrevInUse;
    uint32_t block = off;
    uint32_t blockSize = size;
    if (size - need < SplitThreshold(pool, desc->Type())) {
        const uint32_t following = v.Next(off);
        v.Unlink(off);
        page->rover = page->freeHead != 0 ? static_cast<uint16_t>(following) : 0;
        v.SetWord(off, static_cast<uint16_t>(size | kInUse | prevBit));
        v.SetWord(off + size, v.Word(off + size) | kPrevInUse);
    } else if (flags & BLOCK_FRONT) {
        // The front part is handed out; the rest takes the free block's place in the ring.
        const uint32_t rest = off + need;
        const uint32_t restSize = size - need;
        const uint32_t next = v.Next(off);
        const uint32_t prev = v.Prev(off);
        if (next == off) {
            v.SetNext(rest, rest);
            v.SetPrev(rest, rest);
        } else {
            v.SetNext(rest, next);
            v.SetPrev(rest, prev);
            v.SetNext(prev, rest);
            v.SetPrev(next, rest);
        }
        if (page->freeHead == off) {
            page->freeHead = static_cast<uint16_t>(rest);
        }
        page->rover = static_cast<uint16_t>(rest);
        v.SetWord(off, static_cast<uint16_t>(need | kInUse | prevBit));
        v.SetWord(rest, static_cast<uint16_t>(restSize | kPrevInUse));
        v.SetTag(rest, restSize);
        blockSize = need;
    } else {
        // The tail is handed out; the front stays where it is in the ring.
        const uint32_t front = size - need;
        v.SetWord(off, static_cast<uint16_t>(front | prevBit));
        v.SetTag(off, front);
        block = off + front;
        v.SetWord(block, static_cast<uint16_t>(need | kInUse));
        v.SetWord(block + need, v.Word(block + need) | kPrevInUse);
        page->rover = static_cast<uint16_t>(off);
        blockSize = need;
    }
    return HandOut(page, v.base + block + 2, blockSize - 2, flags);
}

void InitVariablePage(BlockPage* page, uint32_t size) {
    page->bitWords = size / 1024;
    page->areaStart = static_cast<uint16_t>(AreaStart(size, 2));
    page->areaEnd = static_cast<uint16_t>(size - 2);
    const uint32_t area = page->areaEnd - page->areaStart;
    VarPage v(page);
    v.SetWord(page->areaStart, static_cast<uint16_t>(area | kPrevInUse));
    v.SetTag(page->areaStart, area);
    v.SetWord(page->areaEnd, kInUse); // the end marker: a block in use of size 0
    page->freeHead = 0;
    page->rover = 0;
    v.Insert(page->areaStart);
    page->desc->largestFree = static_cast<uint16_t>(area);
}

void* VariableAlloc(MemPool* pool, size_t size, uint32_t flags) {
    const uint32_t need = VariableNeed(size);
    for (const int type : {kTypeReserved, kTypeVariable}) {
        PageDesc* head = pool->lists[type];
        if (head == nullptr) {
            continue;
        }
        PageDesc* desc = head;
        do {
            PageDesc* next = desc->next;
            if (desc->largestFree >= need) {
                if (void* block = AllocFromVariablePage(pool, desc, need, flags)) {
                    pool->lists[type] = desc;
                    return block;
                }
            }
            desc = next;
        } while (desc != head);
    }
    int error = 0;
    PageHeader* page = NewPage(pool, kTypeVariable, pool->pageSize, &error);
    if (page == nullptr) {
        return nullptr;
    }
    return AllocFromVariablePage(pool, page->desc, need, flags);
}

// ---------------------------------------------------------------------------------------------
// Small pages.

void InitSmallPage(BlockPage* page, uint32_t size) {
    page->bitWords = size / 1024;
    // The size-class byte sits just before each block, so slots start one byte before a
    // 16-byte boundary, and the area ends one byte before the page does.
    page->areaStart = static_cast<uint16_t>(AreaStart(size, 1));
    page->cursor = page->Base() + page->areaStart;
    page->end = page->Base() + size - 1;
}

void* CutSmall(BlockPage* page, uint32_t sizeClass, uint32_t flags) {
    uint8_t* slot = page->cursor;
    *slot = static_cast<uint8_t>(sizeClass);
    page->cursor += SmallSlot(sizeClass);
    return HandOut(page, slot + 1, SmallUsable(sizeClass), flags);
}

void* SmallAlloc(MemPool* pool, size_t size, uint32_t flags) {
    const uint32_t sizeClass = static_cast<uint32_t>(std::max<size_t>(size, 4) / 8);
    if (void* block = pool->smallFree[sizeClass]) {
        pool->smallFree[sizeClass] = LoadPtr(block);
        auto* page = reinterpret_cast<BlockPage*>(reinterpret_cast<uintptr_t>(block) & ~kUnitMask);
        return HandOut(page, block, SmallUsable(sizeClass), flags);
    }
    const uint32_t slot = SmallSlot(sizeClass);
    if (PageDesc* current = pool->lists[kTypeSmall]) {
        auto* page = static_cast<BlockPage*>(current->page);
        const auto rest = static_cast<uint32_t>(page->end - page->cursor);
        if (rest >= slot) {
            return CutSmall(page, sizeClass, flags);
        }
        if (rest >= kSlotAlign) {
            // The rest of the page becomes a free block of the class that fills it.
            const uint32_t restClass = std::min(rest / 8 - 1, kSmallClasses - 1);
            uint8_t* cell = page->cursor;
            *cell = static_cast<uint8_t>(restClass);
            StorePtr(cell + 1, pool->smallFree[restClass]);
            pool->smallFree[restClass] = cell + 1;
        }
        page->cursor = page->end;
    }
    if (flags & BLOCK_NO_NEW_SMALL_PAGE) {
        return nullptr;
    }
    int error = 0;
    PageHeader* page = NewPage(pool, kTypeSmall, kSmallPageSize, &error);
    if (page == nullptr) {
        return nullptr;
    }
    return CutSmall(static_cast<BlockPage*>(page), sizeClass, flags);
}

/// Takes the free blocks of a small page that is about to go out of the pool's class lists.
void ForgetSmallFreeBlocks(MemPool* pool, PageHeader* page) {
    const auto base = reinterpret_cast<uintptr_t>(page);
    for (void*& head : pool->smallFree) {
        void** link = &head;
        while (*link != nullptr) {
            void* block = *link;
            if ((reinterpret_cast<uintptr_t>(block) & ~kUnitMask) == base) {
                *link = LoadPtr(block);
            } else {
                link = static_cast<void**>(block);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Fixed pages.

void InitFixedPage(MemPool* pool, BlockPage* page, uint32_t size) {
    page->bitWords = size / 1024;
    page->areaStart = static_cast<uint16_t>(AreaStart(size, 0));
    page->stride = FixedStride(pool);
    page->cursor = page->Base() + page->areaStart;
    page->end = page->Base() + size;
    page->freeList = nullptr;
}

void* FixedFromPage(MemPool* pool, BlockPage* page, uint32_t flags) {
    void* block = nullptr;
    if (page->freeList != nullptr) {
        block = page->freeList;
        page->freeList = LoadPtr(block);
    } else if (page->cursor + page->stride <= page->end) {
        block = page->cursor;
        page->cursor += page->stride;
    } else {
        return nullptr;
    }
    return HandOut(page, block, pool->blockSize, flags);
}

void* FixedAlloc(MemPool* pool, uint32_t flags) {
    PageDesc* head = pool->lists[kTypeFixed];
    PageDesc* desc = head;
    do {
        if (void* block = FixedFromPage(pool, static_cast<BlockPage*>(desc->page), flags)) {
            pool->lists[kTypeFixed] = desc;
            return block;
        }
        desc = desc->next;
    } while (desc != head);
    int error = 0;
    PageHeader* page = NewPage(pool, kTypeFixed, FixedPageSize(pool), &error);
    return page != nullptr ? FixedFromPage(pool, static_cast<BlockPage*>(page), flags) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Large pages.

size_t LargePageSize(const MemPool* pool, size_t size) {
    const size_t unit = (pool->flags & POOL_VIRTUAL_64K) ? kMemSysUnit : kMemSysPage;
    return MemRoundUp(size + kLargeHeader, unit);
}

AllocOutcome LargeAlloc(MemPool* pool, size_t size, uint32_t flags) {
    const size_t pageSize = LargePageSize(pool, size);
    for (;;) {
        int error = 0;
        PageHeader* page = NewPage(pool, kTypeLarge, pageSize, &error);
        if (page != nullptr) {
            return {HandOut(page, LargeBlock(page), pageSize - kLargeHeader, flags), 0};
        }
        if (error == MEM_EXCEEDED_CEILING) {
            return {nullptr, MEM_EXCEEDED_CEILING};
        }
        if (ShrinkLocked(pool) > 0 && pool->bytesHeld + pageSize <= pool->ceiling) {
            continue;
        }
        return {nullptr, MEM_OUT_OF_MEMORY};
    }
}

// ---------------------------------------------------------------------------------------------
// Walking.

/// Steps to the block after `after` in the page (the first block when `after` is null):
/// 1 with the entry filled, 0 when the page has no more blocks, -1 when the page is damaged.
int NextInPage(MemPool* pool, PageDesc* desc, uint8_t* after, PoolWalkEntry* entry) {
    PageHeader* header = desc->page;
    const int type = desc->Type();
    uint8_t* block = nullptr;
    int64_t size = 0;
    bool inUse = false;
    if (type == kTypeLarge) {
        if (after != nullptr) {
            return 0;
        }
        block = LargeBlock(header);
        size = static_cast<int64_t>(desc->size) - kLargeHeader;
        inUse = std::atomic_ref<uint32_t>(header->live).load(std::memory_order_relaxed) != 0;
    } else {
        auto* page = static_cast<BlockPage*>(header);
        uint8_t* base = page->Base();
        if (type == kTypeSmall) {
            uint8_t* slot = after != nullptr ? after - 1 + SmallSlot(after[-1]) : base + page->areaStart;
            if (slot >= page->cursor) {
                return slot == page->cursor ? 0 : -1;
            }
            const uint32_t sizeClass = *slot;
            if (sizeClass >= kSmallClasses || slot + SmallSlot(sizeClass) > page->cursor) {
                return -1;
            }
            block = slot + 1;
            size = SmallUsable(sizeClass);
        } else if (type == kTypeFixed) {
            block = after != nullptr ? after + page->stride : base + page->areaStart;
            if (block + page->stride > page->cursor) {
                return block == page->cursor ? 0 : -1;
            }
            size = pool->blockSize;
        } else {
            VarPage v(page);
            uint32_t off = page->areaStart;
            if (after != nullptr) {
                const auto previous = static_cast<uint32_t>(after - 2 - base);
                off = previous + (v.Word(previous) & kSizeMask);
            }
            if (off >= page->areaEnd) {
                return off == page->areaEnd ? 0 : -1;
            }
            const uint32_t blockSize = v.Word(off) & kSizeMask;
            if (blockSize < kMinVariableBlock || blockSize % kSlotAlign != 0 || off + blockSize > page->areaEnd) {
                return -1;
            }
            block = base + off + 2;
            size = blockSize - 2;
        }
        inUse = TestBit(page, block);
    }
    entry->block = block;
    entry->pool = pool;
    entry->size = size;
    entry->inUse = inUse ? 1 : 0;
    entry->pageType = type;
    entry->page = desc;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Checking.

bool CheckVariablePage(PageDesc* desc) {
    auto* page = static_cast<BlockPage*>(desc->page);
    VarPage v(page);
    uint32_t off = page->areaStart;
    bool prevInUse = true;
    uint32_t freeBlocks = 0;
    uint32_t largest = 0;
    uint32_t live = 0;
    while (off < page->areaEnd) {
        const uint16_t word = v.Word(off);
        const uint32_t size = word & kSizeMask;
        if (size < kMinVariableBlock || size % kSlotAlign != 0 || off + size > page->areaEnd) {
            return false;
        }
        if (((word & kPrevInUse) != 0) != prevInUse) {
            return false;
        }
        const bool inUse = word & kInUse;
        const bool bit = TestBit(page, v.base + off + 2);
        if (bit && !inUse) {
            return false;
        }
        if (!inUse) {
            if (!prevInUse || Load16(v.base + off + size - 2) != size) {
                return false; // two free neighbours, or a wrong end tag
            }
            ++freeBlocks;
            largest = std::max(largest, size);
        }
        live += bit ? 1 : 0;
        prevInUse = inUse;
        off += size;
    }
    if (off != page->areaEnd || !(v.Word(off) & kInUse) || ((v.Word(off) & kPrevInUse) != 0) != prevInUse) {
        return false;
    }
    if (largest > desc->largestFree || live > page->inUse) {
        return false;
    }
    // The free ring: consistent links, only free blocks, every free block once, the rover in it.
    uint32_t ringCount = 0;
    bool roverSeen = page->rover == 0;
    if (page->freeHead != 0) {
        uint32_t at = page->freeHead;
        do {
            if (at < page->areaStart || at >= page->areaEnd || (v.Word(at) & kInUse) ||
                v.Prev(v.Next(at)) != at || ++ringCount > freeBlocks) {
                return false;
            }
            roverSeen = roverSeen || at == page->rover;
            at = v.Next(at);
        } while (at != page->freeHead);
    }
    return ringCount == freeBlocks && roverSeen;
}

bool CheckBlockPage(MemPool* pool, PageDesc* desc, uint64_t* freeSmallSlots) {
    auto* page = static_cast<BlockPage*>(desc->page);
    const int type = desc->Type();
    if (type == kTypeVariable || type == kTypeReserved) {
        return CheckVariablePage(desc);
    }
    uint32_t live = 0;
    PoolWalkEntry entry;
    uint8_t* after = nullptr;
    int step;
    while ((step = NextInPage(pool, desc, after, &entry)) == 1) {
        live += static_cast<uint32_t>(entry.inUse);
        if (!entry.inUse && type == kTypeSmall) {
            ++*freeSmallSlots;
        }
        after = static_cast<uint8_t*>(entry.block);
    }
    if (step < 0 || live > page->inUse) {
        return false;
    }
    if (type == kTypeFixed) {
        uint32_t count = 0;
        const uint32_t limit = desc->size / page->stride + 1;
        for (void* block = page->freeList; block != nullptr; block = LoadPtr(block)) {
            auto* at = static_cast<uint8_t*>(block);
            if (at < page->Base() + page->areaStart || at >= page->cursor ||
                (at - page->Base() - page->areaStart) % page->stride != 0 || TestBit(page, at) ||
                ++count > limit) {
                return false;
            }
        }
    }
    return true;
}

/// Every entry of the class lists is a free slot of one of the pool's small pages, of its
/// class; there are no more entries than free slots (a block listed twice makes a loop).
bool CheckSmallFreeLists(MemPool* pool, uint64_t freeSmallSlots) {
    uint64_t count = 0;
    for (uint32_t sizeClass = 0; sizeClass < kSmallClasses; ++sizeClass) {
        for (void* block = pool->smallFree[sizeClass]; block != nullptr; block = LoadPtr(block)) {
            PageHeader* header = PageOf(block);
            if (header == nullptr || header->pool != pool || header->Type() != kTypeSmall ||
                ++count > freeSmallSlots) {
                return false;
            }
            auto* page = static_cast<BlockPage*>(header);
            auto* at = static_cast<uint8_t*>(block);
            if (!OnSlot(at) || at <= page->Base() + page->areaStart || at > page->cursor ||
                at[-1] != sizeClass || TestBit(page, at)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------

uint32_t FixedPageSize(const MemPool* pool) {
    const uint32_t stride = FixedStride(pool);
    uint32_t size = pool->pageSize;
    while (AreaStart(size, 0) + stride > size) {
        size += kMemSysPage;
    }
    return size;
}

PageHeader* PageOf(const void* block) {
    const uintptr_t unit = reinterpret_cast<uintptr_t>(block) & ~kUnitMask;
    if (block == nullptr || !RegistryHas(reinterpret_cast<const void*>(unit))) {
        return nullptr;
    }
    auto* page = reinterpret_cast<PageHeader*>(unit);
    if ((page->mark & 0xFFF8) != kPageMark || page->Type() >= kPageTypes) {
        return nullptr;
    }
    return page;
}

bool IsLive(PageHeader* page, const void* block) {
    if (page->Type() == kTypeLarge) {
        return block == LargeBlock(page) &&
               std::atomic_ref<uint32_t>(page->live).load(std::memory_order_relaxed) != 0;
    }
    if (!OnSlot(block)) {
        return false;
    }
    return TestBit(static_cast<BlockPage*>(page), block);
}

bool ClaimFree(PageHeader* page, const void* block) {
    if (page->Type() == kTypeLarge) {
        uint32_t expected = 1;
        return block == LargeBlock(page) &&
               std::atomic_ref<uint32_t>(page->live).compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
    }
    auto* bp = static_cast<BlockPage*>(page);
    const uint32_t index = BitIndex(block);
    if (!OnSlot(block) || index / 64 >= bp->bitWords) {
        return false;
    }
    const uint64_t mask = uint64_t{1} << (index % 64);
    std::atomic_ref<uint64_t> word(bp->Bits()[index / 64]);
    if (page->pool->threadPool) {
        return (word.fetch_and(~mask, std::memory_order_acq_rel) & mask) != 0;
    }
    const uint64_t old = word.load(std::memory_order_relaxed);
    word.store(old & ~mask, std::memory_order_relaxed);
    return (old & mask) != 0;
}

int64_t UsableSize(PageHeader* page, const void* block) {
    const auto* at = static_cast<const uint8_t*>(block);
    switch (page->Type()) {
    case kTypeSmall:
        return SmallUsable(at[-1]);
    case kTypeFixed:
        return page->pool->blockSize;
    case kTypeLarge:
        return static_cast<int64_t>(page->desc->size) - kLargeHeader;
    default:
        return (Load16(at - 2) & kSizeMask) - 2;
    }
}

bool IsBlockStart(PageHeader* page, const void* block) {
    if (page->Type() == kTypeLarge) {
        return block == LargeBlock(page);
    }
    PoolWalkEntry entry;
    uint8_t* after = nullptr;
    while (NextInPage(page->pool, page->desc, after, &entry) == 1) {
        if (entry.block == block) {
            return true;
        }
        if (entry.block > block) {
            return false;
        }
        after = static_cast<uint8_t*>(entry.block);
    }
    return false;
}

bool PageHasBlocksInUse(const MemPool* pool) {
    for (PageDesc* head : pool->lists) {
        if (head == nullptr) {
            continue;
        }
        PageDesc* desc = head;
        do {
            if (desc->page->inUse != 0) {
                return true;
            }
            desc = desc->next;
        } while (desc != head);
    }
    return false;
}

AllocOutcome AllocLocked(MemPool* pool, size_t size, uint32_t flags) {
    if (size > pool->ceiling || size > 0xFFFF0000u) {
        return {nullptr, MEM_EXCEEDED_CEILING};
    }
    if (pool->lists[kTypeFixed] != nullptr && pool->blockSize != 0 && size <= pool->blockSize) {
        if (void* block = FixedAlloc(pool, flags)) {
            return {block, 0};
        }
    }
    if (size <= pool->smallLimit) {
        if (void* block = SmallAlloc(pool, size, flags)) {
            return {block, 0};
        }
    }
    if (size <= pool->largeLimit) {
        if (void* block = VariableAlloc(pool, size, flags)) {
            return {block, 0};
        }
    }
    return LargeAlloc(pool, size, flags);
}

void FreeLocked(MemPool* pool, PageHeader* page, void* block) {
    const int type = page->Type();
    if (type == kTypeLarge) {
        ReleasePage(pool, page->desc);
        return;
    }
    auto* bp = static_cast<BlockPage*>(page);
    switch (type) {
    case kTypeSmall: {
        const uint8_t sizeClass = static_cast<uint8_t*>(block)[-1];
        StorePtr(block, pool->smallFree[sizeClass]);
        pool->smallFree[sizeClass] = block;
        break;
    }
    case kTypeFixed:
        StorePtr(block, bp->freeList);
        bp->freeList = block;
        break;
    default: {
        VarPage v(bp);
        const auto off = static_cast<uint32_t>(static_cast<uint8_t*>(block) - 2 - v.base);
        v.Release(off);
        break;
    }
    }
    if (--page->inUse == 0 && RetentionAllows(pool, page->desc->size)) {
        if (type == kTypeSmall) {
            ForgetSmallFreeBlocks(pool, page);
        }
        ReleasePage(pool, page->desc);
    }
}

bool ResizeInPlaceLocked(MemPool* pool, PageHeader* page, void*& block, size_t size, uint32_t flags) {
    auto* at = static_cast<uint8_t*>(block);
    switch (page->Type()) {
    case kTypeSmall: {
        const uint32_t sizeClass = at[-1];
        if (flags & BLOCK_IN_PLACE) {
            return size <= SmallUsable(sizeClass);
        }
        return size <= pool->smallLimit && std::max<size_t>(size, 4) / 8 == sizeClass;
    }
    case kTypeFixed:
        return size <= pool->blockSize;
    case kTypeLarge: {
        if (size <= pool->largeLimit || size > 0xFFFF0000u) {
            return false;
        }
        PageDesc* desc = page->desc;
        const size_t current = desc->size;
        const size_t wanted = LargePageSize(pool, size);
        if (wanted == current) {
            return true;
        }
        if (wanted > current && pool->bytesHeld - current + wanted > pool->ceiling) {
            return false;
        }
        const uint32_t sysFlags = (flags & BLOCK_ZEROINIT) ? MEMSYS_ZERO : 0;
        if (pool->system->PageResize(page, current, wanted, sysFlags)) {
            pool->bytesHeld = pool->bytesHeld - current + wanted;
            desc->size = static_cast<uint32_t>(wanted);
            return true;
        }
        if (flags & BLOCK_IN_PLACE) {
            return false;
        }
        RegistryRemove(page);
        void* moved = pool->system->PageMove(page, current, wanted, sysFlags);
        if (moved == nullptr || !RegistryAdd(moved)) {
            if (moved != nullptr) {
                pool->system->PageRelease(moved, wanted);
            }
            RegistryAdd(page); // the old page stays as it was
            return false;
        }
        desc->page = static_cast<PageHeader*>(moved);
        desc->size = static_cast<uint32_t>(wanted);
        pool->bytesHeld = pool->bytesHeld - current + wanted;
        block = LargeBlock(desc->page);
        return true;
    }
    default:
        break;
    }
    // Variable blocks: shrink by splitting off the rest, or grow into a free successor.
    if (size > pool->largeLimit) {
        return false;
    }
    auto* bp = static_cast<BlockPage*>(page);
    VarPage v(bp);
    const auto off = static_cast<uint32_t>(at - 2 - v.base);
    const uint16_t word = v.Word(off);
    const uint32_t current = word & kSizeMask;
    const uint32_t need = VariableNeed(size);
    const uint16_t prevBit = word & kPrevInUse;
    if (need <= current) {
        if (current - need >= kMinVariableBlock) {
            v.SetWord(off, static_cast<uint16_t>(need | kInUse | prevBit));
            v.SetWord(off + need, static_cast<uint16_t>((current - need) | kInUse | kPrevInUse));
            v.Release(off + need);
        }
        return true;
    }
    const uint32_t next = off + current;
    const uint16_t nextWord = v.Word(next);
    if ((nextWord & kInUse) || current + (nextWord & kSizeMask) < need) {
        return false;
    }
    v.Unlink(next);
    const uint32_t total = current + (nextWord & kSizeMask);
    uint32_t taken = total;
    if (total - need >= kMinVariableBlock) {
        taken = need;
        const uint32_t rest = off + need;
        v.SetWord(rest, static_cast<uint16_t>((total - need) | kPrevInUse));
        v.SetTag(rest, total - need);
        v.Insert(rest);
    } else {
        v.SetWord(off + total, v.Word(off + total) | kPrevInUse);
    }
    v.SetWord(off, static_cast<uint16_t>(taken | kInUse | prevBit));
    ZeroFill(at + current - 2, taken - current, flags);
    return true;
}

PageHeader* NewPage(MemPool* pool, int type, size_t size, int* error) {
    const size_t rounded = MemRoundUp(size, kMemSysPage);
    if (pool->bytesHeld + rounded > pool->ceiling) {
        *error = MEM_EXCEEDED_CEILING;
        return nullptr;
    }
    PageDesc* desc = TakeDesc(pool);
    if (desc == nullptr) {
        *error = MEM_OUT_OF_MEMORY;
        return nullptr;
    }
    void* memory = pool->system->PageAlloc(rounded, 0);
    if (memory != nullptr && !RegistryAdd(memory)) {
        pool->system->PageRelease(memory, rounded);
        memory = nullptr;
    }
    if (memory == nullptr) {
        GiveDesc(pool, desc);
        *error = MEM_OUT_OF_MEMORY;
        return nullptr;
    }
    auto* page = static_cast<PageHeader*>(memory);
    page->pool = pool;
    page->desc = desc;
    page->inUse = 0;
    page->live = 0;
    page->spare = 0;
    desc->flags = static_cast<uint16_t>(type << 12);
    desc->size = static_cast<uint32_t>(rounded);
    desc->page = page;
    switch (type) {
    case kTypeSmall:
        InitSmallPage(static_cast<BlockPage*>(page), static_cast<uint32_t>(rounded));
        break;
    case kTypeFixed:
        InitFixedPage(pool, static_cast<BlockPage*>(page), static_cast<uint32_t>(rounded));
        break;
    case kTypeVariable:
    case kTypeReserved:
        InitVariablePage(static_cast<BlockPage*>(page), static_cast<uint32_t>(rounded));
        break;
    default:
        break;
    }
    std::atomic_ref<uint16_t>(page->mark).store(static_cast<uint16_t>(kPageMark + type), std::memory_order_release);
    PageDesc*& head = pool->lists[type];
    if (head == nullptr) {
        desc->next = desc;
        desc->prev = desc;
    } else {
        desc->next = head;
        desc->prev = head->prev;
        head->prev->next = desc;
        head->prev = desc;
    }
    head = desc;
    pool->bytesHeld += rounded;
    return page;
}

void ReleasePage(MemPool* pool, PageDesc* desc) {
    PageDesc*& head = pool->lists[desc->Type()];
    if (desc->next == desc) {
        head = nullptr;
    } else {
        desc->prev->next = desc->next;
        desc->next->prev = desc->prev;
        if (head == desc) {
            head = desc->next;
        }
    }
    PageHeader* page = desc->page;
    RegistryRemove(page);
    pool->bytesHeld -= desc->size;
    pool->system->PageRelease(page, desc->size);
    GiveDesc(pool, desc);
}

int64_t ShrinkLocked(MemPool* pool) {
    int64_t released = 0;
    for (const int type : {kTypeVariable, kTypeFixed, kTypeReserved}) {
        PageDesc* head = pool->lists[type];
        if (head == nullptr) {
            continue;
        }
        int count = 0;
        PageDesc* desc = head;
        do {
            ++count;
            desc = desc->next;
        } while (desc != head);
        for (int i = 0; i < count; ++i) {
            PageDesc* next = desc->next;
            if (desc->page->inUse == 0 && RetentionAllows(pool, desc->size)) {
                released += desc->size;
                ReleasePage(pool, desc);
            }
            desc = next;
        }
    }
    return released;
}

int WalkLocked(MemPool* pool, PoolWalkEntry* entry) {
    int type = 0;
    PageDesc* desc = nullptr;
    uint8_t* after = nullptr;
    if (entry->block == nullptr) {
        desc = pool->lists[0];
    } else {
        PageHeader* page = PageOf(entry->block);
        type = entry->pageType;
        desc = static_cast<PageDesc*>(entry->page);
        if (page == nullptr || page->pool != pool || page->desc != desc || type < 0 ||
            type >= kPageTypes || desc->Type() != type) {
            return -1;
        }
        after = static_cast<uint8_t*>(entry->block);
    }
    for (;;) {
        if (desc == nullptr) {
            if (++type >= kPageTypes) {
                entry->block = nullptr;
                return 0;
            }
            desc = pool->lists[type];
            after = nullptr;
            continue;
        }
        const int step = NextInPage(pool, desc, after, entry);
        if (step != 0) {
            return step;
        }
        desc = desc->next == pool->lists[type] ? nullptr : desc->next;
        after = nullptr;
    }
}

bool CheckLocked(MemPool* pool) {
    uint64_t held = 0;
    uint64_t freeSmallSlots = 0;
    for (int type = 0; type < kPageTypes; ++type) {
        PageDesc* head = pool->lists[type];
        if (head == nullptr) {
            continue;
        }
        PageDesc* desc = head;
        do {
            PageHeader* page = desc->page;
            if (desc->next->prev != desc || desc->Type() != type || page->desc != desc || page->pool != pool ||
                page->mark != kPageMark + type || PageOf(page) != page) {
                return false;
            }
            if (type != kTypeLarge && !CheckBlockPage(pool, desc, &freeSmallSlots)) {
                return false;
            }
            held += desc->size;
            desc = desc->next;
        } while (desc != head);
    }
    return held == pool->bytesHeld && CheckSmallFreeLists(pool, freeSmallSlots);
}

void CarveDescriptors(MemPool* pool, uint8_t* from, uint8_t* to) {
    from = reinterpret_cast<uint8_t*>(MemRoundUp(reinterpret_cast<uintptr_t>(from), alignof(PageDesc)));
    for (; from + sizeof(PageDesc) <= to; from += sizeof(PageDesc)) {
        auto* desc = new (from) PageDesc{};
        desc->next = pool->freeDescs;
        pool->freeDescs = desc;
    }
}

} // namespace memi
