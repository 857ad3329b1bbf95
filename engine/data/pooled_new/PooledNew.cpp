// The global operator new and delete served by the engine's pools. Linked only into programs
// built with the pooled-new option; the C library's malloc family stays as it is.
//
// Every block of the pools starts on a 16-byte boundary, which is the alignment the ordinary
// forms promise; the aligned forms for more than that keep the pool block's address just in
// front of the aligned one.
#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/data/Memory.h"

namespace {

constexpr std::size_t kNaturalAlign = 16;

void* Allocate(std::size_t size) {
    void* block = NewWithHandler(size, 0, nullptr);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* AllocateNoThrow(std::size_t size) noexcept {
    try {
        return NewWithHandler(size, 0, nullptr);
    } catch (...) {
        return nullptr;
    }
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    if (align <= kNaturalAlign) {
        return Allocate(size);
    }
    if (size > SIZE_MAX - align - sizeof(void*)) {
        throw std::bad_alloc();
    }
    void* raw = Allocate(size + align + sizeof(void*));
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(raw) + sizeof(void*) + align - 1) & ~(align - 1);
    reinterpret_cast<void**>(aligned)[-1] = raw;
    return reinterpret_cast<void*>(aligned);
}

void* AllocateAlignedNoThrow(std::size_t size, std::align_val_t alignment) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

void Release(void* block) noexcept { PoolFreeBlock(block); }

void ReleaseAligned(void* block, std::align_val_t alignment) noexcept {
    if (block == nullptr) {
        return;
    }
    if (static_cast<std::size_t>(alignment) <= kNaturalAlign) {
        Release(block);
    } else {
        Release(static_cast<void**>(block)[-1]);
    }
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAlignedNoThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAlignedNoThrow(size, alignment);
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t alignment) noexcept { ReleaseAligned(block, alignment); }
void operator delete[](void* block, std::align_val_t alignment) noexcept { ReleaseAligned(block, alignment); }
void operator delete(void* block, std::size_t, std::align_val_t alignment) noexcept {
    ReleaseAligned(block, alignment);
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept {
    ReleaseAligned(block, alignment);
}
void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    ReleaseAligned(block, alignment);
}
void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    ReleaseAligned(block, alignment);
}
