#include "game/world/towns/WZooActivity.h"

#include "engine/base/Trace.h"
#include "game/shell/Captions.h"
#include "game/shell/Player.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/vehicles/VIsometric.h"

namespace zoo = towns::zoo;

namespace {

[[maybe_unused]] const bool kLinesListed = captions::List(zoo::kTable.lines, zoo::kTable.lineCount);

uint16_t VehicleValue() {
    const CPlayer* player = TownWorld::Player();
    return player ? player->GetSelectedVehicle() : 0;
}

/// The beam hands each shown prop it lights to the world's contact pass.
bool BeamHitHook(TLV_Object* beam) { return WorldShownPropHook(beam) != 0; }

} // namespace

WZoo_Activity::WZoo_Activity(const char* name, uint32_t classId) : TownWorld(name, classId, zoo::kTable) {
    WatchKey(kCtrlKey);
}

bool WZoo_Activity::IsA(uint32_t classId) const { return classId == kClassId || TownWorld::IsA(classId); }

int32_t WZoo_Activity::OnActivated() {
    const int32_t answer = TownWorld::OnActivated();
    const uint16_t value = VehicleValue();
    for (const zoo::BeamFit& fit : zoo::kBeams) {
        if (fit.vehicle != value) continue;
        SetActionCooldown(int32_t(fit.actionMs));
        ActionTimer().duration = int32_t(fit.actionMs);
    }
    if (!beam_.Get() && IsoVehicle() && !beam_.Make(*this, GameFile(), *IsoVehicle(), value, &BeamHitHook))
        xTracef("%s : no beam for vehicle %u\n", GetName(), unsigned(value));
    return answer;
}

int32_t WZoo_Activity::FlushSoundQueues() {
    beam_.Remove();
    return TownWorld::FlushSoundQueues();
}

void WZoo_Activity::DoVehicleAction() {
    beam_.SwitchOn();
    TownWorld::DoVehicleAction();
}

void WZoo_Activity::OnFollowerAttached(TLV_Object* prop) {
    PlayLoud(zoo::kPenguinAttachedSound);
    MarkCollected(prop);
}

// ---- The mission -------------------------------------------------------------------------------------

void WZoo_Activity::HideMissionProps() {
    TownWorld::HideMissionProps();
    const CDynArray<OActivityProp*>& guards = GetList(kGuards);
    for (int32_t i = 0; i < guards.Count(); ++i) {
        auto* guard = dynamic_cast<DGuard*>(guards.GetAt(i));
        if (!guard || guard->GetObjectId() < kFirstMissionId || guard->GetObjectId() > kLastMissionId) continue;
        guard->SetIdleRoutine(&DoNothing);
        guard->SetBehaviourState(1);
    }
}

void WZoo_Activity::StartMissionProp(TLV_Object* prop) {
    auto* guard = dynamic_cast<DGuard*>(prop);
    if (!guard) return;
    guard->SetIdleRoutine(&Dweeble_Wander);
    guard->SetBehaviourState(1);
}

void WZoo_Activity::OnMissionStarted() {
    DCaptive* keeper = GetMissionCaptive();
    if (keeper) keeper->SetIdleRoutine(&Dweeble_Wander);
    const CDynArray<OActivityProp*>& guards = GetList(kGuards);
    for (int32_t i = 0; i < guards.Count(); ++i) {
        auto* guard = dynamic_cast<DGuard*>(guards.GetAt(i));
        if (!guard) continue;
        guard->SetPen(keeper);
        guard->SetMargin(zoo::kGuardMargin);
        xTracef("Monkey %d is patrolling the Zoo keeper\n", int(i));
    }
}

void WZoo_Activity::ShowTaskCounters() { ShowCounterRows(zoo::kTaskCounters); }

void WZoo_Activity::ShowMissionCounters() { ShowCounterRows(zoo::kMissionCounters); }
