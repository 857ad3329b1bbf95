#pragma once
// The chunks an animation is made of: the part (its values and state list), its common-block
// table ("cblk", the part's entry number), each state (frame records) and each state's
// compressed frames ("comp", the state's entry number). The loaders read them from an open
// part file, check every count and offset against the chunk's size, turn their big-endian
// numbers into host order, and share them through the part file's chunk cache.
//
// Records are single blocks of the memory manager, so the chunk cache can hold and free them.
// A part record's common-block pointer is a field of our own in front of the chunk header;
// nothing of it is ever written to a file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/data/ChunkId.h"
#include "engine/data/PartFile.h"

/// The chunk header of a part or state, and the property record inside it.
inline constexpr uint32_t kAnimChunkHeaderLength = ravo::kChunkHeaderLength;
inline constexpr uint32_t kAnimPropertyOffset = ravo::kPropertyAreaOffset;

/// A part in memory: the common-block table, the chunk header and the chunk data (host order).
struct CPartRecord {
    static constexpr uint32_t kMinDataSize = 22;
    static constexpr uint32_t kStateEntrySize = 8;

    uint8_t* commonBlocks;   ///< the part's table as loaded with the record, or null
    uint32_t dataSize;       ///< bytes of data behind the header (at least 22)
    uint32_t spare;
    uint8_t header[kAnimChunkHeaderLength];

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }
    std::span<uint8_t> DataSpan() { return {Data(), dataSize}; }
    uint8_t RecolorFlagA() const { return Data()[1]; }
    uint8_t RecolorFlagB() const { return Data()[2]; }
    int16_t StateCount() const;
    /// State and sound chunk ids of entry i (0 <= i < state count), else the null id.
    ChunkId StateId(int32_t i) const;
    ChunkId SoundId(int32_t i) const;
    /// Whether the header's property area holds a property record.
    bool HasProperty() const;
};
static_assert(sizeof(CPartRecord) % 8 == 0);

/// A state in memory: three values from the header's property record, the header, the data.
struct CStateRecord {
    static constexpr uint32_t kFrameRecordSize = 14;

    static constexpr uint8_t kTag = 'S';

    uint32_t propertyId;    ///< chunk id from the property record (0 without one)
    uint16_t propertyValue; ///< the u16 at property offset 26
    uint8_t accumulate;     ///< the accumulate flag at property offset 28
    uint8_t tag;            ///< kTag: tells a state record from other data the cache holds
    uint8_t header[kAnimChunkHeaderLength];

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }
    int16_t FrameCount() const;
    /// Frame record f (14 bytes, host order); the caller keeps 0 <= f < frame count.
    const uint8_t* Frame(int32_t f) const { return Data() + 2 + kFrameRecordSize * f; }
};
static_assert(sizeof(CStateRecord) == 1360);

// ---- Parts ----------------------------------------------------------------------------------
CPartRecord* LoadPart(CPartFile* partFile, ChunkId partId);
/// The cached record with one more reference (its table too), else loaded and cached; null
/// when the part file's cache is off.
CPartRecord* GetPart(CPartFile* partFile, ChunkId partId);
/// Frees an uncached record and its table.
void ReleasePart(CPartFile* partFile, ChunkId partId, CPartRecord* record);
/// Drops the cache references of a cached record and of its table.
void ReleasePartRef(CPartFile* partFile, ChunkId partId, CPartRecord* record);

// ---- Common-block tables --------------------------------------------------------------------
/// The "cblk" chunk with the id's entry number, checked and swapped; null when the part file
/// has no "cblk" index or no such chunk, or when the table does not hold together.
uint8_t* LoadCommonBlock(CPartFile* partFile, ChunkId id);
/// The cached table with one more reference, else loaded and cached; null when the cache is off
/// or the file has no "cblk" index ("Common Block index not found").
uint8_t* GetCommonBlock(CPartFile* partFile, ChunkId id);
void FreeCommonBlock(CPartFile* partFile, ChunkId id, uint8_t* block);
void ReleaseCommonBlock(CPartFile* partFile, ChunkId id, uint8_t* block);
/// Bytes of a loaded table (kept in its run-time slot at byte 10).
uint32_t CommonBlockSize(const uint8_t* block);

// ---- States ---------------------------------------------------------------------------------
CStateRecord* LoadState(CPartFile* partFile, ChunkId stateId);
CStateRecord* GetState(CPartFile* partFile, ChunkId stateId);
void ReleaseState(CPartFile* partFile, ChunkId stateId, CStateRecord* record);
void FreeState(CStateRecord* record);

// ---- Compressed images ----------------------------------------------------------------------
/// The "comp" chunk with the state's entry number, checked and swapped, with its size word set
/// to the bytes it holds. Every line is checked against the common-block table given (lines
/// that refer to blocks need one); null when anything does not fit.
uint8_t* LoadCompImage(CPartFile* partFile, ChunkId stateId, const uint8_t* commonBlocks = nullptr);
uint8_t* GetCompImage(CPartFile* partFile, ChunkId stateId, const uint8_t* commonBlocks = nullptr);
void ReleaseCompImage(CPartFile* partFile, ChunkId stateId, uint8_t* image);
void FreeCompImage(uint8_t* image);

// ---- Checks and swaps (direction: toFile false after reading, true before writing) -----------
/// Swaps the part header's four words and the data; a state count that does not fit the data
/// (or is negative) becomes 0 and is reported. False when the data cannot hold the values.
bool SwapPartChunk(std::span<uint8_t> header, std::span<uint8_t> data, bool toFile, uint16_t entry = 0);
/// Swaps the frame count and the frame records; false (nothing swapped) when they do not fit.
bool SwapStateChunk(std::span<uint8_t> data, bool toFile);
/// Swaps the block count, the word at 2 and the block offsets; false when they do not fit.
bool SwapCommonBlock(std::span<uint8_t> table, bool toFile);
/// Swaps the image header, the frame table and each distinct frame's header and line table;
/// false (the image partly swapped) when an offset or count does not fit.
bool SwapCompImage(std::span<uint8_t> image, bool toFile);
/// Checks a host-order image: the frame table, each frame's size and line table, and every line
/// with VQTRLE_ValidateLine against the table given.
bool ValidateCompImage(std::span<const uint8_t> image, const uint8_t* commonBlocks);
/// Checks a host-order common-block table of `size` bytes.
bool ValidateCommonBlock(std::span<const uint8_t> table);
