#include "game/world/characters/TurnAway.h"

#include "engine/graphics/Part.h"
#include "game/world/characters/Dweeble.h"

void TurnBackTo(Dweeble* d, const OActivityProp* from, int32_t state) {
    if (!d || !from) return;
    const CPointF at = d->GetPosition();
    const CPointF source = from->GetPosition();
    const int32_t direction = d->NearestDirection(state, Vec3(at.x - source.x, at.y - source.y, 0.0f));
    if (direction < 0) return;
    bool mirrored = false;
    const int32_t frame = d->MovingFrameB(direction, &mirrored);
    CPartBase* part = d->GetAnimSet();
    // A heading that already points away may still show another picture (a standing or
    // running frame): the walking frame of the heading is shown then too.
    const bool shown = d->GetState() == frame && (!part || part->IsMirrored() == (mirrored ? 1u : 0u));
    if (direction == d->GetHeading() && shown) return;
    if (d->GetState() != frame) d->ShowFrame(frame);
    if (part) part->SetMirrored(mirrored ? 1 : 0);
    d->SetHeading(direction);
}
