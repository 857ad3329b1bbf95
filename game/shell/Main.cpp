// Entry of the game executable.
#include <cstdio>

#include "platform/Platform.h"

int main() {
    std::puts("tlvgame: the engine skeleton started; no stage is built yet, so it ends here.");
    return 0;
}
