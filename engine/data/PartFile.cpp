#include "engine/data/PartFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/base/ByteOrder.h"
#include "engine/base/Trace.h"
#include "engine/data/DrvFile.h"
#include "engine/data/DrvUnBuffFile.h"
#include "engine/data/FileSearch.h"
#include "engine/data/Memory.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kStartRecordLength = 12;
constexpr uint32_t kBlockHeadLength = 26;
constexpr uint32_t kEntryLength = 14;
constexpr uint16_t kMaxRefCount = ravo::kRefCountMask;
constexpr uint16_t kPoolEngineFlags = POOL_ENGINE;

bool IsReadMode(uint32_t driverMode) { return driverMode == DRV_MODE_READ; }

/// False, with the trace, when a skip passes the end of the chunk's data.
bool SkipInsideData(ChunkId id, uint32_t skip, uint32_t dataSize) {
    if (skip <= dataSize) {
        return true;
    }
    xTracef("RAVO : Error - skip %u beyond the data of chunk ID(%d,%d)\n", skip, int(ChunkIndexOf(id)),
            int(ChunkEntryOf(id)));
    return false;
}

/// False, with the warning, for a chunk with no data to read into a new block.
bool HasDataForBlock(ChunkId id, uint32_t dataSize) {
    if (dataSize != 0) {
        return true;
    }
    xTracef("RAVO : Warning - Chunk exists but has no data ID(%d,%d)\n", int(ChunkIndexOf(id)),
            int(ChunkEntryOf(id)));
    return false;
}

/// The cache reference count kept in an entry's low flag bits, and its setter (the other bits stay).
uint16_t RefCount(const RavoEntry& entry) { return entry.flags & ravo::kRefCountMask; }
void SetRefCount(RavoEntry& entry, uint32_t count) {
    entry.flags = static_cast<uint16_t>((entry.flags & ~ravo::kRefCountMask) | count);
}

/// Takes one reference off an entry; true when its count fell to 0. An entry that holds none,
/// or one saturated (pinned until the file closes), stays as it is and answers false.
bool DropRef(RavoEntry& entry) {
    const uint16_t count = RefCount(entry);
    if (count == 0 || count == kMaxRefCount) {
        return false;
    }
    SetRefCount(entry, count - 1u);
    return count == 1;
}

} // namespace

// ---- Index blocks -------------------------------------------------------------------------

uint32_t ravo::HeaderLength(uint16_t format) {
    switch (format) {
    case 1:
    case 2:
    case 4:
        return 4;
    case 3:
        return 8;
    case 7:
        return 12;
    case 8:
        return kChunkHeaderLength;
    default:
        return 0;
    }
}

bool ravo::DecodeIndexBlock(std::span<const uint8_t> b, RavoIndex& out) {
    if (b.size() < kBlockHeadLength) {
        return false;
    }
    out.blockTag = Tag4::FromBytes(&b[0]);
    out.blockKind = Tag4::FromBytes(&b[4]);
    out.sizeField = bytes::be32(b, 8);
    out.used = bytes::be16(b, 12);
    out.capacity = bytes::be16(b, 14);
    out.format = bytes::be16(b, 16);
    out.tag = Tag4::FromBytes(&b[18]);
    out.type = Tag4::FromBytes(&b[22]);
    const uint64_t expected = uint64_t{kEntryLength} * out.capacity + kEntryLength;
    if (out.sizeField != expected || kStartRecordLength + uint64_t{out.sizeField} > b.size() ||
        out.used > out.capacity) {
        return false;
    }
    out.entries.assign(out.capacity, RavoEntry{});
    for (uint32_t e = 1; e <= out.capacity; ++e) {
        const size_t at = kStartRecordLength + kEntryLength * e;
        RavoEntry& entry = out.entries[e - 1];
        // The flags and the pointer are run-time fields: whatever the file holds there is reset.
        entry.flags = 0;
        entry.size = bytes::be32(b, at + 2);
        entry.offset = bytes::be32(b, at + 6);
        entry.data = nullptr;
    }
    return true;
}

std::vector<uint8_t> ravo::EncodeIndexBlock(const RavoIndex& index) {
    std::vector<uint8_t> b(index.BlockLength(), 0);
    index.blockTag.ToBytes(&b[0]);
    index.blockKind.ToBytes(&b[4]);
    bytes::WriteBe32(b, 8, index.sizeField);
    bytes::WriteBe16(b, 12, index.used);
    bytes::WriteBe16(b, 14, index.capacity);
    bytes::WriteBe16(b, 16, index.format);
    index.tag.ToBytes(&b[18]);
    index.type.ToBytes(&b[22]);
    for (uint32_t e = 1; e <= index.capacity && e <= index.entries.size(); ++e) {
        const size_t at = kStartRecordLength + kEntryLength * e;
        const RavoEntry& entry = index.entries[e - 1];
        bytes::WriteLe16(b, at, entry.flags);
        bytes::WriteBe32(b, at + 2, entry.size);
        bytes::WriteBe32(b, at + 6, entry.offset);
        // The pointer field stays 0: run-time pointers are never written.
    }
    return b;
}

// ---- Access bracket guard -----------------------------------------------------------------

/// Begins an access of a driver of the chain and ends it when it goes out of scope, so an
/// exception thrown by a driver's access-failure handler leaves the bracket balanced.
class CPartFile::Access {
public:
    Access(CPartFile& file, ODriver* driver) : file_(file), driver_(driver) {
        file_.BeginAccess(driver_);
    }
    ~Access() { file_.EndAccess(driver_); }
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;

private:
    CPartFile& file_;
    ODriver* driver_;
};

/// A chunk driver taken with `AcquireChunkDriver` and released on scope exit.
class ChunkDriverLease {
public:
    ChunkDriverLease(CPartFile& file, ChunkId id) : file_(file), driver_(file.AcquireChunkDriver(id)) {}
    ~ChunkDriverLease() {
        if (driver_ != nullptr) {
            file_.ReleaseChunkDriver(&driver_);
        }
    }
    ChunkDriverLease(const ChunkDriverLease&) = delete;
    ChunkDriverLease& operator=(const ChunkDriverLease&) = delete;
    ODriver* get() const { return driver_; }

private:
    CPartFile& file_;
    ODriver* driver_;
};

/// A block allocated for a read, freed unless the read succeeds (also when a driver throws).
class BlockGuard {
public:
    explicit BlockGuard(void* block) : block_(block) {}
    ~BlockGuard() { CPartFile::FreeBlock(block_); }
    BlockGuard(const BlockGuard&) = delete;
    BlockGuard& operator=(const BlockGuard&) = delete;
    void* release() {
        void* b = block_;
        block_ = nullptr;
        return b;
    }

private:
    void* block_;
};

// ---- Construction -------------------------------------------------------------------------

CPartFile::CPartFile() : blockDriver_(std::make_unique<ODriver>()) {}

CPartFile::~CPartFile() { Close(); }

ODriver* CPartFile::GetFileDriver() const { return fileDriver_.get(); }

uint32_t CPartFile::FileSize() {
    if (!fileDriver_) {
        return 0;
    }
    Access access(*this, fileDriver_.get());
    const intptr_t size = fileDriver_->Control(DRV_SIZE);
    return size < 0 ? 0 : static_cast<uint32_t>(size);
}

