#pragma once
#include <cstdint>

#include "engine/data/DynArray.h"

class CDrawSurface;
class CState;
struct CClipRect;

/// The holder of a part's animation states: an owned, ordered list of states, the current
/// state, a queue of states to play next, and the settings every state of the part shares
/// (mirroring, draw mode, tint and blend). Both lists grow and shrink in blocks of 64 entries;
/// an entry the storage cannot take is dropped.
class CPartBase {
public:
    CPartBase();
    /// Deletes every state.
    virtual ~CPartBase();
    CPartBase(const CPartBase&) = delete;
    CPartBase& operator=(const CPartBase&) = delete;

    virtual uint8_t CanRecolorA() { return 0; }
    virtual void SetBandA(uint32_t x, uint8_t band, uint8_t force);
    virtual uint8_t CanRecolorB() { return 0; }
    virtual void SetBandB(uint32_t x, uint8_t band, uint8_t force);
    virtual void SetBands(uint32_t x, uint8_t bandA, uint8_t bandB, uint8_t force);
    /// Makes state `index` current (restarting it at frame 0); an index out of range leaves
    /// the part without a current state.
    virtual void SetState(int32_t index);
    virtual void UnloadState(int32_t index);
    virtual int32_t GetCurrentIndex();
    virtual int32_t GetFrameCount();
    virtual int32_t GetCurrentFrame();
    virtual int32_t GetFrameRate();
    virtual int32_t GetFirstQueued();
    /// Makes the first queued state current (an index beyond the last state takes the last)
    /// and takes it off the queue; 0 without a current state or with an empty queue.
    virtual int32_t AdvanceQueue();
    virtual void DeleteStates();
    virtual void DrawCurrentFrame(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                                  uint32_t extra) = 0;

    /// Appends a state (a state given is set to the part's draw mode first).
    void AddState(CState* state);
    int32_t GetStateCount() const { return states_.Count(); }
    CState* GetState(int32_t index) const;
    uint32_t GetStateId(int32_t index) const;
    CState* GetCurrentState() const { return currentState_; }
    int32_t GetRotation() const { return rotation_; }
    void SetRotation(int32_t degrees) { rotation_ = degrees; }
    /// The current state's step; 0 without a current state.
    int32_t Step();
    /// SetState, then the state plays once and stays on its last frame.
    void SetStateAndHold(int32_t index);
    void Pause();
    void Resume();
    bool IsPaused() const { return paused_ != 0; }
    void SetMirrored(uint32_t flag);
    uint32_t IsMirrored() const { return mirrored_; }
    void SetDrawMode(uint32_t mode);
    uint32_t GetDrawMode() const { return drawMode_; }
    /// Colour word (red, green, blue, 0) and level.
    void SetTint(uint32_t colour, int16_t level);
    void SetBlendLevel(int16_t level);
    void SetUnloadOnLeave(uint32_t on) { unloadOnLeave_ = on; }
    /// Appends a valid index to the queue; SetNextState empties the queue first.
    void QueueState(int32_t index);
    void SetNextState(int32_t index);
    /// Empties the queue.
    void ClearQueue() { queue_.Free(); }
    int32_t GetQueuedCount() const { return queue_.Count(); }
    int32_t GetQueuedAt(int32_t i) const { return queue_.GetAt(i); }
    /// The u16 value of the current state's record; 0 without a current state.
    uint16_t GetCurrentBaseValue() const;
    uint8_t GetBandA() const { return bandA_; }
    uint8_t GetBandB() const { return bandB_; }
    int32_t GetStateIndex() { return GetCurrentIndex(); }
    int32_t GetFrame() { return GetCurrentFrame(); }

protected:
    CDynArray<CState*> states_;
    CState* currentState_ = nullptr;
    uint32_t paused_ = 0;
    uint8_t bandA_ = 0;
    uint8_t bandB_ = 0;
    uint32_t mirrored_ = 0;
    int32_t rotation_ = 0;
    uint32_t drawMode_ = 1;
    uint32_t unloadOnLeave_ = 0;
    CDynArray<int32_t> queue_;
    uint32_t tintColour_ = 0x00FFFFFFu;
    int16_t tintLevel_ = 128;
    int16_t blendLevel_ = 128;
};
