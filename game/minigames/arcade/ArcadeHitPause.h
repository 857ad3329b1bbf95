#pragma once
// The start of an arcade character's hit, shared by the city's crooks and the zoo's monkeys.
#include <cstdint>

class Dweeble;

/// Stops the character on a frame of its hit list (list D); once one shows, its action ends
/// are cleared and it waits in `next`, with a dwell when its action ends by time. False while
/// no frame of the list can show, so that the hit is tried again next frame.
bool StartHitPause(Dweeble& character, int32_t next);
