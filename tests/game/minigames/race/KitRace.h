#pragma once
// The test kit's race: the race base with its hooks filled as plainly as a race can be, made
// for class 440 by a test factory, so that a race runs end to end on generated data.
#include <memory>
#include <new>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRace.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Destructible.h"
#include "game/shell/PParticle.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVFactory.h"
#include "game/world/characters/DRacing.h"
#include "game/world/vehicles/VFlat.h"

namespace vqt::test {

/// What the kit race is given before it starts: the parts it shows (0 for none).
struct KitRaceParts {
    ChunkId vehicle = kNullChunkId;
    /// By kind: token, destructible, racer.
    ChunkId objects[3] = {};
    /// By side: 0 the right half of the goal, 1 the left.
    ChunkId finish[2] = {};
    ChunkId shot = kNullChunkId;
    ChunkId counters[2] = {};
};

/// Tokens, destructibles and racers as kinds 0-2. A token met by the vehicle or a shot counts a
/// goal; a shot is a particle that asks the race's hit test every frame of its flight; one
/// finish prop per side. Once the race clock runs out the road turns to the finish, and when
/// the finish section is third on the road the race ends with panel 3, whose button leads to
/// {1, 0, 8}.
class KitRace : public CGRace {
public:
    enum Kind : int32_t { kToken = 0, kDestructible = 1, kRacer = 2 };
    static constexpr uint32_t kClassId = 440;
    static constexpr int16_t kEndPanel = 3;
    static constexpr ChunkId kNextScreen = MakeChunkId(1, 8);
    static constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
    static constexpr ChunkId kOkButton = MakeChunkId(2, 1147);
    static constexpr uint32_t kShotFlightMs = 500;
    static constexpr int16_t kShotRange = 200;
    static constexpr int32_t kNeutralState = 16;
    static constexpr float kStartSpeed = 80.0f;
    static constexpr float kTargetSpeed = 175.0f;

    static inline KitRaceParts parts;

    /// Lets the game factory make the kit race for class 440.
    static bool Register() {
        return xTLVFactory_Register({kClassId, [] { return static_cast<OActivity*>(new KitRace); }, nullptr});
    }

    KitRace() : CGRace("KitRace", kClassId) {}
    ~KitRace() override { ReleaseProps(); }

    bool IsA(uint32_t classId) const override { return classId == kClassId || CGRace::IsA(classId); }

    int32_t OnActivated() override {
        Track().PropTypes() = {Token::kClassId, Destructible::kClassId, DRacing::kClassId};
        vehiclePartId_ = parts.vehicle;
        counterIcons_[0] = parts.counters[0];
        counterIcons_[1] = parts.counters[1];
        Speed().startSpeed = kStartSpeed;
        Speed().targetSpeed = kTargetSpeed;
        const int32_t result = CGRace::OnActivated();
        if (VFlat* vehicle = GetVehicle()) {
            // Pointing up the road, one lean step to each side.
            vehicle->SetState(kNeutralState);
            vehicle->SetNeutralState(kNeutralState);
            vehicle->SetStepCount(1);
        }
        chargesLeft_ = uint16_t(10 * GetLevel() + 5);
        return result;
    }

    int32_t FlushSoundQueues() override {
        ReleaseProps();
        return CGRace::FlushSoundQueues();
    }

    int32_t OnIdle() override {
        const int32_t result = CGRace::OnIdle();
        for (auto& shot : shots_) {
            if (shot->IsVisible() && HitTestCallback(shot.get())) shot->SetVisible(0, 1);
        }
        if (!Track().FinishMode() && GetRaceClock().HasElapsed()) Track().SetFinishMode(true);
        auto& sections = Track().Sections();
        if (!ended_ && sections.size() > 2 && Track().FinishSection() != nullptr &&
            sections[2] == Track().FinishSection()) {
            ended_ = 1;
            endState_ = 0;
            CreateButtonPanel(kEndPanel);
        }
        return result;
    }

    void CreateButtonPanel(int16_t panel) override {
        if (panel == kEndPanel && GetPanel(kEndPanel) == nullptr) {
            auto* made = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kEndPanel), 30500);
            if (made && AdoptPanel(kEndPanel, made)) made->AddButton(0, kOkButton);
        }
        CGRace::CreateButtonPanel(panel);
    }

    void OnButton(int16_t panel, int16_t button) override {
        CGRace::OnButton(panel, button);
        if (panel != kEndPanel) return;
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(kNextScreen);
    }

    ChunkId PartForKind(int32_t kind, uint32_t /*classId*/) override {
        return kind >= 0 && kind < 3 ? parts.objects[kind] : kNullChunkId;
    }

    TLV_Object* MakeFinishProp(int32_t side) override {
        auto& prop = finishProps_[side & 1];
        if (!prop) {
            prop = std::make_unique<TLV_Object>();
            prop->SetPartID(GameFile(), parts.finish[side & 1], 1);
            AddChild(prop.get());
        }
        return prop.get();
    }

    int32_t OnObjectHit(OActivityProp* prop, OActivityProp* other) override {
        if (other->IsA(DRacing::kClassId)) return 1;
        if (other->IsA(Token::kClassId)) CountGoal();
        else DecRemaining(other);
        RetireObject(other, true);
        if (prop != GetRaceVehicle()) prop->SetVisible(0, 1);
        return 1;
    }

    void Fire() override {
        CGRace::Fire();
        if (GetVehicle() == nullptr) return;
        PParticle* shot = FreeShot();
        if (shot == nullptr) return;
        const CPointF from = GetRaceVehicle()->GetPosition();
        const CPoint16 start(int16_t(from.x), int16_t(from.y));
        shot->SetPosition(from, 0, 1);
        shot->SetVisible(1, 1);
        shot->Launch(start, 20, CPoint16(start.x, int16_t(start.y - kShotRange)), kShotFlightMs, 1.0f);
        shot->Start(0);
        ++shotsFired;
    }

    int shotsFired = 0;

private:
    void ReleaseProps() {
        for (auto& shot : shots_) RemoveChild(shot.get());
        shots_.clear();
        for (auto& prop : finishProps_) {
            if (prop) RemoveChild(prop.get());
            prop.reset();
        }
    }

    /// A hidden shot to fire again, or a new one.
    PParticle* FreeShot() {
        for (auto& shot : shots_) {
            if (!shot->IsVisible()) return shot.get();
        }
        auto shot = std::make_unique<PParticle>();
        shot->SetPartID(GameFile(), parts.shot, 1);
        AddChild(shot.get());
        shots_.push_back(std::move(shot));
        return shots_.back().get();
    }

    std::vector<std::unique_ptr<PParticle>> shots_;
    std::unique_ptr<TLV_Object> finishProps_[2];
};

} // namespace vqt::test
