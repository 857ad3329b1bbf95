#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/graphics/ClipRect.h"

class CColorPalette;
class CDrawSurface;

/// Results of a step of the frame sequencer, a state, a part or a prop.
enum StepResult : int32_t {
    kStepNoChange = 1,      ///< not yet time, or the same frame again
    kStepForward = 2,       ///< moved forward to a new frame
    kStepBackward = 3,      ///< moved backward to a new frame
    kStepRunEnd = 4,        ///< wrapped to the other end, or stopped at the end of a held run
    kStepHeldEnd = 5,       ///< a held run reached its end for the first time
    kStepStillAtEnd = 6,    ///< a held run is still at its end
};

/// The timing base of every animation state: the current frame, the play direction, loop or
/// hold, and the tick stamps that drive timed playback. Pixels, the frame count and the
/// reaction to a frame change come from the derived class.
///
/// Ticks are the platform clock's milliseconds. A pause is a non-zero pauseTick: elapsed time
/// is then measured up to it, so the frame stands still however long the pause lasts.
class CFrameSequencer {
public:
    static constexpr uint32_t kKindState = 5;

    CFrameSequencer();
    virtual ~CFrameSequencer();
    CFrameSequencer(const CFrameSequencer&) = delete;
    CFrameSequencer& operator=(const CFrameSequencer&) = delete;

    virtual int32_t GetFrameCount() = 0;
    virtual int32_t GetDepth() = 0;
    /// Width and height of the current frame.
    virtual int32_t GetFrameWidth() = 0;
    virtual int32_t GetFrameHeight() = 0;
    /// Hot spot of the current frame.
    virtual CPoint16 GetHotSpot() = 0;
    /// Display duration of the current frame; 0 in the base.
    virtual int32_t GetFrameDuration() { return 0; }
    /// Draws the current frame: source rectangle of the frame (null: all of it) into the
    /// destination rectangle (null: the source's size at the origin).
    virtual void OnCopyFrameToSurface(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                                      CColorPalette* palette, uint32_t spare) = 0;
    /// Recolouring hook; does nothing in the base.
    virtual void Recolor(uint8_t bandA, uint8_t bandB, uint8_t* blocks);
    /// Called after every change of the current frame (and by the steps that keep it).
    virtual void OnFrameChanged();
    /// Back to the construction values of the timing fields.
    virtual void Reset();
    virtual int32_t GetFramePeriod() { return framePeriod; }
    /// Stores a rotation that is a multiple of 90 (taken modulo 360 into 0..359); answers the
    /// number of quarter turns in either case.
    virtual int32_t SetRotation(int32_t degrees);
    /// Makes the frame current when 0 <= frame < frame count; a real change restarts the timing.
    virtual void SetFrame(int32_t frame);
    /// One step of fixed-period playback (or one frame when untimed).
    virtual int32_t Step();

    /// One frame forward: wraps to 0 (result 4), or stays on the last frame of a held run (4).
    int32_t NextFrame();
    /// One frame backward: wraps to the last frame (4), or stays on frame 0 of a held run (4).
    int32_t PrevFrame();
    /// Re-creates a surface at the current frame's width, height and depth when they differ
    /// from the surface's and all three are non-zero.
    void FitSurface(CDrawSurface* surface);

    /// The platform clock's tick count.
    static uint32_t Now();
    /// The tick to record as a pause beginning now: never 0, which means "not paused", so a
    /// pause that begins as the clock wraps to 0 is taken from the next millisecond (taking the
    /// one before could put it ahead of a start made in the same millisecond).
    static uint32_t PauseTick();

    uint32_t kind = 0;
    int32_t frameRate = 15;
    int32_t framePeriod = 66;
    int32_t currentFrame = -1;
    int32_t previousFrame = -1;
    uint32_t forward = 1;
    uint32_t timed = 1;
    uint8_t changed = 1;
    uint32_t startTick = 0;
    uint32_t pauseTick = 0;
    int32_t durationRate = 60;
    uint32_t hold = 0;
    uint32_t endReported = 0;
    uint32_t mirrorX = 0;
    uint32_t mirrorY = 0;
    int32_t rotation = 0;
    uint32_t loaded = 0;
    uint32_t drawMode = 1;
    uint8_t tintColour[3] = {255, 255, 255};
    int16_t tintLevel = 128;
    int16_t blendLevel = 128;

protected:
    /// Elapsed milliseconds of the current timing run (up to the pause when paused).
    uint32_t Elapsed() const;

private:
    void ResetTiming();
};
