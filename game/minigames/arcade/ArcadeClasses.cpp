#include "game/minigames/arcade/ArcadeClasses.h"

#include <new>

#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/minigames/arcade/ArcadeColumnMarker.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/GAToonActivity.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/MetroArcadeBlocker.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeLeaf.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/minigames/arcade/ZooArcadeVine.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Game>
OActivity* MakeGame() {
    return new (std::nothrow) Game;
}

template <class Prop>
OView* MakeProp() {
    return new (std::nothrow) Prop;
}

} // namespace

void xArcade_RegisterClasses() {
    xTLVFactory_Register({GAToon_Activity::kClassId, &MakeGame<GAToon_Activity>, nullptr});
    xTLVFactory_Register({GAZoo_Activity::kClassId, &MakeGame<GAZoo_Activity>, nullptr});
    xTLVFactory_Register({GAMetropolis_Activity::kClassId, &MakeGame<GAMetropolis_Activity>, nullptr});
    xTLVFactory_Register({Arcade_BG_Item::kClassId, nullptr, &MakeProp<Arcade_BG_Item>});
    xTLVFactory_Register({Toon_Arcade_Clown::kClassId, nullptr, &MakeProp<Toon_Arcade_Clown>});
    xTLVFactory_Register({Arcade_Column_Marker::kClassId, nullptr, &MakeProp<Arcade_Column_Marker>});
    xTLVFactory_Register({Zoo_Arcade_Monkey::kClassId, nullptr, &MakeProp<Zoo_Arcade_Monkey>});
    xTLVFactory_Register({Zoo_Arcade_GoalItem::kClassId, nullptr, &MakeProp<Zoo_Arcade_GoalItem>});
    xTLVFactory_Register({Zoo_Arcade_Leaf::kClassId, nullptr, &MakeProp<Zoo_Arcade_Leaf>});
    xTLVFactory_Register({Zoo_Arcade_Vine::kClassId, nullptr, &MakeProp<Zoo_Arcade_Vine>});
    xTLVFactory_Register({Metro_Arcade_Blocker::kClassId, nullptr, &MakeProp<Metro_Arcade_Blocker>});
}
