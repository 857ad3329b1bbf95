#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"
#include "engine/data/Driver.h"

class ODrvFile;
class ODrvUnBuffFile;
struct MemPool;

/// One entry of a loaded index block, in host order. Size and offset are the stored ones (the
/// size includes the chunk header; offset 0 means the entry is free). The flags and the data
/// pointer are run-time fields: the low 13 flag bits are the cache reference count (for a master
/// entry: the number of cached chunks of its index), bit 14 selects the unbuffered driver, bit 15
/// marks an entry supplied by a patch file, bit 13 is carried.
struct RavoEntry {
    uint16_t flags = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
    void* data = nullptr; ///< cached chunk data (never written to the file)
};

/// A loaded index block (the master index or a typed index) in host order.
struct RavoIndex {
    Tag4 blockTag{"INDX"};
    Tag4 blockKind{"vari"}; ///< "meta" for the master index
    uint32_t sizeField = 14; ///< 14 x capacity + 14
    uint16_t used = 0;
    uint16_t capacity = 0;
    uint16_t format = 0;
    Tag4 tag{"DATA"};
    Tag4 type{"????"};
    std::vector<RavoEntry> entries; ///< entries[e - 1] is entry e, 1 <= e <= capacity

    /// Entry e (1 to capacity), or null outside that range.
    RavoEntry* Entry(uint32_t e) { return e >= 1 && e <= entries.size() ? &entries[e - 1] : nullptr; }
    const RavoEntry* Entry(uint32_t e) const {
        return e >= 1 && e <= entries.size() ? &entries[e - 1] : nullptr;
    }
    /// The whole length of the block in the file: 26 + 14 x capacity.
    uint32_t BlockLength() const { return 26u + 14u * capacity; }
};

namespace ravo {
inline constexpr uint16_t kRefCountMask = 0x1FFF;
inline constexpr uint16_t kFlagUnbuffered = 0x4000;
inline constexpr uint16_t kFlagPatched = 0x8000;
inline constexpr uint32_t kChunkHeaderLength = 1352;
/// The header's name field, at its start, with its terminating zero.
inline constexpr uint32_t kChunkNameLength = 64;
inline constexpr uint32_t kPropertyAreaOffset = 328;
inline constexpr uint32_t kPropertyAreaLength = 1024;

/// Header length of the chunks of an index format: 0 -> 0; 1, 2, 4 -> 4; 3 -> 8; 7 -> 12;
/// 8 -> 1352; any other -> 0.
uint32_t HeaderLength(uint16_t format);

/// Decodes an index block read from a file, checking that its counts agree with its length:
/// at least 26 bytes, size field = 14 x capacity + 14, 12 + size field within the bytes, used
/// not above capacity. False (and `out` unspecified) for a block that does not hold together.
bool DecodeIndexBlock(std::span<const uint8_t> bytes, RavoIndex& out);
/// The block's file bytes (26 + 14 x capacity): numbers big-endian, flags as stored, pointers 0.
std::vector<uint8_t> EncodeIndexBlock(const RavoIndex& index);
} // namespace ravo

/// An open chunk file of the "RAVO" format: a master index of typed index blocks, each listing
/// chunks of one kind. It reads and writes chunks by id, keeps a reference-counted cache of
/// chunk data, writes a chunk log, and reads through a chain of patch files whose chunks replace,
/// add or delete chunks of this file. One thread; every access of a driver is bracketed by
/// `BeginAccess`/`EndAccess`.
class CPartFile {
public:
    CPartFile();
    virtual ~CPartFile();
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    // ---- Files -------------------------------------------------------------------------------
    /// Makes a new file with an empty master index of n entries.
    bool Create(const char* name, uint16_t n);
    /// Mode 1 read only, 2 read and write; true when open with all its indexes loaded.
    bool Open(const char* name, int mode, int reserved = 0);
    /// Why the last Open failed: the file did not open at all, it holds no part file, or its
    /// indexes cannot be read.
    enum class OpenFailure { None, Unopened, NotPartFile, DamagedIndex };
    OpenFailure GetOpenFailure() const { return openFailure_; }
    /// The last damage a read met in this file ("chunk ID(1,3) lies outside its file"); empty
    /// while none was met.
    const std::string& GetDamage() const { return damage_; }
    /// How many times reads met damage in this file, never counted down: a reader compares it
    /// before and after its reads to learn whether the damage told is theirs.
    uint32_t GetDamageCount() const { return damageCount_; }
    void Close();
    bool IsOpen() const { return open_; }
    /// Writes back what the file keeps pending (the run's flush process calls it twice a second).
    virtual void Flush();
    void SetAccessFailureHandler(DrvAccessFailureHandler handler) { handler_ = handler; }

