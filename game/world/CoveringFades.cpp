#include "game/world/CoveringFades.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/ActivityProp.h"
#include "game/world/WorldBuckets.h"

namespace {

/// The plain draw mode (colour 0 transparent) a prop has when no fade acts on it, and the
/// blended one of a fade.
constexpr uint32_t kPlainDrawMode = 1;
constexpr uint32_t kBlendDrawMode = 3;
constexpr int16_t kOpaqueBlend = 255;

} // namespace

CRect16 CCoveringFades::InnerRect(const CRect16& visible) {
    const int32_t dx = visible.Width() / 4;
    const int32_t dy = visible.Height() / 4;
    return CRect16(ClampToInt16(visible.left + dx), ClampToInt16(visible.top + dy), ClampToInt16(visible.right - dx),
                   ClampToInt16(visible.bottom - dy));
}

void CCoveringFades::Update(const CRect16& visible, int32_t threshold, const std::vector<OActivityProp*>& candidates) {
    const CRect16 inner = InnerRect(visible);
    for (OActivityProp* prop : candidates) {
        if (prop == nullptr) continue;
        auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.prop == prop; });
        if (!CWorldBuckets::BoxOf(prop).Overlaps(inner)) {
            // Only a prop that has faded all the way turns back; one still fading out goes on.
            if (entry != entries_.end() && entry->level == 0) entry->level = kStartLevel;
        } else if (entry == entries_.end() && prop->GetPriority() > threshold) {
            entries_.push_back(Entry{prop, int16_t(-kStartLevel)});
        }
    }
}

void CCoveringFades::Step() {
    for (size_t i = 0; i < entries_.size();) {
        Entry& entry = entries_[i];
        if (entry.level < 0) {
            entry.level = int16_t(std::min(entry.level + kStep, 0));
            entry.prop->SetDrawMode(kBlendDrawMode);
            entry.prop->SetBlendLevel(int16_t(kStartLevel - std::abs(entry.level)));
        } else if (entry.level > 0) {
            entry.level = int16_t(std::max(entry.level - kStep, 0));
            if (entry.level > 0) {
                entry.prop->SetDrawMode(kBlendDrawMode);
                entry.prop->SetBlendLevel(entry.level);
            } else {
                entry.prop->SetDrawMode(kPlainDrawMode);
                entry.prop->SetBlendLevel(kOpaqueBlend);
                entries_.erase(entries_.begin() + std::ptrdiff_t(i));
                continue; // the next entry moved into this place
            }
        }
        ++i;
    }
}

void CCoveringFades::Forget(const OActivityProp* prop) {
    std::erase_if(entries_, [&](const Entry& e) { return e.prop == prop; });
}

void CCoveringFades::Clear() { entries_.clear(); }

const CCoveringFades::Entry* CCoveringFades::Find(const OActivityProp* prop) const {
    auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.prop == prop; });
    return entry != entries_.end() ? &*entry : nullptr;
}
