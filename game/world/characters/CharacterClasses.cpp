#include "game/world/characters/CharacterClasses.h"

#include <new>

#include "game/shell/TLVFactory.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DBadGuy.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/PatrolObject.h"

namespace {

template <class Prop>
OView* MakeCharacter() {
    return new (std::nothrow) Prop;
}

} // namespace

void xCharacters_RegisterClasses() {
    xTLVFactory_Register({Dweeble::kClassId, nullptr, &MakeCharacter<Dweeble>});
    xTLVFactory_Register({DFollower::kClassId, nullptr, &MakeCharacter<DFollower>});
    xTLVFactory_Register({DAvoider::kClassId, nullptr, &MakeCharacter<DAvoider>});
    xTLVFactory_Register({DBadGuy::kClassId, nullptr, &MakeCharacter<DBadGuy>});
    xTLVFactory_Register({DCaptive::kClassId, nullptr, &MakeCharacter<DCaptive>});
    xTLVFactory_Register({ConstraintObject::kClassId, nullptr, &MakeCharacter<ConstraintObject>});
    xTLVFactory_Register({DGuard::kClassId, nullptr, &MakeCharacter<DGuard>});
    xTLVFactory_Register({PatrolObject::kClassId, nullptr, &MakeCharacter<PatrolObject>});
    xTLVFactory_Register({DRoundUp::kClassId, nullptr, &MakeCharacter<DRoundUp>});
}
