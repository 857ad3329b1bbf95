#pragma once
// Inside the memory manager: the pool header, page descriptors and page headers, and the
// functions the manager's files share. Not for use outside the memory manager and its tests.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

#include "engine/data/Memory.h"
#include "engine/data/MemorySystem.h"

namespace memi {

constexpr uint16_t kPoolSignature = 0xBEAD;
constexpr uint16_t kPageMark = 0xCAD0;

constexpr int kTypeVariable = 0;
constexpr int kTypeFixed = 1;
constexpr int kTypeReserved = 2;
constexpr int kTypeLarge = 3;
constexpr int kTypeSmall = 4;
constexpr int kPageTypes = 5;

constexpr uint32_t kSmallPageSize = 65536;
constexpr uint32_t kPageSize = 16384;
constexpr uint32_t kSmallLimit = 256;
constexpr uint32_t kLargeLimit = 4096;
constexpr uint32_t kLargeHeader = 32;
constexpr uint32_t kSmallClasses = 33;
constexpr uint32_t kMinVariableBlock = 16;
constexpr uint32_t kHeaderPageSize = 4096;
constexpr uint32_t kDescPageSize = 4096;
constexpr uintptr_t kUnitMask = 0xFFFF;
constexpr uint32_t kSlotAlign = 16;

/// Holds a value that is made at compile time and never destroyed, so that the manager keeps
/// working during the constructors and destructors of other static objects.
template <class T>
union NoDestroy {
    constexpr NoDestroy() : value() {}
    ~NoDestroy() {}
    T value;
};

struct PageHeader;

/// One per page: how the pool finds its pages by kind (the page lists are rings of these).
struct PageDesc {
    uint16_t largestFree = 0; ///< variable pages: no free block is larger than this
    uint16_t flags = 0;       ///< page kind in bits 12-14
    uint32_t size = 0;        ///< committed bytes of the page
    PageHeader* page = nullptr;
    PageDesc* next = nullptr;
    PageDesc* prev = nullptr;

    int Type() const { return (flags >> 12) & 7; }
};

/// The first 32 bytes of every page; a large page's block follows it directly.
struct PageHeader {
    MemPool* pool;
    PageDesc* desc;
    uint16_t inUse; ///< blocks in use
    uint16_t mark;  ///< 0xCAD0 plus the page kind
    uint32_t live;  ///< large pages: 1 while the block is in use
    uint64_t spare;

    int Type() const { return mark & 7; }
};
static_assert(sizeof(PageHeader) == kLargeHeader);

/// The header of a page that is cut into blocks (kinds 0, 1, 2 and 4). A bitmap of the blocks
/// in use, one bit per 16 bytes of the page, follows it.
struct BlockPage : PageHeader {
    uint8_t* cursor;   ///< small and fixed pages: where the next block is cut
    uint8_t* end;      ///< small and fixed pages: end of the block area
    void* freeList;    ///< fixed pages: the page's free blocks
    uint16_t freeHead; ///< variable pages: offset of a free block of the ring, 0 for none
    uint16_t rover;    ///< variable pages: where the next search starts
    uint16_t areaStart;
    uint16_t areaEnd;  ///< variable pages: offset of the end marker
    uint32_t stride;   ///< fixed pages: distance between blocks
    uint32_t bitWords; ///< 64-bit words of the bitmap

    uint64_t* Bits() { return reinterpret_cast<uint64_t*>(this + 1); }
    uint8_t* Base() { return reinterpret_cast<uint8_t*>(this); }
};
static_assert(sizeof(BlockPage) % 8 == 0);

/// A page that holds page descriptors.
struct DescPage {
    DescPage* next;
    uint64_t spare;
};

/// The pool's lock: a recursive lock whose owner other threads can see, and the handed-out
/// mark of a pool answered locked by PoolForThread.
struct PoolLock {
    std::mutex mutex;
    std::atomic<uint32_t> owner{0};
    uint32_t depth = 0;
    bool handedOut = false;
};

} // namespace memi

/// The pool header; the first thing in the pool's own header page.
struct MemPool {
    memi::PageDesc* lists[memi::kPageTypes] = {};
    memi::PageDesc* freeDescs = nullptr;
    uint16_t signature = 0;
    uint16_t flags = 0;
    uint16_t blockSize = 0;
    uint16_t smallLimit = memi::kSmallLimit;
    uint16_t pageSize = memi::kPageSize;
    uint16_t largeLimit = memi::kLargeLimit;
    uint64_t bytesHeld = 0;
    uint64_t floor = kPoolDefaultFloor;
    uint64_t ceiling = kPoolDefaultCeiling;
    MemPool* next = nullptr;
    memi::PoolLock lock;
    std::atomic<void*> deferred{nullptr};
    std::atomic<MemPool*> nextThreadPool{nullptr};
    bool threadPool = false;
    void* smallFree[memi::kSmallClasses] = {};
    memi::DescPage* descPages = nullptr;
    CMemSystem* system = nullptr;
};

