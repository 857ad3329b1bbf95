#pragma once

class Dweeble;

/// The following character's routines (their follower operations apply to a DFollower).
/// States 0-1, 4-5 and 9-11: shy away while free; once in the vehicle's chain, keep to its
/// trail point and run from the vehicle when it comes at the character.
void Dweeble_Flee(Dweeble* d);
/// States 4-8: picked up into the vehicle's chain, then a short action.
void Dweeble_FollowerAct(Dweeble* d);
/// States 0-5 and 12-16: walk to the goal point, out of the vehicle's way, and arrive.
void Dweeble_Follow(Dweeble* d);