// ---- Create, open, close ------------------------------------------------------------------

bool CPartFile::Create(const char* name, uint16_t n) {
    CreateHeap();
    ODrvFile driver;
    if (name == nullptr || xCheckErr(driver.Create(name, DRV_MODE_WRITE)) < 0) {
        xTracef("*** RAVO Error : unable to create part file : %s\n", name ? name : "");
        return false;
    }
    RavoIndex master;
    master.blockKind = Tag4("meta");
    master.capacity = n;
    master.sizeField = kEntryLength * n + kEntryLength;
    master.format = 7;
    master.tag = Tag4("INDX");
    master.type = Tag4("????");
    master.entries.assign(n, RavoEntry{});
    const std::vector<uint8_t> block = ravo::EncodeIndexBlock(master);
    uint32_t written = 0;
    int32_t code = xCheckErr(static_cast<int32_t>(driver.Control(DRV_SEEK, 0, 0)));
    if (code >= 0) {
        code = xCheckErr(driver.Write(block.data(), static_cast<uint32_t>(block.size()), &written));
    }
    driver.Close();
    if (code < 0 || written != block.size()) {
        xTracef("*** RAVO Error : unable to create part file : %s\n", name);
        return false;
    }
    return true;
}

bool CPartFile::Open(const char* name, int mode, int /*reserved*/) {
    Close();
    openFailure_ = OpenFailure::Unopened;
    damage_.clear();
    if (mode != 1 && mode != 2) {
        return false;
    }
    fileDriver_ = std::make_unique<ODrvFile>();
    driverMode_ = mode == 1 ? DRV_MODE_READ : DRV_MODE_READWRITE;
    if (handler_ != nullptr) {
        fileDriver_->SetAccessFailureHandler(handler_);
    }
    if (name == nullptr || xCheckErr(fileDriver_->Open(name, driverMode_)) < 0) {
        xTracef("*** RAVO Error : Unable to open part file : %s\n", name ? name : "");
        fileDriver_.reset();
        driverMode_ = 0;
        return false;
    }
    if (chunkLogging_) {
        OpenChunkLog(false);
    }
    if (cacheEnabled_) {
        CreateHeap();
    }
    name_ = name;

    const uint32_t fileSize = FileSize();
    uint8_t record[kStartRecordLength] = {};
    uint32_t place = 0;
    bool ok = ReadAt(fileDriver_.get(), 0, record, kStartRecordLength);
    if (ok && Tag4::FromBytes(record + 4) == Tag4("rmta")) {
        place = bytes::le32(record, 0);
        ok = ReadAt(fileDriver_.get(), place, record, kStartRecordLength);
    }
    bool bad = false;
    if (ok && Tag4::FromBytes(record + 4) == Tag4("meta")) {
        const uint32_t sizeField = bytes::be32(record, 8);
        // The whole master must lie inside the file before anything is allocated for it.
        if (!bytes::Fits(fileSize, place, uint64_t{kStartRecordLength} + sizeField)) {
            bad = true;
        } else {
            // The start record just read is the block's head: only the rest is read.
            std::vector<uint8_t> block(kStartRecordLength + sizeField);
            std::memcpy(block.data(), record, kStartRecordLength);
            auto master = std::make_unique<RavoIndex>();
            if ((sizeField != 0 &&
                 !ReadAt(fileDriver_.get(), place + kStartRecordLength, block.data() + kStartRecordLength, sizeField)) ||
                !ravo::DecodeIndexBlock(block, *master)) {
                bad = true;
            } else {
                master_ = std::move(master);
                masterOffset_ = place;
                indexes_.clear();
                indexes_.resize(master_->capacity);
                open_ = true;
                for (uint16_t i = 1; i <= master_->used && i <= 255; ++i) {
                    if (GetIndex(MakeChunkId(static_cast<uint8_t>(i), 0)) == nullptr) {
                        bad = true;
                        break;
                    }
                }
                if (!bad) {
                    openFailure_ = OpenFailure::None;
                    return true;
                }
            }
        }
    }
    Close();
    openFailure_ = bad ? OpenFailure::DamagedIndex : OpenFailure::NotPartFile;
    if (bad) {
        xTracef("*** RAVO Error : Damaged index in part file : %s\n", name);
    } else {
        xTracef("*** RAVO Error : Not a part file : %s\n", name);
    }
    return false;
}

void CPartFile::FreeIndexes() {
    if (!master_) {
        return;
    }
    for (size_t i = 0; i < indexes_.size(); ++i) {
        RavoIndex* index = indexes_[i].get();
        if (index == nullptr) {
            continue;
        }
        if (cacheEnabled_) {
            for (uint32_t e = 1; e <= index->entries.size(); ++e) {
                RavoEntry& entry = index->entries[e - 1];
                if (RefCount(entry) != 0 && entry.data == nullptr) {
                    xTracef("Error - chunk cache count not 0 on close ID(%d,%d)\n", int(i + 1), int(e));
                }
                if (entry.data != nullptr) {
                    xTracef("Error - chunk still cached on close ID(%d,%d)\n", int(i + 1), int(e));
                    FreeBlock(entry.data);
                    entry.data = nullptr;
                }
                SetRefCount(entry, 0);
            }
        }
        indexes_[i].reset();
    }
    indexes_.clear();
}

void CPartFile::Close() {
    CloseChunkLog();
    if (blockDriver_->Control(DRV_ISATTACHED) == 1) {
        blockDriver_->Control(DRV_DETACH);
    }
    ClosePatch();
    name_.clear();
    if (fileDriver_) {
        fileDriver_->Close();
        fileDriver_.reset();
    }
    if (unbuffered_) {
        unbuffered_->Close();
        unbuffered_.reset();
    }
    FreeIndexes();
    master_.reset();
    masterOffset_ = 0;
    if (heap_ != nullptr) {
        PoolDestroy(heap_);
        heap_ = nullptr;
    }
    freeSpace_.clear();
    accessStack_.clear();
    inAccess_ = false;
    open_ = false;
    driverMode_ = 0;
}

void CPartFile::Flush() {
    // Writes go straight to the file and the read buffer holds nothing to write back, so there
    // is nothing pending here; closing the driver flushes the file itself.
}

// ---- Positioned reads and writes ----------------------------------------------------------

namespace {

/// Seeks the driver to `offset` and reads `length` bytes there, inside an access already begun.
bool SeekAndRead(ODriver* driver, uint32_t offset, void* buffer, uint32_t length) {
    if (xCheckErr(static_cast<int32_t>(driver->Control(DRV_SEEK, 0, offset))) < 0) {
        return false;
    }
    uint32_t got = 0;
    if (xCheckErr(driver->Read(buffer, length, &got)) < 0 && got == 0) {
        return false;
    }
    if (got != length) {
        // A short read is refused: the rest of the buffer would hold nothing from the file.
        xTracef("*** RAVO Error : Chunk read request did not get full amount(REQ:%d) (GOT:%d)\n",
                int(length), int(got));
        return false;
    }
    return true;
}

} // namespace

