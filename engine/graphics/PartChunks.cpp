#include "engine/graphics/PartChunks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "engine/base/ByteOrder.h"
#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/Vqtrle.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/Memory.h"
#include "engine/data/PartFile.h"
#include "engine/data/MessageBox.h"
#include "platform/Platform.h"

namespace {

using bytes::Swap16;
using bytes::Swap32;

constexpr uint32_t kCblkHead = 14;          // count, word, flag, three bytes, run-time slot
constexpr uint32_t kCblkSizeSlot = 10;      // the run-time slot keeps the table's byte count
constexpr uint32_t kCompHead = 8;           // size word, frame count, spare word
constexpr uint32_t kLineOffsetMask = 0x7FFFFFFFu;

using unaligned::Load16;
using unaligned::Load32;

/// The number of the part file's "DATA" index of the type in the id's low byte.
ChunkId InIndexOf(CPartFile* partFile, ChunkId id, Tag4 type) {
    const uint8_t n = partFile->FindDataIndex(type);
    return n == 0 ? kNullChunkId : MakeChunkId(n, ChunkEntryOf(id));
}

/// Whether the cache entry of `id` may hold data of the kind that `type` names: the id names a
/// chunk (not an index block) of an index of that type.
bool CachedAs(CPartFile* partFile, ChunkId id, Tag4 type) {
    return ChunkIndexOf(id) != 0 && ChunkEntryOf(id) != 0 && partFile->GetIndexType(id) == type;
}

/// Whether a state id may be looked up in the cache: a chunk, not an index block, and none of
/// the chunks whose cache entries hold parts, images or tables.
bool StateCacheable(CPartFile* partFile, ChunkId id) {
    if (ChunkIndexOf(id) == 0 || ChunkEntryOf(id) == 0) {
        return false;
    }
    const Tag4 type = partFile->GetIndexType(id);
    return type != Tag4("part") && type != Tag4("comp") && type != Tag4("cblk");
}

/// Hands data just loaded to the chunk cache under `id` (null is not cached) and answers it.
template <class T>
T* Cached(CPartFile* partFile, ChunkId id, T* data) {
    if (data != nullptr) {
        partFile->SetChunkData(id, data);
    }
    return data;
}

/// The chunk's data in a new block of the part file with its size; null when it has none.
uint8_t* ReadData(CPartFile* partFile, ChunkId id, uint32_t& size) {
    uint32_t offset = 0;
    size = 0;
    if (!partFile->GetChunkLocation(id, &size, &offset) || size == 0) {
        return nullptr;
    }
    return static_cast<uint8_t*>(partFile->GetChunk(id));
}

} // namespace

// ---- Records --------------------------------------------------------------------------------

int16_t CPartRecord::StateCount() const { return static_cast<int16_t>(Load16(Data() + 20)); }

ChunkId CPartRecord::StateId(int32_t i) const {
    return i >= 0 && i < StateCount() ? Load32(Data() + kMinDataSize + kStateEntrySize * i) : kNullChunkId;
}

ChunkId CPartRecord::SoundId(int32_t i) const {
    return i >= 0 && i < StateCount() ? Load32(Data() + kMinDataSize + kStateEntrySize * i + 4) : kNullChunkId;
}

bool CPartRecord::HasProperty() const { return HasPropertyTag(header + kAnimPropertyOffset); }

int16_t CStateRecord::FrameCount() const { return static_cast<int16_t>(Load16(Data())); }

// ---- Swaps ----------------------------------------------------------------------------------

