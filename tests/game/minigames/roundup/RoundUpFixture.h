#pragma once
// The round-ups on the generated data, on a stage with the game object: each started by level,
// vehicle and seed, its start panel closed, its animals listed or held still, and the vehicle
// set round a circle a track step at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Random.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/Player.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "tests/game/shell/GameActivityFixture.h"

void AddRoundUps(GameData& data);
void AddTileSheetScreens(GameData& data);

namespace vqt::test {

struct Town {
    const RoundUpTown* values;
    uint32_t classId;
    uint16_t entry;
};
inline const Town kCircus{&round_up_towns::kCircus, 450, 18};
inline const Town kZoo{&round_up_towns::kZoo, 453, 23};
inline const Town kCity{&round_up_towns::kCity, 451, 25};

class RoundUpFixture : public GameActivityFixture {
protected:
    void SetUp() override {
        GameActivityFixture::SetUp();
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
    }
    void AddTestData(GameData& data) override {
        AddTileSheetScreens(data);
        AddRoundUps(data);
        // The circus round-up's map without a single animal.
        std::vector<uint16_t> tiles(20 * 15, 0);
        ActivityPlan empty{.classId = 450, .backgroundId = ChunkIdOf(GameData::kFrames, kCircus.entry),
                           .properties = TiledActivityProps(20, 15, 64, 64, tiles)};
        data.file.AddChunk(GameData::kActivities, ActivityData(empty), {.entry = kEmptyRoundUp});
        // Plain screens where the circus town and the city stand.
        for (uint16_t town : {8, 17}) data.file.AddChunk(GameData::kActivities, ActivityData({.classId = 200}), {.entry = town});
    }
    static constexpr uint16_t kEmptyRoundUp = 91;
    CPlayer& Player() { return *app->GetPlayer(); }
    OMessageProcess& Messages() { return *app->GetMessageProcess(); }
    void SetLevel(const Town& town, uint16_t level) {
        auto& record = const_cast<PlayerRecord&>(Player().Record());
        record.world[town.values->world][CPlayer::kLevels + CRoundUpActivity::kActivity] = level;
    }
    CRoundUpActivity* Start(const Town& town, uint16_t level = 1, int vehicle = 0, uint32_t seed = 1) {
        Player().SetSelectedVehicle(town.values->vehicles[vehicle].number);
        SetLevel(town, level);
        xSRand(seed);
        SwitchTo(town.entry);
        return dynamic_cast<CRoundUpActivity*>(CurrentGameActivity());
    }
    /// Leaves for a plain screen (a round-up may be left once its lines are no longer waiting).
    void Leave() {
        // A switch still pending waits for the lines its round-up queued, which a start panel holds.
        for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) {
            Messages().FlushMessages();
            Frames(1, kFrameMs);
        }
        Messages().FlushMessages();
        SwitchTo(kPlainScreen);
    }
    template <class Done>
    void FramesUntil(Done done, int limit) {
        for (int n = 0; !done() && n < limit; ++n) Frames(1, kFrameMs);
    }
    void CloseStartPanel(CRoundUpActivity* r) {
        r->OnButton(CRoundUpActivity::kStartPanel, 1);
        FramesUntil([&] { return !r->IsPanelShown(-1); }, 400);
        ASSERT_FALSE(r->IsPanelShown(-1));
        Messages().FlushMessages();
    }
    std::vector<DRoundUp*> Animals(CRoundUpActivity* r, bool freeOnly = true) {
        std::vector<DRoundUp*> out;
        const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
        for (int32_t i = 0; i < list.Count(); ++i)
            if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i)); a && (!freeOnly || !a->IsCaught())) out.push_back(a);
        return out;
    }
    /// Holds an animal still at a place: it is put back there every frame of a drive.
    void HoldStill(DRoundUp* a, float x, float y) {
        a->SetWorldChecks(0);
        a->SetPosition(CPointF(x, y), 0, 0);
        held_.push_back({a, CPointF(x, y)});
    }
    void PutBackHeld(CRoundUpActivity* r) {
        const std::vector<DRoundUp*> free = Animals(r);
        for (const auto& [animal, at] : held_)
            if (std::find(free.begin(), free.end(), animal) != free.end()) animal->SetPosition(at, 0, 0);
    }
    std::vector<std::pair<DRoundUp*, CPointF>> held_;
    /// Drives the vehicle once round a circle (20 px a track step), frame by frame, after
    /// standing at its start until the track behind has faded (so the way there closes nothing).
    void DriveCircle(CRoundUpActivity* r, CPointF centre, double radius) {
        TLV_Object* vehicle = r->GetVehicle();
        ASSERT_NE(vehicle, nullptr);
        vehicle->SetPosition(CPointF(float(centre.x + radius), centre.y), 0, 1);
        for (int f = 0; f < 4 * CRoundUpTrack::kSegmentLimit; ++f) {
            PutBackHeld(r);
            Frames(1, kFrameMs);
        }
        const int steps = int(2 * M_PI * radius / 20.0) + 3;
        for (int i = 0; i <= steps; ++i) {
            const double a = 2 * M_PI * i / (steps - 3);
            vehicle->SetPosition(CPointF(float(centre.x + radius * std::cos(a)), float(centre.y + radius * std::sin(a))), 0, 1);
            for (int f = 0; f < 4; ++f) { // a little over one 50 ms track step
                PutBackHeld(r);
                Frames(1, kFrameMs);
            }
        }
    }
    /// Every caption queued so far.
    std::vector<std::string> Captions() {
        std::vector<std::string> out;
        for (int32_t i = 0; i < Messages().QueueLength(); ++i) out.push_back(Messages().QueuedAt(i)->caption);
        return out;
    }
    static int Count(const std::vector<std::string>& list, const std::string& text) {
        return int(std::count(list.begin(), list.end(), text));
    }
};

} // namespace vqt::test
