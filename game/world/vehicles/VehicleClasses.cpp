#include "game/world/vehicles/VehicleClasses.h"

#include <new>

#include "game/shell/TLVFactory.h"
#include "game/world/vehicles/VFlat.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

template <class Prop>
OView* MakeVehicle() {
    return new (std::nothrow) Prop;
}

} // namespace

void xVehicles_RegisterClasses() {
    xTLVFactory_Register({Vehicle::kClassId, nullptr, &MakeVehicle<Vehicle>});
    xTLVFactory_Register({VIsometric::kClassId, nullptr, &MakeVehicle<VIsometric>});
    xTLVFactory_Register({VFlat::kClassId, nullptr, &MakeVehicle<VFlat>});
}
