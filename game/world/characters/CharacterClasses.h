#pragma once

/// Gives the game factory the makers of the characters (the character, class 2400).
void xCharacters_RegisterClasses();