namespace memi {

/// A thread that is inside an error report: its nesting depth and the codes of its levels.
struct ErrorRecord {
    uint32_t thread = 0;
    int depth = 0;
    int codes[3] = {};
};

constexpr int kErrorThreads = 25;
constexpr int kThreadSlots = 17;

/// The manager's global state (made at compile time, never destroyed).
struct MemManager {
    std::mutex global; ///< guards the pool list, the handler, the slots and the error records
    MemPool* poolList = nullptr;
    uint32_t poolCount = 0;
    MemErrorHandler handler = &PoolDefaultErrorHandler;
    int clients = 0;
    ErrorRecord errors[kErrorThreads] = {};
    std::atomic<MemPool*> slots[kThreadSlots] = {};
    MemPool* ring = nullptr; ///< a pool of the ring of thread pools
    std::atomic<MemPool*> sharedDefault{nullptr};
    std::atomic<int> processors{0}; ///< 0 not decided, 1 one processor, 2 several
    std::atomic<int> newMode{0};
};
MemManager& Manager();

/// The outcome of an allocation under the lock: the block, or the error to report once the
/// lock is released (0 when the failure needs no report).
struct AllocOutcome {
    void* block = nullptr;
    int error = 0;
};

// Threads and locks (MemoryThreads.cpp).
uint32_t ThreadId();
void Lock(MemPool* pool);
void Unlock(MemPool* pool);
bool TryHandOut(MemPool* pool);
/// True when the pool is a thread pool that another thread holds: a free is then queued.
bool HeldByOtherThread(const MemPool* pool);
void QueueDeferredFree(MemPool* pool, void* block);
/// How many frees were queued so far (for the tests).
uint64_t QueuedFreeCount();
void DrainDeferred(MemPool* pool);
void LinkPool(MemPool* pool);
void UnlinkPool(MemPool* pool);
void GateEnterCreate();
void GateLeaveCreate();
/// False when the destroyer timed out: the pool was put on the pending list.
bool GateEnterDestroy(MemPool* pool);
void GateLeaveDestroy();
void DestroyPoolNow(MemPool* pool);

// Pages and blocks (MemoryPages.cpp).
inline bool PoolValid(const MemPool* pool) {
    return pool != nullptr && pool->signature == kPoolSignature;
}
/// The page of a pointer when it lies in the first 64 KB unit of one of our pages.
PageHeader* PageOf(const void* block);
/// True when the block is a block in use (set at allocation, cleared at free).
bool IsLive(PageHeader* page, const void* block);
/// Marks the block free; false when it was not in use (a double free or a foreign address).
/// Outside a thread pool this must run under the pool's lock.
bool ClaimFree(PageHeader* page, const void* block);
int64_t UsableSize(PageHeader* page, const void* block);
/// True when `block` starts a block of the page, in use or free (a scan of the page).
bool IsBlockStart(PageHeader* page, const void* block);
bool PageHasBlocksInUse(const MemPool* pool);
AllocOutcome AllocLocked(MemPool* pool, size_t size, uint32_t flags);
/// Frees a block already claimed (ClaimFree).
void FreeLocked(MemPool* pool, PageHeader* page, void* block);
/// Tries to resize in place (a large page may move with it unless BLOCK_IN_PLACE); updates
/// `block` when the page moved.
bool ResizeInPlaceLocked(MemPool* pool, PageHeader* page, void*& block, size_t size,
                         uint32_t flags);
/// The distance between the blocks of a fixed page.
inline uint32_t FixedStride(const MemPool* pool) {
    return static_cast<uint32_t>(MemRoundUp(pool->blockSize, kSlotAlign));
}
/// The size of a fixed page: the pool's page size, grown until it holds one block.
uint32_t FixedPageSize(const MemPool* pool);
PageHeader* NewPage(MemPool* pool, int type, size_t size, int* error);
void ReleasePage(MemPool* pool, PageDesc* desc);
int64_t ShrinkLocked(MemPool* pool);
int WalkLocked(MemPool* pool, PoolWalkEntry* entry);
bool CheckLocked(MemPool* pool);
void CarveDescriptors(MemPool* pool, uint8_t* from, uint8_t* to);

// The registry of our pages: one bit per 64 KB unit of the address space, in leaves of 65536
// bits made on first use and kept for the run (MemorySystem.cpp). Lookups take no lock.
constexpr unsigned kRegistryAddressBits = 47;
constexpr unsigned kRegistryUnitBits = 16;
constexpr unsigned kRegistryLeafBits = 16;
constexpr size_t kRegistryLeafWords = (size_t{1} << kRegistryLeafBits) / 64;
constexpr size_t kRegistryRootEntries = size_t{1} << (kRegistryAddressBits - kRegistryUnitBits - kRegistryLeafBits);
extern std::atomic<std::atomic<uint64_t>*> g_registryRoot[kRegistryRootEntries];

bool RegistryAdd(const void* page);
void RegistryRemove(const void* page);

/// Where the bit of an address's 64 KB unit lies: the leaf (the root entry), the word of the
/// leaf and the bit in the word.
struct RegistryBit {
    size_t leaf;
    size_t word;
    uint64_t mask;
};
inline RegistryBit RegistryBitOf(const void* address) {
    const uintptr_t unit = reinterpret_cast<uintptr_t>(address) >> kRegistryUnitBits;
    const size_t bit = unit & ((size_t{1} << kRegistryLeafBits) - 1);
    return {unit >> kRegistryLeafBits, bit / 64, uint64_t{1} << (bit % 64)};
}

/// True when a page of ours starts at the 64 KB unit of `address`.
inline bool RegistryHas(const void* address) {
    const RegistryBit at = RegistryBitOf(address);
    if (at.leaf >= kRegistryRootEntries) {
        return false;
    }
    const std::atomic<uint64_t>* leaf = g_registryRoot[at.leaf].load(std::memory_order_acquire);
    return leaf != nullptr && (leaf[at.word].load(std::memory_order_acquire) & at.mask) != 0;
}

} // namespace memi
