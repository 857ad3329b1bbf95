// A thread renders the mix, as the device's callback does, while the program's thread plays a
// snippet on two channels, queues it on a pipe and unloads it: the unload ends both voices and
// drops the queue entry under the sound lock before the sound's memory goes, so the renderer
// never reads freed memory (checked under AddressSanitizer and ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "platform/Platform.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

using SoundThreadsTest = SoundTest;

TEST_F(SoundThreadsTest, UnloadingWhileAnotherThreadRendersReadsNoFreedSound) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    SnipPlan plan;
    plan.bits = 16;
    plan.sound = Pcm16(SineTone(700, 4000));
    plan.loopMode = kSnippetLoop;
    const uint32_t id = parts.AddSnippet(plan);
    for (bool cache : {false, true}) {
        OpenedPartFile file(image, cache);
        Start(8);
        {
            OSoundProcess pipes(8);
            xSnippet* holder = Raw(Pcm16(SineTone(300, 4000)), 16, 1, kSnippetLoop);
            pipes.Play(holder, 4, 9, 0);
            std::atomic<bool> done{false};
            std::atomic<int> renders{0};
            std::thread renderer([&] {
                std::vector<int16_t> out(2 * 256);
                while (!done) {
                    plat::audio().Mixer().Render(out.data(), 256);
                    ++renders;
                }
            });
            for (int round = 0; round < 200; ++round) {
                xSnippet* s = xSnippet_Load(file.get(), id, nullptr);
                EXPECT_NE(s, nullptr);
                if (s == nullptr) break;
                pipes.Play(s, 2, 5, 0);
                pipes.Play(s, 3, 5, 0);
                pipes.Play(s, 4, 1, 0); // waits behind the holder
                for (const int seen = renders; renders == seen;) std::this_thread::yield(); // let it be read
                xSnippet_Unload(s);
                EXPECT_FALSE(xSound_IsPlaying(pipes.GetChannel(2)));
                EXPECT_FALSE(xSound_IsPlaying(pipes.GetChannel(3)));
                EXPECT_EQ(pipes.GetQueueLength(4), 0);
            }
            done = true;
            renderer.join();
            EXPECT_TRUE(xSound_IsPlaying(pipes.GetChannel(4)));
        }
        xSound_Shutdown();
    }
}

} // namespace
} // namespace vqt::test
