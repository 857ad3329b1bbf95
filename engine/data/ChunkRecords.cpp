#include "engine/data/ChunkRecords.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "engine/base/ByteOrder.h"
#include "engine/base/Trace.h"
#include "engine/data/Memory.h"
#include "engine/data/PartFile.h"
#include "engine/data/MessageBox.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kTextHeadLength = 16;
constexpr uint32_t kZeroFill = BLOCK_ZEROINIT;

void ShowMissing(const char* what, ChunkId id) {
    char text[128];
    std::snprintf(text, sizeof text, "VQT : Missing %s {%d, %d, %d}", what, int(ChunkIndexOf(id)),
                  int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
    xMessageBox(text, "Error", plat::mb::Ok | plat::mb::IconStop);
}

/// The chunk's data with its size; null when the chunk has none.
uint8_t* ReadData(CPartFile* partFile, ChunkId id, uint32_t& size) {
    size = 0;
    uint32_t offset = 0;
    if (partFile == nullptr || id == kNullChunkId) {
        return nullptr;
    }
    partFile->GetChunkLocation(id, &size, &offset);
    return static_cast<uint8_t*>(partFile->GetChunk(id));
}

/// A stored i16 count in the order the swap direction finds it (read before anything is swapped).
int16_t CountOf(std::span<const uint8_t> s, size_t offset, bool toFile) {
    return static_cast<int16_t>(bytes::Stored16(s, offset, toFile));
}

} // namespace

// ---- Chunk lists ----------------------------------------------------------------------------

bool SwapChunkList(std::span<uint8_t> list, bool toFile) {
    const int16_t count = CountOf(list, 0, toFile);
    if (count < 0 || !bytes::Fits(list.size(), 2, uint64_t{4} * static_cast<uint16_t>(count))) {
        return false;
    }
    bytes::Swap16(list, 0, toFile);
    for (int i = 0; i < count; ++i) {
        bytes::Swap16(list, 2 + 4 * static_cast<size_t>(i) + 2, toFile); // only the entry number
    }
    return true;
}

void* LoadChunkList(CPartFile* partFile, ChunkId id) {
    uint32_t size = 0;
    uint8_t* data = ReadData(partFile, id, size);
    if (data == nullptr) {
        ShowMissing("Chunk List", id);
        return nullptr;
    }
    if (!SwapChunkList(std::span<uint8_t>(data, size), false)) {
        xTracef("VQT : Chunk list {%d, %d, %d} does not hold its count of ids (%u bytes)\n",
                int(ChunkIndexOf(id)), int(ChunkSecondOf(id)), int(ChunkEntryOf(id)), size);
        CPartFile::FreeBlock(data);
        return nullptr;
    }
    return data;
}

int16_t ChunkListCount(const void* list) {
    return list == nullptr ? 0 : static_cast<int16_t>(bytes::host16({static_cast<const uint8_t*>(list), 2}, 0));
}

ChunkId ChunkListId(const void* list, int index) {
    if (list == nullptr || index < 0 || index >= ChunkListCount(list)) {
        return kNullChunkId;
    }
    const uint8_t* at = static_cast<const uint8_t*>(list) + 2 + 4 * static_cast<size_t>(index);
    return MakeChunkId(at[0], bytes::host16({at, 4}, 2), at[1]);
}

// ---- Text records ---------------------------------------------------------------------------

CChunkList::~CChunkList() { Clear(); }

void CChunkList::Clear() {
    // Freed last first, as they were allocated.
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        PoolFreeBlock(*it);
    }
    records_.clear();
}

