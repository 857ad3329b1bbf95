// The host character: idle intervals and animations, the mouth following a voice's levels at
// the null device's play position, lists of states reported to the message process, its role
// name and registration, and pausing.
#include "engine/media/Host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "engine/base/Random.h"
#include "engine/core/ClassFactory.h"
#include "engine/core/PropertyMsg.h"
#include "engine/media/LipSync.h"
#include "platform/Platform.h"
#include "tests/engine/media/LipSyncModel.h"
#include "tests/engine/media/VoiceFixture.h"

namespace vqt::test {
namespace {

class HostTest : public VoiceTest {
protected:
    /// Runs frames of 10 ms until the host's mouth has moved `updates` times, collecting the
    /// frames it showed.
    std::vector<int32_t> MouthUpdates(OHost* host, int updates) {
        std::vector<int32_t> shown;
        for (int i = 0; i < 1000 && int(shown.size()) < updates; ++i) {
            const uint32_t before = host->GetSpeechTimer().start;
            Frames(1);
            if (host->GetSpeechTimer().start != before) shown.push_back(host->GetCurrentFrame());
        }
        return shown;
    }
    /// A property message of family 100 in host order with room for `bytes` of payload.
    static std::vector<uint32_t> RoleProperty(const char* text, uint32_t bytes) {
        std::vector<uint32_t> words(4 + (bytes + 3) / 4, 0);
        auto* msg = reinterpret_cast<OPropertyMsg*>(words.data());
        *msg = OPropertyMsg{0, OHost::kClassId, OHost::kPropRoleName, bytes};
        std::memcpy(msg->Payload(), text, std::min<size_t>(std::strlen(text) + 1, bytes));
        return words;
    }
};

TEST_F(HostTest, IdleIntervalsLieWithinTheSpreadOfTheBase) {
    OHost* host = Host("Dispatcher");
    std::set<bool> sides;
    for (uint32_t seed : {1u, 2u, 3u, 42u, 1234u}) {
        xSRand(seed);
        for (int i = 0; i < 200; ++i) {
            const int32_t ms = host->GetIdleInterval();
            EXPECT_TRUE(ms == 5000 || (ms >= 4001 && ms <= 5999)) << ms << " with seed " << seed;
            if (ms != 5000) sides.insert(ms > 5000);
        }
    }
    EXPECT_EQ(sides.size(), 2u) << "longer and shorter ones";
    host->SetIdleInterval(0, 0);
    EXPECT_EQ(host->GetIdleInterval(), 5000);
}

TEST_F(HostTest, IdleAnimationsPlayInTurnOrAtRandomAndGoBackToTheirKeyState) {
    OHost* host = Host("Dispatcher");
    const int32_t idle[] = {kWave, kLook};
    host->AddIdleAnimation(kRest, idle, 2);
    host->SetIdleInOrder(1);
    host->RestartIdleTimer(100);
    Frames(11);
    EXPECT_EQ(host->GetState(), kWave) << "when the idle timer runs out";
    const int32_t next = host->GetIdleTimer().duration;
    EXPECT_TRUE(next == 5000 || (next >= 4001 && next <= 5999)) << next;
    Frames(32);
    EXPECT_EQ(host->GetState(), kRest) << "after its three frames";
    host->PlayIdleAnimation();
    EXPECT_EQ(host->GetState(), kLook);
    host->SetState(kRest);
    host->PlayIdleAnimation();
    EXPECT_EQ(host->GetState(), kWave) << "in turn, round again";

    host->SetIdleInOrder(0);
    xSRand(9);
    std::set<int32_t> played;
    for (int i = 0; i < 20; ++i) {
        host->SetState(kRest);
        host->PlayIdleAnimation();
        played.insert(host->GetState());
    }
    EXPECT_EQ(played, (std::set<int32_t>{kWave, kLook}));
    host->SetState(kRest);
    host->SetVisible(0, 0);
    host->PlayIdleAnimation();
    EXPECT_EQ(host->GetState(), kRest) << "not while hidden";
    EXPECT_TRUE(host->IsIdleState());
    host->SetState(kLook);
    EXPECT_FALSE(host->IsIdleState());
}

TEST_F(HostTest, TheMouthOpensByTheLevelOverThePeakAndEveryThirdOpenMouthLess) {
    OHost* host = Host("Dispatcher");
    // A second of silence whose stored levels (60 a second) read 40 at first, shut for the
    // rest of the first 15th of a second, then 20: read at any other rate than the table's
    // own, the mouth would stay shut.
    std::vector<int8_t> levels(60, 20);
    levels[0] = 40;
    levels[1] = levels[2] = levels[3] = 0;
    Bytes bytes = Pcm16(std::vector<int16_t>(22050, 0));
    const uint32_t size = uint32_t(bytes.size());
    bytes.insert(bytes.end(), levels.begin(), levels.end());
    xSnippet* voice = NewRawSnippet(bytes);
    voice->size = size;
    voice->lipSyncCount = uint32_t(levels.size());
    ASSERT_EQ(xSound_BuildLipSyncTable(voice, 60), 60);
    ASSERT_EQ(app->GetSoundProcess()->Play(voice, 2, 0, 0), 2);
    host->Speak(kMouth, 2);
    EXPECT_EQ(host->GetMouthPeak(), 40);
    EXPECT_EQ(host->GetSpeechTimer().duration, 4000 / 60);
    EXPECT_EQ(MouthUpdates(host, 4), (std::vector<int32_t>{4, 4, 3, 4})) << "8 frames x 20 / 40";
    EXPECT_EQ(host->GetMouthLevel(), 20);
    host->StopSpeaking(kRest);
    EXPECT_EQ(host->GetMode(), OHost::kIdle);
    EXPECT_EQ(host->GetState(), kRest);
    xSound_ReleaseSnippet(&voice);
}

TEST_F(HostTest, TheMouthFollowsTheVoiceAtItsPlayPositionAndStaysShutInTheSilence) {
    OHost* host = Host("Dispatcher");
    const std::vector<int16_t> samples = Envelope(12800, 3200);
    OMessageRecord* line = Line(1, 0, "Dispatcher", {kMouth});
    line->voice = NewRawSnippet(Pcm16(samples));
    line->lipSync = 1;
    ASSERT_EQ(messages->QueueMessage(line), 0);
    ASSERT_EQ(host->GetMode(), OHost::kSpeaking);
    // The table at the host's rate of 15 as the model makes it.
    std::vector<int32_t> magnitudes;
    for (int16_t v : samples) magnitudes.push_back(std::abs(v));
    const std::vector<int8_t> table = Model(magnitudes, 1470, samples.size() / 1470 + 1, 256);
    const int32_t peak = *std::max_element(table.begin(), table.end());
    int32_t open = 0;
    int updates = 0;
    for (int i = 0; i < 160; ++i) {
        const uint32_t before = host->GetSpeechTimer().start;
        Frames(1);
        if (host->GetMode() != OHost::kSpeaking || host->GetSpeechTimer().start == before) continue;
        ++updates;
        const uint32_t position = plat::audio().Mixer().Position(VoiceChannel()->voice);
        const size_t index = std::min<size_t>(position / (2 * 1470), table.size() - 1);
        int32_t frame = 8 * std::abs(table[index]) / peak;
        if (frame > 0 && ++open % 3 == 0 && frame > 1) --frame;
        frame = std::min(frame, 7);
        EXPECT_EQ(host->GetCurrentFrame(), frame) << "at " << position << " bytes";
        if (position < 22050) {
            EXPECT_EQ(frame, 0) << "shut in the silence";
        }
    }
    EXPECT_GE(updates, 20);
    EXPECT_EQ(Ends().size(), 1u) << "the line ended with its voice";
    EXPECT_EQ(host->GetMode(), OHost::kIdle);
}

TEST_F(HostTest, AListOfStatesEndsWithAReportOrTheHostStopsItself) {
    OHost* host = Host("Dispatcher");
    ASSERT_EQ(messages->QueueMessage(Line(1, 100, "Dispatcher", {kWave, kLook})), 0);
    EXPECT_EQ(host->GetMode(), OHost::kSpeakingList);
    Frames(45);
    EXPECT_TRUE(Ends().empty()) << "the voice has ended, the states have not";
    EXPECT_EQ(host->GetState(), kLook);
    Frames(10);
    ASSERT_EQ(Ends().size(), 1u);
    EXPECT_EQ(host->GetMode(), OHost::kIdle);
    EXPECT_EQ(host->GetState(), kRest);

    // Without a message process the host stops by itself.
    window->RemoveChild(messages);
    delete messages;
    ASSERT_EQ(app->GetMessageProcess(), nullptr);
    const int32_t wave[] = {kWave};
    host->SpeakSequence(wave, 1);
    Frames(35);
    EXPECT_EQ(host->GetMode(), OHost::kIdle);
    EXPECT_EQ(host->GetState(), kRest);
}

TEST_F(HostTest, TheEngineFactoryMakesItTheRoleNameIsAPropertyAndOnlyARegisteredHostActsLines) {
    OClassFactory factory;
    const std::unique_ptr<OView> made(factory.CreateActivityProp(OHost::kClassId));
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->GetName(), "OHost");
    for (uint32_t id : {100u, 54u, 50u, 20u, 10u, 1u}) EXPECT_TRUE(made->IsA(id)) << id;

