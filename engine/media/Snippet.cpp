#include "engine/media/Snippet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/media/Application.h"
#include "engine/base/Trace.h"
#include "engine/base/ByteOrder.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/Memory.h"
#include "engine/data/PartFile.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"
#include "platform/WaveImage.h"

namespace {

constexpr uint32_t kRawHeaderBytes = 16;
constexpr uint32_t kDescriptionOffset = 64;
constexpr uint32_t kDescriptionBytes = 256;
const Tag4 kSnipType("snip");

MemPool* SnippetPool() {
    MemPool* pool = xSound_State().pool;
    return pool != nullptr ? pool : PoolForThread();
}

/// A block from the snippets' pool (null for 0 bytes); PoolFreeBlock frees it.
uint8_t* AllocBytes(uint32_t bytes) {
    return bytes == 0 ? nullptr : static_cast<uint8_t*>(PoolAllocBlock(SnippetPool(), bytes));
}

void Refuse(ChunkId id, const char* why) {
    xTracef("loadSnippet - %s in snippet (%d,%d)\n", why, int(ChunkIndexOf(id)), int(ChunkEntryOf(id)));
}

/// The sound format that a chunk header's property record gives.
struct SoundFormat {
    int16_t kind = 0;
    uint16_t bits = 8;
    uint16_t rate = 22050;
    uint16_t formatValue = 0;
    uint16_t channels = 1;
    uint32_t lipSyncCount = 0;
};

SoundFormat FormatOf(const uint8_t* header) {
    uint8_t record[kPropertyRecordLength];
    ReadPropertyRecord(header, record);
    const std::span<const uint8_t> r(record, sizeof record);
    SoundFormat f;
    f.kind = int16_t(bytes::host16(r, 22));
    f.bits = bytes::host16(r, 24);
    f.rate = bytes::host16(r, 26);
    f.formatValue = bytes::host16(r, 28);
    f.channels = bytes::host16(r, 30);
    f.lipSyncCount = bytes::be32(r, 36); // left unswapped by the record's swap
    return f;
}

/// The 16-byte head of raw PCM data, host order.
struct RawHeader {
    uint16_t loopMode;
    int16_t volume;
    int16_t left;
    int16_t right;
    uint32_t dataSize;
    uint32_t unused;
};
static_assert(sizeof(RawHeader) == kRawHeaderBytes);

/// The sound read from a chunk, checked, before it goes into a record.
struct LoadedSound {
    SoundFormat format;
    RawHeader header{};
    uint8_t* block = nullptr; ///< the chunk's sound data (mouth levels after it)
    uint32_t blockSize = 0;
    uint32_t stored = 0; ///< bytes read into the block
    uint32_t size = 0;   ///< bytes of sound
};

/// Reads and checks the chunk's data; false (with a trace, nothing allocated) for data that
/// does not hold together or that we do not play.
bool ReadSound(CPartFile* file, ChunkId id, const SoundFormat& format, uint32_t minimumBuffer, LoadedSound& out) {
    uint32_t entrySize = 0;
    uint32_t entryOffset = 0;
    uint32_t dataSize = 0;
    uint32_t dataOffset = 0;
    file->ChunkSizeAndOffset(id, &entrySize, &entryOffset);
    if (!file->GetChunkLocation(id, &dataSize, &dataOffset) || dataSize == 0) {
        Refuse(id, "no sound data");
        return false;
    }
    if (format.kind < 0 || format.kind > 2) {
        Refuse(id, "a kind of sound we do not play");
        return false;
    }
    uint32_t skip = 0;
    out.format = format;
    if (format.kind == 0) {
        if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2)) {
            Refuse(id, "a sample format we do not play");
            return false;
        }
        uint8_t head[kRawHeaderBytes];
        if (dataSize < kRawHeaderBytes || file->ReadChunkInto(id, kRawHeaderBytes, head) == nullptr) {
            Refuse(id, "a damaged header");
            return false;
        }
        xSnippet_SwapHeader(head);
        std::memcpy(&out.header, head, sizeof head);
        out.size = out.header.dataSize & ~1u;
        skip = kRawHeaderBytes;
        const uint64_t room = dataSize - skip;
        if (out.size > room || format.lipSyncCount > room - out.size) {
            Refuse(id, "sizes beyond the chunk");
            return false;
        }
    } else {
        if (format.lipSyncCount > dataSize) {
            Refuse(id, "sizes beyond the chunk");
            return false;
        }
        out.size = dataSize - format.lipSyncCount;
    }
    out.stored = dataSize - skip;
    out.blockSize = std::max({entrySize, minimumBuffer, out.stored});
    out.block = AllocBytes(out.blockSize);
    if (out.block == nullptr) {
        Refuse(id, "no memory");
        return false;
    }
    if (out.stored != 0 && file->ReadChunkInto(id, out.stored, out.block, skip) == nullptr) {
        PoolFreeBlock(out.block);
        Refuse(id, "a failed read");
        return false;
    }
    if (format.kind == 1 && !plat::ReadWaveImage({out.block, out.size})) {
        PoolFreeBlock(out.block);
        Refuse(id, "a wave image we do not play");
        return false;
    }
    return true;
}

