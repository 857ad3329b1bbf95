// Builds the mouth table of an arbitrary 'snip' chunk at an arbitrary rate and looks levels up
// at arbitrary play positions: the stored levels behind the sound, the raw samples and the
// rate come from the file or a part, and nothing may be read or written out of bounds.
//
// Input: a flag byte (bit 0 cache, bits 1-2 kind, bit 3 16 bits, bit 4 stereo, bit 5 no
// property record, bit 6 format value 1), the rate (a signed byte), a big-endian 16-bit count of
// mouth levels, then the chunk's data. The positions are drawn from the input's own bytes.
#include <cstdint>
#include <string>

#include "engine/data/PartFile.h"
#include "engine/media/LipSync.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const auto scope = vqt::fuzz::StartInput(); // the engine context, and with it the sound engine, is fresh
    if (xSound_Startup(2, 0, 0) != 0) return 0;
    const uint8_t flags = data[0];
    const int32_t rate = int8_t(data[1]);

    vqt::test::SnipPlan plan;
    plan.kind = int16_t((flags >> 1) & 3);
    plan.bits = flags & 0x08 ? 16 : 8;
    plan.channels = flags & 0x10 ? 2 : 1;
    plan.withProperty = (flags & 0x20) == 0;
    plan.formatValue = flags & 0x40 ? 1 : 0;
    plan.mouthCount = uint16_t(data[2] << 8 | data[3]);
    vqt::test::ChunkFileBuilder image;
    vqt::test::PartBuilder parts(image);
    vqt::test::ChunkPlan header;
    header.property = vqt::test::SnipProperty(plan);
    const ChunkId id = image.AddChunk(parts.SnippetIndex(), vqt::test::Bytes(data + 4, data + size), header);
    const std::string& path = vqt::fuzz::ScratchPath("lipsync");
    if (!image.WriteFile(path)) return 0;

    CPartFile file;
    file.SetCacheEnabled((flags & 0x01) != 0);
    if (!file.Open(path.c_str(), 1)) return 0;
    xSnippet* snippet = xSnippet_Load(&file, id, nullptr);
    if (snippet != nullptr) {
        xSound_BuildLipSyncTable(snippet, rate);
        SoundChannel* channel = xSound_GetChannel(0);
        xSound_PlaySnippet(snippet, channel);
        xSound_GetLipSyncPeak(channel);
        xSound_GetLipSyncLevel(channel, rate);
        for (size_t at = 0; at + 4 <= size; at += 4) {
            const uint32_t position = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 |
                                      uint32_t(data[at + 2]) << 8 | data[at + 3];
            xSound_LipSyncLevelAt(snippet, position, 1u + (data[at] & 3), rate);
        }
        xSound_FreeLipSyncTable(snippet);
        xSound_BuildLipSyncTable(snippet, -rate);
        xSnippet_Unload(snippet);
    }
    file.Close();
    return 0;
}
