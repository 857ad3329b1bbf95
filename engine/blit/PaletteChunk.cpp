#include "engine/blit/ColorPalette.h"
#include "engine/data/PartFile.h"

bool CColorPalette::LoadFromChunk(CPartFile* file, uint32_t chunkId) {
    // The read refuses a missing chunk and one that holds fewer bytes.
    uint8_t bytes[kEntries * 4];
    if (!file || !file->ReadChunkInto(chunkId, sizeof bytes, bytes)) return false;
    return LoadFromBytes(bytes, sizeof bytes);
}
