#include "game/minigames/roundup/GUMetropolisActivity.h"

#include "game/minigames/roundup/RoundUpTowns.h"

namespace {
[[maybe_unused]] const bool kCaptionsListed = round_up_towns::ListCaptions(round_up_towns::kCity);
} // namespace

GUMetropolis_Activity::GUMetropolis_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kCity, name, classId) {}

bool GUMetropolis_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }

void GUMetropolis_Activity::DoVehicleAction() {
    const bool second = &GetVehicleValues() == &GetTown().vehicles[1];
    const ThrowLook look{second ? MakeChunkId(2, 676) : MakeChunkId(2, 675), MakeChunkId(7, 108), MakeChunkId(7, 779),
                         second ? 450u : 300u, 500.0f, CRoundUpThrower::kBelowVehicle};
    if (!thrower_.Start(second ? 6 : 4, second ? 20 : 45, look)) return;
    CRoundUpActivity::DoVehicleAction();
}

int32_t GUMetropolis_Activity::OnIdle() {
    thrower_.Step();
    return CRoundUpActivity::OnIdle();
}
