#pragma once

/// Gives the game factory the makers of the driven vehicles (Vehicle 2000, VIsometric 2010,
/// VFlat 2020); the program calls it once before it starts, beside the worlds' own registration.
void xVehicles_RegisterClasses();