bool SwapPartChunk(std::span<uint8_t> header, std::span<uint8_t> data, bool toFile, uint16_t entry) {
    if (header.size() >= kAnimChunkHeaderLength) {
        for (uint32_t offset : {kAnimPropertyOffset + 22, kAnimPropertyOffset + 24, kAnimPropertyOffset + 26, 1158u}) {
            Swap16(header, offset, toFile);
        }
    }
    if (data.size() < CPartRecord::kMinDataSize) {
        return false;
    }
    for (size_t offset : {size_t(6), size_t(8), size_t(10)}) {
        Swap16(data, offset, toFile);
    }
    Swap32(data, 12, toFile);
    Swap32(data, 16, toFile);
    int32_t n = static_cast<int16_t>(bytes::Stored16(data, 20, toFile));
    Swap16(data, 20, toFile);
    const uint64_t expected = CPartRecord::kMinDataSize + uint64_t(CPartRecord::kStateEntrySize) * uint64_t(n < 0 ? 0 : n);
    if (n < 0 || expected > data.size()) {
        xTracef("Error - part %d not large enough for number of states, removing states\n", int(entry));
        n = 0;
        bytes::PutHost16(data, 20, 0);
    } else if (expected < data.size() && !toFile) {
        xTracef("Warning - part chunk oversized, #%d - Repairing...\n", int(entry));
    }
    for (int32_t i = 0; i < n; ++i) {
        // An id is [index, second, entry BE]: only the entry number turns.
        const size_t at = CPartRecord::kMinDataSize + CPartRecord::kStateEntrySize * size_t(i);
        Swap16(data, at + 2, toFile);
        Swap16(data, at + 6, toFile);
    }
    return true;
}

bool SwapStateChunk(std::span<uint8_t> data, bool toFile) {
    if (data.size() < 2) {
        return false;
    }
    const int16_t n = static_cast<int16_t>(bytes::Stored16(data, 0, toFile));
    if (n < 0 || 2 + uint64_t(CStateRecord::kFrameRecordSize) * uint64_t(n) > data.size()) {
        return false;
    }
    Swap16(data, 0, toFile);
    for (int32_t f = 0; f < n; ++f) {
        const size_t at = 2 + CStateRecord::kFrameRecordSize * size_t(f);
        for (size_t w = 2; w < CStateRecord::kFrameRecordSize; w += 2) { // the first word stays
            Swap16(data, at + w, toFile);
        }
    }
    return true;
}

bool SwapCommonBlock(std::span<uint8_t> table, bool toFile) {
    if (table.size() < kCblkHead) {
        return false;
    }
    const uint16_t c = bytes::Stored16(table, 0, toFile);
    if (kCblkHead + 2 * uint64_t(c) > table.size()) {
        return false;
    }
    Swap16(table, 0, toFile);
    Swap32(table, 2, toFile);
    for (uint32_t i = 0; i < c; ++i) {
        Swap16(table, kCblkHead + 2 * size_t(i), toFile);
    }
    return true;
}

bool SwapCompImage(std::span<uint8_t> image, bool toFile) {
    if (image.size() < kCompHead) {
        return false;
    }
    const int16_t n = static_cast<int16_t>(bytes::Stored16(image, 4, toFile));
    const uint64_t tableEnd = kCompHead + 4 * uint64_t(n < 0 ? 0 : n);
    if (n < 0 || tableEnd > image.size()) {
        return false;
    }
    Swap32(image, 0, toFile);
    Swap16(image, 4, toFile);
    Swap16(image, 6, toFile);
    std::unordered_set<uint32_t> done;
    for (int32_t f = 0; f < n; ++f) {
        const size_t at = kCompHead + 4 * size_t(f);
        const uint32_t frame = bytes::Stored32(image, at, toFile);
        Swap32(image, at, toFile);
        if (frame == 0 || done.count(frame) != 0) {
            continue; // no frame, or one shared with an earlier entry
        }
        if (frame < tableEnd || !bytes::Fits(image.size(), frame, 4)) {
            return false;
        }
        const uint16_t h = bytes::Stored16(image, frame + 2, toFile);
        if (!bytes::Fits(image.size(), uint64_t(frame) + 4, 4 * uint64_t(h))) {
            return false;
        }
        done.insert(frame);
        Swap16(image, frame, toFile);
        Swap16(image, frame + 2, toFile);
        for (uint32_t y = 0; y < h; ++y) {
            Swap32(image, frame + 4 + 4 * size_t(y), toFile);
        }
    }
    return true;
}

// ---- Checks ---------------------------------------------------------------------------------

uint32_t CommonBlockSize(const uint8_t* block) { return block != nullptr ? Load32(block + kCblkSizeSlot) : 0; }

