#include "game/world/WorldClasses.h"

#include <new>

#include "game/shell/TLVFactory.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/TLVWorldBldgAddOn.h"
#include "game/world/TLVWorldWayPoint.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/towns/WZooActivity.h"
#include "game/world/characters/CharacterClasses.h"
#include "game/world/vehicles/VehicleClasses.h"

namespace {

template <class World>
OActivity* MakeWorld() {
    return new (std::nothrow) World;
}

template <class Prop>
OView* MakeWorldProp() {
    return new (std::nothrow) Prop;
}

} // namespace

void xWorld_RegisterClasses() {
    xTLVFactory_Register({TLVWorld_Activity::kClassId, &MakeWorld<TLVWorld_Activity>, nullptr});
    xTLVFactory_Register({WToon_Activity::kClassId, &MakeWorld<WToon_Activity>, nullptr});
    xTLVFactory_Register({WMetropolis_Activity::kClassId, &MakeWorld<WMetropolis_Activity>, nullptr});
    xTLVFactory_Register({WZoo_Activity::kClassId, &MakeWorld<WZoo_Activity>, nullptr});
    xTLVFactory_Register({TLVWorld_BldgAddOn::kClassId, nullptr, &MakeWorldProp<TLVWorld_BldgAddOn>});
    xTLVFactory_Register({TLVWorld_WayPoint::kClassId, nullptr, &MakeWorldProp<TLVWorld_WayPoint>});
    xVehicles_RegisterClasses();
    xCharacters_RegisterClasses();
}
