// Allowed: the main file of an executable counts as the top.
#include "game/minigames/Games.h"