bool CChunkList::Load(CPartFile* partFile, ChunkId id) {
    uint32_t size = 0;
    uint8_t* data = nullptr;
    if (partFile != nullptr && id != kNullChunkId) {
        uint32_t offset = 0;
        partFile->GetChunkLocation(id, &size, &offset);
        if (size != 0) {
            data = static_cast<uint8_t*>(partFile->GetChunk(id));
            lastId_ = id;
        }
    }
    Clear();
    if (data != nullptr) {
        const std::span<uint8_t> all(data, size);
        uint64_t at = 0;
        // Only whole records: a last record cut short is left out (lengths checked in 64 bits).
        while (at + kTextHeadLength <= size) {
            const uint32_t length = bytes::be32(all, at + 4);
            if (at + kTextHeadLength + length > size) {
                break;
            }
            auto* record = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), kTextHeadLength + length + 2, kZeroFill));
            if (record == nullptr) {
                break;
            }
            std::span<uint8_t> r(record, kTextHeadLength + length + 2);
            std::memcpy(record, data + at, kTextHeadLength + length);
            for (size_t w = 0; w < 4; ++w) {
                bytes::Swap32(r, 4 * w, false);
            }
            if (length > 1) {
                for (size_t u = 0; u < length / 2; ++u) {
                    bytes::Swap16(r, kTextHeadLength + 2 * u, false);
                }
            }
            records_.reserve((records_.size() / kGrowthStep + 1) * kGrowthStep);
            records_.push_back(record);
            at += kTextHeadLength + length;
        }
        CPartFile::FreeBlock(data);
    }
    if (records_.empty()) {
        lastId_ = kNullChunkId;
        return false;
    }
    return true;
}

uint32_t CChunkList::RecordId(int i) const { return bytes::host32({records_[i], 4}, 0); }
uint32_t CChunkList::RecordLength(int i) const { return bytes::host32({records_[i], 8}, 4); }
uint32_t CChunkList::RecordWord(int i, int word) const {
    return bytes::host32({records_[i], kTextHeadLength}, word == 0 ? 8 : 12);
}
const char16_t* CChunkList::RecordText(int i) const {
    return reinterpret_cast<const char16_t*>(records_[i] + kTextHeadLength);
}

bool CChunkList::GetText(uint32_t id, char16_t* buffer, uint32_t bufferBytes) const {
    if (buffer == nullptr || bufferBytes < 2) {
        return false; // not even room for the ending 0
    }
    for (int i = 0; i < Count(); ++i) {
        const uint32_t length = RecordLength(i);
        if (RecordId(i) != id || length == 0) {
            continue;
        }
        const uint32_t n = std::min(length / 2, bufferBytes / 2 - 1);
        std::memcpy(buffer, records_[i] + kTextHeadLength, 2 * size_t{n});
        buffer[n] = 0;
        return true;
    }
    return false;
}

uint32_t CChunkList::FindValue(uint32_t id) const {
    uint32_t value = 0;
    for (int i = 0; i < Count(); ++i) {
        if (RecordId(i) == id) {
            value = RecordLength(i);
        }
    }
    return value;
}

bool CChunkList::Has(uint32_t id) const {
    for (int i = 0; i < Count(); ++i) {
        if (RecordId(i) == id) {
            return true;
        }
    }
    return false;
}

// ---- Paths ----------------------------------------------------------------------------------

bool SwapPathRecord(std::span<uint8_t> r) {
    if (r.size() < kPathRecordLength) {
        return false;
    }
    // The swap of a record is its own inverse: no count is read from it.
    const bool toFile = false;
    for (size_t o = 0; o < 20; o += 4) {
        bytes::Swap32(r, o, toFile);
    }
    bytes::Swap16(r, 20, toFile);
    bytes::Swap16(r, 22, toFile);
    for (size_t o = 26; o <= 44; o += 2) {
        bytes::Swap16(r, o, toFile);
    }
    return true;
}

bool SwapPathAttachment1(std::span<uint8_t> b, bool toFile) {
    if (b.size() < 12) {
        return false;
    }
    bytes::Swap16(b, 0, toFile);
    bytes::Swap16(b, 2, toFile);
    bytes::Swap32(b, 4, toFile);
    bytes::Swap32(b, 8, toFile);
    return true;
}

bool SwapRelocatableItem(std::span<uint8_t> item, bool toFile) {
    if (item.size() < 8) {
        return false;
    }
    bytes::Swap16(item, 2, toFile);
    bytes::Swap32(item, 4, toFile);
    return true;
}

