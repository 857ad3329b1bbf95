// The music process on channel 0: playing from a descriptor, stopping, the follow-up entry, and
// fades stepped every frame in sixteenths of a second.
#include "engine/media/MusicProcess.h"

#include <gtest/gtest.h>

#include "tests/engine/media/VoiceFixture.h"

namespace vqt::test {
namespace {

class MusicTest : public VoiceTest {
protected:
    void SetUp() override {
        VoiceTest::SetUp();
        music = new OMusicProcess;
        window->AddChild(music);
    }
    void TearDown() override {
        // As in the program, the music process goes while the part file its snippet is cached
        // in is still open.
        if (music) {
            window->RemoveChild(music);
            delete music;
        }
        VoiceTest::TearDown();
    }
    SoundChannel* Channel() { return xSound_GetChannel(0); }

    OMusicProcess* music = nullptr;
};

TEST_F(MusicTest, PlayStartsTheFirstEntryLoopingOnChannelZeroAndStopGivesItBack) {
    music->Play();
    EXPECT_TRUE(music->IsPlaying()) << "without a descriptor it only counts as playing";
    EXPECT_EQ(music->GetChannel(), nullptr);
    music->Stop();

    const int32_t snippets = xSound_State().snippets;
    music->SetSnippetData(MusicDescriptor::FromId(MakeChunkId(MusicDescriptor::kNoFollowUp, kMusic)));
    music->Play();
    ASSERT_TRUE(music->IsPlaying());
    ASSERT_NE(music->GetSnippet(), nullptr);
    EXPECT_EQ(music->GetChannel(), Channel());
    EXPECT_EQ(Channel()->snippet, music->GetSnippet());
    EXPECT_EQ(music->GetSnippet()->loopMode, OMusicProcess::kLooping);
    EXPECT_EQ(Channel()->left, 255);
    EXPECT_EQ(Channel()->right, 255);
    EXPECT_EQ(Channel()->volume, OMusicProcess::kStartVolume);
    EXPECT_EQ(xSound_State().snippets, snippets + 1);
    Frames(50);
    EXPECT_EQ(xSound_IsPlaying(Channel()), 1) << "it loops";
    music->Pause();
    EXPECT_EQ(Channel()->paused, 1);
    music->Resume();
    EXPECT_EQ(Channel()->paused, 0);

    music->Release();
    EXPECT_FALSE(music->IsPlaying());
    EXPECT_FALSE(music->GetSnippetData().has_value());
    EXPECT_EQ(xSound_IsPlaying(Channel()), 0);
    EXPECT_EQ(xSound_State().snippets, snippets) << "the cache's reference is given back";
}

TEST_F(MusicTest, MusicEndedWhileTheProgramIsSwitchedOutStillGivesItsSnippetBack) {
    // As when the program's window closes: it is switched out, then the music process goes.
    const int32_t snippets = xSound_State().snippets;
    music->SetSnippetData(MusicDescriptor::FromId(MakeChunkId(MusicDescriptor::kNoFollowUp, kMusic)));
    music->Play();
    ASSERT_EQ(xSound_State().snippets, snippets + 1);
    xSound_ReleaseDevice();
    window->RemoveChild(music);
    delete music;
    music = nullptr;
    EXPECT_EQ(xSound_State().snippets, snippets) << "the part file's cached snippet is given back";
    xSound_ReacquireDevice();
}

TEST_F(MusicTest, AdvancePlaysTheFollowUpOnceTheFirstHasEnded) {
    const MusicDescriptor descriptor{kMusicFollowUp, kMusic};
    EXPECT_FALSE(music->SetSnippetData(descriptor).has_value());
    EXPECT_EQ(music->SetSnippetData(descriptor), descriptor) << "a copy of its own";
    music->Play();
    auto entry = [&] { return ChunkEntryOf(music->GetSnippet()->cacheId); };
    ASSERT_EQ(entry(), kMusic);
    music->Advance();
    EXPECT_EQ(entry(), kMusic) << "not while it plays";
    SoundChannel* channel = Channel();
    StopSnippet(&channel);
    music->Advance();
    EXPECT_EQ(entry(), kMusicFollowUp);
    EXPECT_EQ(Channel()->snippet, music->GetSnippet());
    EXPECT_EQ(xSound_IsPlaying(Channel()), 1);
    EXPECT_EQ(Channel()->loopMode, OMusicProcess::kOnce) << "a follow-up entry of 2 and more plays once";
}

TEST_F(MusicTest, FadesStepOnceMoreThanTheirPeriodHasPassedAndEndOnTheTarget) {
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kMusic});
    music->Play();
    struct Row {
        uint8_t up;
        uint16_t step;
        int16_t from, target;
    };
    // Steps that do not divide the distance end on the target too.
    const Row rows[] = {{0, 8, 128, 0}, {1, 3, 0, 100}, {0, 7, 100, 50}, {1, 50, 50, 400}}; // up to 511
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        ASSERT_EQ(music->GetVolume(), row.from);
        const uint32_t start = clock().TickCount() * 16 / 1000;
        music->StartFade(row.up, row.step, row.target, 2);
        for (int i = 0; i < 100 && music->GetVolume() == row.from; ++i) Frames(1);
        EXPECT_EQ(clock().TickCount() * 16 / 1000 - start, 3u) << "more than two sixteenths of a second";
        EXPECT_EQ(music->GetVolume(), row.from + (row.up ? row.step : -row.step));
        for (int i = 0; i < 2000 && music->IsFading(); ++i) Frames(1);
        EXPECT_FALSE(music->IsFading());
        EXPECT_EQ(music->GetVolume(), row.target);
        EXPECT_EQ(Channel()->volume, row.target);
    }
    xSound_Shutdown();
    EXPECT_EQ(music->OnIdle(), 1) << "the frame's walk goes on without sound";
}

} // namespace
} // namespace vqt::test
