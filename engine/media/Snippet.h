#pragma once
// Sound snippets: one loaded sound with the playing parameters the sound engine hands to the
// mixer, loaded from the part file's 'snip' chunks.
//
// A 'snip' chunk (numbers big-endian): its header's property record gives the kind (offset
// 22: 0 raw PCM, 1 wave-file image, 2 MP3), bits (24), rate (26; 0: no format, played as 8-bit
// mono), a format value (28), the channel count (30) and the count of stored mouth levels
// (u32 at 36); without a property record the sound is raw 8-bit mono at 22050. Raw PCM data
// begins with a 16-byte header {loop mode, volume, left, right: 16 bits each; data size: 32
// bits; 32 unused bits}, then the samples (8-bit ones stored signed), then the mouth levels;
// the other kinds hold the whole image, then the mouth levels.
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "engine/graphics/SoundLink.h"

class CPartFile;
struct xSnippet;

/// Fills one half of a stream buffer: (half, bytes, user value, out bytes filled); non-zero
/// when it filled the half.
using SnippetFill = int32_t (*)(void* half, uint32_t bytes, uintptr_t user, uint32_t* filled);
/// Called with a streaming snippet when it starts and every frame while it plays.
using SnippetService = void (*)(xSnippet* snippet);

/// One loaded sound. Records are pool blocks: the chunk cache may own one (and frees it as a
/// block when the file closes with the snippet still cached). A streaming snippet is one whose
/// owner sets the streaming flag, a fill callback (and service callback) and a stream buffer
/// taken from the pools; the loader never makes one.
struct xSnippet {
    static constexpr uint32_t kTag = 0x736E6970; ///< "snip": marks a record in the chunk cache

    uint8_t* data = nullptr;  ///< the sound (owned unless notOwned)
    uint32_t size = 0;        ///< bytes of sound, not counting the mouth levels behind it
    uint32_t capacity = 0;    ///< bytes of the data buffer
    uint16_t loopMode = 0;    ///< low byte 0..4, bit 0x4000 loops
    int16_t volume = 511;     ///< 0..511
    int16_t left = 511;       ///< 0..255, 511 when not given
    int16_t right = 511;
    uint8_t* lipSync = nullptr; ///< mouth levels built from the sound, or null
    uint32_t lipSyncCount = 0;  ///< mouth levels stored behind the sound, then the table's entries
    uint8_t lipSyncRate = 0;    ///< mouth steps a second that the table was built at
    int16_t kind = 0;           ///< 0 raw PCM, 1 wave-file image, 2 MP3
    uint8_t notOwned = 0;
    uint16_t bits = 8;
    uint16_t rate = 22050;
    uint8_t mono = 1;
    uint16_t formatValue = 0;
    uint8_t streaming = 0;
    SnippetFill fill = nullptr;
    SnippetService service = nullptr;
    uintptr_t fillUser = 0;
    uint8_t* streamBuffer = nullptr; ///< the two halves of a stream (an owned pool block)
    uint32_t streamSize = 0;
    uint32_t streamPosition[3] = {};
    CPartFile* cache = nullptr; ///< the part file whose chunk cache holds the record, or null
    ChunkId cacheId = kNullChunkId; ///< the chunk it is cached as
    uint32_t tag = kTag;
};

inline constexpr uint16_t kSnippetLoopBit = 0x4000;

/// Loads chunk `id` into the caller's record (reusing it, and its buffer when large enough,
/// unless the cache holds it) and returns the record. A missing chunk shows "VQT : Missing
/// Snippet {%d, %d, %d}" and traces; damaged or unplayable data and a failed allocation trace;
/// each answers the caller's record unchanged (null for a fresh load). `minimumBuffer` is the
/// smallest data buffer to allocate; `nameOut`, when given, gets the chunk's description (256
/// bytes).
xSnippet* loadSnippet(xSnippet** snippet, CPartFile* partFile, ChunkId id, uint32_t minimumBuffer, char* nameOut);
/// `loadSnippet` into a new record with no minimum.
xSnippet* xSnippet_Load(CPartFile* partFile, ChunkId id, char* nameOut);
/// Gives a loaded snippet back: channels playing it end, then the chunk cache that holds it
/// drops a reference and the record is freed with the last one; a record that no cache holds
/// is freed at once. The cache is the record's own (the file and chunk it was cached as), so
/// `partFile` and `id`, which name where the caller loaded it from, decide nothing. Nothing
/// for null.
void xSnippet_UnloadFrom(CPartFile* partFile, ChunkId id, xSnippet* snippet);
/// `xSnippet_UnloadFrom` with the application's part file (if any) and id 0.
void xSnippet_Unload(xSnippet* snippet);
/// Turns the 16-byte raw-PCM header from file order into host order.
void xSnippet_SwapHeader(void* header);
/// A new record from the sound engine's pool (default values), or null.
xSnippet* xSnippet_New();
/// Frees what a record owns (data unless not owned, stream buffer, mouth levels)
/// and the record; the sound engine's release calls it once no channel reads the record.
void xSnippet_Free(xSnippet* snippet);