/// Empties what a reused record owns besides its data buffer.
void ClearExtras(xSnippet& s) {
    PoolFreeBlock(s.lipSync);
    PoolFreeBlock(s.streamBuffer);
    s.lipSync = nullptr;
    s.streamBuffer = nullptr;
}

/// Puts the loaded sound into the record, reusing its data buffer when it is large enough.
void Fill(xSnippet& s, LoadedSound& sound) {
    if (s.data != nullptr && !s.notOwned && s.capacity >= sound.blockSize) {
        std::memcpy(s.data, sound.block, sound.stored);
        PoolFreeBlock(sound.block);
    } else {
        if (!s.notOwned) PoolFreeBlock(s.data);
        s.data = sound.block;
        s.capacity = sound.blockSize;
    }
    const SoundFormat& f = sound.format;
    s.bits = f.bits;
    s.rate = f.rate;
    s.mono = f.channels == 1 ? 1 : 0;
    s.formatValue = f.formatValue;
    s.kind = f.kind;
    s.lipSyncCount = f.lipSyncCount;
    s.size = sound.size;
    if (f.kind == 0) {
        s.loopMode = sound.header.loopMode;
        s.volume = sound.header.volume;
        s.left = sound.header.left;
        s.right = sound.header.right;
    } else {
        s.volume = s.left = s.right = 511;
    }
    s.notOwned = 0;
    s.lipSync = nullptr;
    s.streaming = 0;
    s.fill = nullptr;
    s.service = nullptr;
    s.fillUser = 0;
    s.streamBuffer = nullptr;
    s.streamSize = 0;
    std::fill(std::begin(s.streamPosition), std::end(s.streamPosition), 0u);
    if (f.kind == 0 && f.bits == 8) {
        for (uint32_t i = 0; i < s.size; ++i) s.data[i] = uint8_t(s.data[i] + 0x80); // signed to unsigned
    }
}

/// The cached snippet of the chunk with a new reference; null when none is cached. `foreign`
/// tells that the chunk's cache entry holds something else (the chunk is then not cached).
xSnippet* CachedSnippet(CPartFile* file, ChunkId id, bool& foreign) {
    foreign = false;
    void* cached = file->AddChunkRef(id);
    if (cached == nullptr) return nullptr;
    auto* s = static_cast<xSnippet*>(cached);
    if (PoolBlockSize(cached) < int64_t(sizeof(xSnippet)) || s->tag != xSnippet::kTag) {
        file->ReleaseChunk(id); // not ours: leave the holder's reference as it was
        foreign = true;
        return nullptr;
    }
    return s;
}

/// Hands the caller's variable the new record, giving the old one back.
xSnippet* Deliver(xSnippet** variable, CPartFile* file, xSnippet* result) {
    if (variable != nullptr) {
        if (*variable != nullptr && *variable != result) xSnippet_UnloadFrom(file, kNullChunkId, *variable);
        *variable = result;
    }
    return result;
}

} // namespace

