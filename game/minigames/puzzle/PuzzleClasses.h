#pragma once

/// Gives the game factory the makers of the puzzle's classes; the program calls it once before
/// it starts, beside the worlds' own registration.
void xPuzzle_RegisterClasses();
