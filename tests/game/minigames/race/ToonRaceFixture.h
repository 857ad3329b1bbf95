#pragma once
// The circus race started by the activity manager on small test data: every part the race
// names is a plain four-state prop (the second vehicle's a 64-state one without a light), and
// the race's screen has no road, so that the tests put the objects where they want them.
#include <gtest/gtest.h>

#include "game/minigames/race/GRToonActivity.h"
#include "game/minigames/race/RaceClasses.h"
#include "game/shell/Player.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {

class ToonRaceFixture : public GameActivityFixture {
protected:
    static constexpr uint16_t kRaceScreen = 412;
    static constexpr uint16_t kLightlessVehicle = 87;
    static constexpr uint16_t kSirenSound = 45;
    static constexpr uint16_t kTownScreen = 8;

    void SetUp() override {
        GameActivityFixture::SetUp();
        xRace_RegisterClasses();
    }
    void AddTestData(GameData& data) override {
        const std::vector<uint32_t> colours{0, 0x00203040u, 0x00304050u, 0x00405060u, 0x00506070u};
        const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(640, 480, 1, 4, colours)),
                                                       {.entry = 710, .property = FrameProperty(1)});
        const uint16_t parts[] = {209, 776, 128, 289, 826, 1069, 313, 267, 268, 269, 270, 271, 33, 34, 251,
                                  183, 184, 58, 939, 940, 53, 54, 349, 1123, 547, 1030, 9, 1147};
        for (uint16_t part : parts) {
            if (!data.file.HasChunk(data.parts.PartIndex(), part)) data.parts.AddPart(PropPart(), part);
        }
        // The siren, so that the tests hear whether pipe 8 plays.
        if (!data.file.HasChunk(GameData::kSnippets, kSirenSound))
            data.file.AddChunk(GameData::kSnippets, Tone(400), {.entry = kSirenSound});
        PartPlan lightless;
        for (int s = 0; s < 64; ++s) lightless.states.push_back(PropPart().states[size_t(s % 4)]);
        data.parts.AddPart(lightless, kLightlessVehicle);
        ActivityPlan plan{.classId = GRToon_Activity::kClassId, .backgroundId = background,
                          .properties = PropertyBytes().Short(200, 1, 2)};
        data.file.AddChunk(GameData::kActivities, ActivityData(plan), {.entry = kRaceScreen});
        // The town the race returns to.
        if (!data.file.HasChunk(GameData::kActivities, kTownScreen)) {
            data.file.AddChunk(GameData::kActivities, ActivityData(ActivityPlan{.classId = 200, .backgroundId = background}),
                               {.entry = kTownScreen});
        }
    }
    /// The race with the player's vehicle and race level set; the intro panel closed.
    GRToon_Activity* StartRace(uint16_t vehicle = 0, uint16_t level = 1) {
        CPlayer* player = app->GetPlayer();
        player->SetSelectedVehicle(vehicle);
        while (player->GetActivityLevel(0, GRToon_Activity::kRaceGame) < level) {
            player->IncActivityLevel(0, GRToon_Activity::kRaceGame);
        }
        SwitchTo(kRaceScreen);
        auto* race = dynamic_cast<GRToon_Activity*>(CurrentGameActivity());
        EXPECT_NE(race, nullptr) << traced();
        if (race && race->IsPanelShown(GRToon_Activity::kIntroPanel)) race->HidePanel(GRToon_Activity::kIntroPanel, 1);
        return race;
    }
    /// A prop of a plain part on the race at (x, y) of the stage, live as the kind.
    template <class Prop>
    Prop* PlaceLive(GRToon_Activity* race, Prop* prop, int32_t kind, float x, float y, int32_t state = 0) {
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, 313), 1);
        race->AddChild(prop);
        prop->SetPosition(CPointF(x, y + race->GetScrollOffset().y), 0, 1);
        prop->SetVisible(1, 1);
        prop->SetState(state);
        race->Track().Objects().AddLive(prop, kind);
        return prop;
    }
};

} // namespace vqt::test
