#include "game/minigames/race/RaceTrack.h"

#include <algorithm>

#include "engine/core/ActivityProp.h"
#include "engine/graphics/Part.h"
#include "game/minigames/race/RacePlacementRules.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"

namespace {

CPointF Moved(const CPointF& p, const CPointF& by) { return CPointF(p.x + by.x, p.y + by.y); }

void HidePieces(CGRacePieceList& pieces) {
    for (OActivityProp* prop : pieces.props) {
        while (prop->AttachedCount() > 0) {
            OView* child = prop->AttachedAt(0);
            prop->DetachChildView(child);
            child->SetVisible(0, 0);
        }
        prop->SetVisible(0, 0);
    }
}

void ShiftPieces(CGRacePieceList& pieces, float dy, float dx) {
    for (OActivityProp* prop : pieces.props) prop->SetPosition(CPointF(dx, dy), 1, 1);
}

} // namespace

void CGRaceTrack::Start(CPartFile* partFile, OView* race, CRaceCourse* course, CGRaceTrackHooks* hooks,
                        ChunkId roadList, const CGRaceRoad::Frame& frame) {
    partFile_ = partFile;
    hooks_ = hooks;
    frame_ = frame;
    listIndex_ = ChunkIndexOf(roadList);
    pools_.SetOwner(race, partFile, course);
    road_.LoadCatalogues(partFile, roadList);
}

void CGRaceTrack::BuildRoad(int32_t currentSection) {
    while (!sections_.empty()) ReleaseSection(sections_.back());
    road_.PickStartEntries();
    if (sections_.empty()) AddSection(float(frame_.stageHeight) * 0.5f);
    while (sections_.size() < 3 && AddSection(float(frame_.stageHeight))) {
    }
    PlaceAll(2, false, currentSection);
    PlaceAll(1, false, currentSection);
}

bool CGRaceTrack::AddSection(float height) {
    CGRaceSection* section = pools_.TakeSection(sections_);
    if (section == nullptr) return false;
    section->Reset();
    road_.LaySection(*section, height, finishMode_, frame_, decorations_);
    if (section->finishMark) finishSection_ = section;
    if (hooks_ != nullptr) {
        hooks_->ScatterObjects(section->placement.chosen, section->placement.kinds, 0, finishMode_);
    }
    section->placement.next = 0;
    sections_.insert(sections_.begin(), section);
    return true;
}

void CGRaceTrack::AddSectionAndTrim(int32_t currentSection) {
    AddSection(float(frame_.stageHeight));
    while (sections_.size() > kMaxSections) ReleaseSection(sections_.back());
    if (!finishMode_) {
        PlaceAll(1, false, currentSection);
        return;
    }
    if (sections_.size() < 2) return;
    CGRaceSection* second = sections_[1];
    if (!second->finishMark || (second != finishSection_ && !finishReached_)) return;
    second->placement.next = 0;
    finishReached_ = true;
    if (!finishCuePlayed_) {
        finishCuePlayed_ = true;
        if (hooks_ != nullptr) hooks_->PlayFinishCue();
    }
    PlaceAll(1, true, currentSection);
}

bool CGRaceTrack::PlaceNext(int32_t row, bool finish, int32_t currentSection) {
    if (row < 0 || size_t(row) >= sections_.size()) return false;
    CGRaceSection* section = sections_[size_t(row)];
    const float offset = float((currentSection - 2 + row) * frame_.stageHeight);
    const CPointF rowPoint(0.0f, offset);
    if (PlaceDecoration(rowPoint, section->decorations)) return true;
    if (PlacePiece(rowPoint, section->left) || PlacePiece(rowPoint, section->right)) return true;
    if (finish && !section->finishMark) return false;
    return PlaceObject(offset, section->placement, finish);
}

bool CGRaceTrack::PlaceAll(int32_t row, bool finish, int32_t currentSection) {
    int32_t placed = 0;
    while (placed < kMaxPlacements && PlaceNext(row, finish, currentSection)) ++placed;
    return placed > 0;
}

void CGRaceTrack::PendingColliders(OActivityProp* piece, std::vector<ChunkId>& out) {
    out.clear();
    const CPart* part = piece->GetAnimSet();
    const int16_t entry = part ? part->GetPartWord(3) : 0;
    if (entry <= 0) return;
    const ChunkId list = MakeChunkId(listIndex_, uint16_t(entry));
    if (const CGRaceChunkCache::Ids* ids = road_.Cache().Load(partFile_, list)) out = *ids;
}

