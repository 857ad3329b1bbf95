// Allowed: a module below.
#include "engine/data/Reader.h"
