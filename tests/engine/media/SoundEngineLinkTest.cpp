// The sound engine's side of the sound link: every call reaches the real engine, pipe calls go
// to the sound process that the link finds and do nothing when it finds none.
#include <gtest/gtest.h>

#include "engine/media/Sound.h"
#include "engine/media/SoundEngineLink.h"
#include "engine/media/SoundProcess.h"
#include "tools/builders/PartBuilder.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

OSoundProcess* g_found = nullptr;
OSoundProcess* Found() { return g_found; }

class SoundEngineLinkTest : public SoundTest {
protected:
    void TearDown() override {
        g_found = nullptr;
        SoundTest::TearDown();
    }
    CSoundEngineLink link_{&Found};
};

TEST_F(SoundEngineLinkTest, PipeCallsGoToTheFoundSoundProcessAndWithoutOneDoNothing) {
    Start(8);
    xSnippet* tone = Raw(Bytes(400, 1));
    uint32_t pipe = 99;
    EXPECT_EQ(link_.FindFreePipe(&pipe), nullptr);
    EXPECT_EQ(pipe, 99u);
    link_.PlayOnPipe(tone, 4, 0, 0);
    for (int32_t n = 0; n < 8; ++n) EXPECT_FALSE(link_.IsPlaying(xSound_GetChannel(n))) << n;

    OSoundProcess sound(8);
    g_found = &sound;
    SoundChannel* channel = link_.FindFreePipe(&pipe);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(pipe, OSoundProcess::kFirstFreePipe);
    link_.PlayOnPipe(tone, pipe, 5, 1);
    EXPECT_TRUE(link_.IsPlaying(channel));
    EXPECT_EQ(tone->loopMode, kSnippetLoop);
    link_.PlayOnPipe(Raw(Bytes(400, 2)), pipe, 1, 0); // lower: waits
    EXPECT_EQ(sound.GetQueueLength(pipe), 1);
    link_.ClearQueues();
    EXPECT_EQ(sound.GetQueueLength(pipe), 0);
    EXPECT_TRUE(link_.IsPlaying(channel)) << "what plays goes on";
    link_.StopOnPipe(tone, pipe);
    EXPECT_FALSE(link_.IsPlaying(channel));
}

TEST_F(SoundEngineLinkTest, SnippetAndChannelCallsReachTheEngine) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    const uint32_t id = parts.AddSnippet();
    OpenedPartFile file(image, false);
    ScriptedAudioOutput& device = UseScriptedAudio();
    Start(8);
    xSnippet* snippet = link_.LoadSnippet(file.get(), id);
    ASSERT_NE(snippet, nullptr);
    EXPECT_EQ(xSound_State().snippets, 1);
    link_.SetSnippetLoop(snippet, kSnippetLoop);
    EXPECT_EQ(snippet->loopMode, kSnippetLoop);
    SoundChannel* channel = xSound_GetChannel(2);
    xSound_PlaySnippet(snippet, channel);
    link_.SetVolume(channel, 600);
    link_.SetBalance(channel, 10, 300);
    EXPECT_EQ(channel->volume, 511);
    EXPECT_EQ(channel->left, 10);
    EXPECT_EQ(channel->right, 255);

    link_.ReleaseDevice();
    EXPECT_FALSE(link_.IsPlaying(channel)) << "silent while the device is given back";
    link_.ReacquireDevice();
    EXPECT_EQ(device.pauses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(link_.IsPlaying(channel));
    link_.StopAll();
    EXPECT_FALSE(link_.IsPlaying(channel));

    xSound_PlaySnippet(snippet, channel);
    link_.UnloadSnippet(snippet);
    EXPECT_FALSE(link_.IsPlaying(channel)) << "the unload ends what plays it";
    EXPECT_EQ(xSound_State().snippets, 0);
}

} // namespace
} // namespace vqt::test
