#include "game/world/WToonActivity.h"

#include "engine/base/Trace.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr WToon_Activity::VehicleStart kVehicleStarts[] = {
    {0, MakeChunkId(2, 209), MakeChunkId(2, 776), 150.0f, 150.0f, 225.0f},
    {1, MakeChunkId(2, 87), MakeChunkId(2, 545), 175.0f, 175.0f, 250.0f},
};

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

WToon_Activity::WToon_Activity(const char* name, uint32_t classId) : TLVWorld_Activity(name, classId) {}

bool WToon_Activity::IsA(uint32_t classId) const { return classId == kClassId || TLVWorld_Activity::IsA(classId); }

const WToon_Activity::VehicleStart* WToon_Activity::FindVehicleStart(uint16_t vehicle) {
    for (const VehicleStart& start : kVehicleStarts)
        if (start.vehicle == vehicle) return &start;
    return nullptr;
}

int32_t WToon_Activity::OnActivated() {
    const CPlayer* player = GamePlayer();
    const uint16_t vehicle = player ? player->GetSelectedVehicle() : 0;
    const VehicleStart* start = FindVehicleStart(vehicle);
    // A record naming another town's vehicle (or garbage) leaves the town without one.
    if (start) SetVehiclePartId(start->part);
    else xTracef("%s : vehicle %u does not drive here, no vehicle\n", GetName(), unsigned(vehicle));
    const int32_t answer = TLVWorld_Activity::OnActivated();
    startPosition_ = kStartPosition;
    startHeading_ = kStartHeading;
    if (start) SetUpVehicle(*start);
    return answer;
}

void WToon_Activity::SetUpVehicle(const VehicleStart& start) {
    auto* vehicle = dynamic_cast<VIsometric*>(GetVehicle());
    if (!vehicle) return;
    const CPlayer* player = GamePlayer();
    CPoint16 at = player ? player->GetWorldPosition(kWorld) : CPoint16();
    // The record has no "none" of its own: (0, 0) is taken as no stored position.
    if (at.x == 0 && at.y == 0) at = startPosition_;
    // The record keeps no heading: every visit starts facing the start heading.
    vehicle->SetState(startHeading_);
    vehicle->SetPosition(CPointF(at.x, at.y), 0, 1);
    vehicle->UpdateZOrder();
    CenterWorldViewOn(vehicle);
    vehicle->AttachProp(start.light);
    vehicle->SetSpeed(start.speed);
    SetVehicleSpeeds(start.normalSpeed, start.sirenSpeed);
    vehicle->CreateShadow();
    vehicle->SetVariant(0);
    CPoint16 ground;
    vehicle->GetGroundPoint(&ground);
    vehicle->SetWayPoint(0, ground);
}