bool CPartFile::ReadAt(ODriver* driver, uint32_t offset, void* buffer, uint32_t length) {
    if (driver == nullptr) {
        return false;
    }
    Access access(*this, driver);
    return SeekAndRead(driver, offset, buffer, length);
}

bool CPartFile::WriteAt(uint32_t offset, const void* data, uint32_t length) {
    if (!fileDriver_ || IsReadMode(driverMode_)) {
        return false;
    }
    Access access(*this, fileDriver_.get());
    if (xCheckErr(static_cast<int32_t>(fileDriver_->Control(DRV_SEEK, 0, offset))) < 0) {
        return false;
    }
    uint32_t written = 0;
    return xCheckErr(fileDriver_->Write(data, length, &written)) >= 0 && written == length;
}

bool CPartFile::ReadChunkBytes(ChunkId id, uint32_t offset, void* buffer, uint32_t length) {
    // The chunk's driver comes with its access begun: that bracket alone gives an interrupted
    // reader its position back, so the read needs no second one (and no second seek).
    ChunkDriverLease lease(*this, id);
    return lease.get() != nullptr && SeekAndRead(lease.get(), offset, buffer, length);
}

// ---- Indexes ------------------------------------------------------------------------------

RavoIndex* CPartFile::GetIndex(ChunkId id) {
    const uint8_t n = ChunkIndexOf(id);
    if (!master_ || n == 0 || n > master_->used || n > indexes_.size()) {
        return nullptr;
    }
    if (indexes_[n - 1]) {
        return indexes_[n - 1].get();
    }
    RavoEntry& me = master_->entries[n - 1];
    // The block must lie inside the file and be long enough for its head.
    if (me.offset == 0 || me.size < kBlockHeadLength || !bytes::Fits(FileSize(), me.offset, me.size)) {
        xTracef("*** RAVO Error : index %d lies outside the part file : %s\n", int(n), name_.c_str());
        return nullptr;
    }
    std::vector<uint8_t> block(me.size);
    auto index = std::make_unique<RavoIndex>();
    if (!ReadAt(fileDriver_.get(), me.offset, block.data(), me.size)) {
        return nullptr;
    }
    if (!ravo::DecodeIndexBlock(block, *index)) {
        xTracef("*** RAVO Error : index %d is damaged : %s\n", int(n), name_.c_str());
        return nullptr;
    }
    me.flags = 0;
    indexes_[n - 1] = std::move(index);
    return indexes_[n - 1].get();
}

uint8_t CPartFile::FindIndex(Tag4 tag, Tag4 type) {
    if (!master_) {
        return 0;
    }
    for (uint16_t i = 1; i <= master_->used && i <= 255; ++i) {
        RavoIndex* index = GetIndex(MakeChunkId(static_cast<uint8_t>(i), 0));
        if (index != nullptr && index->tag == tag && index->type == type) {
            return static_cast<uint8_t>(i);
        }
    }
    return 0;
}

RavoIndex* CPartFile::GetIndexByTag(Tag4 tag, Tag4 type) {
    const uint8_t n = FindIndex(tag, type);
    return n == 0 ? nullptr : GetIndex(MakeChunkId(n, 0));
}

bool CPartFile::SetDataIndexOfId(ChunkId& id, Tag4 type) {
    const uint8_t n = FindDataIndex(type);
    if (n == 0) {
        return false;
    }
    id = WithChunkIndex(id, n);
    return true;
}

Tag4 CPartFile::GetIndexType(ChunkId id) {
    RavoIndex* index = GetIndex(id);
    return index != nullptr ? index->type : Tag4("****");
}

ChunkId CPartFile::FindChunkByName(const char* name, ChunkId indexId) {
    RavoIndex* index = GetIndex(indexId);
    if (index == nullptr || name == nullptr) {
        return kNullChunkId;
    }
    std::vector<uint8_t> header(ravo::kChunkHeaderLength);
    for (uint32_t e = 1; e <= index->capacity; ++e) {
        const ChunkId id = MakeChunkId(ChunkIndexOf(indexId), static_cast<uint16_t>(e));
        if (!ChunkExists(id)) {
            continue;
        }
        if (ReadChunkHeader(id, header.data()) &&
            std::strcmp(reinterpret_cast<const char*>(header.data()), name) == 0) {
            return id;
        }
    }
    return kNullChunkId;
}

// ---- Locations ----------------------------------------------------------------------------

RavoEntry* CPartFile::EntryOf(ChunkId id, RavoIndex** indexOut) {
    RavoIndex* index = GetIndex(id);
    if (indexOut != nullptr) {
        *indexOut = index;
    }
    return index != nullptr ? index->Entry(ChunkEntryOf(id)) : nullptr;
}

bool CPartFile::ChunkSizeAndOffset(ChunkId id, uint32_t* size, uint32_t* offset) {
    return ChunkSizeAndOffset(id, nullptr, size, offset);
}

bool CPartFile::ChunkSizeAndOffset(ChunkId id, RavoIndex* index, uint32_t* size, uint32_t* offset) {
    if (size == nullptr || offset == nullptr) {
        xTrace("RAVO Error : ChunkSizeAndOffset() - invalid pointers!\n");
        return false;
    }
    *size = 0;
    *offset = 0;
    if (!master_) {
        return false;
    }
    const uint8_t n = ChunkIndexOf(id);
    const uint16_t e = ChunkEntryOf(id);
    if (n == 0) {
        *size = kStartRecordLength + master_->sizeField;
        *offset = masterOffset_;
        return true;
    }
    if (e != 0) {
        if (index == nullptr) {
            index = GetIndex(id);
        }
        if (index == nullptr) {
            xTrace("RAVO Error : ChunkSizeAndOffset() - NULL index!\n");
            return false;
        }
        const RavoEntry* entry = index->Entry(e);
        if (entry == nullptr) {
            return false;
        }
        // An entry that a patch supplied is answered along the chain, so the last patch wins;
        // entries the installation passed over (bad or pointless ones) never shadow this file.
        if ((entry->flags & ravo::kFlagPatched) != 0 && next_ &&
            next_->ChunkSizeAndOffset(id, nullptr, size, offset)) {
            return true;
        }
        *size = entry->size;
        *offset = entry->offset;
        return entry->offset != 0;
    }
    const RavoEntry* me = MasterEntry(n);
    if (n > master_->used || me == nullptr) {
        xTrace("RAVO Error : ChunkSizeAndOffset() - chunk id index table out of range!\n");
        return false;
    }
    *size = me->size;
    *offset = me->offset;
    return me->offset != 0;
}

bool CPartFile::ChunkExists(ChunkId id) {
    if (ChunkEntryOf(id) == 0) {
        return false;
    }
    // This file's own entry decides: an installed patch has already copied or deleted it.
    const RavoEntry* entry = EntryOf(id);
    return entry != nullptr && entry->offset != 0 && entry->size != 0;
}

