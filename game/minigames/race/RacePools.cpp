#include "game/minigames/race/RacePools.h"

#include <algorithm>

#include "engine/core/ActivityProp.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/Destructible.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/DRacing.h"

namespace {

ChunkId PartOf(const OActivityProp* prop) {
    ChunkId id = kNullChunkId;
    prop->GetPartID(&id);
    return id;
}

} // namespace

CGRacePools::~CGRacePools() { Clear(); }

void CGRacePools::SetOwner(OView* race, CPartFile* partFile, CRaceCourse* course) {
    race_ = race;
    partFile_ = partFile;
    course_ = course;
}

bool CGRacePools::IsFree(const OActivityProp* prop) {
    if (!prop->IsVisible()) return true;
    const ONode* parent = prop->GetParent();
    const auto* view = parent && static_cast<const OObject*>(parent)->IsA(OView::kClassId)
                           ? static_cast<const OView*>(parent)
                           : nullptr;
    return view != nullptr && !view->IsShownThroughParents();
}

CGRaceSection* CGRacePools::TakeSection(const std::vector<CGRaceSection*>& inUse) {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (std::find(inUse.begin(), inUse.end(), it->get()) == inUse.end()) return it->get();
    }
    sections_.push_back(std::make_unique<CGRaceSection>());
    return sections_.back().get();
}

OActivityProp* CGRacePools::ShowPart(std::vector<std::unique_ptr<OActivityProp>>& pool, OActivityProp* reused,
                                     ChunkId part) {
    OActivityProp* prop = reused;
    if (prop == nullptr) {
        pool.push_back(std::make_unique<OActivityProp>());
        prop = pool.back().get();
    }
    if (PartOf(prop) != part) prop->SetPartID(partFile_, part, 0);
    prop->SetState(0);
    prop->SetVisible(1, 0);
    return prop;
}

OActivityProp* CGRacePools::TakePieceProp(ChunkId part) {
    for (auto& p : pieces_) {
        if (IsFree(p.get())) return ShowPart(pieces_, p.get(), part);
    }
    return ShowPart(pieces_, nullptr, part);
}

OActivityProp* CGRacePools::TakeColliderProp(ChunkId part) {
    for (auto& p : colliders_) {
        if (p->GetHost() == nullptr) return ShowPart(colliders_, p.get(), part);
    }
    return ShowPart(colliders_, nullptr, part);
}

OActivityProp* CGRacePools::TakeDecorationProp(ChunkId part) {
    for (auto& p : decorations_) {
        if (!p->IsVisible() && PartOf(p.get()) == part) return ShowPart(decorations_, p.get(), part);
    }
    return ShowPart(decorations_, nullptr, part);
}

CGRacePools::Family* CGRacePools::FamilyOf(uint32_t classId) {
    if (std::find(std::begin(kFamilies), std::end(kFamilies), classId) == std::end(kFamilies)) return nullptr;
    for (Family& f : families_) {
        if (f.classId == classId) return &f;
    }
    families_.push_back(Family{classId, {}});
    return &families_.back();
}

size_t CGRacePools::ObjectCount(uint32_t classId) const {
    for (const Family& f : families_) {
        if (f.classId == classId) return f.objects.size();
    }
    return 0;
}

TLV_Object* CGRacePools::Make(uint32_t classId) {
    switch (classId) {
    case TLV_Object::kClassId: return new TLV_Object("TLV_Object", TLV_Object::kClassId);
    case Changeable::kClassId: return new Changeable();
    case Destructible::kClassId: return new Destructible();
    case RDestructible::kClassId: return new RDestructible();
    case DRacing::kClassId: return new DRacing(course_);
    case Token::kClassId: return new Token();
    default: return nullptr;
    }
}

void CGRacePools::ResetRacer(TLV_Object* object) {
    if (!object->IsA(DRacing::kClassId)) return;
    auto* racer = static_cast<DRacing*>(object);
    racer->SetVelocity(Vec3(), 0);
    racer->SetBehaviourState(0);
    racer->SetRunning(0);
    racer->SetDropped(0);
    racer->SetSideFlag(0);
    racer->SelectSpeed(4);
    racer->SetVisible(1, 0);
    if (OActivityProp* shadow = racer->GetShadow()) shadow->SetVisible(1, 0);
}

TLV_Object* CGRacePools::Spawn(uint32_t classId, ChunkId part) {
    Family* family = FamilyOf(classId);
    if (family == nullptr) return nullptr;
    for (auto it = family->objects.rbegin(); it != family->objects.rend(); ++it) {
        if (IsFree(*it) && PartOf(*it) == part) {
            (*it)->SetVisible(1, 0);
            ResetRacer(*it);
            return *it;
        }
    }
    TLV_Object* made = Make(classId);
    if (made == nullptr) return nullptr;
    made->SetPartID(partFile_, part, 0);
    made->SetState(0);
    made->SetVisible(1, 0);
    if (classId == DRacing::kClassId) made->CreateShadow();
    else if (classId == TLV_Object::kClassId) made->CreateOverlay();
    if (race_ != nullptr) race_->AddChild(made);
    family->objects.push_back(made);
    ResetRacer(made);
    return made;
}

void CGRacePools::Clear() {
    for (Family& f : families_) {
        for (TLV_Object* object : f.objects) {
            if (ONode* parent = object->GetParent()) parent->RemoveChild(object);
            delete object;
        }
    }
    families_.clear();
    sections_.clear();
    for (auto& p : pieces_) {
        while (p->AttachedCount() > 0) p->DetachChildView(p->AttachedAt(0));
    }
    colliders_.clear();
    pieces_.clear();
    decorations_.clear();
}
