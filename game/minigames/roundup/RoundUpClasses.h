#pragma once

/// Registers the three round-ups with the game's factory.
void xRoundUp_RegisterClasses();
