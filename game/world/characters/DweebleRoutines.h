#pragma once

class Dweeble;

/// The shared behaviour routines (one call a frame from the character's OnIdle).
/// States 0-3: stand, pick a direction, walk; walks away when the target object comes near.
void Dweeble_Wander(Dweeble* d);
/// States 4 (walk away from the target object), 5 (run away) and 9-11 (on to 5).
void Dweeble_Avoid(Dweeble* d);
/// States 4-8: an action animation and its end by the action end mode.
void Dweeble_Roam(Dweeble* d);
/// A routine slot that does nothing.
void DoNothing(Dweeble* d);
