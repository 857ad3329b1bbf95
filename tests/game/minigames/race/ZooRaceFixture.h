#pragma once
// The zoo race started by the activity manager on small test data: every part the race names
// is a plain four-state prop, except the beams, which have twelve states (narrow and wide by
// lean step), and the race's screen has no road, so that the tests put the objects where they
// want them.
#include <gtest/gtest.h>

#include "game/minigames/race/GRZooActivity.h"
#include "game/minigames/race/RaceClasses.h"
#include "game/shell/Player.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {

class ZooRaceFixture : public GameActivityFixture {
protected:
    static constexpr uint16_t kRaceScreen = 413;
    static constexpr uint16_t kTownScreen = 14;
    static constexpr uint16_t kWarningObstacle = 711;

    void SetUp() override {
        GameActivityFixture::SetUp();
        xRace_RegisterClasses();
    }
    void AddTestData(GameData& data) override {
        const std::vector<uint32_t> colours{0, 0x00203040u, 0x00304050u, 0x00405060u, 0x00506070u};
        const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(640, 480, 1, 4, colours)),
                                                       {.entry = 711, .property = FrameProperty(1)});
        const uint16_t parts[] = {533, 534, 773, 774, 826, 712, 713, 714, 715, 716, 387, 33, 34, 271, 391, 503,
                                  601, 1061, 1062, 896, 54, 349, 1131, 1036, 808, 9, 1147, kWarningObstacle};
        for (uint16_t part : parts) {
            if (!data.file.HasChunk(data.parts.PartIndex(), part)) data.parts.AddPart(PropPart(), part);
        }
        PartPlan beam;
        for (int s = 0; s < 12; ++s) beam.states.push_back(PropPart().states[size_t(s % 4)]);
        data.parts.AddPart(beam, 1072);
        data.parts.AddPart(beam, 1109);
        ActivityPlan plan{.classId = GRZoo_Activity::kClassId, .backgroundId = background,
                          .properties = PropertyBytes().Short(200, 1, 2)};
        data.file.AddChunk(GameData::kActivities, ActivityData(plan), {.entry = kRaceScreen});
        if (!data.file.HasChunk(GameData::kActivities, kTownScreen)) {
            data.file.AddChunk(GameData::kActivities, ActivityData(ActivityPlan{.classId = 200, .backgroundId = background}),
                               {.entry = kTownScreen});
        }
    }
    /// The race with the player's vehicle (2 or 3) and race level set; the intro panel closed.
    GRZoo_Activity* StartRace(uint16_t vehicle = 2, uint16_t level = 1) {
        CPlayer* player = app->GetPlayer();
        player->SetSelectedVehicle(vehicle);
        while (player->GetActivityLevel(GRZoo_Activity::kWorld, GRZoo_Activity::kRaceGame) < level) {
            player->IncActivityLevel(GRZoo_Activity::kWorld, GRZoo_Activity::kRaceGame);
        }
        SwitchTo(kRaceScreen);
        auto* race = dynamic_cast<GRZoo_Activity*>(CurrentGameActivity());
        EXPECT_NE(race, nullptr) << traced();
        if (race && race->IsPanelShown(GRZoo_Activity::kIntroPanel)) race->HidePanel(GRZoo_Activity::kIntroPanel, 1);
        return race;
    }
    /// A prop of a part on the race at (x, y) of the stage, live as the kind.
    template <class Prop>
    Prop* PlaceLive(GRZoo_Activity* race, Prop* prop, int32_t kind, float x, float y, int32_t state = 0,
                    uint16_t part = 387) {
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, part), 1);
        race->AddChild(prop);
        prop->SetPosition(CPointF(x, y + race->GetScrollOffset().y), 0, 1);
        prop->SetVisible(1, 1);
        prop->SetState(state);
        race->Track().Objects().AddLive(prop, kind);
        return prop;
    }
};

} // namespace vqt::test
