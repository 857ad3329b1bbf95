#pragma once
#include <cstdint>

#include "engine/core/View.h"

class CDrawSurface;

/// The base of the full-stage overlays that the activity manager queues (class id 30): it
/// draws into a target surface and ends when it is done; a button or key press may end it
/// early when MayFinish agrees.
class OInterstitial : public OView {
public:
    static constexpr uint32_t kClassId = 30;
    /// Decides whether a press may end the interstitial; the default answers 1.
    using SkipTest = int32_t (*)();

    OInterstitial(const char* name = "OInterstitial", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Button-down and key-down events end it when MayFinish agrees (then a done event of
    /// category 1, type 7 is queued); they are swallowed either way.
    int32_t HandleEvent(const xEvent& event) override;

    /// Keeps the caller's tag and the surface to draw into; clears the done flag.
    virtual void Setup(uint32_t tag, CDrawSurface* target);
    /// Whether a press may end it now.
    virtual int32_t MayFinish() = 0;

    bool IsDone() const { return done_ != 0; }
    bool IsFinished() const { return finished_ != 0; }
    CDrawSurface* GetTarget() const { return target_; }
    uint32_t GetTag() const { return tag_; }
    void SetSkipTest(SkipTest test) { skipTest_ = test ? test : &AlwaysSkip; }

protected:
    void SetDone(bool on) { done_ = on ? 1 : 0; }

private:
    static int32_t AlwaysSkip() { return 1; }

    CDrawSurface* target_ = nullptr;
    uint32_t tag_ = 0;
    uint8_t done_ = 0;
    uint8_t finished_ = 0;
    SkipTest skipTest_ = &AlwaysSkip;
};

/// Blanks its target for one or two frames (class id 31): the activity manager's default
/// overlay.
class OBlankInterstitial : public OInterstitial {
public:
    static constexpr uint32_t kClassId = 31;

    OBlankInterstitial();

    bool IsA(uint32_t classId) const override;
    /// Until done: the target's whole rectangle to the dirty list, the target filled with
    /// black, one frame counted; done at 2.
    int32_t OnIdle() override;
    /// The counter starts at 1 without DirectDraw (one frame), else at 0 (both buffers).
    void Setup(uint32_t tag, CDrawSurface* target) override;
    int32_t MayFinish() override { return 1; }

    int16_t GetFrameCount() const { return frames_; }

private:
    int16_t frames_ = 0;
};

using OPictureInterstitial = OBlankInterstitial;
