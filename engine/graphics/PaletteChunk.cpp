#include "engine/data/PartFile.h"
#include "engine/graphics/ColorPalette.h"

bool CColorPalette::LoadFromChunk(CPartFile* file, uint32_t chunkId) {
    uint32_t size = 0;
    uint32_t offset = 0;
    if (!file || !file->GetChunkLocation(chunkId, &size, &offset) || size < kEntries * 4) return false;
    uint8_t bytes[kEntries * 4];
    if (!file->ReadChunkInto(chunkId, sizeof bytes, bytes)) return false;
    return LoadFromBytes(bytes, sizeof bytes);
}
