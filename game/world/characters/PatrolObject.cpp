#include "game/world/characters/PatrolObject.h"

#include "engine/core/ActivityProp.h"
#include "game/world/characters/DweebleNumbers.h"

namespace {

constexpr uint32_t kNoObjectId = 0xFFFFFFFFu;

} // namespace

bool PatrolArea::Of(const OActivityProp* prop, PatrolArea* out) {
    if (!prop || prop->GetObjectId() == kNoObjectId || !prop->HasRightAngleRotation()) return false;
    out->left = TruncTo32(prop->GetPosition().x) - (prop->GetWidth() >> 1);
    out->top = TruncTo32(prop->GetPosition().y) - (prop->GetHeight() >> 1);
    out->right = out->left + prop->GetWidth();
    out->bottom = out->top + prop->GetHeight();
    return true;
}