bool ValidateCommonBlock(std::span<const uint8_t> table) {
    return table.size() >= kCblkHead && VQTRLE_ValidateCommonBlocks(table.data(), table.size());
}

bool ValidateCompImage(std::span<const uint8_t> image, const uint8_t* commonBlocks) {
    if (image.size() < kCompHead) {
        return false;
    }
    const int16_t n = static_cast<int16_t>(bytes::host16(image, 4));
    const uint64_t tableEnd = kCompHead + 4 * uint64_t(n < 0 ? 0 : n);
    if (n < 0 || tableEnd > image.size()) {
        return false;
    }
    const size_t blocksSize = CommonBlockSize(commonBlocks);
    std::unordered_set<uint32_t> frames;
    std::unordered_set<uint64_t> lines; // line offset and width
    for (int32_t f = 0; f < n; ++f) {
        const uint32_t frame = bytes::host32(image, kCompHead + 4 * size_t(f));
        if (frame == 0 || !frames.insert(frame).second) {
            continue;
        }
        if (frame < tableEnd || !bytes::Fits(image.size(), frame, 4)) {
            return false;
        }
        const uint16_t w = bytes::host16(image, frame);
        const uint16_t h = bytes::host16(image, frame + 2);
        if (w > 0x7FFF || !bytes::Fits(image.size(), uint64_t(frame) + 4, 4 * uint64_t(h))) {
            return false;
        }
        for (uint32_t y = 0; y < h; ++y) {
            const uint32_t line = bytes::host32(image, frame + 4 + 4 * size_t(y)) & kLineOffsetMask;
            if (line == 0 || !lines.insert((uint64_t(line) << 16) | w).second) {
                continue;
            }
            if (line >= image.size() ||
                !VQTRLE_ValidateLine(image.data() + line, image.size() - line, static_cast<int16_t>(w), commonBlocks,
                                     blocksSize)) {
                return false;
            }
        }
    }
    return true;
}

// ---- Parts ----------------------------------------------------------------------------------

