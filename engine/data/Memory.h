#pragma once
// The engine's memory manager: pools that take memory from the system in pages, cut the pages
// into blocks by size class, find a block's page from its address alone and give empty pages
// back above a retention floor. Every public call checks its pool and reports errors to one
// installable handler; none throws.
//
// Page kinds and the usable size of their blocks:
//   0  variable blocks of 257-4096 bytes in 16384-byte pages     block size less 2
//   1  fixed-size blocks (pools with a block size and reserved fixed pages)   the block size
//   2  variable blocks, as 0, in pages reserved for them         block size less 2
//   3  one large block (above 4096 bytes) per page of size + 32 rounded to 4096   page less 32
//   4  small blocks of up to 256 bytes in 65536-byte pages       size class x 8 + 7
// Every block starts on a 16-byte boundary. Every page starts on a 64 KB boundary, so the
// page of a block is found by clearing the low 16 bits of its address; the pages are also
// listed in a registry, so a pointer that the pools do not own is refused without being read.
//
// Shared pools (between processes) are not built: flag 1 or a shared name answers null.
#include <cstddef>
#include <cstdint>

/// A pool header; a pool handle is a pointer to it.
struct MemPool;

// Pool flags.
inline constexpr uint16_t POOL_SHARED = 0x0001;      ///< shared between processes (not built)
inline constexpr uint16_t POOL_SERIALIZE = 0x0002;   ///< locked, so several threads may use it
inline constexpr uint16_t POOL_VIRTUAL_64K = 0x0010; ///< large pages rounded to 64 KB units
inline constexpr uint16_t POOL_FINE_SPLIT = 0x4000;  ///< split variable blocks from 16 bytes on
inline constexpr uint16_t POOL_ENGINE = 0x8000;      ///< an engine pool; implies POOL_SERIALIZE

// Allocation flags.
inline constexpr uint32_t BLOCK_ZEROINIT = 0x01;     ///< clear the block (or the bytes gained)
inline constexpr uint32_t BLOCK_FRONT = 0x04;        ///< hand out the front part of a split block
inline constexpr uint32_t BLOCK_IN_PLACE = 0x08;     ///< resize without moving, or fail
inline constexpr uint32_t BLOCK_NO_NEW_SMALL_PAGE = 0x10; ///< small blocks: take no new page

// PoolReserve kinds.
inline constexpr int POOL_RESERVE_FIXED = 1;
inline constexpr int POOL_RESERVE_VARIABLE_RESERVED = 2;
inline constexpr int POOL_RESERVE_VARIABLE = 4;

// Defaults of a new pool.
inline constexpr uint64_t kPoolDefaultFloor = 0x40000;       ///< retention floor in bytes
inline constexpr uint64_t kPoolDefaultCeiling = 0xFFFFFFFE;  ///< most bytes a pool may hold

/// Error codes passed to the error handler. Codes 1, 6, 8, 9, 13 and 15 are reserved: nothing
/// raises them.
enum MemErrorCode : int {
    MEM_INTERNAL_ERROR = 1,
    MEM_OUT_OF_MEMORY = 2, ///< the only code whose handler may answer "retry"
    MEM_BLOCK_TOO_BIG = 3,
    MEM_ALLOC_ZERO = 4,
    MEM_RESIZE_FAILED = 5,
    MEM_LOCK_ERROR = 6,
    MEM_EXCEEDED_CEILING = 7,
    MEM_TOO_MANY_PAGES = 8,
    MEM_TOO_MANY_TASKS = 9,
    MEM_BAD_MEM_POOL = 10,
    MEM_BAD_BLOCK = 11,
    MEM_BAD_FREE_BLOCK = 12,
    MEM_BAD_HANDLE = 13,
    MEM_BAD_POINTER = 14, ///< not a block of ours, or a block that is already free
    MEM_WRONG_TASK = 15,
};

/// What the error handler receives: the code and the pool or block concerned.
struct MemErrorRecord {
    int code = 0;
    const void* object = nullptr;
};

/// Answers 1 to retry the operation (offered for MEM_OUT_OF_MEMORY only), 0 to fail it.
/// The handler runs without any pool lock held, so it may use the pools.
using MemErrorHandler = int (*)(MemErrorRecord* record);

/// One step of a walk over a pool's blocks. Start with `block` null; each PoolWalk call moves
/// the entry to the next block (page kind by page kind 0-4, page by page).
struct PoolWalkEntry {
    void* block = nullptr;
    MemPool* pool = nullptr;
    int64_t size = 0;     ///< usable size
    int32_t inUse = 0;    ///< 1 for a block in use
    int32_t pageType = 0; ///< the walk's position: page kind ...
    void* page = nullptr; ///< ... and page
};