    OHost* host = Host("Dispatcher");
    std::vector<uint32_t> read = RoleProperty("", 32);
    ASSERT_TRUE(host->HandleProperty(reinterpret_cast<OPropertyMsg*>(read.data()), 0));
    EXPECT_STREQ(reinterpret_cast<const char*>(read.data() + 4), "Dispatcher");
    std::vector<uint32_t> none = RoleProperty("0", 2);
    ASSERT_TRUE(host->HandleProperty(reinterpret_cast<OPropertyMsg*>(none.data()), 1));
    EXPECT_STREQ(host->GetRoleName(), "");
    ASSERT_EQ(messages->QueueMessage(Line(1, 0, "0", {kWave})), 0);
    EXPECT_EQ(host->GetMode(), OHost::kIdle) << "no line matches an empty role name";

    host->SetRoleName("Dispatcher");
    EXPECT_EQ(messages->ViewCount(), 1);
    window->RemoveChild(host);
    EXPECT_EQ(messages->ViewCount(), 0);
    ASSERT_EQ(messages->QueueMessage(Line(2, 0, "Dispatcher", {kWave})), 0);
    EXPECT_EQ(host->GetMode(), OHost::kIdle) << "a host off the stage is not told";
    window->AddChild(host);
    EXPECT_EQ(messages->ViewCount(), 1);
    delete host;
    EXPECT_EQ(messages->ViewCount(), 0);
}

TEST_F(HostTest, PausingMovesBothTimersOnByThePausedTime) {
    OHost* host = Host("Dispatcher");
    const uint32_t idle = host->GetIdleTimer().start;
    const uint32_t speech = host->GetSpeechTimer().start;
    host->Suspend(0);
    clock().Advance(1000);
    host->Suspend(0);
    clock().Advance(500);
    host->Resume(0);
    EXPECT_EQ(host->GetIdleTimer().start, idle + 1500);
    EXPECT_EQ(host->GetSpeechTimer().start, speech + 1500);
    xProfiles_Set("TICKSPERSECOND", uint32_t(0));
    const OHost counted;
    EXPECT_EQ(counted.GetSpeechTimer().duration, 4000 / 60) << "a tick rate of 0 counts as 60";
}

} // namespace
} // namespace vqt::test
