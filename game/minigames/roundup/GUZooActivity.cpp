#include "game/minigames/roundup/GUZooActivity.h"

#include <new>

#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/PBeam.h"
#include "game/shell/TLVApp.h"

namespace {

[[maybe_unused]] const bool kCaptionsListed = round_up_towns::ListCaptions(round_up_towns::kZoo);

/// The first zoo vehicle's beam sits a little to the left.
constexpr float kFirstBeamOffset = -7.0f;

/// The world's touch handler for shown props, in the shape of the beam's hit hook.
bool LitByBeam(TLV_Object* prop) { return WorldShownPropHook(prop) != 0; }

} // namespace

GUZoo_Activity::GUZoo_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kZoo, name, classId) {}

bool GUZoo_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }

int32_t GUZoo_Activity::OnActivated() {
    const int32_t answer = CRoundUpActivity::OnActivated();
    auto* vehicle = dynamic_cast<TLV_Object*>(GetVehicle());
    if (!vehicle || beam_) return answer;
    beam_ = new (std::nothrow) PBeam("PBeam", PBeam::kClassId);
    if (!beam_) return answer;
    const bool second = &GetVehicleValues() == &GetTown().vehicles[1];
    AddChild(beam_);
    beam_->SetPosition(vehicle->GetPosition(), 0, 0);
    beam_->SetPartID(GamePartFile(), second ? MakeChunkId(2, 674) : MakeChunkId(2, 478), 0);
    beam_->SetState(1);
    if (!second) beam_->MoveBy(kFirstBeamOffset, 0.0f, 1, 0);
    beam_->SetLaunchSound(second ? MakeChunkId(7, 130) : MakeChunkId(7, 129));
    vehicle->AttachToView(beam_, 1);
    beam_->SetOwner(vehicle);
    beam_->SetHitCallback(&LitByBeam);
    return answer;
}

void GUZoo_Activity::DoVehicleAction() {
    CRoundUpActivity::DoVehicleAction();
    if (beam_ && !beam_->IsVisible()) beam_->Activate(1);
}

int32_t GUZoo_Activity::FlushSoundQueues() {
    if (beam_) {
        if (TLV_Object* vehicle = GetVehicle()) vehicle->DetachChildView(beam_);
        delete beam_;
        beam_ = nullptr;
    }
    return CRoundUpActivity::FlushSoundQueues();
}
