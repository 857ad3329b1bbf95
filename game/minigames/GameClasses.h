#pragma once

/// Gives the game factory the makers of every class the game's activity data names: the
/// worlds' and each mini-game family's. The program calls it once before it starts.
void xGame_RegisterClasses();
