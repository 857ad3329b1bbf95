#pragma once

/// Gives the game factory the makers of this module's classes (the base world, the circus
/// town, the city, the world props, the vehicles and the characters); the program calls it
/// once before it starts.
void xWorld_RegisterClasses();
