#include "tests/support/SoundFixture.h"

#include <algorithm>
#include <cstring>

#include "engine/data/Memory.h"
#include "platform/Platform.h"
#include "tests/support/ScriptedAudioOutput.h"

namespace vqt::test {

xSnippet* NewRawSnippet(const Bytes& played, uint16_t bits, uint16_t channels, uint16_t loopMode) {
    xSnippet* s = xSnippet_New();
    s->data = static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), std::max<size_t>(played.size(), 1)));
    std::memcpy(s->data, played.data(), played.size());
    s->size = uint32_t(played.size());
    s->capacity = s->size;
    s->bits = bits;
    s->mono = channels == 1 ? 1 : 0;
    s->loopMode = loopMode;
    return s;
}

void SoundTest::TearDown() {
    for (xSnippet* s : made_) xSound_ReleaseSnippet(&s);
    made_.clear();
}

void SoundTest::Start(int32_t channels) { ASSERT_EQ(xSound_Startup(channels, 0, 0), 0); }

xSnippet* SoundTest::Raw(const Bytes& played, uint16_t bits, uint16_t channels, uint16_t loopMode) {
    made_.push_back(NewRawSnippet(played, bits, channels, loopMode));
    return made_.back();
}

void SoundTest::Advance(uint32_t ms) {
    clock().Advance(ms);
    plat::audio().Output().Pump();
}

std::vector<int16_t> SoundTest::Output() {
    const std::vector<uint8_t>& bytes = NullAudio().Rendered();
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

} // namespace vqt::test
