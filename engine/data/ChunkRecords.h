#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;

// Records stored in chunks: chunk lists, text records, path chunks and the property record of a
// chunk header. Every number is stored big-endian and swapped in place; a swap that loops over
// a stored count takes a to-file flag, reads the count in the order that direction finds it
// before anything is swapped, and checks every count and offset against the buffer first.

// ---- Chunk lists ("clst") -------------------------------------------------------------------

/// The chunk list's data (a block to free with `CPartFile::FreeBlock`) with its count and ids in
/// host order, or null: a missing chunk shows "VQT : Missing Chunk List {%d, %d, %d}" in a box
/// titled "Error"; a count beyond the data (or negative) is refused with a trace.
void* LoadChunkList(CPartFile* partFile, ChunkId id);
/// The in-place swap of a chunk list; false (nothing swapped) when the count does not fit.
bool SwapChunkList(std::span<uint8_t> list, bool toFile);
/// The count and the ids of a loaded (host-order) chunk list.
int16_t ChunkListCount(const void* list);
ChunkId ChunkListId(const void* list, int index);

// ---- Text records ("utxt") ------------------------------------------------------------------

/// The records of a text chunk: {id, text length in bytes, two carried words, UTF-16 text},
/// copied one block per record, in host order.
class CChunkList {
public:
    CChunkList() = default;
    ~CChunkList();
    CChunkList(const CChunkList&) = delete;
    CChunkList& operator=(const CChunkList&) = delete;

    /// Empties the list and loads every whole record of the chunk; true when one was loaded.
    bool Load(CPartFile* partFile, ChunkId id);
    /// Copies the text of the first record with that id and a non-zero length, at most
    /// bufferBytes / 2 - 1 characters, and ends it with a 0 character; false when there is
    /// none or the buffer holds not even the ending 0.
    bool GetText(uint32_t id, char16_t* buffer, uint32_t bufferBytes) const;
    /// The text length of the last record with that id, 0 when none.
    uint32_t FindValue(uint32_t id) const;
    bool Has(uint32_t id) const;

    int Count() const { return static_cast<int>(records_.size()); }
    uint32_t RecordId(int i) const;
    uint32_t RecordLength(int i) const;
    /// The two carried words of a record.
    uint32_t RecordWord(int i, int word) const;
    const char16_t* RecordText(int i) const;
    /// The chunk id last loaded (the null id when the last load found nothing).
    ChunkId LastId() const { return lastId_; }

private:
    void Clear();

    std::vector<uint8_t*> records_;
    static constexpr int kGrowthStep = 64;
    ChunkId lastId_ = kNullChunkId;
};

// ---- Paths ("path") -------------------------------------------------------------------------

inline constexpr uint32_t kPathHeadLength = 50;
inline constexpr uint32_t kPathRecordLength = 46;

/// The path chunk's data, swapped, with both attachments marked absent and the run-time words
/// cleared; null for a missing chunk ("VQT : Missing Path {%d, %d, %d}" in a box titled "Error")
/// or one whose record count does not fit its data. Free it with `FreePath`.
void* LoadPath(CPartFile* partFile, ChunkId id);
void FreePath(void* path);
/// The record count of a loaded path and its record i (46 bytes, host order).
int16_t PathCount(const void* path);
const uint8_t* PathRecord(const void* path, int index);

/// In-place swaps of the path layouts. The attachments are separate blocks (their run-time
/// pointers never live in the path's 4-byte fields), handed in when their flags are set.
bool SwapPath(std::span<uint8_t> path, bool toFile, std::span<uint8_t> attachment1 = {},
              std::span<uint8_t> attachment2 = {});
bool SwapPathRecord(std::span<uint8_t> record);
bool SwapPathAttachment1(std::span<uint8_t> block, bool toFile);
/// The sets' offsets stay offsets (from each set's or item's own start) in host order.
bool SwapPathAttachment2(std::span<uint8_t> block, bool toFile);
bool SwapRelocatableSet(std::span<uint8_t> set, bool toFile);
bool SwapRelocatableItem(std::span<uint8_t> item, bool toFile);

// ---- Property records -----------------------------------------------------------------------

inline constexpr uint32_t kPropertyRecordLength = 180;

/// Whether a property area (of a chunk header) begins with the tag "PROPERTY" and its NUL.
bool HasPropertyTag(const uint8_t* area);
/// Copies the property record of a 1352-byte chunk header into `record` (180 bytes) and swaps
/// it; answers `record`. A header without the tag "PROPERTY" (and its NUL) gives the defaults
/// (0, 8, 22050, 0, 1 at offsets 22 to 30, zero elsewhere) and null.
void* ReadPropertyRecord(const void* header, void* record);
/// The full swap (fields at 9, 11 and 22-30) and the short one (9, 11, 24, 26).
void SwapPropertyRecord(void* record);
void SwapPropertyHead(void* record);
/// Frees a record block allocated by its owner with the chunk-data allocator.
void ReleasePropertyRecord(void* record);
/// A host-order u16 of a swapped record.
uint16_t PropertyValue16(const void* record, uint32_t offset);
/// Whether the chunk's header holds a property record.
bool xChunk_IsProperty(CPartFile* partFile, ChunkId id);

/// The engine's in-memory head of a property record.
struct CPropertyRecord {
    uint32_t word = 0;
    char tag[9] = {};
    uint8_t bytes[13] = {};
    uint8_t last = 0;

    /// Writes the tag "PROPERTY" with its NUL and zeroes the 13 bytes after it.
    void Init();
    /// Zeroes the first word and the final byte.
    void Clear();
};

/// The property reader of a chunk: the pair of values at record offsets 22 and 24.
class CChunkProperty {
public:
    /// True when the chunk's header holds a property record; the pair is then read.
    bool Load(CPartFile* partFile, ChunkId id);
    bool IsLoaded() const { return loaded_; }
    const uint16_t* Values() const { return values_; }
    uint16_t ValueCount() const { return valueBytes_ / 2; }
    CPartFile* PartFile() const { return partFile_; }
    ChunkId Id() const { return id_; }

private:
    CPropertyRecord head_;
    CPartFile* partFile_ = nullptr;
    ChunkId id_ = kNullChunkId;
    bool loaded_ = false;
    uint16_t valueBytes_ = 4;
    uint16_t values_[2] = {};
};

/// A 256-byte table buffer (tint and remap tables), zero-filled from the default pool.
class CByteTable {
public:
    explicit CByteTable(int16_t value);
    ~CByteTable() { Release(); }
    CByteTable(const CByteTable&) = delete;
    CByteTable& operator=(const CByteTable&) = delete;

    /// Frees the buffer when the table owns it, then clears the owns flag.
    void Release();
    uint8_t* Data() { return data_; }
    bool Owns() const { return owns_; }
    int16_t Value() const { return value_; }

private:
    bool owns_ = false;
    int16_t value_ = 0;
    uint8_t* data_ = nullptr;
};

/// `CPartFile::GetChunk` with no buffer, no index and no skip.
void* GetChunkData(CPartFile* partFile, ChunkId id);
