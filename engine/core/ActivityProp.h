#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/View.h"
#include "engine/data/ChunkId.h"

class CColorPalette;
class CPart;
class CPartFile;
class CState;

/// Whether two segments, each two end points of (x, y) 16-bit values, cross; touching counts.
bool SegmentsIntersect(const int16_t a[4], const int16_t b[4]);

/// The engine's animated prop (class id 54): a view that shows one part loaded by chunk id,
/// steps its current state once a frame, keeps its size and its hot spot's place in step with
/// the frames, plays the state's sound with a volume and balance that follow its place on the
/// stage, draws the current frame with its scale, mirroring, draw mode, tint and blend, and
/// answers hit tests by box or by pixel.
class OActivityProp : public OView {
public:
    static constexpr uint32_t kClassId = 54;

    /// Property family 54.
    enum : uint32_t {
        kPropLoadAllStates = 1,
        kPropLoadLater = 2,
        kPropDrawMode = 3,
        kPropBlendLevel = 4,
        kPropPixelHit = 5,
        kPropStopSoundOnChange = 6,
        kPropPlayStateSound = 7,
    };

    /// Manual commands.
    enum : uint8_t { kManualNone = 0, kManualStep = 1, kManualGoTo = 2, kManualGoToAndLeave = 3 };

    /// The stage the listener stands in the middle of.
    static constexpr int32_t kStageWidth = 640;
    static constexpr int32_t kStageHeight = 480;

    OActivityProp(const char* name = "OActivityProp", uint32_t classId = kClassId);
    ~OActivityProp() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    bool OnProperty(OPropertyMsg* msg, int32_t set) { return HandleProperty(msg, set); }
    /// Pauses the part and stops a playing state sound, then suspends.
    void Suspend(int32_t flag) override;
    /// Resumes the part and restarts a looping state sound on screen, then resumes.
    void Resume(int32_t flag) override;
    /// The per-frame step (Update); always 1.
    int32_t OnIdle() override;
    OView* HitTestPoint(const CPoint16& point) override;
    OView* HitTestPointAt(const CPoint16& point, OView* skipped) override;
    bool IntersectsSegment(const CPoint32 segment[2], uint32_t unused, uint8_t* outside) override;
    bool IntersectsSegment16(const CPoint16 segment[2], uint32_t unused, uint8_t* outside) override;
    bool IntersectsView(OView* view) override;
    /// Stops the animation while the prop is dragged; 1.
    int32_t BeginDrag() override;
    int32_t EndDrag() override;
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;

    /// Index of the current state, its frame count and frame; -1 without a part.
    virtual int32_t GetState();
    virtual int32_t GetFrameCount();
    virtual int32_t GetCurrentFrame();
    /// Shows state `index` (clamped to the part's states), keeping the hot spot in place.
    virtual void SetState(int32_t index);
    virtual void UnloadState(int32_t index);
    virtual void SetFrame(int32_t frame);
    virtual void QueueNextState(int32_t index);
    virtual void OnPartLoaded();
    /// Called on the end of a run (step results 4 and 5); 0 ends the frame's update. The default
    /// plays the next queued state and takes its frame's size.
    virtual int32_t OnAnimationEnd();
    virtual bool HitTestRect(const CRect16& rect);
    virtual bool IntersectsPropAt(OActivityProp* other, CPoint16* out);

    /// Loads the part by id; 1 when loaded (0 also when remembered for later or already shown).
    /// Unless keepPlace is set, the prop moves by the first frame's hot spot. The palette is not
    /// used.
    int32_t SetPartID(CPartFile* partFile, ChunkId partId, uint8_t keepPlace, CColorPalette* palette = nullptr);
    /// Loads the part remembered in load-later mode.
    int32_t LoadNow();
    void GetPartID(ChunkId* out) const;
    CPart* GetAnimSet() const { return animSet_.get(); }
    /// Takes the part (owned) and gives it the prop's draw mode.
    void SetAnimSet(CPart* part);
    CState* GetCurrentStateObject() const;