CPartRecord* LoadPart(CPartFile* partFile, ChunkId partId) {
    if (partFile == nullptr || partId == kNullChunkId) {
        return nullptr;
    }
    if (!partFile->ChunkExists(partId)) {
        char text[96];
        std::snprintf(text, sizeof text, "VQT : Missing Part {%d, %d, %d}", int(ChunkIndexOf(partId)),
                      int(ChunkSecondOf(partId)), int(ChunkEntryOf(partId)));
        xMessageBox(text, "Error", plat::mb::SystemModal | plat::mb::IconStop);
        return nullptr;
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    partFile->GetChunkLocation(partId, &size, &offset);
    // A chunk too short for the part values is read into room for them, zero-filled, so that
    // its values read 0 and its state list is empty.
    const uint32_t dataSize = std::max(size, CPartRecord::kMinDataSize);
    auto* record = static_cast<CPartRecord*>(partFile->Alloc(sizeof(CPartRecord) + dataSize, BLOCK_ZEROINIT));
    if (record == nullptr || !partFile->ReadChunk(partId, record->header, record->Data())) {
        CPartFile::FreeBlock(record);
        xTracef("NULL part : %d\n", int(ChunkEntryOf(partId)));
        return nullptr;
    }
    record->commonBlocks = nullptr;
    record->dataSize = dataSize;
    record->spare = 0;
    if (size < CPartRecord::kMinDataSize) {
        xTracef("Error - part %d not large enough for number of states, removing states\n", int(ChunkEntryOf(partId)));
        record->Data()[20] = 0;
        record->Data()[21] = 0;
    }
    SwapPartChunk(record->header, record->DataSpan(), false, ChunkEntryOf(partId));
    record->commonBlocks = LoadCommonBlock(partFile, partId);
    return record;
}

CPartRecord* GetPart(CPartFile* partFile, ChunkId partId) {
    if (partFile == nullptr || partId == kNullChunkId || !partFile->IsCacheEnabled() ||
        !CachedAs(partFile, partId, Tag4("part"))) {
        return nullptr;
    }
    const ChunkId cblkId = InIndexOf(partFile, partId, Tag4("cblk"));
    if (auto* cached = static_cast<CPartRecord*>(partFile->AddChunkRef(partId))) {
        if (cached->commonBlocks != nullptr) {
            partFile->AddChunkRef(cblkId);
        }
        return cached;
    }
    CPartRecord* record = LoadPart(partFile, partId);
    if (record == nullptr) {
        return nullptr;
    }
    if (record->commonBlocks != nullptr) {
        // A table cached before (by a part that shares it) is the one to keep.
        if (auto* table = static_cast<uint8_t*>(partFile->AddChunkRef(cblkId))) {
            CPartFile::FreeBlock(record->commonBlocks);
            record->commonBlocks = table;
        } else {
            partFile->SetChunkData(cblkId, record->commonBlocks);
        }
    }
    partFile->SetChunkData(partId, record);
    return record;
}

void ReleasePart(CPartFile* /*partFile*/, ChunkId /*partId*/, CPartRecord* record) {
    if (record == nullptr) {
        return;
    }
    CPartFile::FreeBlock(record->commonBlocks);
    CPartFile::FreeBlock(record);
}

void ReleasePartRef(CPartFile* partFile, ChunkId partId, CPartRecord* record) {
    if (partFile == nullptr || record == nullptr) {
        return;
    }
    if (record->commonBlocks != nullptr) {
        partFile->ReleaseChunk(InIndexOf(partFile, partId, Tag4("cblk")));
    }
    partFile->ReleaseChunk(partId);
}

// ---- Common-block tables --------------------------------------------------------------------

uint8_t* LoadCommonBlock(CPartFile* partFile, ChunkId id) {
    if (partFile == nullptr) {
        return nullptr;
    }
    const ChunkId cblkId = InIndexOf(partFile, id, Tag4("cblk"));
    if (cblkId == kNullChunkId || !partFile->ChunkExists(cblkId)) {
        return nullptr;
    }
    uint32_t size = 0;
    uint8_t* table = ReadData(partFile, cblkId, size);
    if (table == nullptr) {
        return nullptr;
    }
    std::span<uint8_t> s{table, size};
    if (!SwapCommonBlock(s, false) || !ValidateCommonBlock(s)) {
        xTracef("Error - common block table %d does not fit its chunk\n", int(ChunkEntryOf(id)));
        CPartFile::FreeBlock(table);
        return nullptr;
    }
    bytes::PutHost32(s, kCblkSizeSlot, size);
    return table;
}

uint8_t* GetCommonBlock(CPartFile* partFile, ChunkId id) {
    if (partFile == nullptr || !partFile->IsCacheEnabled()) {
        return nullptr;
    }
    const ChunkId cblkId = InIndexOf(partFile, id, Tag4("cblk"));
    if (cblkId == kNullChunkId) {
        xTrace("Common Block index not found");
        return nullptr;
    }
    if (auto* cached = static_cast<uint8_t*>(partFile->AddChunkRef(cblkId))) {
        return cached;
    }
    return Cached(partFile, cblkId, LoadCommonBlock(partFile, id));
}

void FreeCommonBlock(CPartFile* /*partFile*/, ChunkId /*id*/, uint8_t* block) { CPartFile::FreeBlock(block); }

void ReleaseCommonBlock(CPartFile* partFile, ChunkId id, uint8_t* block) {
    if (partFile == nullptr || block == nullptr) {
        return;
    }
    partFile->ReleaseChunk(InIndexOf(partFile, id, Tag4("cblk")));
}

// ---- States ---------------------------------------------------------------------------------

CStateRecord* LoadState(CPartFile* partFile, ChunkId stateId) {
    if (partFile == nullptr || stateId == kNullChunkId) {
        return nullptr;
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!partFile->GetChunkLocation(stateId, &size, &offset) || size == 0) {
        return nullptr;
    }
    auto* record = static_cast<CStateRecord*>(PoolAllocBlock(PoolForThread(), sizeof(CStateRecord) + size, BLOCK_ZEROINIT));
    if (record == nullptr) {
        return nullptr;
    }
    if (!partFile->ReadChunk(stateId, record->header, record->Data())) {
        FreeState(record);
        return nullptr;
    }
    std::memset(record, 0, 8);
    record->tag = CStateRecord::kTag;
    uint8_t* property = record->header + kAnimPropertyOffset;
    SwapPropertyHead(property);
    if (HasPropertyTag(property)) {
        record->propertyId = MakeChunkId(property[22], Load16(property + 24), property[23]);
        record->propertyValue = Load16(property + 26);
        record->accumulate = property[28];
    }
    if (!SwapStateChunk({record->Data(), size}, false)) {
        const auto n = static_cast<int16_t>(bytes::be16({record->Data(), size}, 0));
        xTracef("Err:  State %d is too small for %d frames!  Disposing state!\n", int(ChunkEntryOf(stateId)), int(n));
        FreeState(record);
        return nullptr;
    }
    return record;
}

CStateRecord* GetState(CPartFile* partFile, ChunkId stateId) {
    if (partFile == nullptr || stateId == kNullChunkId || !partFile->IsCacheEnabled() ||
        !StateCacheable(partFile, stateId)) {
        return nullptr;
    }
    if (auto* cached = static_cast<CStateRecord*>(partFile->AddChunkRef(stateId))) {
        // Data cached for this chunk by another reader is not a state record.
        uint32_t size = 0;
        uint32_t offset = 0;
        partFile->GetChunkLocation(stateId, &size, &offset);
        if (cached->tag != CStateRecord::kTag ||
            PoolBlockSize(cached) < int64_t(sizeof(CStateRecord)) + int64_t(size)) {
            partFile->ReleaseChunk(stateId);
            return nullptr;
        }
        return cached;
    }
    return Cached(partFile, stateId, LoadState(partFile, stateId));
}

void ReleaseState(CPartFile* partFile, ChunkId stateId, CStateRecord* record) {
    if (partFile != nullptr && record != nullptr) {
        partFile->ReleaseChunk(stateId);
    }
}

void FreeState(CStateRecord* record) { PoolFreeBlock(record); }

// ---- Compressed images ----------------------------------------------------------------------

uint8_t* LoadCompImage(CPartFile* partFile, ChunkId stateId, const uint8_t* commonBlocks) {
    if (partFile == nullptr) {
        return nullptr;
    }
    const ChunkId compId = InIndexOf(partFile, stateId, Tag4("comp"));
    if (compId == kNullChunkId) {
        return nullptr;
    }
    uint32_t size = 0;
    uint8_t* image = ReadData(partFile, compId, size);
    if (image == nullptr) {
        return nullptr;
    }
    std::span<uint8_t> s{image, size};
    if (!SwapCompImage(s, false) || !ValidateCompImage(s, commonBlocks)) {
        xTracef("Error - compressed image %d does not fit its chunk\n", int(ChunkEntryOf(stateId)));
        CPartFile::FreeBlock(image);
        return nullptr;
    }
    bytes::PutHost32(s, 0, size);
    return image;
}

uint8_t* GetCompImage(CPartFile* partFile, ChunkId stateId, const uint8_t* commonBlocks) {
    if (partFile == nullptr || !partFile->IsCacheEnabled()) {
        return nullptr;
    }
    const ChunkId compId = InIndexOf(partFile, stateId, Tag4("comp"));
    if (compId == kNullChunkId) {
        return nullptr;
    }
    if (auto* cached = static_cast<uint8_t*>(partFile->AddChunkRef(compId))) {
        // Checked when it was loaded, but perhaps against another part's table.
        if (!ValidateCompImage({cached, Load32(cached)}, commonBlocks)) {
            partFile->ReleaseChunk(compId);
            return nullptr;
        }
        return cached;
    }
    return Cached(partFile, compId, LoadCompImage(partFile, stateId, commonBlocks));
}

void ReleaseCompImage(CPartFile* partFile, ChunkId stateId, uint8_t* image) {
    if (partFile != nullptr && image != nullptr) {
        partFile->ReleaseChunk(InIndexOf(partFile, stateId, Tag4("comp")));
    }
}

void FreeCompImage(uint8_t* image) { CPartFile::FreeBlock(image); }
