#include "engine/graphics/SoundLink.h"

#include "engine/graphics/GraphicsState.h"

CSoundLink& xSoundLink() {
    static CSoundLink silent;
    CSoundLink* link = xGraphics_State().soundLink;
    return link != nullptr ? *link : silent;
}

void xSoundLink_Install(CSoundLink* link) { xGraphics_State().soundLink = link; }
