#include "game/minigames/roundup/RoundUpTrack.h"

#include <cstdlib>
#include <new>

#include "engine/base/Trace.h"
#include "game/minigames/roundup/RoundUpMark.h"

CRoundUpTrack::CRoundUpTrack(ONode* owner, CPartFile* file) : owner_(owner), file_(file) {}

CRoundUpTrack::~CRoundUpTrack() = default;

uint16_t CRoundUpTrack::MarkIntervals(const CTrackLine& line) {
    const int32_t dy = std::abs((int32_t(line.end.y) - line.start.y) / kMarkStep);
    const int32_t dx = std::abs((int32_t(line.end.x) - line.start.x) / kMarkStep);
    const int32_t count = std::max(dx, dy);
    return uint16_t(count < 1 ? 1 : count);
}

int32_t CRoundUpTrack::Step(const CPoint16& p, int32_t heading, const Catcher& catcher) {
    int32_t caught = 0;
    if (!(previous_ == CPoint16())) {
        auto segment = std::make_unique<Segment>();
        segment->line = {previous_, p};
        segment->markArt = markArt_;
        segment->markCount = MarkIntervals(segment->line);
        LayMarks(*segment, heading);
        segments_.push_back(std::move(segment));
        const CTrackLine& line = segments_.back()->line;
        if (!(line.start == line.end)) {
            const int32_t last = SegmentCount() - 2; // the predecessor shares the start point
            for (int32_t i = 0; i < last; ++i) {
                if (SegmentsCross(line, segments_[size_t(i)]->line) && catcher) caught += catcher(i);
            }
        }
    }
    previous_ = p;
    while (segments_.size() >= kSegmentLimit) DropOldest();
    return caught;
}

void CRoundUpTrack::LayMarks(Segment& segment, int32_t heading) {
    const CTrackLine& line = segment.line;
    const float dx = float(int32_t(line.end.x) - line.start.x);
    const float dy = float(int32_t(line.end.y) - line.start.y);
    for (int32_t i = 0; i <= segment.markCount; ++i) {
        Round_Up_Track* mark = GetFreeMark();
        if (mark == nullptr) continue;
        LoadMarkArt(mark, segment.markArt);
        mark->SetState(heading);
        const float t = float(i) / float(segment.markCount);
        mark->SetPosition(CPointF(float(line.start.x) + dx * t, float(line.start.y) + dy * t), 0, 0);
        mark->SetVisible(1, 0);
        segment.marks.push_back(mark);
    }
}

void CRoundUpTrack::LoadMarkArt(Round_Up_Track* mark, ChunkId art) {
    if (file_ != nullptr && art != kNullChunkId) {
        mark->SetPartID(file_, art, 0);
        if (mark->GetAnimSet() != nullptr) return;
    }
    if (tracedArt_) return;
    tracedArt_ = 1;
    xTrace("Round-up: track marks without art\n");
}

void CRoundUpTrack::DropOldest() {
    Segment& oldest = *segments_.front();
    for (auto it = oldest.marks.rbegin(); it != oldest.marks.rend(); ++it) {
        (*it)->SetState((*it)->GetState() + Round_Up_Track::kFadeStates);
    }
    segments_.erase(segments_.begin());
}

bool CRoundUpTrack::Crosses(const CTrackLine& move) const {
    for (const auto& segment : segments_) {
        if (SegmentsCross(move, segment->line)) return true;
    }
    return false;
}

Round_Up_Track* CRoundUpTrack::GetFreeMark() {
    for (Round_Up_Track* mark : pool_) {
        if (mark->IsFree()) {
            mark->SetObjectId(Round_Up_Track::kInUse);
            return mark;
        }
    }
    auto* mark = new (std::nothrow) Round_Up_Track;
    if (mark == nullptr) return nullptr;
    pool_.push_back(mark);
    if (owner_ != nullptr) owner_->AddChild(mark);
    return mark;
}

void CRoundUpTrack::Clear() {
    while (!segments_.empty()) segments_.pop_back();
    for (Round_Up_Track* mark : pool_) delete mark;
    pool_.clear();
    previous_ = CPoint16();
}

void ForEachLoopTriangle(int32_t from, int32_t count, const std::function<void(int32_t, int32_t, int32_t)>& visit) {
    int32_t a = from, b = count - 2, c = count - 1;
    bool fromStart = true;
    while (b > a) {
        visit(a, b, c);
        if (fromStart) {
            c = a;
            a += 3;
        } else {
            c = b;
            b -= 3;
        }
        fromStart = !fromStart;
    }
}
