// Loads an arbitrary 'snip' chunk (raw PCM, wave or MP3 image, with any property record) and
// plays it: the snippet loader, the wave reader and the MP3 decoder see untrusted bytes, and
// the mix is rendered into a buffer whose guard words must stay untouched. Nothing may read or
// write out of bounds.
//
// Input: a flag byte (bit 0 cache, bits 1-2 kind, bit 3 16 bits, bit 4 stereo, bit 5 no
// property record, bit 6 loop, bit 7 half rate), a big-endian 16-bit count of mouth levels,
// then the chunk's data.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/data/PartFile.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/PartBuilder.h"

namespace {

constexpr uint32_t kFrames = 1500;
constexpr size_t kGuard = 64;
constexpr int16_t kGuardWord = 0x5A5A;

/// Renders a piece of the mix into a guarded buffer; stops the process when a guard changed.
void RenderGuarded() {
    std::vector<int16_t> out(2 * kFrames + kGuard, kGuardWord);
    plat::audio().Mixer().Render(out.data(), kFrames);
    for (size_t i = 2 * kFrames; i < out.size(); ++i) {
        if (out[i] != kGuardWord) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const auto scope = vqt::fuzz::StartInput(); // the engine context, and with it the sound engine, is fresh
    if (xSound_Startup(4, 0, 0) != 0) return 0;
    const uint8_t flags = data[0];
    const uint16_t mouthCount = uint16_t(data[1] << 8 | data[2]);

    vqt::test::SnipPlan plan;
    plan.kind = int16_t((flags >> 1) & 3);
    plan.bits = flags & 0x08 ? 16 : 8;
    plan.channels = flags & 0x10 ? 2 : 1;
    plan.withProperty = (flags & 0x20) == 0;
    plan.mouthCount = mouthCount;
    vqt::test::Bytes chunk(data + 3, data + size);
    vqt::test::ChunkFileBuilder image;
    vqt::test::PartBuilder parts(image);
    vqt::test::ChunkPlan header;
    header.property = vqt::test::SnipProperty(plan);
    const ChunkId id = image.AddChunk(parts.SnippetIndex(), chunk, header);
    const std::string& path = vqt::fuzz::ScratchPath("snippet");
    if (!image.WriteFile(path)) return 0;

    CPartFile file;
    file.SetCacheEnabled((flags & 0x01) != 0);
    if (!file.Open(path.c_str(), 1)) return 0;
    xSnippet* snippet = xSnippet_Load(&file, id, nullptr);
    xSnippet* again = loadSnippet(&snippet, &file, id, 3000, nullptr); // reloaded into the same variable
    if (again != nullptr) {
        if (flags & 0x40) xSound_SetSnippetLoop(again, kSnippetLoop);
        SoundChannel* first = xSound_GetChannel(0);
        SoundChannel* second = xSound_GetChannel(1);
        xSound_PlaySnippet(again, first);
        xSound_PlaySnippet(again, second);
        xSound_SetPlaybackRate(second, flags & 0x80 ? 11025 : 44100 + mouthCount);
        RenderGuarded();
        xSound_SetPaused(first, 1);
        RenderGuarded();
        xSnippet_Unload(again);
        RenderGuarded(); // nothing reads the freed sound
    }
    file.Close();
    return 0;
}
