#include "game/minigames/arcade/ArcadeClasses.h"

#include <new>

#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/shell/TLVFactory.h"

namespace {

template <class Prop>
OView* MakeProp() {
    return new (std::nothrow) Prop;
}

} // namespace

void xArcade_RegisterClasses() {
    xTLVFactory_Register({Arcade_BG_Item::kClassId, nullptr, &MakeProp<Arcade_BG_Item>});
}