namespace {

/// The two lists of a relocatable set: 4-byte words and 8-byte items.
struct SetLists {
    int16_t countA;
    uint32_t offsetA;
    int16_t countB;
    uint32_t offsetB;
};

/// The set's lists when both lie inside it; nothing is changed.
std::optional<SetLists> ListsOf(std::span<const uint8_t> set, bool toFile) {
    if (set.size() < 20) {
        return std::nullopt;
    }
    const SetLists l{CountOf(set, 0, toFile), bytes::Stored32(set, 4, toFile), CountOf(set, 8, toFile),
                     bytes::Stored32(set, 12, toFile)};
    if (l.countA < 0 || l.countB < 0 || (l.countA > 0 && !bytes::Fits(set.size(), l.offsetA, uint64_t{4} * l.countA)) ||
        (l.countB > 0 && !bytes::Fits(set.size(), l.offsetB, uint64_t{8} * l.countB))) {
        return std::nullopt;
    }
    return l;
}

} // namespace

bool SwapRelocatableSet(std::span<uint8_t> set, bool toFile) {
    const std::optional<SetLists> lists = ListsOf(set, toFile);
    if (!lists) {
        return false;
    }
    for (int i = 0; i < lists->countA; ++i) {
        bytes::Swap32(set, lists->offsetA + 4 * size_t(i), toFile);
    }
    for (int i = 0; i < lists->countB; ++i) {
        SwapRelocatableItem(set.subspan(lists->offsetB + 8 * size_t(i)), toFile);
    }
    for (size_t o : {0u, 8u}) {
        bytes::Swap16(set, o, toFile);
    }
    for (size_t o : {4u, 12u}) {
        bytes::Swap32(set, o, toFile);
    }
    return true;
}

bool SwapPathAttachment2(std::span<uint8_t> b, bool toFile) {
    if (b.size() < 2) {
        return false;
    }
    const int16_t count = CountOf(b, 0, toFile);
    if (count < 0 || !bytes::Fits(b.size(), 12, uint64_t{20} * count)) {
        return false;
    }
    // Every set must hold together before anything is changed.
    for (int i = 0; i < count; ++i) {
        if (!ListsOf(b.subspan(12 + 20 * size_t(i)), toFile)) {
            return false;
        }
    }
    bytes::Swap16(b, 0, toFile);
    for (int i = 0; i < count; ++i) {
        SwapRelocatableSet(b.subspan(12 + 20 * size_t(i)), toFile);
    }
    return true;
}

bool SwapPath(std::span<uint8_t> path, bool toFile, std::span<uint8_t> attachment1,
              std::span<uint8_t> attachment2) {
    if (path.size() < kPathHeadLength) {
        return false;
    }
    const int16_t count = CountOf(path, 0, toFile);
    if (count < 0 || !bytes::Fits(path.size(), kPathHeadLength, uint64_t{kPathRecordLength} * count)) {
        return false;
    }
    bytes::Swap16(path, 0, toFile);
    for (size_t o = 6; o <= 22; o += 4) {
        bytes::Swap32(path, o, toFile);
    }
    for (int i = 0; i < count; ++i) {
        SwapPathRecord(path.subspan(kPathHeadLength + kPathRecordLength * size_t(i), kPathRecordLength));
    }
    if (path[3] != 0 && !attachment1.empty()) {
        SwapPathAttachment1(attachment1, toFile);
    }
    if (path[4] != 0 && !attachment2.empty()) {
        SwapPathAttachment2(attachment2, toFile);
    }
    return true;
}

void* LoadPath(CPartFile* partFile, ChunkId id) {
    uint32_t size = 0;
    uint8_t* data = ReadData(partFile, id, size);
    if (data == nullptr) {
        ShowMissing("Path", id);
        return nullptr;
    }
    std::span<uint8_t> path(data, size);
    if (size >= kPathHeadLength) {
        path[3] = 0; // both attachments taken as absent
        path[4] = 0;
    }
    if (!SwapPath(path, false)) {
        xTracef("VQT : Path {%d, %d, %d} does not hold its count of records (%u bytes)\n", int(ChunkIndexOf(id)),
                int(ChunkSecondOf(id)), int(ChunkEntryOf(id)), size);
        CPartFile::FreeBlock(data);
        return nullptr;
    }
    std::memset(data + 30, 0, 16);
    return data;
}

