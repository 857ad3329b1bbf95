#pragma once
#include <cstdint>
#include <vector>

#include "engine/media/Sound.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

/// A snippet made in memory (not from a chunk): raw PCM of the bytes as played, 8 or 16 bits,
/// mono or stereo, volume and levels 511. Free it with xSound_ReleaseSnippet.
xSnippet* NewRawSnippet(const Bytes& played, uint16_t bits = 16, uint16_t channels = 1, uint16_t loopMode = 0);

/// Sound tests: the headless services and the profile defaults; the engine is started on
/// demand, on the null device unless the test puts another output in.
class SoundTest : public HeadlessTest {
protected:
    /// Frees the snippets made by Raw.
    void TearDown() override;

    /// Starts the engine; asserts success.
    void Start(int32_t channels = 11);
    /// A raw snippet freed at the end of the test.
    xSnippet* Raw(const Bytes& played, uint16_t bits = 16, uint16_t channels = 1, uint16_t loopMode = 0);
    /// Advances the virtual clock; the null device renders what the time covers.
    void Advance(uint32_t ms);
    /// The null device's output so far as 16-bit samples (a 16-bit output).
    std::vector<int16_t> Output();

private:
    std::vector<xSnippet*> made_;
};

} // namespace vqt::test