    /// Run-time switches the owner sets before opening.
    void SetCacheEnabled(bool enabled) { cacheEnabled_ = enabled; }
    bool IsCacheEnabled() const { return cacheEnabled_; }
    void SetChunkLogging(bool on) { chunkLogging_ = on; }
    bool IsChunkLogging() const { return chunkLogging_; }
    /// The name the file was opened with (empty when closed).
    const std::string& GetName() const { return name_; }
    /// The master index (null when closed).
    RavoIndex* GetMaster() { return master_.get(); }

    // ---- Indexes -----------------------------------------------------------------------------
    /// The index block whose number is the id's byte 0; null for 0 or above the used count.
    RavoIndex* GetIndex(ChunkId id);
    void UnlockIndex(RavoIndex** index) {
        if (index != nullptr) {
            *index = nullptr;
        }
    }
    /// Number of the first index with that tag and type, 0 when none.
    uint8_t FindIndex(Tag4 tag, Tag4 type);
    uint8_t FindDataIndex(Tag4 type) { return FindIndex(Tag4("DATA"), type); }
    RavoIndex* GetIndexByTag(Tag4 tag, Tag4 type);
    /// Writes the number of the "DATA" index of the type into the id's byte 0.
    bool SetDataIndexOfId(ChunkId& id, Tag4 type);
    /// The id's index type, "****" when the index does not exist.
    Tag4 GetIndexType(ChunkId id);
    /// Id of the first chunk of the index whose header name equals `name`, else the null id.
    ChunkId FindChunkByName(const char* name, ChunkId indexId);

    // ---- Locations ---------------------------------------------------------------------------
    bool ChunkSizeAndOffset(ChunkId id, uint32_t* size, uint32_t* offset);
    bool ChunkSizeAndOffset(ChunkId id, RavoIndex* index, uint32_t* size, uint32_t* offset);
    /// True when the entry number is not 0 and the entry has an offset and a size.
    bool ChunkExists(ChunkId id);
    /// Size and offset of the chunk's data (past its header); both 0 when missing. True when
    /// the chunk has a place.
    bool GetChunkLocation(ChunkId id, uint32_t* dataSize, uint32_t* dataOffset,
                          RavoIndex* index = nullptr);

    // ---- Reads -------------------------------------------------------------------------------
    /// Reads the 1352-byte header of a chunk of a format-8 index (names forced to end in NUL).
    bool ReadChunkHeader(ChunkId id, void* buffer);
    /// The name field of the chunk's header into `name` (`size` bytes, cut to fit and
    /// terminated); false, with `name` empty, when the header cannot be read.
    bool ReadChunkName(ChunkId id, char* name, size_t size);
    /// The chunk's data less its first `skip` bytes, into `buffer` or a new block (`Alloc`).
    void* GetChunk(ChunkId id, void* buffer = nullptr, RavoIndex* index = nullptr, uint32_t skip = 0);
    /// `GetChunk` with no buffer, index or skip.
    void* GetChunkData(ChunkId id) { return GetChunk(id); }
    /// `length` bytes of the chunk's data from byte `skip` on, into `buffer` or a new block.
    void* ReadChunkInto(ChunkId id, uint32_t length, void* buffer, uint32_t skip = 0);
    /// Reads header and data into the two buffers (in one piece when they are adjacent).
    bool ReadChunk(ChunkId id, void* headerBuffer, void* dataBuffer);
    /// The whole stored chunk (header included) in a new block; used for index blocks.
    void* ReadRawChunk(ChunkId id);
    /// Attaches the file's block driver to the chunk's data and stores it in `driver`, with the
    /// access of its source begun; one stream at a time (a second open is refused).
    bool OpenChunkStream(ChunkId id, uint32_t* dataSize, ODriver** driver, RavoIndex* index = nullptr);
    void CloseChunkStream(ChunkId id, ODriver** driver);

    // ---- Writes ------------------------------------------------------------------------------
    /// Adds an empty index and writes its block; its number, 0 on failure.
    uint8_t AddIndex(uint16_t capacity, uint16_t format, Tag4 tag, Tag4 type);
    /// Writes a chunk and its index block; the chunk's id, the null id on failure.
    ChunkId WriteChunk(const void* data, uint32_t size, ChunkId id, Tag4 chunkTag, Tag4 indexType,
                       RavoIndex* index = nullptr);
    bool ExpandIndex(ChunkId id, uint16_t capacity);
    bool GrowMaster(uint16_t capacity);
    bool WriteMasterIndex();
    /// First free entry of an index (1 upward), 0 when it is full.
    uint16_t FindFreeEntry(const RavoIndex* index) const;
    /// File offset for `length` bytes: the smallest free stretch that fits, else the file's end.
    uint32_t AllocateSpace(uint32_t length);
    void FreeSpace(uint32_t length, uint32_t offset);
    /// A new 1352-byte header: zeroed, the default name and description, both times now.
    static void InitChunkHeader(void* buffer);