void FreePath(void* path) {
    // Attachments are never loaded with a path (its flags are cleared), so only the path is held.
    CPartFile::FreeBlock(path);
}

int16_t PathCount(const void* path) {
    return path == nullptr ? 0 : static_cast<int16_t>(bytes::host16({static_cast<const uint8_t*>(path), 2}, 0));
}

const uint8_t* PathRecord(const void* path, int index) {
    if (path == nullptr || index < 0 || index >= PathCount(path)) {
        return nullptr;
    }
    return static_cast<const uint8_t*>(path) + kPathHeadLength + kPathRecordLength * size_t(index);
}

// ---- Property records -----------------------------------------------------------------------

bool HasPropertyTag(const uint8_t* area) { return std::memcmp(area, "PROPERTY", 9) == 0; }

void SwapPropertyHead(void* record) {
    std::span<uint8_t> r(static_cast<uint8_t*>(record), kPropertyRecordLength);
    bytes::Swap16(r, 9, false);
    bytes::Swap32(r, 11, false);
    bytes::Swap16(r, 24, false);
    bytes::Swap16(r, 26, false);
}

void SwapPropertyRecord(void* record) {
    std::span<uint8_t> r(static_cast<uint8_t*>(record), kPropertyRecordLength);
    bytes::Swap16(r, 9, false);
    bytes::Swap32(r, 11, false);
    for (size_t o = 22; o <= 30; o += 2) {
        bytes::Swap16(r, o, false);
    }
}

void* ReadPropertyRecord(const void* header, void* record) {
    if (header == nullptr || record == nullptr) {
        return nullptr;
    }
    const auto* area = static_cast<const uint8_t*>(header) + ravo::kPropertyAreaOffset;
    auto* r = static_cast<uint8_t*>(record);
    if (!HasPropertyTag(area)) {
        std::memset(r, 0, kPropertyRecordLength);
        std::span<uint8_t> s(r, kPropertyRecordLength);
        bytes::PutHost16(s, 24, 8);
        bytes::PutHost16(s, 26, 22050);
        bytes::PutHost16(s, 30, 1);
        return nullptr;
    }
    std::memcpy(r, area, kPropertyRecordLength);
    SwapPropertyRecord(r);
    return r;
}

void ReleasePropertyRecord(void* record) { CPartFile::FreeBlock(record); }

uint16_t PropertyValue16(const void* record, uint32_t offset) {
    return bytes::host16({static_cast<const uint8_t*>(record), kPropertyRecordLength}, offset);
}

bool xChunk_IsProperty(CPartFile* partFile, ChunkId id) {
    uint8_t header[ravo::kChunkHeaderLength];
    return partFile != nullptr && partFile->ReadChunkHeader(id, header) &&
           HasPropertyTag(header + ravo::kPropertyAreaOffset);
}

void CPropertyRecord::Init() {
    std::memcpy(tag, "PROPERTY", 9);
    std::memset(bytes, 0, sizeof bytes);
}

void CPropertyRecord::Clear() {
    word = 0;
    last = 0;
}

bool CChunkProperty::Load(CPartFile* partFile, ChunkId id) {
    uint8_t header[ravo::kChunkHeaderLength];
    if (partFile == nullptr || !partFile->ReadChunkHeader(id, header) ||
        !HasPropertyTag(header + ravo::kPropertyAreaOffset)) {
        return false;
    }
    partFile_ = partFile;
    id_ = id;
    const std::span<const uint8_t> area(header + ravo::kPropertyAreaOffset, kPropertyRecordLength);
    values_[0] = bytes::be16(area, 22);
    values_[1] = bytes::be16(area, 24);
    loaded_ = true;
    return true;
}

CByteTable::CByteTable(int16_t value) : value_(value) {
    data_ = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), 256, kZeroFill));
    owns_ = data_ != nullptr;
}

void CByteTable::Release() {
    if (owns_) {
        PoolFreeBlock(data_);
        data_ = nullptr;
    }
    owns_ = false;
}

void* GetChunkData(CPartFile* partFile, ChunkId id) {
    return partFile != nullptr ? partFile->GetChunk(id) : nullptr;
}
