#include "platform/Platform.h"

namespace plat {

// Built without SDL2: only the headless backend exists.
bool UseSdl2() { return false; }

} // namespace plat
