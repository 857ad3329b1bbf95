// The sound pipes: priorities and queues, the sweep, the automatic choice, stops, pausing with
// the application and music held down when it is off.
#include "engine/media/SoundProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/data/Profiles.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

class SoundProcessTest : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Start(11);
        pipes_ = std::make_unique<OSoundProcess>(11);
    }
    void TearDown() override {
        pipes_.reset();
        SoundTest::TearDown();
    }
    /// A tenth of a second of sound.
    xSnippet* Short() { return Raw(Pcm16(SineTone(400, 2205))); }
    xSnippet* Looping() { return Raw(Pcm16(SineTone(400, 2205)), 16, 1, kSnippetLoop); }
    const xSnippet* On(uint32_t pipe) { return xSound_IsPlaying(pipes_->GetChannel(pipe)) ? pipes_->GetChannel(pipe)->snippet : nullptr; }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) pipes_->OnIdle();
    }

    std::unique_ptr<OSoundProcess> pipes_;
};

TEST_F(SoundProcessTest, AnEqualPriorityReplacesALowerOneWaitsWithTheHoldersPriority) {
    xSnippet* a = Short();
    xSnippet* b = Short();
    xSnippet* c = Short();
    EXPECT_EQ(pipes_->Play(a, 5, 5, 0), 5);
    EXPECT_EQ(pipes_->Play(b, 5, 5, 0), 5);
    EXPECT_EQ(On(5), b);
    EXPECT_EQ(pipes_->Play(c, 5, 4, 0), 5);
    EXPECT_EQ(On(5), b);
    EXPECT_EQ(pipes_->GetQueueLength(5), 1);
    Frames(3);
    EXPECT_EQ(On(5), b) << "it waits while the pipe plays";
    Advance(100);
    Frames(1);
    EXPECT_EQ(On(5), c) << "the first frame after silence";
    EXPECT_EQ(pipes_->GetPriority(5), 5u);
    EXPECT_EQ(pipes_->GetQueueLength(5), 0);
}

TEST_F(SoundProcessTest, ARememberedPriorityOutlivesItsSoundOnLowPipesAndIsSweptFromPipeFour) {
    for (uint32_t pipe : {2u, 5u}) {
        SCOPED_TRACE(pipe);
        xSnippet* late = Short();
        pipes_->Play(Short(), pipe, 9, 0);
        Advance(100);
        ASSERT_EQ(On(pipe), nullptr);
        pipes_->Play(late, pipe, 1, 0);
        EXPECT_EQ(pipes_->GetQueueLength(pipe), 1) << "queued with priority 9";
        Frames(1);
        EXPECT_EQ(On(pipe), late);
        EXPECT_EQ(pipes_->GetPriority(pipe), 9u);
        Advance(100);
    }
    // The sweep runs on the 52nd call: pipe 5's priority goes, pipe 2's stays.
    OSoundProcess fresh(11);
    fresh.Play(Short(), 2, 9, 0);
    fresh.Play(Short(), 5, 9, 0);
    Advance(100);
    for (int i = 0; i < 51; ++i) fresh.OnIdle();
    EXPECT_EQ(fresh.GetPriority(5), 9u);
    fresh.OnIdle();
    EXPECT_EQ(fresh.GetPriority(5), 0u);
    EXPECT_EQ(fresh.GetPriority(2), 9u);
}

TEST_F(SoundProcessTest, AnEntryThatMeetsAHigherPriorityIsQueuedAgainAtTheEnd) {
    xSnippet* waiting = Short();
    xSnippet* urgent = Short();
    pipes_->Play(Short(), 3, 5, 0);
    pipes_->Play(waiting, 3, 1, 0);
    Advance(100);
    pipes_->Play(urgent, 3, 9, 0); // takes the silent pipe before the next frame
    Advance(100);
    Frames(1);
    EXPECT_EQ(On(3), nullptr) << "priority 5 does not replace 9: queued again with 9";
    EXPECT_EQ(pipes_->GetQueueLength(3), 1);
    Frames(1);
    EXPECT_EQ(On(3), waiting);
}

TEST_F(SoundProcessTest, TheAutomaticChoiceSkipsPlayingAndReservedPipes) {
    for (uint32_t pipe : {0u, 1u, 2u, 3u, 8u, 7u}) pipes_->ReservePipe(pipe);
    std::vector<int32_t> chosen;
    for (int i = 0; i < 6; ++i) chosen.push_back(pipes_->Play(Looping(), 999, 3, 1));
    EXPECT_EQ(chosen, (std::vector<int32_t>{4, 5, 6, 9, 10, -1}));
    EXPECT_EQ(pipes_->GetPriority(4), 0u) << "no priority is recorded";
    EXPECT_EQ(On(4)->loopMode, kSnippetLoop);
    EXPECT_EQ(pipes_->Play(Looping(), uint32_t(-3), 3, 0), -1) << "a negative pipe counts as too large";
    OSoundProcess four(4);
    EXPECT_EQ(four.Play(Short(), 999, 1, 0), -1);
    EXPECT_EQ(four.FindFreePipe(), nullptr);
}