    void SetStateAndHold(int32_t index);
    /// Queues the state `times` times.
    void QueueState(int32_t index, int32_t times);
    void SetManualStep(uint8_t flag);
    /// The command the next update carries out in manual mode, with its frame.
    void SetManualCommand(uint8_t command, int32_t frame = 0);
    void SetDrawMode(uint32_t mode);
    /// Colour word (red, green, blue, 0) and level.
    void SetTint(uint32_t colour, int16_t level);
    void SetBlendLevel(int16_t level);
    CPointF GetHotSpot();
    /// A frame's offset times the prop's scales; (0, 0) when missing.
    CPointF GetFramePoint(int32_t state, int32_t frame);
    CPointF GetScaledOffset();
    uint16_t GetStateSoundEntry(int32_t index);
    void GetStateSoundId(int32_t index, ChunkId* out);
    bool IsOnScreen();
    void StopStateSound();
    void StartStateSound(int32_t newState, int32_t oldState);
    /// SetState when the index is valid and not the current one.
    bool ChangeState(int32_t index);
    /// Makes the current state's timing find the frame shown now.
    void SyncAnimState();
    /// The part's frame rate; 0 without a part.
    int32_t QueryAnimSet();

    // Second names.
    void SetStateAt(int32_t state, int32_t frame = -1);
    void SetStateRaw(uint32_t mode) { SetDrawMode(mode); }
    void Animate(int32_t newState, int32_t oldState) { StartStateSound(newState, oldState); }
    int32_t RefreshSize() { return OActivityProp::OnAnimationEnd(); }
    void SetAnimFlag(uint8_t flag) { SetManualStep(flag); }
    uint32_t GetStateLong(int32_t state);
    CPointF GetScaledHotSpot() { return GetScaledOffset(); }
    void StepFrames(int32_t index, int32_t times) { QueueState(index, times); }
    void SetNextState(int32_t index) { QueueNextState(index); }
    bool OverlapsProp(OActivityProp* other, CPoint16* out) { return IntersectsPropAt(other, out); }

    // Settings.
    uint8_t IsAnimating() const { return animating_; }
    void SetAnimating(uint8_t on) { animating_ = on; }
    uint8_t IsManualStep() const { return manualStep_; }
    void SetLoadLater(uint16_t on) { loadLater_ = on; }
    void SetLoadAllStates(uint8_t on) { loadAllStates_ = on; }
    void SetSoundLoop(uint8_t on) { soundLoop_ = on; }
    void SetSoundPan(uint32_t on) { soundPan_ = on; }
    void SetSoundRange(int16_t range) { soundRange_ = range; }
    int16_t GetSoundRange() const { return soundRange_; }
    void SetPixelHit(uint8_t on) { pixelHit_ = on; }
    uint8_t GetPixelHit() const { return pixelHit_; }
    uint32_t GetDrawMode() const { return drawMode_; }
    int16_t GetBlendLevel() const { return blendLevel_; }
    uint8_t GetLoadAllStates() const { return loadAllStates_; }
    uint16_t GetLoadLater() const { return loadLater_; }
    uint8_t GetStopSoundOnChange() const { return stopSoundOnChange_; }
    uint8_t GetPlayStateSound() const { return playStateSound_; }
    CColorPalette* GetPalette() const { return palette_.get(); }
    uint8_t queueStateChanges = 0;

private:
    /// The step of OnIdle.
    void Update();
    /// The current frame's hot spot, or (0, 0).
    CPointF CurrentHotSpot() const;
    /// Natural size and drawn size from the current frame (scales exchanged when asked).
    void FitToFrame(bool exchangeScales);
    /// Size, natural size and its copy, as the view's size property sets them.
    void HandleSizeProperty(int16_t w, int16_t h);
    bool IsPartTurned() const;
    /// The sound bookkeeping of Update.
    void UpdateSound();
    /// The box in the parent's coordinates (right and bottom exclusive); a single point at
    /// angles that are not quarter turns.
    CRect16 Box() const;
    bool PixelHit(const CPoint16& point);

    std::unique_ptr<CColorPalette> palette_;
    std::unique_ptr<CPart> animSet_;
    uint8_t manualStep_ = 0;
    uint8_t animating_ = 1;
    uint8_t manualCommand_ = kManualNone;
    int32_t manualFrame_ = 0;
    uint8_t inAnimationEnd_ = 0;
    uint8_t soundLoop_ = 0;
    uint32_t soundPan_ = 0;
    int16_t soundRange_ = 1000;
    uint8_t laterLoaded_ = 0;
    CPartFile* laterPartFile_ = nullptr;
    ChunkId laterPartId_ = kNullChunkId;
    uint8_t loadAllStates_ = 0;
    uint16_t loadLater_ = 0;
    uint8_t pixelHit_ = 1;
    uint8_t stopSoundOnChange_ = 1;
    uint8_t playStateSound_ = 1;
    uint32_t drawMode_ = 1;
    uint32_t tintColour_ = 0x00FFFFFFu;
    int16_t tintLevel_ = 128;
    int16_t blendLevel_ = 128;
    /// Set while the distance has turned the state sound down, so it can come back to full.
    uint8_t attenuated_ = 0;
};
