#include "game/minigames/roundup/RoundUpClasses.h"

#include <new>

#include "game/minigames/roundup/GUMetropolisActivity.h"
#include "game/minigames/roundup/GUToonActivity.h"
#include "game/minigames/roundup/GUZooActivity.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Activity>
OActivity* MakeRoundUp() {
    return new (std::nothrow) Activity;
}

} // namespace

void xRoundUp_RegisterClasses() {
    xTLVFactory_Register({GUToon_Activity::kClassId, &MakeRoundUp<GUToon_Activity>, nullptr});
    xTLVFactory_Register({GUMetropolis_Activity::kClassId, &MakeRoundUp<GUMetropolis_Activity>, nullptr});
    xTLVFactory_Register({GUZoo_Activity::kClassId, &MakeRoundUp<GUZoo_Activity>, nullptr});
}
