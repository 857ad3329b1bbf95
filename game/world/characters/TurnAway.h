#pragma once

class Dweeble;
class OActivityProp;

/// Turns the character's back to the prop that touched it: the walking frame (and mirror) of
/// the direction that points from the prop to the character, shown unless it already shows.
void TurnBackTo(Dweeble* d, const OActivityProp* from);
