#pragma once

/// Gives the game factory the makers of the characters and pens (classes 2400-2470).
void xCharacters_RegisterClasses();
