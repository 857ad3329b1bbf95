#include "game/minigames/race/RaceClasses.h"

#include <new>

#include "game/minigames/race/GRMetropolisActivity.h"
#include "game/minigames/race/GRToonActivity.h"
#include "game/minigames/race/GRZooActivity.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Game>
OActivity* MakeGame() {
    return new (std::nothrow) Game;
}

} // namespace

void xRace_RegisterClasses() {
    xTLVFactory_Register({GRToon_Activity::kClassId, &MakeGame<GRToon_Activity>, nullptr});
    xTLVFactory_Register({GRMetropolis_Activity::kClassId, &MakeGame<GRMetropolis_Activity>, nullptr});
    xTLVFactory_Register({GRZoo_Activity::kClassId, &MakeGame<GRZoo_Activity>, nullptr});
}
