#pragma once

/// Gives the game factory the makers of this module's activities (the base world and the
/// city); the program calls it once before it starts.
void xWorld_RegisterClasses();