TEST_F(SoundProcessTest, TheSameSoundAskedForAgainAsItStartsOnAFreePipePlaysOnce) {
    const struct {
        const char* what;
        uint32_t gapMs;
        bool sameSound;
        bool firstOnItsOwnPipe;
        int playing;
    } cases[] = {
        {"at once", 0, true, false, 1},
        {"within the moment", OSoundProcess::kSameMomentMs - 1, true, false, 1},
        {"once the moment has passed", OSoundProcess::kSameMomentMs, true, false, 2},
        {"another sound at once", 0, false, false, 2},
        {"the first on a pipe of its own", 0, true, true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OSoundProcess pipes(11);
        xSnippet* first = Looping();
        const int32_t firstPipe = pipes.Play(first, c.firstOnItsOwnPipe ? 5u : 999u, 0, 1);
        Advance(c.gapMs);
        const int32_t again = pipes.Play(c.sameSound ? first : Looping(), 999, 0, 1);
        int playing = 0;
        for (uint32_t pipe = 0; pipe < pipes.GetPipeCount(); ++pipe) playing += xSound_IsPlaying(pipes.GetChannel(pipe)) ? 1 : 0;
        EXPECT_EQ(playing, c.playing);
        if (c.playing == 1) {
            EXPECT_EQ(again, firstPipe) << "the pipe that plays it already";
        }
        xSound_StopAll();
    }
}

TEST_F(SoundProcessTest, ASoundAskedForThreeTimesAtOnceIsNotMixedThreeTimesOver) {
    // Loud enough that two copies in step would pass full scale.
    xSnippet* loud = Raw(Pcm16(SineTone(400, 4410, 22050, 20000)));
    for (int i = 0; i < 3; ++i) pipes_->Play(loud, 999, 0, 0);
    Advance(150);
    const std::vector<int16_t> mixed = Output();
    ASSERT_FALSE(mixed.empty());
    const auto [low, high] = std::minmax_element(mixed.begin(), mixed.end());
    EXPECT_GT(*high, 16000) << "the sound is heard";
    EXPECT_LT(*high, 32767) << "no sample at full scale";
    EXPECT_GT(*low, -32768) << "no sample at full scale";
}

TEST_F(SoundProcessTest, StopsClearPrioritiesAndStopAllExceptKeepsOnePipe) {
    for (uint32_t pipe : {0u, 1u, 2u}) pipes_->Play(Looping(), pipe, 7, 0);
    pipes_->Queue(Short(), 6, 1);
    pipes_->StopAllExcept(0);
    EXPECT_NE(On(0), nullptr);
    EXPECT_EQ(pipes_->GetPriority(0), 7u);
    EXPECT_EQ(On(1), nullptr);
    EXPECT_EQ(pipes_->GetPriority(2), 0u);
    EXPECT_EQ(pipes_->Stop(0), 0);
    EXPECT_EQ(On(0), nullptr);
    EXPECT_EQ(pipes_->GetPriority(0), 0u);
    xSnippet* kept = Looping();
    pipes_->Play(kept, 4, 2, 0);
    pipes_->StopSnippet(Short(), 4);
    EXPECT_EQ(On(4), kept) << "another snippet's stop leaves the sound";
    EXPECT_EQ(pipes_->GetPriority(4), 0u);
    pipes_->ClearQueues();
    EXPECT_EQ(pipes_->GetQueueLength(6), 0);
    EXPECT_EQ(On(4), kept) << "clearing the queues leaves what plays";
    // Out of range.
    EXPECT_EQ(pipes_->Stop(11), 11);
    EXPECT_EQ(pipes_->Queue(Short(), 12, 1), 12);
    EXPECT_EQ(pipes_->SetPaused(40, 1), 0);
    EXPECT_EQ(pipes_->FindPipeByChannel(nullptr), 0u);
    EXPECT_EQ(pipes_->FindPipeByChannel(xSound_GetChannel(9)), 9u);
}

TEST_F(SoundProcessTest, SwitchingOutPausesThePlayingPipesAndSwitchingInResumesThem) {
    pipes_->Play(Looping(), 1, 1, 0);
    pipes_->Play(Looping(), 4, 1, 0);
    EXPECT_EQ(pipes_->SetPaused(2, 1), 0) << "a silent pipe";
    plat::AudioMixer& mixer = plat::audio().Mixer();
    for (bool out : {true, false}) {
        out ? pipes_->OnAppSuspend() : pipes_->OnAppResume();
        for (uint32_t pipe : {1u, 4u})
            EXPECT_EQ(mixer.Status(pipes_->GetChannel(pipe)->voice), out ? plat::kVoiceStopped : plat::kVoicePlaying);
    }
}

TEST_F(SoundProcessTest, MusicOffHoldsPipeZeroAtVolumeOneAndWithoutAnEngineAPipeStillTakesItsPriority) {
    xProfiles_Set("MUSICENABLED", boolean(0));
    pipes_->Play(Looping(), 0, 5, 0);
    EXPECT_EQ(pipes_->GetChannel(0)->volume, 1);
    xSound_SetVolume(pipes_->GetChannel(0), 300);
    pipes_->Play(Short(), 0, 1, 0);
    EXPECT_EQ(pipes_->GetQueueLength(0), 1);
    EXPECT_EQ(pipes_->GetChannel(0)->volume, 1);
    // Without a started engine an explicit pipe still takes the priority.
    xSound_Shutdown();
    OSoundProcess silent(8);
    EXPECT_EQ(silent.GetChannel(3), nullptr);
    EXPECT_EQ(silent.Play(Short(), 3, 6, 0), 3);
    EXPECT_EQ(silent.GetPriority(3), 6u);
}

} // namespace
} // namespace vqt::test
