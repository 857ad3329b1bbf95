#pragma once

/// Gives the game factory the makers of the arcades' classes that activity data names; the
/// program calls it once before it starts, beside the worlds' own registration.
void xArcade_RegisterClasses();
