#include "game/minigames/roundup/GUToonActivity.h"

#include <cmath>

#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/Projectile.h"
#include "game/shell/TLVComplexObject.h"

namespace {

[[maybe_unused]] const bool kCaptionsListed = round_up_towns::ListCaptions(round_up_towns::kCircus);

constexpr int32_t kDrops = 8;
constexpr int32_t kDropIntervalMs = 45;
constexpr int32_t kDropPriority = 32767;

} // namespace

GUToon_Activity::GUToon_Activity(const char* name, uint32_t classId) : CRoundUpActivity(round_up_towns::kCircus, name, classId) {}

bool GUToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || CRoundUpActivity::IsA(classId); }

void GUToon_Activity::DoVehicleAction() {
    CRoundUpActivity::DoVehicleAction();
    const bool second = &GetVehicleValues() == &GetTown().vehicles[1];
    const uint32_t flightMs = second ? 400 : 300;
    float speed = 0.0f;
    if (auto* vehicle = dynamic_cast<TLVComplex_Object*>(GetVehicle())) {
        const Vec3 v = vehicle->GetVelocity();
        speed = std::sqrt(v.x * v.x + v.y * v.y);
    }
    // Launched at (4 x speed + 1000) x 200 / flight time px/s, for the flight time.
    const float distance = (4.0f * speed + 1000.0f) * 200.0f / float(flightMs) * float(flightMs) * 0.001f;
    // The drops land without a sound of their own.
    const ThrowLook look{MakeChunkId(2, 128), second ? MakeChunkId(7, 67) : MakeChunkId(7, 65), Projectile::kNoSound,
                         flightMs, distance, kDropPriority};
    thrower_.Start(kDrops, kDropIntervalMs, look);
}

int32_t GUToon_Activity::OnIdle() {
    thrower_.Step();
    return CRoundUpActivity::OnIdle();
}

int32_t GUToon_Activity::FlushSoundQueues() {
    thrower_.DeletePool();
    return CRoundUpActivity::FlushSoundQueues();
}
