#pragma once

/// Registers the road races with the game's factory.
void xRace_RegisterClasses();