    // ---- Chunk data memory and cache ---------------------------------------------------------
    void CreateHeap();
    /// The private heap when it exists, else the calling thread's default pool.
    MemPool* SelectHeap(uint32_t size);
    /// The private heap of chunk data (the chunk cache's pool), or null when the file has none.
    MemPool* GetHeap() const { return heap_; }
    /// A block for chunk data; null for size 0. Free it with `FreeBlock`.
    void* Alloc(uint32_t size, uint32_t flags = 0);
    static void FreeBlock(void* block);

    void* AddChunkRef(ChunkId id);
    void SetChunkData(ChunkId id, void* data);
    void ReleaseChunk(ChunkId id);
    bool ReleaseChunkRef(ChunkId id);
    bool ReleaseChunkData(void* data, Tag4 type);

    // ---- Access bracket and driver choice ----------------------------------------------------
    bool BeginAccess(ODriver* driver);
    bool EndAccess(ODriver* driver);
    /// The driver to read a chunk from, with its access begun.
    ODriver* AcquireChunkDriver(ChunkId id);
    void ReleaseChunkDriver(ODriver** driver);
    /// The file's own drivers (for tests and for the memory view).
    ODriver* GetFileDriver() const;
    ODriver* GetBlockDriver() { return blockDriver_.get(); }
    bool IsInAccess() const { return inAccess_; }
    size_t AccessDepth() const { return accessStack_.size(); }

    // ---- Patch chain -------------------------------------------------------------------------
    bool OpenPatch(const char* name, CPartFile* target = nullptr);
    bool InstallPatch(CPartFile* target = nullptr, CPartFile* patch = nullptr);
    void ClosePatch();
    CPartFile* GetNextFile() const { return next_.get(); }

    // ---- Chunk log ---------------------------------------------------------------------------
    bool OpenChunkLog(bool force = false);
    void CloseChunkLog();
    void LogChunk(ChunkId id, const char* kind = nullptr);
    void WriteLog(const char* text);
    /// The name of the chunk log for a chunk file of that name.
    static std::string ChunkLogName(const std::string& fileName);

private:
    struct AccessRecord {
        uint32_t position;
        ODriver* driver;
    };
    struct FreeStretch {
        uint32_t offset;
        uint32_t length;
    };
    class Access;

    CPartFile* OwnerOf(ODriver* driver);
    bool ReadAt(ODriver* driver, uint32_t offset, void* buffer, uint32_t length);
    bool WriteAt(uint32_t offset, const void* data, uint32_t length);
    /// Reads a chunk's stored bytes from `offset` through the driver chosen for it.
    bool ReadChunkBytes(ChunkId id, uint32_t offset, void* buffer, uint32_t length);
    /// Reads `length` bytes of the chunk from `offset` into the buffer, or into a new block of
    /// `blockSize` bytes when there is none (freed again when the read fails).
    void* ReadIntoBuffer(ChunkId id, uint32_t offset, uint32_t length, void* buffer, uint32_t blockSize);
    bool ReadHeaderRaw(ChunkId id, void* buffer);
    RavoEntry* EntryOf(ChunkId id, RavoIndex** indexOut = nullptr);
    /// The file of the chain whose bytes hold the chunk (patched entries lie further on).
    CPartFile* HolderOf(ChunkId id);
    RavoEntry* MasterEntry(uint8_t n) { return master_ ? master_->Entry(n) : nullptr; }
    uint32_t FileSize();
    bool WriteIndexBlock(uint8_t n);
    bool PlaceIndex(uint8_t n);
    /// The number of the patch's indexes that chunk ids reach.
    static uint16_t PatchIndexCount(const CPartFile& patch);
    /// True when the patch can go into this file whole (traces the start of an installation).
    bool Accepts(CPartFile& patch);
    /// Installs a patch that `Accepts` took, in memory only.
    void TakePatch(CPartFile& patch);
    void DropChunkCount(uint8_t indexNumber);
    void FreeIndexes();

    std::unique_ptr<ODrvFile> fileDriver_;
    std::unique_ptr<ODriver> blockDriver_;
    DrvAccessFailureHandler handler_ = nullptr;
    std::unique_ptr<ODrvUnBuffFile> unbuffered_;
    bool inAccess_ = false;
    std::vector<AccessRecord> accessStack_;
    std::unique_ptr<RavoIndex> master_;
    uint32_t masterOffset_ = 0;
    std::vector<std::unique_ptr<RavoIndex>> indexes_; ///< [n - 1]: loaded index n
    std::string name_;
    OpenFailure openFailure_ = OpenFailure::None;
    std::string damage_;
    uint32_t damageCount_ = 0;
    uint32_t driverMode_ = 0;
    MemPool* heap_ = nullptr;
    std::unique_ptr<CPartFile> next_;
    bool open_ = false;
    std::vector<FreeStretch> freeSpace_;
    bool chunkLogging_ = false;
    std::unique_ptr<ODrvFile> logDriver_;
    bool cacheEnabled_ = false;
};
