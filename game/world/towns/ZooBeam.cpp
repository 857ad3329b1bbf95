#include "game/world/towns/ZooBeam.h"

#include <new>

#include "engine/core/Activity.h"
#include "game/shell/PBeam.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVActivity.h"
#include "game/world/towns/ZooTables.h"

namespace {

const towns::zoo::BeamFit* FindBeam(uint16_t vehicleValue) {
    for (const towns::zoo::BeamFit& b : towns::zoo::kBeams)
        if (b.vehicle == vehicleValue) return &b;
    return nullptr;
}

} // namespace

bool CZooBeam::Make(OActivity& world, CPartFile* file, OActivityProp& vehicle, uint16_t vehicleValue, TLV_Object::FrameHook hook) {
    Remove();
    const towns::zoo::BeamFit* fit = FindBeam(vehicleValue);
    if (!fit) return false;
    auto* beam = new (std::nothrow) PBeam("PBeam", PBeam::kClassId);
    if (!beam) return false;
    world.AddChild(beam);
    beam->SetPosition(vehicle.GetPosition(), 0, 1);
    beam->SetFollowPriority(true);
    LoadArt(beam, file, fit->part, 1);
    beam->SetState(towns::zoo::kBeamOnState);
    beam->MoveBy(fit->shift.x, fit->shift.y, 1, 1);
    beam->SetLaunchSound(fit->sound);
    vehicle.AttachToView(beam, 1);
    beam->SetOwner(&vehicle);
    beam->SetHitCallback(hook);
    beam_ = beam;
    vehicle_ = &vehicle;
    world_ = &world;
    return true;
}

bool CZooBeam::SwitchOn() {
    if (!beam_ || !xProp_IsHidden(beam_)) return false;
    beam_->SetState(towns::zoo::kBeamOnState);
    beam_->Activate(1);
    return true;
}

void CZooBeam::Remove() {
    if (!beam_) return;
    if (vehicle_) vehicle_->DetachChildView(beam_);
    beam_->SetOwner(nullptr);
    if (world_) world_->RemoveChild(beam_);
    delete beam_;
    beam_ = nullptr;
    vehicle_ = nullptr;
    world_ = nullptr;
}
