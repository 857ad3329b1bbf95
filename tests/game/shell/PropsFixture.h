#pragma once
// The game activity fixture with what the shared props and projectiles meet: parts of a given
// number of states, a vehicle, a moving prop and a character to touch them with, and a city
// world that counts the fires it lights again.
#include <memory>

#include "game/shell/Fire.h"
#include "game/shell/Projectile.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "tests/game/shell/GameActivityFixture.h"

namespace vqt::test {

/// The part of `n` states is entry kStatesPart + n (n in kStateCounts).
constexpr uint16_t kStatesPart = 3200;
constexpr int kStateCounts[] = {1, 2, 4, 5, 8, 20, 34};
/// Its first part value (the sound value of a pushable).
constexpr uint8_t kPushSound = 189;
/// A city screen (class 501) with nothing on it.
constexpr uint16_t kCityScreen = 40;

/// `n` states of two 100 ms frames of 10 x 10 (colour = state + 1), the hot spot in the middle.
inline PartPlan StatesPart(int n) {
    PartPlan part;
    part.bytes[0] = kPushSound;
    for (int s = 0; s < n; ++s) {
        const FramePlan frame{.picture = Picture(10, 10, uint8_t(s + 1)), .hotX = 5, .hotY = 5};
        part.states.push_back(StatePlan{.frames = {frame, frame}});
    }
    return part;
}

/// What a prop is touched by: class 2000 (vehicle), 2400 (character) or the plain moving prop.
class Toucher : public TLVComplex_Object {
public:
    explicit Toucher(uint32_t kind) : kind_(kind) {}
    bool IsA(uint32_t classId) const override { return classId == kind_ || TLVComplex_Object::IsA(classId); }

private:
    uint32_t kind_;
};

/// The city, lighting every fire it is asked to light again, and counting them.
class CityDouble : public WMetropolis_Activity {
public:
    void OnFireRelit(Fire* fire) override {
        ++relit;
        fire->Ignite();
    }
    int relit = 0;
};

class PropsFixture : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        ASSERT_TRUE(xTLVFactory_Register({501, [] { return static_cast<OActivity*>(new CityDouble); }, nullptr}));
    }
    void AddTestData(GameData& data) override {
        for (int n : kStateCounts) data.parts.AddPart(StatesPart(n), uint16_t(kStatesPart + n));
        for (uint16_t entry : {96, 300, 301}) data.file.AddChunk(GameData::kSnippets, Tone(500 + entry), {.entry = entry});
        data.file.AddChunk(GameData::kActivities, ActivityData({.classId = 501, .objects = {{.classId = 54}}}),
                           {.entry = kCityScreen});
    }
    /// Switches to {1, 0, entry} and answers the game activity it shows.
    CTLVActivity* ShowScreen(uint16_t entry) {
        SwitchTo(entry);
        return CurrentGameActivity();
    }
    /// A prop on the current activity at (x, y) showing the part of `states` states.
    template <class Prop>
    Prop* Place(Prop* prop, int states, float x = 300, float y = 200) {
        CurrentGameActivity()->AddChild(prop);
        prop->SetPosition(CPointF(x, y), 0, 0);
        if (states > 0) prop->SetPartID(app->GetPartFile(), MakeChunkId(2, uint16_t(kStatesPart + states)), 1);
        return prop;
    }
    /// Frames until `done` holds (at most `limit`); how many ran.
    template <class Done>
    int FramesUntil(Done done, int limit = 60) {
        int n = 0;
        while (!done() && n < limit) {
            Frames(1, kFrameMs);
            ++n;
        }
        return n;
    }
    /// The snippet that plays on a pipe; null when it is silent.
    xSnippet* Playing(uint32_t pipe) { return xSound_IsPlaying(Pipe(pipe)) ? Pipe(pipe)->snippet : nullptr; }
};

} // namespace vqt::test