bool CGRaceTrack::PlacePiece(const CPointF& row, CGRacePieceList& pieces) {
    if (!pieces.pendingColliders.empty() && !pieces.props.empty()) {
        const ChunkId part = pieces.pendingColliders.back();
        pieces.pendingColliders.pop_back();
        const size_t last = pieces.props.size() - 1;
        OActivityProp* collider = pools_.TakeColliderProp(part);
        collider->SetPosition(Moved(pieces.points[last], row), 0, 0);
        pieces.props[last]->AttachToView(collider, 1);
        return true;
    }
    if (pieces.HasPieceLeft()) {
        const size_t next = pieces.props.size();
        OActivityProp* prop = pools_.TakePieceProp(pieces.parts[next]);
        prop->SetPosition(Moved(pieces.points[next], row), 0, 0);
        pieces.props.push_back(prop);
        PendingColliders(prop, pieces.pendingColliders);
        return true;
    }
    pieces.pendingColliders.clear();
    return false;
}

bool CGRaceTrack::PlaceDecoration(const CPointF& row, CGRacePieceList& decorations) {
    if (!decorations.HasPieceLeft()) return false;
    const size_t next = decorations.props.size();
    OActivityProp* prop = pools_.TakeDecorationProp(decorations.parts[next]);
    const CPointF hot = prop->GetHotSpot();
    const CPointF snapped = RaceSnapToLattice(int16_t(hot.y), int16_t(hot.x), decorations.points[next],
                                              frame_.stageWidth, frame_.stageHeight);
    prop->SetPosition(Moved(snapped, row), 0, 0);
    decorations.props.push_back(prop);
    return true;
}

bool CGRaceTrack::PlaceObject(float offset, CGRacePlacement& placement, bool finish) {
    const size_t next = size_t(placement.next);
    if (next >= placement.chosen.size() || partFile_ == nullptr) return false;
    ++placement.next;
    const CPointF point = placement.chosen[next];
    const int32_t kind = next < placement.kinds.size() ? placement.kinds[next] : 0;
    TLV_Object* prop = nullptr;
    if (finish) {
        const int32_t side = point.x >= float(frame_.stageWidth) * 0.5f ? 0 : 1;
        if (!finishPlaced_[size_t(side)] && hooks_ != nullptr) {
            prop = hooks_->MakeFinishProp(side);
            finishPlaced_[size_t(side)] = prop != nullptr;
        }
    } else {
        const uint32_t classId = kind >= 0 && size_t(kind) < propTypes_.size() ? propTypes_[size_t(kind)] : 0;
        const bool placesNothing = classId == 0 || (classId == DRacing::kClassId && frame_.world == kCityWorld);
        if (!placesNothing && hooks_ != nullptr) prop = pools_.Spawn(classId, hooks_->PartForKind(kind, classId));
    }
    if (prop == nullptr) return true;
    prop->SetVisible(1, 0);
    prop->SetState(0);
    prop->SetPosition(point, 0, 0);
    prop->SetPosition(CPointF(0.0f, offset), 1, 1);
    prop->UpdateZOrder();
    if (prop->IsA(DRacing::kClassId) && prop->GetShadow() == nullptr) prop->CreateShadow();
    objects_.AddLive(prop, kind);
    return true;
}

void CGRaceTrack::ReleaseSection(CGRaceSection* section) {
    std::erase(sections_, section);
    HidePieces(section->left);
    HidePieces(section->right);
    HidePieces(section->decorations);
    section->Reset();
}

void CGRaceTrack::ShiftObjects(float dy, float dx) {
    for (CGRaceSection* section : sections_) {
        ShiftPieces(section->left, dy, dx);
        ShiftPieces(section->right, dy, dx);
        ShiftPieces(section->decorations, dy, dx);
    }
    objects_.Shift(dy, dx);
}

void CGRaceTrack::Clear() {
    objects_.Clear();
    sections_.clear();
    pools_.Clear();
    road_.Clear();
    finishMode_ = finishReached_ = finishCuePlayed_ = false;
    finishPlaced_ = {};
    finishSection_ = nullptr;
}
