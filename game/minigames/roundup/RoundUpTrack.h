#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/data/ChunkId.h"
#include "game/minigames/roundup/RoundUpGeometry.h"

class CPartFile;
class ONode;
class Round_Up_Track;

/// The fading track a round-up's vehicle leaves: one segment per step from the previous place
/// to the present one, each with its marks laid 5 map pixels apart along the longer axis. A
/// new segment that crosses an older one (not its direct predecessor, which shares its start)
/// closes a loop, handed to the catcher. Only the newest 83 segments stay; the oldest fade.
/// The marks live in a pool of children of the owner node, reused once they have faded.
class CRoundUpTrack {
public:
    static constexpr uint16_t kSegmentLimit = 84;
    static constexpr uint16_t kMarkStep = 5;

    struct Segment {
        CTrackLine line;
        std::vector<Round_Up_Track*> marks;
        ChunkId markArt = kNullChunkId;
        uint16_t stepX = kMarkStep;
        uint16_t stepY = kMarkStep;
        /// Intervals between the marks, at least 1 (so at least two marks).
        uint16_t markCount = 1;
    };

    /// The loop closed by the newest segment crossing segment `from`; the number caught.
    using Catcher = std::function<int32_t(int32_t from)>;

    /// `owner` (not owned) takes the marks as children; `file` gives them their art (null:
    /// marks without a part, traced once).
    CRoundUpTrack(ONode* owner, CPartFile* file);
    /// The segments go; the marks stay with the owner, which deletes its children.
    virtual ~CRoundUpTrack();
    CRoundUpTrack(const CRoundUpTrack&) = delete;
    CRoundUpTrack& operator=(const CRoundUpTrack&) = delete;

    void SetMarkArt(ChunkId art) { markArt_ = art; }
    void SetPartFile(CPartFile* file) { file_ = file; }
    ChunkId GetMarkArt() const { return markArt_; }

    /// One step with the vehicle at `p` showing animation state `heading`: the first step only
    /// records the place; later ones lay a segment, test it for crossings (a point segment is
    /// not tested) and hand each crossed segment to `catcher`, then drop the oldest segments
    /// down to 83. The total caught.
    int32_t Step(const CPoint16& p, int32_t heading, const Catcher& catcher);
    /// Whether a move from `a` to `b` crosses any segment of the track.
    bool Crosses(const CTrackLine& move) const;
    /// The first free mark of the pool, or a new one added to the owner; in use either way.
    Round_Up_Track* GetFreeMark();
    /// Deletes every segment (newest first) and every mark of the pool.
    void Clear();

    int32_t SegmentCount() const { return int32_t(segments_.size()); }
    const Segment& GetSegment(int32_t i) const { return *segments_[size_t(i)]; }
    const CPoint16& GetPreviousPoint() const { return previous_; }
    const std::vector<Round_Up_Track*>& GetPool() const { return pool_; }

    /// The number of intervals a segment gets: the longer axis over 5, at least 1.
    static uint16_t MarkIntervals(const CTrackLine& line);

protected:
    /// Gives a mark the segment's art (from the part file; without one, traced once).
    virtual void LoadMarkArt(Round_Up_Track* mark, ChunkId art);

private:
    void LayMarks(Segment& segment, int32_t heading);
    void DropOldest();

    ONode* owner_;
    CPartFile* file_;
    ChunkId markArt_ = kNullChunkId;
    CPoint16 previous_;
    std::vector<std::unique_ptr<Segment>> segments_;
    std::vector<Round_Up_Track*> pool_;
    uint8_t tracedArt_ = 0;
};

/// The triangle strip that cuts the loop from segment `from` to the newest of `count`
/// segments: `visit(a, b, c)` gets the segment indices whose end points make each triangle,
/// zig-zagging from both ends over every third end point. Nothing when the loop is too short.
void ForEachLoopTriangle(int32_t from, int32_t count, const std::function<void(int32_t, int32_t, int32_t)>& visit);