xSnippet* xSnippet_New() {
    void* block = PoolAllocBlock(SnippetPool(), sizeof(xSnippet), BLOCK_ZEROINIT);
    if (block == nullptr) return nullptr;
    ++xSound_State().snippets;
    return new (block) xSnippet;
}

void xSnippet_Free(xSnippet* snippet) {
    if (snippet == nullptr) return;
    if (!snippet->notOwned) PoolFreeBlock(snippet->data);
    ClearExtras(*snippet);
    snippet->tag = 0;
    PoolFreeBlock(snippet);
    --xSound_State().snippets;
}

void xSnippet_SwapHeader(void* header) {
    const std::span<uint8_t> h(static_cast<uint8_t*>(header), kRawHeaderBytes);
    for (size_t at = 0; at < 8; at += 2) bytes::Swap16(h, at, false);
    bytes::Swap32(h, 8, false);
    bytes::Swap32(h, 12, false);
}

xSnippet* loadSnippet(xSnippet** snippet, CPartFile* partFile, ChunkId id, uint32_t minimumBuffer, char* nameOut) {
    xSnippet* given = snippet != nullptr ? *snippet : nullptr;
    if (partFile == nullptr || !partFile->ChunkExists(id)) {
        char text[96];
        std::snprintf(text, sizeof text, "VQT : Missing Snippet {%d, %d, %d}", int(ChunkIndexOf(id)),
                      int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        plat::dialogs().MessageBox(text, "Error", plat::mb::SystemModal | plat::mb::IconStop);
        xTracef("loadSnippet - non existent snippet (%d,%d)\n", int(ChunkIndexOf(id)), int(ChunkEntryOf(id)));
        return given;
    }
    bool foreign = false;
    const bool caching = partFile->IsCacheEnabled() && partFile->GetIndexType(id) == kSnipType;
    if (caching) {
        if (xSnippet* cached = CachedSnippet(partFile, id, foreign)) {
            if (cached == given) partFile->ReleaseChunkRef(id); // the caller holds its reference already
            return Deliver(snippet, partFile, cached);
        }
    }
    uint8_t header[ravo::kChunkHeaderLength];
    if (!partFile->ReadChunkHeader(id, header)) {
        Refuse(id, "an unreadable header");
        return given;
    }
    LoadedSound sound;
    if (!ReadSound(partFile, id, FormatOf(header), minimumBuffer, sound)) return given;

    // A record that a cache holds is shared: it is never written, a fresh one is made instead.
    xSnippet* target = given != nullptr && given->cache == nullptr ? given : xSnippet_New();
    if (target == nullptr) {
        PoolFreeBlock(sound.block);
        Refuse(id, "no memory");
        return given;
    }
    if (target == given) {
        xSound_FreeSnippetChannels(given); // no voice reads the old sound any more
        ClearExtras(*given);
    }
    Fill(*target, sound);
    if (caching && !foreign) {
        partFile->SetChunkData(id, target);
        target->cache = partFile;
        target->cacheId = id;
    }
    if (nameOut != nullptr) {
        std::memcpy(nameOut, header + kDescriptionOffset, kDescriptionBytes);
        nameOut[kDescriptionBytes - 1] = 0;
    }
    return Deliver(snippet, partFile, target);
}

xSnippet* xSnippet_Load(CPartFile* partFile, ChunkId id, char* nameOut) {
    xSnippet* snippet = nullptr;
    return loadSnippet(&snippet, partFile, id, 0, nameOut);
}

void xSnippet_UnloadFrom(CPartFile* /*partFile*/, ChunkId /*id*/, xSnippet* snippet) {
    if (snippet == nullptr) return;
    xSound_FreeSnippetChannels(snippet);
    // A record that a cache holds lives only while that file is open, so the file is there.
    if (snippet->cache != nullptr && !snippet->cache->ReleaseChunkRef(snippet->cacheId)) return;
    xSound_ReleaseSnippet(&snippet);
}

void xSnippet_Unload(xSnippet* snippet) {
    OApplication* app = OApplication::Get();
    xSnippet_UnloadFrom(app != nullptr ? app->GetPartFile() : nullptr, kNullChunkId, snippet);
}
