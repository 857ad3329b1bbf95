#pragma once
// The city race started by the activity manager on small test data: every part the race names
// is a plain four-state prop (the crooks' have ten states of five frames), the race's own
// sounds are tones, and the race's screen has no road, so that the tests put the objects where
// they want them.
#include <gtest/gtest.h>

#include <set>

#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/race/GRMetropolisActivity.h"
#include "game/minigames/race/RaceClasses.h"
#include "game/shell/Player.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {

class CityRaceFixture : public GameActivityFixture {
protected:
    using Race = GRMetropolis_Activity;
    static constexpr uint16_t kRaceScreen = 414;
    static constexpr uint16_t kTownScreen = 17;
    static constexpr uint16_t kJunkPart = 753;
    static constexpr uint16_t kCrookParts[2] = {742, 743};
    /// The sounds the race plays by itself.
    static constexpr uint16_t kRaceSounds[] = {5, 37, 41, 184};

    void SetUp() override {
        GameActivityFixture::SetUp();
        xRace_RegisterClasses();
    }
    void AddTestData(GameData& data) override {
        const std::vector<uint32_t> colours{0, 0x00203040u, 0x00304050u, 0x00405060u, 0x00506070u};
        const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(TileSheet(640, 480, 1, 4, colours)),
                                                       {.entry = 712, .property = FrameProperty(1)});
        const uint16_t parts[] = {698, 678, 677, 700, 826, 758, 760, 831, 832, 833, 834, 753, 754, 755, 759, 763,
                                  761, 752, 756, 1070, 1071, 675, 676, 1063, 1064, 895, 54, 349, 1127, 1034, 952,
                                  9, 1147, 1094};
        for (uint16_t part : parts) {
            if (!data.file.HasChunk(data.parts.PartIndex(), part)) data.parts.AddPart(PropPart(), part);
        }
        PartPlan crook;
        for (int s = 0; s < 10; ++s) {
            StatePlan state = PropPart().states[0];
            while (state.frames.size() < 5) state.frames.push_back(state.frames[0]);
            crook.states.push_back(state);
        }
        for (uint16_t part : kCrookParts) data.parts.AddPart(crook, part);
        // The voices keep a line queued while they play.
        for (uint16_t voice : {959, 960, 961, 962, 972, 973, 974, 975, 976, 977, 978, 980, 981, 983, 970, 968, 1095}) {
            if (!data.file.HasChunk(GameData::kSnippets, voice))
                data.file.AddChunk(GameData::kSnippets, Tone(300 + voice % 200), {.entry = voice});
        }
        for (uint16_t sound : kRaceSounds) {
            if (!data.file.HasChunk(GameData::kSnippets, sound))
                data.file.AddChunk(GameData::kSnippets, Tone(500 + sound), {.entry = sound});
        }
        ActivityPlan plan{.classId = Race::kClassId, .backgroundId = background,
                          .properties = PropertyBytes().Short(200, 1, 2)};
        data.file.AddChunk(GameData::kActivities, ActivityData(plan), {.entry = kRaceScreen});
        // The race asked for again.
        data.file.AddChunk(GameData::kActivities, ActivityData(ActivityPlan{.classId = 200, .backgroundId = background}),
                           {.entry = ChunkEntryOf(Race::kSelf)});
        if (!data.file.HasChunk(GameData::kActivities, kTownScreen)) {
            data.file.AddChunk(GameData::kActivities, ActivityData(ActivityPlan{.classId = 200, .backgroundId = background}),
                               {.entry = kTownScreen});
        }
    }
    /// The race with the player's vehicle (4 or 5) and race level set; the intro panel closed.
    Race* StartRace(uint16_t vehicle = 4, uint16_t level = 1) {
        CPlayer* player = app->GetPlayer();
        player->SetSelectedVehicle(vehicle);
        while (player->GetActivityLevel(Race::kWorld, Race::kRaceGame) < level) {
            player->IncActivityLevel(Race::kWorld, Race::kRaceGame);
        }
        SwitchTo(kRaceScreen);
        auto* race = dynamic_cast<Race*>(CurrentGameActivity());
        EXPECT_NE(race, nullptr) << traced();
        if (race && race->IsPanelShown(Race::kIntroPanel)) race->HidePanel(Race::kIntroPanel, 1);
        return race;
    }
    /// Back to level 1 for the next case.
    void ResetLevel() {
        while (app->GetPlayer()->GetActivityLevel(Race::kWorld, Race::kRaceGame) > 1)
            app->GetPlayer()->DecActivityLevel(Race::kWorld, Race::kRaceGame);
    }
    /// A prop of a part on the race at (x, y) of the stage, live as the kind.
    template <class Prop>
    Prop* PlaceLive(Race* race, Prop* prop, int32_t kind, float x, float y, int32_t state = 0,
                    uint16_t part = kJunkPart) {
        prop->SetPartID(app->GetPartFile(), MakeChunkId(2, part), 1);
        race->AddChild(prop);
        prop->SetPosition(CPointF(x, y + race->GetScrollOffset().y), 0, 1);
        prop->SetVisible(1, 1);
        prop->SetState(state);
        race->Track().Objects().AddLive(prop, kind);
        return prop;
    }
    /// Which of the race's own sounds are on a pipe.
    std::set<uint16_t> RaceSoundsPlaying(const Race& race) {
        std::set<uint16_t> playing;
        OSoundProcess* sound = app->GetSoundProcess();
        for (uint32_t pipe = 0; sound && pipe < sound->GetPipeCount(); ++pipe) {
            const SoundChannel* channel = sound->GetChannel(pipe);
            if (channel == nullptr || channel->isFree || channel->snippet == nullptr) continue;
            for (uint16_t entry : kRaceSounds) {
                if (channel->snippet == race.FindSound(MakeChunkId(7, entry))) playing.insert(entry);
            }
        }
        return playing;
    }
    void StopSounds() {
        if (OSoundProcess* sound = app->GetSoundProcess()) {
            for (uint32_t pipe = 0; pipe < sound->GetPipeCount(); ++pipe) sound->Stop(pipe);
        }
    }
};

} // namespace vqt::test
