// Installs arbitrary bytes as a patch over a part file built by the test kit. A refused patch
// must leave every index and every chunk of the part file reading exactly as before; an
// installed one must read without faults.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/data/PartFile.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace {

/// The part file every input patches: indexes of header formats 8, 0 and 7.
const std::string& BasePath() {
    static const vqt::fuzz::ScratchFile base("ravo-base");
    static const bool written = [] {
        vqt::test::ChunkFileBuilder b;
        const uint8_t part = b.AddIndex("part", 8, 4);
        const uint8_t text = b.AddIndex("text", 0, 3);
        const uint8_t snip = b.AddIndex("snip", 7, 2);
        b.AddChunk(part, "part one", {.name = "one"});
        b.AddChunk(part, "part two", {.entry = 3, .name = "two"});
        b.AddChunk(text, "plain text");
        b.AddChunk(text, "more text");
        b.AddChunk(snip, "sound");
        return b.WriteFile(base.Path());
    }();
    if (!written) std::abort();
    return base.Path();
}

/// Every index's shape and every chunk's bytes as the file reads them.
std::string Contents(CPartFile& f) {
    std::string out;
    for (uint32_t n = 1; n <= f.GetMaster()->used && n <= 255; ++n) {
        RavoIndex* index = f.GetIndex(MakeChunkId(static_cast<uint8_t>(n), 0));
        if (index == nullptr) {
            out += "[missing]";
            continue;
        }
        out += "[" + index->type.str() + std::to_string(index->format) + "," + std::to_string(index->capacity) + "," +
               std::to_string(index->used) + "]";
        for (uint32_t e = 1; e <= index->capacity && e <= 4096; ++e) {
            const ChunkId id = MakeChunkId(static_cast<uint8_t>(n), static_cast<uint16_t>(e));
            uint32_t size = 0;
            uint32_t offset = 0;
            if (!f.GetChunkLocation(id, &size, &offset)) continue;
            void* data = f.GetChunk(id);
            out += std::to_string(e) + "=" + (data ? std::string(static_cast<char*>(data), size) : "<unread>") + ";";
            CPartFile::FreeBlock(data);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    const std::string& base = BasePath();
    const std::string& patch = vqt::fuzz::ScratchPath("ravo-patch");
    FILE* out = std::fopen(patch.c_str(), "wb");
    if (out == nullptr) return 0;
    if (size != 0) {
        std::fwrite(data, 1, size, out);
    }
    std::fclose(out);

    CPartFile f;
    if (!f.Open(base.c_str(), 1)) {
        std::abort();
    }
    const std::string before = Contents(f);
    if (f.OpenPatch(patch.c_str())) {
        Contents(f);
    } else if (Contents(f) != before || f.GetNextFile() != nullptr) {
        std::abort(); // a refused patch changed the part file
    }
    f.Close();
    return 0;
}