bool CPartFile::GetChunkLocation(ChunkId id, uint32_t* dataSize, uint32_t* dataOffset, RavoIndex* index) {
    *dataSize = 0;
    *dataOffset = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
    uint32_t headerLength = 0;
    if (ChunkEntryOf(id) != 0) {
        if (index == nullptr) {
            index = GetIndex(id);
        }
        if (index == nullptr) {
            xTracef("WARNING: Index %d could not be loaded.\n", int(ChunkIndexOf(id)));
            return false;
        }
        headerLength = ravo::HeaderLength(index->format);
        // This file's entry says whether the chunk exists: an installed patch has copied its
        // entries here, deletions included.
        const RavoEntry* own = index->Entry(ChunkEntryOf(id));
        if (own == nullptr || own->offset == 0) {
            return false;
        }
    }
    ChunkSizeAndOffset(id, index, &size, &offset);
    // A stored size shorter than the header (a damaged or placeholder entry) holds no data.
    if (size == 0 || offset == 0 || size < headerLength) {
        return false;
    }
    // Nothing is allocated or read for a chunk that does not lie inside the file holding it.
    if (!bytes::Fits(HolderOf(id)->FileSize(), offset, size)) {
        char text[64];
        std::snprintf(text, sizeof text, "chunk ID(%d,%d) lies outside its file", int(ChunkIndexOf(id)),
                      int(ChunkEntryOf(id)));
        xTracef("RAVO Error : %s\n", text);
        damage_ = text;
        ++damageCount_;
        return false;
    }
    *dataSize = size - headerLength;
    *dataOffset = offset + headerLength;
    return true;
}

// ---- Reads --------------------------------------------------------------------------------

bool CPartFile::ReadHeaderRaw(ChunkId id, void* buffer) {
    RavoIndex* index = GetIndex(id);
    if (index == nullptr || index->format != 8 || buffer == nullptr || ChunkEntryOf(id) == 0) {
        return false;
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!ChunkSizeAndOffset(id, index, &size, &offset) || size < ravo::kChunkHeaderLength) {
        return false;
    }
    if (!ReadChunkBytes(id, offset, buffer, ravo::kChunkHeaderLength)) {
        return false;
    }
    auto* h = static_cast<uint8_t*>(buffer);
    h[63] = 0;
    h[319] = 0;
    return true;
}

bool CPartFile::ReadChunkHeader(ChunkId id, void* buffer) {
    if (!ReadHeaderRaw(id, buffer)) {
        return false;
    }
    LogChunk(id, "header");
    return true;
}

bool CPartFile::ReadChunkName(ChunkId id, char* name, size_t size) {
    if (name == nullptr || size == 0) return false;
    name[0] = 0;
    uint8_t header[ravo::kChunkHeaderLength];
    if (!ReadChunkHeader(id, header)) return false;
    const size_t length = std::min(size - 1, std::strlen(reinterpret_cast<const char*>(header)));
    std::memcpy(name, header, length);
    name[length] = 0;
    return true;
}

void* CPartFile::GetChunk(ChunkId id, void* buffer, RavoIndex* index, uint32_t skip) {
    if (id == kNullChunkId) {
        return nullptr;
    }
    LogChunk(id, "chunk");
    uint32_t dataSize = 0;
    uint32_t dataOffset = 0;
    GetChunkLocation(id, &dataSize, &dataOffset, index);
    if (dataOffset == 0 || !SkipInsideData(id, skip, dataSize)) {
        return nullptr;
    }
    if (buffer == nullptr && !HasDataForBlock(id, dataSize)) {
        return nullptr;
    }
    return ReadIntoBuffer(id, dataOffset + skip, dataSize - skip, buffer, dataSize);
}

void* CPartFile::ReadChunkInto(ChunkId id, uint32_t length, void* buffer, uint32_t skip) {
    if (id == kNullChunkId) {
        return nullptr;
    }
    uint32_t dataSize = 0;
    uint32_t dataOffset = 0;
    GetChunkLocation(id, &dataSize, &dataOffset);
    if (dataOffset == 0 || length > dataSize || !SkipInsideData(id, skip, dataSize)) {
        return nullptr;
    }
    if (buffer == nullptr) {
        if (!HasDataForBlock(id, dataSize)) {
            return nullptr;
        }
        length = std::min(length, dataSize - skip);
    } else if (uint64_t{skip} + length > dataSize) {
        // The caller's stretch would run into whatever follows the chunk.
        xTracef("RAVO : Error - read beyond the data of chunk ID(%d,%d)\n", int(ChunkIndexOf(id)),
                int(ChunkEntryOf(id)));
        return nullptr;
    }
    if (length == 0) {
        return nullptr;
    }
    return ReadIntoBuffer(id, dataOffset + skip, length, buffer, length);
}

void* CPartFile::ReadIntoBuffer(ChunkId id, uint32_t offset, uint32_t length, void* buffer, uint32_t blockSize) {
    void* block = nullptr;
    if (buffer == nullptr) {
        block = Alloc(blockSize);
        if (block == nullptr) {
            return nullptr;
        }
        buffer = block;
    }
    BlockGuard guard(block);
    LogChunk(id, "chunk");
    if (!ReadChunkBytes(id, offset, buffer, length)) {
        return nullptr;
    }
    guard.release();
    return buffer;
}

bool CPartFile::ReadChunk(ChunkId id, void* headerBuffer, void* dataBuffer) {
    RavoIndex* index = GetIndex(id);
    if (index == nullptr || ChunkEntryOf(id) == 0) {
        return false;
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    const uint32_t headerLength = ravo::HeaderLength(index->format);
    if (!ChunkSizeAndOffset(id, index, &size, &offset) || size < headerLength) {
        return false;
    }
    LogChunk(id, "chunk");
    auto* header = static_cast<uint8_t*>(headerBuffer);
    if (header != nullptr && dataBuffer == header + headerLength) {
        return ReadChunkBytes(id, offset, header, size);
    }
    if (header != nullptr && headerLength != 0 && !ReadChunkBytes(id, offset, header, headerLength)) {
        return false;
    }
    if (dataBuffer != nullptr && size > headerLength &&
        !ReadChunkBytes(id, offset + headerLength, dataBuffer, size - headerLength)) {
        return false;
    }
    return true;
}

void* CPartFile::ReadRawChunk(ChunkId id) {
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!ChunkSizeAndOffset(id, &size, &offset)) {
        return nullptr;
    }
    if (size == 0 || !bytes::Fits(HolderOf(id)->FileSize(), offset, size)) {
        return nullptr;
    }
    void* block = Alloc(size);
    if (block == nullptr) {
        return nullptr;
    }
    BlockGuard guard(block);
    LogChunk(id, "raw");
    if (!ReadChunkBytes(id, offset, block, size)) {
        return nullptr;
    }
    return guard.release();
}

