#pragma once
#include <cstdint>

class Dweeble;
class OActivityProp;

/// Turns the character's back to the prop that touched it: the walking frame (and mirror) of
/// the direction that points from the prop to the character, shown unless it already shows.
/// `state` picks the direction set (the held states' by default).
void TurnBackTo(Dweeble* d, const OActivityProp* from, int32_t state = 9);
