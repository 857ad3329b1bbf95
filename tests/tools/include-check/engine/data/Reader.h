// Allowed: the bottom module of the engine.
#include "engine/base/Trace.h"
// Not allowed: the tree layer sits above the data layer.
#include "engine/core/Tree.h"