bool CPartFile::OpenChunkStream(ChunkId id, uint32_t* dataSize, ODriver** driver, RavoIndex* index) {
    if (id == kNullChunkId || driver == nullptr) {
        return false;
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!GetChunkLocation(id, &size, &offset, index)) {
        return false;
    }
    if (blockDriver_->Control(DRV_ISATTACHED) == 1) {
        // One block driver: a second stream would read the first chunk's bytes.
        xTracef("RAVO : Error - chunk stream already open, ID(%d,%d) refused\n", int(ChunkIndexOf(id)),
                int(ChunkEntryOf(id)));
        return false;
    }
    ODriver* source = AcquireChunkDriver(id);
    if (source == nullptr) {
        return false;
    }
    LogChunk(id, "stream");
    if (xCheckErr(blockDriver_->Attach(source, offset, size)) < 0) {
        ReleaseChunkDriver(&source);
        return false;
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    *driver = blockDriver_.get();
    return true;
}

void CPartFile::CloseChunkStream(ChunkId /*id*/, ODriver** driver) {
    ODriver* source = blockDriver_->GetSource();
    if (blockDriver_->Control(DRV_ISATTACHED) == 1) {
        blockDriver_->Control(DRV_DETACH);
        if (source != nullptr) {
            EndAccess(source);
        }
    }
    if (driver != nullptr) {
        *driver = nullptr;
    }
}

// ---- Free space ---------------------------------------------------------------------------

uint16_t CPartFile::FindFreeEntry(const RavoIndex* index) const {
    if (index == nullptr || index->used >= index->capacity) {
        return 0;
    }
    for (uint32_t e = 1; e <= index->entries.size(); ++e) {
        if (index->entries[e - 1].offset == 0) {
            return static_cast<uint16_t>(e);
        }
    }
    return 0;
}

uint32_t CPartFile::AllocateSpace(uint32_t length) {
    for (size_t i = 0; i < freeSpace_.size(); ++i) {
        if (freeSpace_[i].length >= length) {
            const FreeStretch taken = freeSpace_[i];
            freeSpace_.erase(freeSpace_.begin() + static_cast<ptrdiff_t>(i));
            if (taken.length - length > 256) {
                FreeSpace(taken.length - length, taken.offset + length);
            }
            return taken.offset;
        }
    }
    return FileSize();
}

void CPartFile::FreeSpace(uint32_t length, uint32_t offset) {
    auto at = std::find_if(freeSpace_.begin(), freeSpace_.end(),
                           [length](const FreeStretch& s) { return s.length >= length; });
    freeSpace_.insert(at, FreeStretch{offset, length});
}

// ---- Writes -------------------------------------------------------------------------------

namespace {

/// A new empty index block in host order.
std::unique_ptr<RavoIndex> NewIndex(uint16_t capacity, uint16_t format, Tag4 tag, Tag4 type) {
    auto index = std::make_unique<RavoIndex>();
    index->blockKind = Tag4("vari");
    index->capacity = capacity;
    index->sizeField = kEntryLength * capacity + kEntryLength;
    index->format = format;
    index->tag = tag;
    index->type = type;
    index->entries.assign(capacity, RavoEntry{});
    return index;
}

/// Gives an index block `capacity` entries; the new ones are free.
void Enlarge(RavoIndex& index, uint16_t capacity) {
    index.entries.resize(capacity, RavoEntry{});
    index.capacity = capacity;
    index.sizeField = kEntryLength * capacity + kEntryLength;
}

} // namespace

void CPartFile::InitChunkHeader(void* buffer) {
    auto* h = static_cast<uint8_t*>(buffer);
    std::memset(h, 0, ravo::kChunkHeaderLength);
    std::strcpy(reinterpret_cast<char*>(h), "Unnamed Chunk");
    std::strcpy(reinterpret_cast<char*>(h + 64), "chunk of unknown origin");
    const uint32_t now = plat::clock().UnixTime();
    std::span<uint8_t> s(h, ravo::kChunkHeaderLength);
    bytes::WriteLe32(s, 320, now);
    bytes::WriteLe32(s, 324, now);
}

bool CPartFile::WriteIndexBlock(uint8_t n) {
    RavoEntry* me = MasterEntry(n);
    RavoIndex* index = n >= 1 && n <= indexes_.size() ? indexes_[n - 1].get() : nullptr;
    if (me == nullptr || index == nullptr || me->offset == 0) {
        return false;
    }
    const std::vector<uint8_t> block = ravo::EncodeIndexBlock(*index);
    return WriteAt(me->offset, block.data(), static_cast<uint32_t>(block.size()));
}

bool CPartFile::PlaceIndex(uint8_t n) {
    RavoEntry* me = MasterEntry(n);
    RavoIndex* index = n >= 1 && n <= indexes_.size() ? indexes_[n - 1].get() : nullptr;
    if (me == nullptr || index == nullptr) {
        return false;
    }
    me->size = index->BlockLength();
    me->offset = AllocateSpace(me->size);
    return WriteIndexBlock(n);
}

uint8_t CPartFile::AddIndex(uint16_t capacity, uint16_t format, Tag4 tag, Tag4 type) {
    if (!master_) {
        return 0;
    }
    // The new index is numbered after the used ones. (An enlarged index also has a master entry
    // without a place until it is written, so the first entry at offset 0 is not a free one.)
    if (master_->used >= master_->capacity) {
        if (GrowMaster(static_cast<uint16_t>(master_->capacity + 5))) {
            WriteMasterIndex();
        }
    }
    const uint32_t n = master_->used + 1u;
    if (n > master_->capacity || n > 255) {
        return 0;
    }
    std::unique_ptr<RavoIndex> index = NewIndex(capacity, format, tag, type);
    const uint32_t length = index->BlockLength();
    const uint32_t place = AllocateSpace(length);

    // A read-only file takes the index in memory only.
    if (!IsReadMode(driverMode_)) {
        const std::vector<uint8_t> block = ravo::EncodeIndexBlock(*index);
        Access access(*this, fileDriver_.get());
        const int32_t seek = xCheckErr(static_cast<int32_t>(fileDriver_->Control(DRV_SEEK, 0, place)));
        if (seek < 0) {
            xTracef("RAVO Error : AddIndex(), Call - %d\n", int(seek));
            return 0;
        }
        uint32_t written = 0;
        const int32_t code = xCheckErr(fileDriver_->Write(block.data(), length, &written));
        if (code < 0 || written != length) {
            xTracef("RAVO Error : AddIndex(), Write - %d\n", int(code));
            return 0;
        }
    }
    master_->used++;
    master_->entries[n - 1] = RavoEntry{0, length, place, nullptr};
    indexes_[n - 1] = std::move(index);
    return static_cast<uint8_t>(n);
}

ChunkId CPartFile::WriteChunk(const void* data, uint32_t size, ChunkId id, Tag4 chunkTag, Tag4 indexType,
                              RavoIndex* index) {
    if (!master_ || (data == nullptr && size != 0)) {
        return kNullChunkId;
    }
    if (ChunkIndexOf(id) == 0) {
        const uint8_t n = FindDataIndex(indexType);
        if (n == 0) {
            return kNullChunkId;
        }
        id = WithChunkIndex(id, n);
    }
    if (index == nullptr) {
        index = GetIndex(id);
        if (index == nullptr) {
            return kNullChunkId;
        }
    }
    uint16_t e = ChunkEntryOf(id);
    if (e == 0) {
        e = FindFreeEntry(index);
        if (e == 0) {
            return kNullChunkId;
        }
        id = WithChunkEntry(id, e);
    }
    RavoEntry* entry = index->Entry(e);
    if (entry == nullptr) {
        xTracef("RAVO Error : WriteChunk() - entry %d beyond the capacity %d of index %d\n", int(e),
                int(index->capacity), int(ChunkIndexOf(id)));
        return kNullChunkId;
    }
    if (index->format != 0 && index->format != 7 && index->format != 8) {
        xTracef("RAVO Error : WriteChunk() - index %d of format %d cannot be written\n",
                int(ChunkIndexOf(id)), int(index->format));
        return kNullChunkId;
    }
    const uint32_t headerLength = ravo::HeaderLength(index->format);
    if (size > UINT32_MAX - headerLength) {
        return kNullChunkId;
    }
    const uint32_t needed = headerLength + size;
    const RavoEntry before = *entry;
    const uint16_t usedBefore = index->used;

    std::vector<uint8_t> header(headerLength, 0);
    bool inUse = entry->offset != 0;
    if (inUse && index->format == 8 && !ReadHeaderRaw(id, header.data())) {
        inUse = false; // the old header cannot be had: write a new one in a new place
        InitChunkHeader(header.data());
    } else if (index->format == 8 && !inUse) {
        InitChunkHeader(header.data());
    }
    uint32_t place = 0;
    if (entry->offset == 0) {
        index->used++;
        place = AllocateSpace(needed);
    } else if (entry->size >= needed && (entry->flags & ravo::kFlagPatched) == 0) {
        place = entry->offset;
    } else {
        if ((entry->flags & ravo::kFlagPatched) == 0) {
            FreeSpace(entry->size, entry->offset);
        }
        place = AllocateSpace(needed);
    }
    if (index->format == 8 && inUse) {
        bytes::WriteLe32(header, 324, plat::clock().UnixTime());
    } else if (index->format == 7) {
        chunkTag.ToBytes(&header[0]);
        indexType.ToBytes(&header[4]);
        bytes::WriteBe32(header, 8, size);
    }
    bool ok = headerLength == 0 || WriteAt(place, header.data(), headerLength);
    ok = ok && (size == 0 || WriteAt(place + headerLength, data, size));
    if (ok) {
        // The cache's reference count and data stay with the entry; the chunk now lies here.
        entry->flags &= static_cast<uint16_t>(ravo::kRefCountMask | 0x2000);
        entry->size = needed;
        entry->offset = place;
        const uint8_t n = ChunkIndexOf(id);
        RavoEntry* me = MasterEntry(n);
        if (me != nullptr && me->offset == 0) {
            // A grown index has no place yet: give it one, never offset 0, and record it.
            ok = PlaceIndex(n) && WriteMasterIndex();
        } else {
            ok = WriteIndexBlock(n);
        }
    }
    if (!ok) {
        xTracef("RAVO Error : WriteChunk() - unable to write chunk ID(%d,%d)\n", int(ChunkIndexOf(id)), int(e));
        *entry = before;
        index->used = usedBefore;
        return kNullChunkId;
    }
    return id;
}

bool CPartFile::ExpandIndex(ChunkId id, uint16_t capacity) {
    const uint8_t n = ChunkIndexOf(id);
    RavoIndex* index = GetIndex(id);
    RavoEntry* me = MasterEntry(n);
    if (index == nullptr || me == nullptr) {
        return false;
    }
    const uint32_t oldLength = index->BlockLength();
    const uint32_t newLength = kBlockHeadLength + kEntryLength * uint32_t{capacity};
    if (oldLength >= newLength) {
        xTrace("WARNING:  Tried to expand index to smaller or equal size!\n");
        return false;
    }
    Enlarge(*index, capacity);
    if (me->offset != 0) {
        FreeSpace(me->size, me->offset);
    }
    // No place in the file until the index is next written (which gives it one).
    me->size = newLength;
    me->offset = 0;
    return true;
}

bool CPartFile::GrowMaster(uint16_t capacity) {
    if (!master_) {
        return false;
    }
    if (capacity == master_->capacity) {
        return true;
    }
    if (capacity < master_->capacity) {
        return false;
    }
    master_->entries.resize(capacity, RavoEntry{});
    master_->capacity = capacity;
    master_->sizeField = kEntryLength * capacity + kEntryLength;
    indexes_.resize(capacity);
    return true;
}

bool CPartFile::WriteMasterIndex() {
    if (!master_ || IsReadMode(driverMode_)) {
        return false;
    }
    // Every index must have a place before the master records where it lies.
    for (uint16_t i = 1; i <= master_->used && i <= 255; ++i) {
        const RavoEntry& me = master_->entries[i - 1];
        if (me.offset == 0 && indexes_[i - 1] && !PlaceIndex(static_cast<uint8_t>(i))) {
            return false;
        }
    }
    uint8_t record[kStartRecordLength] = {};
    if (!ReadAt(fileDriver_.get(), 0, record, kStartRecordLength)) {
        return false;
    }
    const uint32_t room = bytes::be32(record, 8);
    std::vector<uint8_t> block = ravo::EncodeIndexBlock(*master_);
    uint32_t place = 0;
    if (master_->sizeField > room) {
        place = AllocateSpace(static_cast<uint32_t>(block.size()));
        uint8_t redirect[kStartRecordLength] = {};
        bytes::WriteLe32(redirect, 0, place);
        Tag4("rmta").ToBytes(redirect + 4);
        bytes::WriteBe32(redirect, 8, room);
        // The master goes first, so the start record never points at a stretch not yet written.
        if (!WriteAt(place, block.data(), static_cast<uint32_t>(block.size())) ||
            !WriteAt(0, redirect, kStartRecordLength)) {
            xTrace("RAVO Error : WriteMasterIndex() - write failed\n");
            return false;
        }
        masterOffset_ = place;
        return true;
    }
    if (!WriteAt(0, block.data(), static_cast<uint32_t>(block.size()))) {
        xTrace("RAVO Error : WriteMasterIndex() - write failed\n");
        return false;
    }
    masterOffset_ = 0;
    return true;
}

// ---- Heap and cache -----------------------------------------------------------------------

void CPartFile::CreateHeap() {
    if (heap_ == nullptr) {
        heap_ = PoolCreate(kPoolEngineFlags);
    }
}

MemPool* CPartFile::SelectHeap(uint32_t /*size*/) { return heap_ != nullptr ? heap_ : PoolForThread(); }

void* CPartFile::Alloc(uint32_t size, uint32_t flags) {
    if (size == 0) {
        return nullptr;
    }
    return PoolAllocBlock(SelectHeap(size), size, flags);
}

void CPartFile::FreeBlock(void* block) { PoolFreeBlock(block); }

void* CPartFile::AddChunkRef(ChunkId id) {
    if (!cacheEnabled_) {
        return nullptr;
    }
    if (ChunkIndexOf(id) == 0) {
        return GetIndex(MakeChunkId(static_cast<uint8_t>(ChunkEntryOf(id) & 0xFF), 0));
    }
    if (ChunkEntryOf(id) == 0) {
        return nullptr;
    }
    RavoEntry* entry = EntryOf(id);
    if (entry == nullptr || entry->offset == 0) {
        return nullptr;
    }
    const uint16_t count = RefCount(*entry);
    if (count == 0) {
        return nullptr;
    }
    if (count < kMaxRefCount) {
        SetRefCount(*entry, count + 1u);
        if (count + 1 == kMaxRefCount) {
            xTracef("RAVO : Warning - chunk reference count saturated, kept until close ID(%d,%d)\n",
                    int(ChunkIndexOf(id)), int(ChunkEntryOf(id)));
        }
    }
    return entry->data;
}

void CPartFile::SetChunkData(ChunkId id, void* data) {
    if (!cacheEnabled_ || data == nullptr || ChunkEntryOf(id) == 0) {
        return;
    }
    RavoEntry* entry = EntryOf(id);
    if (entry == nullptr) {
        return;
    }
    const bool newlyCached = entry->data == nullptr;
    if (newlyCached) {
        entry->data = data;
    }
    const uint16_t count = RefCount(*entry);
    if (count < kMaxRefCount) {
        SetRefCount(*entry, count + 1u);
    }
    RavoEntry* me = MasterEntry(ChunkIndexOf(id));
    if (me != nullptr && newlyCached) {
        me->flags = static_cast<uint16_t>(me->flags + 1);
    }
}

void CPartFile::DropChunkCount(uint8_t indexNumber) {
    RavoEntry* me = MasterEntry(indexNumber);
    if (me != nullptr && me->flags > 0) {
        me->flags = static_cast<uint16_t>(me->flags - 1);
    }
}

void CPartFile::ReleaseChunk(ChunkId id) {
    if (!cacheEnabled_ || ChunkEntryOf(id) == 0) {
        return;
    }
    RavoEntry* entry = EntryOf(id);
    if (entry != nullptr && DropRef(*entry) && entry->data != nullptr) {
        FreeBlock(entry->data);
        entry->data = nullptr;
        DropChunkCount(ChunkIndexOf(id));
    }
}

bool CPartFile::ReleaseChunkRef(ChunkId id) {
    if (!cacheEnabled_ || ChunkEntryOf(id) == 0) {
        return false;
    }
    RavoEntry* entry = EntryOf(id);
    if (entry == nullptr || !DropRef(*entry)) {
        return false;
    }
    entry->data = nullptr;
    DropChunkCount(ChunkIndexOf(id));
    return true;
}

bool CPartFile::ReleaseChunkData(void* data, Tag4 type) {
    if (!cacheEnabled_ || data == nullptr) {
        return false;
    }
    const uint8_t n = FindDataIndex(type);
    RavoIndex* index = n == 0 ? nullptr : GetIndex(MakeChunkId(n, 0));
    if (index == nullptr) {
        return false;
    }
    bool reachedZero = false;
    for (RavoEntry& entry : index->entries) {
        if (entry.data == data && DropRef(entry)) {
            entry.data = nullptr;
            DropChunkCount(n);
            reachedZero = true;
        }
    }
    return reachedZero;
}

// ---- Access bracket -----------------------------------------------------------------------

CPartFile* CPartFile::OwnerOf(ODriver* driver) {
    if (driver == nullptr) {
        return nullptr;
    }
    for (CPartFile* f = this; f != nullptr; f = f->next_.get()) {
        if (f->fileDriver_.get() == driver || f->blockDriver_.get() == driver) {
            return f;
        }
    }
    return nullptr;
}

bool CPartFile::BeginAccess(ODriver* driver) {
    CPartFile* owner = OwnerOf(driver);
    if (owner == nullptr) {
        return false;
    }
    if (owner->inAccess_) {
        const intptr_t position = driver->Control(DRV_POSITION);
        owner->accessStack_.push_back(AccessRecord{position < 0 ? 0u : static_cast<uint32_t>(position), driver});
        return true;
    }
    // The sound-library calls of the outermost access exist only on Windows 9x.
    owner->inAccess_ = true;
    return true;
}

bool CPartFile::EndAccess(ODriver* driver) {
    CPartFile* owner = OwnerOf(driver);
    if (owner == nullptr) {
        return false;
    }
    if (!owner->accessStack_.empty()) {
        const AccessRecord last = owner->accessStack_.back();
        owner->accessStack_.pop_back();
        driver->Control(DRV_SEEK, 0, last.position);
        return true;
    }
    owner->inAccess_ = false;
    return true;
}

ODriver* CPartFile::AcquireChunkDriver(ChunkId id) {
    if (!fileDriver_) {
        return nullptr;
    }
    if (id != kNullChunkId) {
        const uint8_t n = ChunkIndexOf(id);
        const uint16_t e = ChunkEntryOf(id);
        uint16_t flags = 0;
        if (e == 0) {
            const RavoEntry* me = MasterEntry(n);
            flags = me != nullptr ? me->flags : 0;
        } else if (RavoIndex* index = GetIndex(id)) {
            if (const RavoEntry* entry = index->Entry(e)) {
                flags = entry->flags;
            } else {
                xTracef("ChunkID out of range : %d,%d", int(n), int(e));
            }
        }
        if (e != 0 && (flags & ravo::kFlagUnbuffered) != 0) {
            // Read unbuffered: the same file through a driver without a read buffer.
            if (!unbuffered_) {
                unbuffered_ = std::make_unique<ODrvUnBuffFile>();
                if (xCheckErr(unbuffered_->Open(name_.c_str(), DRV_MODE_READ)) < 0) {
                    unbuffered_.reset();
                }
            }
            if (unbuffered_) {
                return unbuffered_.get();
            }
        }
        if ((flags & ravo::kFlagPatched) != 0 && next_) {
            return next_->AcquireChunkDriver(id);
        }
    }
    BeginAccess(fileDriver_.get());
    return fileDriver_.get();
}

CPartFile* CPartFile::HolderOf(ChunkId id) {
    if (next_ && ChunkEntryOf(id) != 0) {
        const RavoEntry* entry = EntryOf(id);
        if (entry != nullptr && (entry->flags & ravo::kFlagPatched) != 0) {
            return next_->HolderOf(id);
        }
    }
    return this;
}

void CPartFile::ReleaseChunkDriver(ODriver** driver) {
    if (driver == nullptr || *driver == nullptr) {
        return;
    }
    EndAccess(*driver);
    *driver = nullptr;
}

// ---- Patch chain --------------------------------------------------------------------------

bool CPartFile::OpenPatch(const char* name, CPartFile* target) {
    if (name == nullptr || *name == 0 || !xFile_Exists(name, 1)) {
        return false;
    }
    CPartFile* last = this;
    while (last->next_) {
        last = last->next_.get();
    }
    last->next_ = std::make_unique<CPartFile>();
    CPartFile* patch = last->next_.get();
    if (!patch->Open(name, 1) || !InstallPatch(target != nullptr ? target : this, patch)) {
        last->next_.reset();
        return false;
    }
    return true;
}

uint16_t CPartFile::PatchIndexCount(const CPartFile& patch) {
    // Chunk ids number indexes with one byte: a patch's indexes past 255 cannot be reached.
    return std::min<uint16_t>(patch.master_->used, 255);
}

bool CPartFile::Accepts(CPartFile& patch) {
    xTrace("RAVO : Installing patch file\n");
    const RavoIndex* tm = master_.get();
    const RavoIndex* pm = patch.master_.get();
    if (tm == nullptr || pm == nullptr) {
        return false;
    }
    // Every index of the patch must be loaded, and those both files have must agree in type and
    // format.
    for (uint16_t i = 1; i <= PatchIndexCount(patch); ++i) {
        const RavoIndex* pi = patch.GetIndex(MakeChunkId(static_cast<uint8_t>(i), 0));
        if (pi == nullptr) {
            return false;
        }
        if (i <= tm->used) {
            const RavoIndex* ti = GetIndex(MakeChunkId(static_cast<uint8_t>(i), 0));
            if (ti == nullptr || ti->type != pi->type || ti->format != pi->format) {
                return false;
            }
        }
    }
    return true;
}

void CPartFile::TakePatch(CPartFile& patch) {
    // The patch lives in memory only: this file's bytes and its free-space list stay as they
    // are, since the master index in the file still lists every block where it lies.
    const uint16_t count = PatchIndexCount(patch);
    if (count > master_->capacity) {
        GrowMaster(count);
    }
    for (uint16_t i = 1; i <= count; ++i) {
        const uint8_t n = static_cast<uint8_t>(i);
        RavoIndex& pi = *patch.indexes_[i - 1];
        RavoEntry& me = master_->entries[i - 1];
        if (i > master_->used) {
            indexes_[i - 1] = NewIndex(pi.capacity, pi.format, pi.tag, pi.type);
            master_->used = i;
            me = RavoEntry{0, indexes_[i - 1]->BlockLength(), 0, nullptr};
        }
        RavoIndex& ti = *indexes_[i - 1];
        if (ti.capacity < pi.capacity) {
            Enlarge(ti, pi.capacity);
            // The enlarged block has no place in this file.
            me.size = ti.BlockLength();
            me.offset = 0;
        }
        for (uint32_t e = 1; e <= pi.capacity; ++e) {
            const RavoEntry& pe = pi.entries[e - 1];
            if (pe.offset == 0) {
                continue;
            }
            const ChunkId id = MakeChunkId(n, static_cast<uint16_t>(e));
            if (pe.size == 0) {
                xTracef("Warning : bad patch entry encountered : ID(%d,%d)\n", int(n), int(e));
                continue;
            }
            uint32_t dataSize = 0;
            uint32_t dataOffset = 0;
            patch.GetChunkLocation(id, &dataSize, &dataOffset, &pi);
            RavoEntry& te = ti.entries[e - 1];
            if (te.offset == 0) {
                if (dataSize == 0) {
                    xTracef("Warning : Deleted chunk patch entry for non-existant chunk : ID(%d,%d)\n", int(n),
                            int(e));
                    continue;
                }
                ti.used++;
            } else if (dataSize == 0) {
                te.offset = 0;
                te.size = 0;
                if (ti.used > 0) {
                    ti.used--;
                }
                continue;
            }
            te.size = pe.size;
            te.offset = pe.offset;
            te.flags |= ravo::kFlagPatched;
        }
    }
}

bool CPartFile::InstallPatch(CPartFile* target, CPartFile* patch) {
    if (target == nullptr) {
        target = this;
    }
    if (patch == nullptr) {
        patch = target->next_.get();
    }
    if (patch == nullptr) {
        return false;
    }
    // Every file of the chain before the patch takes it. All of them are checked before any
    // changes, and taking a patch cannot fail, so a refused patch leaves every one as it was.
    std::vector<CPartFile*> targets;
    for (CPartFile* t = target;; t = t->next_.get()) {
        targets.push_back(t);
        if (!t->Accepts(*patch)) {
            xTrace("RAVO : Error - Installation of patch failed\n");
            return false;
        }
        if (t->next_.get() == patch || !t->next_) {
            break;
        }
    }
    for (CPartFile* t : targets) {
        t->TakePatch(*patch);
    }
    const CPartFile* last = targets.back();
    xTracef("RAVO : Patch installation complete : %s\n", last->next_ ? last->next_->GetName().c_str() : "");
    return true;
}

void CPartFile::ClosePatch() {
    if (next_) {
        next_->Close();
        next_.reset();
    }
}

// ---- Chunk log ----------------------------------------------------------------------------

std::string CPartFile::ChunkLogName(const std::string& fileName) {
    // The extension is cut only within the last path component, never at a dot of a folder.
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return fileName + ".log";
    }
    return fileName.substr(0, dot) + ".log";
}

