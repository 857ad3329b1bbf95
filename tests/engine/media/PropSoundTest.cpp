// A prop's state sound from the part file, played through the pipes on the headless stage: it
// ends at its exact virtual time, and what the null device rendered is the golden sound.
#include <gtest/gtest.h>

#include <memory>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/media/Application.h"
#include "engine/core/CurrentActivity.h"
#include "engine/graphics/State.h"
#include "engine/media/SoundProcess.h"
#include "tests/support/Golden.h"
#include "tools/builders/PartBuilder.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

class SoundApp : public OApplication {
public:
    OSoundProcess* GetSoundProcess() override { return &sound; }
    OSoundProcess sound{8};
};

class Stage : public OActivity {
public:
    Stage() : OActivity("Activity", OActivity::kClassId) {
        SetSize(CPoint16(640, 480), 0);
        SetPosition(CPointF(320, 240), 0, 0);
    }
};

using PropSoundTest = SoundTest;

TEST_F(PropSoundTest, AStateSoundEndsOnTimeAndSoundsAsTheGoldenOne) {
    ChunkFileBuilder image;
    PartBuilder parts(image);
    SnipPlan tone; // 200 ms of a 16-bit wave at half the output rate
    tone.kind = 1;
    tone.sound = WaveFile(Pcm16(SineTone(600, 2205, 11025, 10000)), 1, 16, 11025);
    PartPlan desc;
    FramePlan frame;
    frame.picture = Picture(8, 8, 3);
    desc.states = {{.frames = {frame}}, {.frames = {frame}, .soundId = parts.AddSnippet(tone)}};
    const uint32_t part = parts.AddPart(desc).part;
    OpenedPartFile file(image, true);

    Start(8);
    auto app = std::make_unique<SoundApp>();
    Stage stage;
    xActivity_SetCurrentView(&stage);
    auto* prop = new OActivityProp;
    stage.AddChild(prop);
    prop->SetPosition(CPointF(300, 200), 0, 0);
    ASSERT_EQ(prop->SetPartID(file.get(), part, 1), 1);
    Advance(10);
    prop->SetState(1);
    const SoundChannel* channel = prop->GetCurrentStateObject()->soundChannel;
    ASSERT_NE(channel, nullptr);
    for (int ms = 1; ms < 200; ++ms) {
        Advance(1);
        prop->OnIdle();
        ASSERT_TRUE(xSound_IsPlaying(channel)) << ms;
    }
    Advance(1);
    EXPECT_FALSE(xSound_IsPlaying(channel)) << "4410 frames at 22050 a second: 200 ms";
    Advance(40);
    const std::vector<uint8_t>& rendered = NullAudio().Rendered();
    ASSERT_EQ(rendered.size(), 250u * 2205 / 100 * 4);
    ExpectMatchesGolden("engine/media/prop_state_sound.wav", ToString(WaveFile(Bytes(rendered.begin(), rendered.end()), 2, 16, 22050)));

    xActivity_SetCurrentView(nullptr);
}

} // namespace
} // namespace vqt::test
