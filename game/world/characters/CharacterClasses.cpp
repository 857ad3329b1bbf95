#include "game/world/characters/CharacterClasses.h"

#include <new>

#include "game/shell/TLVFactory.h"
#include "game/world/characters/Dweeble.h"

namespace {

template <class Prop>
OView* MakeCharacter() {
    return new (std::nothrow) Prop;
}

} // namespace

void xCharacters_RegisterClasses() { xTLVFactory_Register({Dweeble::kClassId, nullptr, &MakeCharacter<Dweeble>}); }