bool CPartFile::OpenChunkLog(bool force) {
    if (!chunkLogging_ && !force) {
        return false;
    }
    CloseChunkLog();
    const char* driverName = fileDriver_ ? fileDriver_->GetName() : nullptr;
    const std::string logName = ChunkLogName(driverName != nullptr ? driverName : "RAVO");
    auto create = [this](const std::string& name, const char* banner) {
        logDriver_ = std::make_unique<ODrvFile>();
        if (xCheckErr(logDriver_->Create(name.c_str(), DRV_MODE_READWRITE)) < 0) {
            return false;
        }
        chunkLogging_ = true;
        WriteLog(banner);
        return true;
    };
    if (create(logName, "//\n// Chunk log file opened -- using partfile path\n//\n")) {
        return true;
    }
    const size_t slash = logName.find_last_of("/\\");
    std::string local = slash == std::string::npos ? logName : logName.substr(slash + 1);
    if (local.size() > 2047) {
        local.resize(2047);
    }
    if (create(local, "//\n// Chunk log file opened -- using current path\n//\n")) {
        return true;
    }
    logDriver_.reset();
    chunkLogging_ = false;
    return false;
}

void CPartFile::CloseChunkLog() {
    if (!logDriver_) {
        return;
    }
    WriteLog("//\n// Chunk log file closed\n//\n");
    logDriver_->Close();
    logDriver_.reset();
}