// Pools.
MemPool* PoolCreate(uint16_t flags);
/// A pool with a fixed block size (0 = none), `initialBlocks` fixed blocks reserved, the flags,
/// and its retention floor and ceiling. A shared name (shared pools are not built) answers null.
MemPool* PoolCreateEx(uint32_t blockSize, uint32_t initialBlocks, uint16_t flags,
                      const char* sharedName = nullptr, uint64_t floor = kPoolDefaultFloor,
                      uint64_t ceiling = kPoolDefaultCeiling);
int PoolSetBlockSize(MemPool* pool, uint32_t size);
int PoolDestroy(MemPool* pool);

// Blocks.
void* PoolAllocBlock(MemPool* pool, size_t size, uint32_t flags = 0);
/// 1 on success; 0 for a block that is not ours or already free (MEM_BAD_POINTER) and for null.
int PoolFreeBlock(void* block);
void* PoolResizeBlock(void* block, size_t size, uint32_t flags = 0);
/// The usable size of a block in use; -1 (MEM_BAD_POINTER) otherwise.
int64_t PoolBlockSize(const void* block);

/// The calling thread's default pool. On a machine of one processor the pool is chosen among
/// seventeen thread pools and may be answered locked for the caller's next pool call.
MemPool* PoolForThread();
/// The pool that memory reports show: the calling thread's default pool.
inline MemPool* GetDefaultPool() { return PoolForThread(); }

// Pool upkeep.
int64_t PoolShrink(MemPool* pool);
int64_t PoolReserve(MemPool* pool, uint64_t bytes, int kind);
int64_t PoolBytesInUse(MemPool* pool);
int PoolWalk(MemPool* pool, PoolWalkEntry* entry);
/// PoolWalk on to the pool's next block in use (or free); 0 at the end, negative (reported as by
/// PoolWalk) for an entry the pool does not know.
int PoolNextUsedBlock(MemPool* pool, PoolWalkEntry* entry);
int PoolNextFreeBlock(MemPool* pool, PoolWalkEntry* entry);
int PoolCheck(MemPool* pool);

// Errors.
MemErrorHandler PoolSetErrorHandler(MemErrorHandler handler);
int PoolAddClient();
/// Reports an error to the installed handler; answers 1 for "retry".
int PoolReportError(const void* object, int code);
/// The handler installed at start: shows the "Brimalloc Library" box.
int PoolDefaultErrorHandler(MemErrorRecord* record);

/// Allocates for `operator new`: size 0 counts as 1, a null pool is the thread's default pool;
/// on failure the installed new handler runs and the allocation is retried while there is one.
/// Null when there is none (the caller throws).
void* NewWithHandler(size_t size, uint32_t flags, MemPool* pool);

/// Forgets the manager's state (processor decision, thread pools, handler, error records,
/// clients, system layer); default pools without blocks in use are destroyed.
void xMemory_ResetForTest();

// The C heap functions over the calling thread's default pool (engine names; the C library's
// own malloc family is never replaced). Sizes are rounded up to a multiple of 4; 0 counts as 4.
struct xHeapWalkInfo {
    void* pointer = nullptr;
    size_t size = 0;
    int useFlag = 0; ///< 1 in use, 0 free
};
inline constexpr int XHEAP_OK = -2;
inline constexpr int XHEAP_BADNODE = -4;
inline constexpr int XHEAP_END = -5;
inline constexpr int XHEAP_BADPTR = -6;

void* xHeap_Malloc(size_t size);
void* xHeap_Calloc(size_t count, size_t size);
void* xHeap_Realloc(void* block, size_t size);
void xHeap_Free(void* block);
void* xHeap_Expand(void* block, size_t size);
size_t xHeap_Msize(void* block);
int xHeap_Add(void* memory, size_t size); ///< adding memory to the heap: not supported, -1
int xHeap_Chk();
int xHeap_Set(unsigned fill);
int xHeap_Walk(xHeapWalkInfo* entry);
size_t xHeap_Used(size_t* used, size_t* committed);
int xHeap_Min();
/// The C runtime's new mode: when set, xHeap_Malloc and xHeap_Calloc call the new handler and
/// retry. Answers the previous mode.
int xHeap_SetNewMode(int mode);

/// The twelve C heap entry points, in the order of the C heap table.
struct xHeapTable {
    void* (*malloc)(size_t);
    void* (*calloc)(size_t, size_t);
    void* (*realloc)(void*, size_t);
    void (*free)(void*);
    void* (*expand)(void*, size_t);
    size_t (*msize)(void*);
    int (*add)(void*, size_t);
    int (*heapchk)();
    int (*heapset)(unsigned);
    int (*heapwalk)(xHeapWalkInfo*);
    size_t (*heapused)(size_t*, size_t*);
    int (*heapmin)();
};
const xHeapTable& xHeap_GetTable();
