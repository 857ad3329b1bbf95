#include "engine/data/MemorySystem.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

#include "engine/data/MemoryInternal.h"

namespace {

constexpr size_t kUnit = kMemSysUnit;

/// The reservation a page of `committed` bytes takes.
size_t ReservationOf(size_t committed) { return MemRoundUp(committed, kUnit); }

size_t CommittedOf(size_t size, uint32_t flags) {
    if (flags & MEMSYS_CAP_64K) {
        size = std::min<size_t>(size, 65535);
    }
    return MemRoundUp(std::max<size_t>(size, 1), kMemSysPage);
}

std::atomic<CMemSystem*> g_system{nullptr};

} // namespace

void* CMemSystem::PageMove(void* page, size_t oldSize, size_t newSize, uint32_t flags) {
    void* moved = PageAlloc(newSize, flags & ~MEMSYS_ZERO);
    if (moved == nullptr) {
        return nullptr;
    }
    const size_t kept = std::min(oldSize, newSize);
    std::memcpy(moved, page, kept);
    PageRelease(page, oldSize);
    if ((flags & MEMSYS_ZERO) && newSize > kept) {
        std::memset(static_cast<uint8_t*>(moved) + kept, 0, MemRoundUp(newSize, kMemSysPage) - kept);
    }
    return moved;
}

void* CMmapMemSystem::ReserveAligned(size_t reserve) {
    // Over-reserve by one unit less a page, then trim both ends to a 64 KB boundary.
    const size_t span = reserve + kUnit - kMemSysPage;
    void* raw = mmap(nullptr, span, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = MemRoundUp(start, kUnit);
    if (aligned > start) {
        munmap(raw, aligned - start);
    }
    const uintptr_t tail = aligned + reserve;
    const uintptr_t spanEnd = start + span;
    if (spanEnd > tail) {
        munmap(reinterpret_cast<void*>(tail), spanEnd - tail);
    }
    return reinterpret_cast<void*>(aligned);
}

void* CMmapMemSystem::PageAlloc(size_t size, uint32_t flags) {
    const size_t committed = CommittedOf(size, flags);
    const size_t reserve = ReservationOf(committed);
    void* page = nullptr;
    if (reserve == kUnit) {
        // One-unit pages first try the lowest unit given back lately, once.
        const uintptr_t hint = hint_.exchange(0, std::memory_order_relaxed);
        if (hint != 0) {
            void* at = mmap(reinterpret_cast<void*>(hint), kUnit, PROT_NONE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
            if (at != MAP_FAILED && reinterpret_cast<uintptr_t>(at) == hint) {
                page = at;
            } else if (at != MAP_FAILED) {
                munmap(at, kUnit);
            }
        }
    }
    if (page == nullptr) {
        page = ReserveAligned(reserve);
        if (page == nullptr) {
            return nullptr;
        }
    }
    if (mprotect(page, committed, PROT_READ | PROT_WRITE) != 0) {
        munmap(page, reserve);
        return nullptr;
    }
    if (flags & MEMSYS_LOCK) {
        mlock(page, committed); // best effort, as the lock is only a hint to keep it resident
    }
    return page;
}

void CMmapMemSystem::PageRelease(void* page, size_t size) {
    const size_t reserve = ReservationOf(CommittedOf(size, 0));
    munmap(page, reserve);
    if (reserve == kUnit) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(page);
        uintptr_t hint = hint_.load(std::memory_order_relaxed);
        while ((hint == 0 || at < hint) &&
               !hint_.compare_exchange_weak(hint, at, std::memory_order_relaxed)) {
        }
    }
}

bool CMmapMemSystem::PageResize(void* page, size_t oldSize, size_t newSize, uint32_t flags) {
    const size_t oldCommitted = CommittedOf(oldSize, 0);
    const size_t newCommitted = CommittedOf(newSize, 0);
    auto* base = static_cast<uint8_t*>(page);
    if (newCommitted > oldCommitted) {
        if (newCommitted > ReservationOf(oldCommitted)) {
            return false; // the reservation has no room
        }
        if (mprotect(base + oldCommitted, newCommitted - oldCommitted, PROT_READ | PROT_WRITE) != 0) {
            return false;
        }
        if (flags & MEMSYS_ZERO) {
            std::memset(base + oldCommitted, 0, newCommitted - oldCommitted);
        }
    } else if (newCommitted < oldCommitted) {
        madvise(base + newCommitted, oldCommitted - newCommitted, MADV_DONTNEED);
        mprotect(base + newCommitted, oldCommitted - newCommitted, PROT_NONE);
    }
    return true;
}

void CMmapMemSystem::ResetHint() { hint_.store(0, std::memory_order_relaxed); }

CMmapMemSystem& xMemory_MmapSystem() {
    static memi::NoDestroy<CMmapMemSystem> instance;
    return instance.value;
}

CMemSystem& xMemory_System() {
    CMemSystem* system = g_system.load(std::memory_order_acquire);
    return system != nullptr ? *system : xMemory_MmapSystem();
}

CMemSystem* xMemory_SetSystem(CMemSystem* system) {
    CMemSystem* previous = g_system.exchange(system, std::memory_order_acq_rel);
    return previous != nullptr ? previous : &xMemory_MmapSystem();
}

// ---------------------------------------------------------------------------------------------
// The registry of our pages: one bit per 64 KB unit of the address space, in leaves of 65536
// bits made on first use and kept for the run. Lookups take no lock.

namespace memi {

constinit std::atomic<std::atomic<uint64_t>*> g_registryRoot[kRegistryRootEntries] = {};

namespace {

std::atomic<uint64_t>* MakeLeaf(size_t index) {
    std::atomic<uint64_t>* leaf = g_registryRoot[index].load(std::memory_order_acquire);
    if (leaf != nullptr) {
        return leaf;
    }
    void* memory = mmap(nullptr, kRegistryLeafWords * sizeof(uint64_t), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return nullptr;
    }
    auto* fresh = new (memory) std::atomic<uint64_t>[kRegistryLeafWords];
    if (!g_registryRoot[index].compare_exchange_strong(leaf, fresh, std::memory_order_acq_rel)) {
        munmap(memory, kRegistryLeafWords * sizeof(uint64_t)); // another thread made it first
        return leaf;
    }
    return fresh;
}

} // namespace

bool RegistryAdd(const void* page) {
    const RegistryBit at = RegistryBitOf(page);
    std::atomic<uint64_t>* leaf = at.leaf < kRegistryRootEntries ? MakeLeaf(at.leaf) : nullptr;
    if (leaf == nullptr) {
        return false;
    }
    leaf[at.word].fetch_or(at.mask, std::memory_order_release);
    return true;
}

void RegistryRemove(const void* page) {
    const RegistryBit at = RegistryBitOf(page);
    std::atomic<uint64_t>* leaf =
        at.leaf < kRegistryRootEntries ? g_registryRoot[at.leaf].load(std::memory_order_acquire) : nullptr;
    if (leaf != nullptr) {
        leaf[at.word].fetch_and(~at.mask, std::memory_order_release);
    }
}

} // namespace memi