void CPartFile::WriteLog(const char* text) {
    if (!logDriver_ || text == nullptr || logDriver_->Control(DRV_ISOPEN) != 1) {
        return;
    }
    const std::string kept(text, strnlen(text, 1023));
    size_t start = 0;
    while (start < kept.size()) {
        const size_t lf = kept.find('\n', start);
        const std::string piece =
            kept.substr(start, lf == std::string::npos ? std::string::npos : lf - start) + "\r\n";
        uint32_t written = 0;
        logDriver_->Write(piece.data(), static_cast<uint32_t>(piece.size()), &written);
        if (lf == std::string::npos) {
            break;
        }
        start = lf + 1;
    }
}

void CPartFile::LogChunk(ChunkId id, const char* /*kind*/) {
    if (!chunkLogging_ || !logDriver_ || logDriver_->Control(DRV_ISOPEN) != 1 || id == kNullChunkId ||
        !ChunkExists(id)) {
        return;
    }
    char name[ravo::kChunkHeaderLength] = {};
    RavoIndex* index = GetIndex(id);
    if (index != nullptr && index->format == 8) {
        std::vector<uint8_t> header(ravo::kChunkHeaderLength);
        if (ReadHeaderRaw(id, header.data())) {
            std::memcpy(name, header.data(), 64);
        }
    }
    uint32_t size = 0;
    uint32_t offset = 0;
    ChunkSizeAndOffset(id, index, &size, &offset);
    char line[1024];
    std::snprintf(line, sizeof line, "[%s] %s : (%d,%d,%d)\t\t\t// (SIZE:%d) (OFFSET:%d)",
                  GetIndexType(id).str().c_str(), name, int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                  int(ChunkEntryOf(id)), int(size), int(offset));
    WriteLog(line);
}
