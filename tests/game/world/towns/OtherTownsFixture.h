#pragma once
// The city and the zoo on the world fixture's tiled map: both towns made from activity data,
// the parts their vehicles, lights, canisters and beams need, the arrival sound as a tone of
// known length, the missions' movies, a player past the drive tutorial, and readers of the
// lines the towns queue.
#include <string>
#include <utility>
#include <vector>

#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/Player.h"
#include "game/world/towns/CityTables.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "game/world/towns/WZooActivity.h"
#include "game/world/towns/ZooTables.h"
#include "tests/game/world/WorldFixture.h"
#include "tools/builders/MovieClips.h"
#include "tools/synthetic/GameData.h"

namespace vqt::test {

/// One of the two towns: where the test shows it, its world, the garage value it is driven with.
struct OtherTown {
    const char* name;
    uint16_t entry;
    int world;
    uint16_t vehicle;
};
constexpr bool operator==(const OtherTown& a, const OtherTown& b) { return a.entry == b.entry; }
constexpr OtherTown kCity{"city", 87, towns::city::kWorld, 4};
constexpr OtherTown kZoo{"zoo", 88, towns::zoo::kWorld, 2};
constexpr OtherTown kBothTowns[] = {kCity, kZoo};
/// The still screens the towns request: the menu, the certificates, a mini-game.
constexpr uint16_t kMenuScreen = 5;
/// Where the test player's vehicle stands (on the 1280 x 960 map).
constexpr CPoint16 kOtherTownPlace{600, 400};
/// The part of three states for the mission's destructibles.
constexpr uint16_t kThreeStatesPart = 3303;
/// The frames of each town's mission movie (told apart by their length).
constexpr uint32_t kCityMovieFrames = 13, kZooMovieFrames = 19, kMovieFps = 15;

class OtherTownsFixture : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        // Later visits: the drive tutorial does not open.
        for (int counter : {13, 14, 15}) Player()->IncCounter(counter);
        for (const OtherTown& t : kBothTowns) Player()->SetWorldPosition(kOtherTownPlace, t.world);
    }
    void AddWorldData(GameData& data) override {
        for (uint16_t part : {698, 677, 678, 700, 675, 676, 533, 773, 534, 774, 478, 674})
            data.parts.AddPart(PropPart(), part);
        PartPlan states;
        for (uint8_t s = 0; s < 3; ++s)
            states.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(10, 10, uint8_t(s + 1)), .hotX = 5, .hotY = 5}}});
        data.parts.AddPart(states, kThreeStatesPart);
        AddSharedTone(data, ChunkEntryOf(towns::city::kArrivalSound), 440.0, "Arrival");
        for (const TownLine& l : towns::city::kCityLines) AddSharedTone(data, l.voice, 500.0, "City voice");
        for (const TownLine& l : towns::zoo::kZooLines) AddSharedTone(data, l.voice, 600.0, "Zoo voice");
        for (const auto* vehicles : {&towns::city::kVehicles, &towns::zoo::kVehicles})
            for (const TownVehicle& v : *vehicles) {
                AddSharedTone(data, ChunkEntryOf(v.haltSound), 300.0, "Halt");
                AddSharedTone(data, ChunkEntryOf(v.engineLoop), 200.0, "Engine");
            }
        for (const auto& [movie, frames] : {std::pair{towns::city::kMissionMovie, kCityMovieFrames},
                                             std::pair{towns::zoo::kMissionMovie, kZooMovieFrames}})
            data.file.AddChunk(GameData::kMovies, MakeMovieClip({.frames = frames, .framesPerSecond = kMovieFps, .toneHz = 0}),
                               {.entry = ChunkEntryOf(movie)});
        for (const OtherTown& t : kBothTowns) AddWorld(data, t.entry, t == kCity ? 501u : 503u, {});
        for (uint16_t entry : {kMenuScreen, uint16_t(20), uint16_t(21), uint16_t(22)})
            if (!data.file.HasChunk(GameData::kActivities, entry))
                data.file.AddChunk(GameData::kActivities,
                               ActivityData({.classId = 200, .objects = {{.classId = 54, .objectId = 1}}}), {.entry = entry});
    }

    CPlayer* Player() { return app->GetPlayer(); }
    OMessageProcess* Messages() { return app->GetMessageProcess(); }
    /// The town shown after the screen `from`, its lines so far forgotten.
    TownWorld* ShowTown(const OtherTown& t, uint16_t from = kQuietScreen) {
        Player()->SetSelectedVehicle(t.vehicle);
        if (manager->GetCurrentId() != MakeChunkId(1, from)) SwitchTo(from);
        SwitchTo(t.entry);
        auto* town = dynamic_cast<TownWorld*>(CurrentGameActivity());
        EXPECT_NE(town, nullptr) << t.name << traced();
        if (town) Messages()->FlushMessages();
        return town;
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (int32_t i = 0; i < Messages()->QueueLength(); ++i) captions.push_back(Messages()->QueuedAt(i)->caption);
        return captions;
    }
    /// The caption the town gives a line number, read back through the queue.
    std::string CaptionOf(TownWorld* town, int line) {
        Messages()->FlushMessages();
        const bool once = town->GetOnceOnlyFlag();
        town->SetOnceOnlyFlag(false);
        town->SayLine(line);
        town->SetOnceOnlyFlag(once);
        const std::vector<std::string> captions = Captions();
        Messages()->FlushMessages();
        return captions.empty() ? std::string() : captions.front();
    }
    void SetQuotasLeft(int world, uint16_t first, uint16_t second, uint16_t mission) {
        Player()->SetQuota1Left(world, first);
        Player()->SetQuota2Left(world, second);
        Player()->SetQuota3Left(world, mission);
    }
};

} // namespace vqt::test
