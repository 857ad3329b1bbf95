// Opens arbitrary bytes as a chunk file and reads every index and chunk every way the engine
// does: data, headers, raw blocks, streams, the cache, the records stored in chunks, messages,
// and the file installed as a patch over itself. Nothing may read or write out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/data/ChunkRecords.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const std::string& ScratchPath() { return vqt::fuzz::ScratchPath("ravo"); }

void ReadEverything(CPartFile& f) {
    const RavoIndex* master = f.GetMaster();
    for (uint32_t n = 1; master != nullptr && n <= master->used && n <= 255; ++n) {
        RavoIndex* index = f.GetIndex(MakeChunkId(static_cast<uint8_t>(n), 0));
        if (index == nullptr) continue;
        void* raw = f.ReadRawChunk(MakeChunkId(static_cast<uint8_t>(n), 0));
        CPartFile::FreeBlock(raw);
        f.FindChunkByName("MSG_NOMEMORY", MakeChunkId(static_cast<uint8_t>(n), 0));
        for (uint32_t e = 1; e <= index->capacity && e <= 4096; ++e) {
            const ChunkId id = MakeChunkId(static_cast<uint8_t>(n), static_cast<uint16_t>(e));
            if (!f.ChunkExists(id)) continue;
            void* data = f.GetChunk(id);
            if (data != nullptr) {
                f.SetChunkData(id, data);
                f.AddChunkRef(id);
                f.ReleaseChunk(id);
                f.ReleaseChunk(id);
            }
            void* part = f.ReadChunkInto(id, 3, nullptr, 1);
            CPartFile::FreeBlock(part);
            uint8_t header[1352];
            if (f.ReadChunkHeader(id, header)) {
                uint8_t record[kPropertyRecordLength];
                ReadPropertyRecord(header, record);
            }
            ODriver* stream = nullptr;
            uint32_t size = 0;
            if (f.OpenChunkStream(id, &size, &stream)) {
                char buffer[64];
                uint32_t got = 0;
                stream->Read(buffer, sizeof buffer, &got);
                f.CloseChunkStream(id, &stream);
            }
            CPartFile::FreeBlock(LoadChunkList(&f, id));
            FreePath(LoadPath(&f, id));
            CChunkList texts;
            if (texts.Load(&f, id)) {
                char16_t text[8];
                texts.GetText(texts.RecordId(0), text, sizeof text);
            }
        }
    }
    xMessages_LoadFile(&f);
    xMessages_LoadUnicode(&f, MakeChunkId(f.FindDataIndex("clst"), 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::UseHeadless();
    const auto scope = vqt::fuzz::StartInput();
    const std::string& path = ScratchPath();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 0;
    if (size != 0) {
        std::fwrite(data, 1, size, out);
    }
    std::fclose(out);

    CPartFile f;
    f.SetCacheEnabled(true);
    if (f.Open(path.c_str(), 1)) {
        ReadEverything(f);
        if (f.OpenPatch(path.c_str())) ReadEverything(f);
        f.Close();
    }
    return 0;
}
