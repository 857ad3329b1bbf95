#pragma once
// The system layer under the pools: page memory from the virtual-memory functions. A page is
// a reservation that starts on a 64 KB boundary and is rounded up to whole 64 KB units, of
// which the asked size rounded up to 4096 bytes is committed (readable and writable).
#include <atomic>
#include <cstddef>
#include <cstdint>

// Page flags.
inline constexpr uint32_t MEMSYS_LOCK = 0x0004;     ///< lock the committed range in memory
inline constexpr uint32_t MEMSYS_ZERO = 0x0100;     ///< resizing: clear the bytes gained
inline constexpr uint32_t MEMSYS_CAP_64K = 0x1000;  ///< cap the size at 65535 bytes

inline constexpr size_t kMemSysPage = 4096;
inline constexpr size_t kMemSysUnit = 65536;

/// The interface the pools call for page memory; each pool keeps the layer it was made with.
class CMemSystem {
public:
    virtual ~CMemSystem() = default;
    /// A new page of `size` bytes (rounded up to 4096) starting on a 64 KB boundary, or null.
    virtual void* PageAlloc(size_t size, uint32_t flags) = 0;
    /// Gives a page back; `size` is its committed size.
    virtual void PageRelease(void* page, size_t size) = 0;
    /// Grows or shrinks a page in place to `newSize` (rounded up to 4096): growing needs room in
    /// the page's reservation. False when it cannot be done.
    virtual bool PageResize(void* page, size_t oldSize, size_t newSize, uint32_t flags) = 0;
    /// Moves a page: a new page, the smaller size copied, the old page released, the rest
    /// cleared with MEMSYS_ZERO. Null (the old page kept) when no new page can be had.
    virtual void* PageMove(void* page, size_t oldSize, size_t newSize, uint32_t flags);
};

/// The layer over mmap. A region of one 64 KB unit that is freed below the current hint
/// becomes the hint, and the next one-unit page is first tried there (once).
class CMmapMemSystem : public CMemSystem {
public:
    void* PageAlloc(size_t size, uint32_t flags) override;
    void PageRelease(void* page, size_t size) override;
    bool PageResize(void* page, size_t oldSize, size_t newSize, uint32_t flags) override;
    void ResetHint();

private:
    void* ReserveAligned(size_t reserve);
    std::atomic<uintptr_t> hint_{0};
};

/// The layer that new pools take; the mmap layer unless a test installed another one.
CMemSystem& xMemory_System();
/// Installs the layer for pools made from now on (null: the mmap layer); answers the previous.
CMemSystem* xMemory_SetSystem(CMemSystem* system);
/// The one mmap layer of the process.
CMmapMemSystem& xMemory_MmapSystem();

/// Size helpers shared by the layers.
constexpr size_t MemRoundUp(size_t value, size_t unit) { return (value + unit - 1) & ~(unit - 1); }
